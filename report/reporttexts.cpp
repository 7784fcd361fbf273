#include "report/reporttexts.h"

#include "platform/qt/controls.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QWidget>

const TReportControl& TReportTexts::operator[](const std::string& name) const
{
    static const TReportControl missing = [] {
        TReportControl c;
        c.Visible = false;
        return c;
    }();
    const auto it = Controls.find(name);
    return it == Controls.end() ? missing : it->second;
}

namespace {

// The control's own visibility flag, whatever its parents show: a control on a tab that is not
// the current one still counts as visible, as it is when its tab is picked.
bool ownVisible(const QWidget& w)
{
    return !(w.testAttribute(Qt::WA_WState_Hidden) && w.testAttribute(Qt::WA_WState_ExplicitShowHide));
}

bool isRed(const QWidget& w, QPalette::ColorRole role)
{
    return w.palette().color(role) == QColor(255, 0, 0);
}

} // namespace

TReportTexts CollectReportTexts(const QWidget& window)
{
    TReportTexts texts;
    texts.ApplicationTitle = QCoreApplication::applicationName().toStdString();
    const auto widgets = window.findChildren<QWidget*>();
    for (QWidget* w : widgets) {
        const QString name = w->objectName();
        if (name.isEmpty() || name.startsWith(QLatin1String("qt_")))
            continue;
        TReportControl c;
        c.Visible = ownVisible(*w);
        c.Tag = platform::controlTag(w);
        c.Width = w->width();
        c.Height = w->height();
        c.Red = isRed(*w, QPalette::WindowText);
        if (auto* label = qobject_cast<QLabel*>(w)) {
            c.Text = label->text().toStdString();
        } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
            c.Text = edit->text().toStdString();
            c.Red = isRed(*w, QPalette::Text);
        } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
            c.Text = combo->currentText().toStdString();
            c.Red = isRed(*w, QPalette::Text);
            for (int i = 0; i < combo->count(); ++i)
                c.Items.push_back(combo->itemText(i).toStdString());
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            c.Text = button->text().toStdString();
            c.Checked = button->isChecked();
            c.Red = isRed(*w, QPalette::ButtonText);
        } else if (auto* date = qobject_cast<QDateTimeEdit*>(w)) {
            const QDate d = date->date();
            c.Text = date->text().toStdString();
            if (name == QLatin1String("DateTimePicker1"))
                texts.Date = { d.year(), d.month(), d.day() };
        }
        texts.Controls[name.toStdString()] = std::move(c);
    }
    // A tab page shows as its tab: its caption is the tab's text and it is visible while the tab is.
    for (QTabWidget* tabs : window.findChildren<QTabWidget*>()) {
        for (int i = 0; i < tabs->count(); ++i) {
            QWidget* page = tabs->widget(i);
            if (page == nullptr || page->objectName().isEmpty())
                continue;
            TReportControl& c = texts.Controls[page->objectName().toStdString()];
            c.Text = tabs->tabText(i).toStdString();
            c.Visible = tabs->isTabVisible(i);
        }
    }
    return texts;
}
