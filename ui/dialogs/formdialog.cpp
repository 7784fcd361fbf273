#include "ui/dialogs/formdialog.h"

#include "platform/qt/controls.h"
#include "ui/dialogs/editvalue.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TFormDialog::TFormDialog(QWidget* owner)
    : QDialog(owner ? owner : QApplication::activeWindow())
{
    setFont(platform::formFont(8));
}

void TFormDialog::enableEnterKeyPreview()
{
    for (QWidget* child : findChildren<QWidget*>()) {
        if (!qobject_cast<QAbstractButton*>(child) || child->inherits("QRadioButton")
            || child->inherits("QCheckBox"))
            child->installEventFilter(this);
    }
}

bool TFormDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        auto* widget = qobject_cast<QWidget*>(watched);
        // Only for the window's own controls: in an open drop-down list Enter picks the item.
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && widget && widget->hasFocus()
            && widget->window() == this && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            focusNextChild();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFormDialog::addOkCancel(QPushButton*& ok, QPushButton*& cancel, int okLeft, int cancelLeft, int top)
{
    ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("Button1"));
    ok->setGeometry(okLeft, top, 75, 25);
    connect(ok, &QPushButton::clicked, this, [this, ok] {
        ok->setFocus(Qt::OtherFocusReason);
        accept();
    });
    cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("Button2"));
    cancel->setGeometry(cancelLeft, top, 75, 25);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

QLabel* TFormDialog::addLabel(
    QWidget* parent, const QString& objectName, const QString& text, int left, int top, int width)
{
    auto* label = new QLabel(text, parent ? parent : this);
    label->setObjectName(objectName);
    label->setTextFormat(text.contains(QLatin1String("<sup>")) ? Qt::RichText : Qt::PlainText);
    label->move(left, top);
    if (width > 0)
        label->resize(width, label->sizeHint().height());
    else
        label->adjustSize();
    return label;
}

QLineEdit* TFormDialog::addEdit(
    QWidget* parent, const QString& objectName, int tag, int left, int top, int width)
{
    auto* edit = new QLineEdit(parent ? parent : this);
    edit->setObjectName(objectName);
    edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    platform::setControlTag(edit, tag);
    platform::controlEvents(edit).onKeyPress = [](QObject*, QChar& key) { TypeNumberKey(key); };
    edit->setGeometry(left, top, width, 21);
    return edit;
}
