// The main window's commands: the save question, New, the actions that open other windows and
// documents, the single-graph menu and the start-up update check.
#include "ui/main/lpmain.h"

#include "model/fieldlimits.h"
#include "model/lpclasses.h"
#include "platform/qt/messages.h"
#include "platform/qt/shell.h"
#include "ui/dialogs/about.h"
#include "ui/dialogs/editvalue.h"
#include "update/checkupdates.h"
#include "update/upinfo.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QDateEdit>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QTimer>

#include <exception>

namespace {

const QString kSaveQuestion = QStringLiteral("File is not saved. Do you want to save it now?");

} // namespace

bool TfrmLPMain::AskSaveChanges()
{
    if (Modified) {
        switch (platform::messageDlg(kSaveQuestion, platform::MessageKind::Confirmation,
            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, this)) {
        case QMessageBox::Yes:
            ASave->trigger();
            break;
        case QMessageBox::No:
            SetModified(false);
            break;
        default:
            break;
        }
    }
    return !Modified;
}

void TfrmLPMain::ActionList1Execute(QAction* Action)
{
    // A value still being typed is committed before it is saved or printed.
    if (Action == ASave || Action == APrint)
        ComboBox1Exit(QApplication::focusWidget());
}

void TfrmLPMain::ANewExecute()
{
    if (!AskSaveChanges())
        return;
    LPData->Reset(false);
    FileName.clear();
    for (QLineEdit* e : { Edit10, Edit11, Edit9, Edit31 })
        e->clear();
    Logo->clear();
    platform::setPickerDate(DateTimePicker1, QDate::currentDate());
    ComboBox1->setCurrentIndex(0);
    ComboBox2->setCurrentIndex(0);
    // Every numeric input below the project block starts at the smallest value it accepts.
    for (QLineEdit* e : findChildren<QLineEdit*>()) {
        const int tag = platform::controlTag(e);
        if (tag > 0 && e->parentWidget() != Panel2) {
            SetEditValue(e, false, FieldLimitOf(tag).MinValue);
            SetEditRightAligned(e);
        }
    }
    DataToForm();
    FormToData();
    SetModified(false);
    PageControl1->setTabVisible(PageControl1->indexOf(TabSheet3), false);
    if (isVisible()) {
        PageControl1->setCurrentIndex(0);
        if (ComboBox1->isEnabled() && ComboBox1->isVisibleTo(this))
            ComboBox1->setFocus();
        else
            ComboBox2->setFocus();
    }
    UpdateCaption();
}

void TfrmLPMain::AExitExecute()
{
    close();
}

void TfrmLPMain::AAboutExecute()
{
    ShowAbout(this);
}

void TfrmLPMain::AWebExecute()
{
    platform::shellOpen(HomePageAddress());
}

void TfrmLPMain::AHelpExecute()
{
    const QString path
        = platform::executableFolder() + QStringLiteral("User Manual Fendrix Professional.pdf");
    if (QFileInfo::exists(path))
        platform::shellOpen(path);
}

void TfrmLPMain::AEquationsExecute()
{
    const QString path = platform::executableFolder() + QStringLiteral("QV 2.0 Equations.pdf");
    if (QFileInfo::exists(path))
        platform::shellOpen(path);
}

void TfrmLPMain::AAutoUpdateExecute()
{
    // The action toggles its own check mark before this runs.
    WriteAutoUpdates(AAutoUpdate->isChecked());
}

void TfrmLPMain::ACheckUpdatesExecute()
{
    ShowCheckUpdates(false, UpdatePageURL(), this);
}

void TfrmLPMain::Timer1Timer()
{
    Timer1->stop();
    if (AAutoUpdate->isChecked())
        ShowCheckUpdates(true, UpdatePageURL(), this);
}

void TfrmLPMain::Deflection1Click(QAction* /*Item*/)
{
    // Opens the graph window with the item's graph kind (its data) once the graph window exists.
}

void TfrmLPMain::Button2Click()
{
    if (Modified) {
        const auto answer = platform::messageDlg(kSaveQuestion, platform::MessageKind::Confirmation,
            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, this);
        if (answer == QMessageBox::Cancel)
            return;
        if (answer == QMessageBox::Yes)
            ASave->trigger();
    }
    // A calculation that fails leaves the Results tab with what the last refresh wrote.
    try {
        LPData->Calculate();
        DataToForm();
        PageControl1->setTabVisible(PageControl1->indexOf(TabSheet3), true);
        PageControl1->setCurrentWidget(TabSheet3);
    } catch (const std::exception&) {
    }
    const QScrollBar* bar = ScrollBox1->verticalScrollBar();
    lblMoreData->setVisible(bar->maximum() + bar->pageStep() - 10 > ScrollBox1->height());
}

void TfrmLPMain::Button3Click()
{
    LPData->Logo.reset();
    Logo->clear();
    SetModified(true);
}
