// The main window's commands: the save question, New, Open, Save, Save As, Print, Calculate
// Results, the logo buttons, the actions that open other windows and documents, and the
// start-up update check.
#include "ui/main/lpmain.h"

#include "imaging/jpeggraphic.h"
#include "model/fieldlimits.h"
#include "model/lpclasses.h"
#include "platform/core/scopeexit.h"
#include "platform/core/stream.h"
#include "platform/qt/messages.h"
#include "platform/qt/picturecanvas.h"
#include "platform/qt/shell.h"
#include "report/lpreport.h"
#include "ui/dialogs/about.h"
#include "ui/dialogs/desktop.h"
#include "ui/dialogs/editvalue.h"
#include "ui/main/filedialog.h"
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
#include <QPainter>
#include <QScrollArea>
#include <QTabWidget>
#include <QTimer>

#include <exception>
#include <vector>

namespace {

const QString kSaveQuestion = QStringLiteral("File is not saved. Do you want to save it now?");
const QString kProjectFilter = QStringLiteral("Braxholm Fendrix files (*.fdx)|*.fdx|All Files (*.*)|*.*");

// A document beside the program; one that is not there is passed over.
void openBesideProgram(const QString& name, QWidget* parent)
{
    const QString path = platform::executableFolder() + name;
    if (QFileInfo::exists(path))
        OpenThroughDesktop(path, parent);
}

} // namespace

void TfrmLPMain::createFileDialogs()
{
    m_od = std::make_unique<TFileDialog>(
        TFileDialog::Kind::Open, QStringLiteral("Open"), kProjectFilter, QStringLiteral("fdx"));
    m_sd = std::make_unique<TFileDialog>(
        TFileDialog::Kind::Save, QStringLiteral("Save"), kProjectFilter, QStringLiteral("fdx"));
    m_opd = std::make_unique<TFileDialog>(TFileDialog::Kind::Open, QStringLiteral("Open"),
        QStringLiteral("JPEG files (*.jpg; *.jpeg)|*.jpg; *.jpeg"));
}

bool TfrmLPMain::AskSaveChanges()
{
    // Closing the window and the update's end of the program come here without an action.
    commitTyping();
    if (!Modified)
        return true;
    switch (platform::messageDlg(kSaveQuestion, platform::MessageKind::Confirmation,
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, this)) {
    case QMessageBox::Yes:
        ASave->trigger();
        return !Modified;
    case QMessageBox::No:
        // The work stays marked as unsaved: the command may still stop (a cancelled file
        // dialog), and only the command that replaces the project clears the mark.
        return true;
    default:
        return false;
    }
}

void TfrmLPMain::ActionList1Execute(QAction* /*Action*/)
{
    // Every command starts from what the user sees: a value still being typed is committed first,
    // whether the command came from the menu, the tool bar or its key.
    commitTyping();
}

void TfrmLPMain::ANewExecute()
{
    if (!AskSaveChanges())
        return;
    LPData->Reset(false);
    // The new project's values stand as they are: no unit or cyclic switch is applied to them,
    // and its load case 1 is taken as an opened project's is.
    m_lastUnits = LPData->Units;
    m_lastCyclic = LPData->CyclicAnalysis;
    holdLoadCase1();
    FileName.clear();
    for (QLineEdit* e : { Edit10, Edit11, Edit9, Edit31 })
        e->clear();
    m_logoPicture.reset();
    showLogoPicture();
    SizeLogo();
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
    showAndCommit();
    adoptLoadCase1();
    SetModified(false);
    PageControl1->setTabVisible(PageControl1->indexOf(TabSheet3), false);
    if (isVisible())
        showFirstInput();
    UpdateCaption();
    m_newProjectUntouched = true;
}

void TfrmLPMain::showFirstInput()
{
    PageControl1->setCurrentIndex(0);
    if (ComboBox1->isEnabled() && ComboBox1->isVisibleTo(this))
        ComboBox1->setFocus();
    else
        ComboBox2->setFocus();
}

void TfrmLPMain::AOpenExecute()
{
    if (!AskSaveChanges())
        return;
    OD().InitialDir = m_dataFolder;
    OD().FileName = FileName.isEmpty() ? QStringLiteral("*.fdx") : FileName;
    if (!OD().Execute(this))
        return;

    // A file that cannot be read leaves the project as it was: it is held in memory meanwhile,
    // with what its layer rows have seen of it.
    struct Markers {
        std::uint8_t nsf, consistency, material;
    };
    platform::TMemoryStream previous;
    LPData->SaveToStream(previous);
    std::vector<Markers> markers;
    for (int i = 0; i < LPData->Layers.Count(); ++i) {
        const TLayer* layer = LPData->Layers[i];
        markers.push_back(
            { layer->LastNSFConsistency, layer->LastCohesionConsistency, layer->LastCohesionMatType });
    }
    const QString previousName = FileName;
    const bool previousModified = Modified;
    const std::uint8_t previousUnits = m_lastUnits;
    const std::uint8_t previousCyclic = m_lastCyclic;
    const auto previousCase1 = m_case1;
    const Extended previousSpacingLimit = LPData->SpacingLimit;

    TProjectLoadResult loaded;
    {
        // One pass: the new project shown while the file is read is not the user's and is not
        // committed, and the pictures are drawn once, for the project that is then shown.
        const PassScope pass(*this);
        LPData->Reset(false);
        m_lastUnits = LPData->Units;
        m_lastCyclic = LPData->CyclicAnalysis;
        holdLoadCase1();
        DataToForm();
        FileName = OD().FileName;
        // The first tab and the caption follow whether or not the file could be read.
        const platform::ScopeExit finally([this] {
            if (isVisible())
                showFirstInput();
            else
                PageControl1->setCurrentIndex(0);
            UpdateCaption();
        });
        try {
            loaded = LPData->LoadFromFile(QFile::encodeName(FileName).toStdString());
            // The read project's values stand as stored (its reactions are already cyclic ones),
            // and it opens the same whatever was open before: its case 1 is shown as stored
            // and then follows its own analysis where it holds 0 or that analysis's values, and
            // its spacing limit is computed from its own section.
            m_lastUnits = LPData->Units;
            m_lastCyclic = LPData->CyclicAnalysis;
            for (QComboBox* family : { ComboBox6, ComboBox9 })
                family->setCurrentIndex(-1);
            if (LPData->IsConcrete())
                LPData->CalcReinforcedConcrete();
            // A stored value outside its field's limits is shown clamped: the model takes what
            // the window shows, so that the calculation and the report use the same inputs.
            showAndCommit();
            adoptLoadCase1();
            SetModified(false);
            PageControl1->setTabVisible(PageControl1->indexOf(TabSheet3), false);
            showLessOrMoreData();
        } catch (...) {
            previous.SetPosition(0);
            LPData->LoadFromStream(previous);
            for (int i = 0; i < LPData->Layers.Count() && i < static_cast<int>(markers.size()); ++i) {
                TLayer* layer = LPData->Layers[i];
                layer->LastNSFConsistency = markers[i].nsf;
                layer->LastCohesionConsistency = markers[i].consistency;
                layer->LastCohesionMatType = markers[i].material;
            }
            m_lastUnits = previousUnits;
            m_lastCyclic = previousCyclic;
            m_case1 = previousCase1;
            LPData->SpacingLimit = previousSpacingLimit;
            // The results are those of the same inputs again.
            calculate();
            FileName = previousName;
            DataToForm();
            SetModified(previousModified);
            throw;
        }
    }
    // Said once the opened project is shown. It is not marked modified: the user changed nothing,
    // and the file keeps its picture until the project is saved.
    const std::string sectionFault = LPData->PileSectionFault();
    if (!sectionFault.empty()) {
        QString reason = QString::fromStdString(sectionFault);
        reason[0] = reason[0].toLower();
        platform::messageDlg(
            QStringLiteral("The project's user-defined steel section cannot be used: %1. Its "
                           "results show N.A. until the section is corrected in its dialog.")
                .arg(reason),
            platform::MessageKind::Warning, QMessageBox::Ok, this);
    }
    if (!loaded.LogoError.empty())
        platform::messageDlg(
            QStringLiteral("The logo stored in the project could not be read and was left out: %1")
                .arg(QString::fromStdString(loaded.LogoError)),
            platform::MessageKind::Warning, QMessageBox::Ok, this);
}

void TfrmLPMain::ASaveExecute()
{
    if (FileName.isEmpty()) {
        ASaveAs->trigger();
        return;
    }
    LPData->SaveToFile(QFile::encodeName(FileName).toStdString());
    SetModified(false);
}

void TfrmLPMain::ASaveAsExecute()
{
    SD().InitialDir = m_dataFolder;
    SD().FileName = FileName.isEmpty() ? QStringLiteral("*.fdx") : FileName;
    if (!SD().Execute(this))
        return;
    // A file that cannot be written leaves the project's name, caption and mark as they were.
    const QString previous = FileName;
    FileName = SD().FileName;
    try {
        ASaveExecute();
    } catch (...) {
        FileName = previous;
        throw;
    }
    UpdateCaption();
}

void TfrmLPMain::APrintExecute()
{
    Button2Click();
    if (PageControl1->isTabVisible(PageControl1->indexOf(TabSheet3)))
        PreviewReport(*LPData, CollectReportTexts(*this), this);
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
    OpenThroughDesktop(HomePageAddress(), this);
}

void TfrmLPMain::AHelpExecute()
{
    openBesideProgram(QStringLiteral("User Manual Fendrix Professional.pdf"), this);
}

void TfrmLPMain::AEquationsExecute()
{
    openBesideProgram(QStringLiteral("QV 2.0 Equations.pdf"), this);
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
        calculate();
        DataToForm();
        PageControl1->setTabVisible(PageControl1->indexOf(TabSheet3), true);
        PageControl1->setCurrentWidget(TabSheet3);
    } catch (const std::exception&) {
    }
    showLessOrMoreData();
}

void TfrmLPMain::Button1Click()
{
    OPD().InitialDir = m_dataFolder;
    if (!OPD().Execute(this))
        return;
    // The model keeps the file's own bytes with the picture; the logo box shows that picture.
    LPData->LoadImageFromFile(QFile::encodeName(OPD().FileName).toStdString());
    m_logoPicture = LPData->Logo;
    showLogoPicture();
    SizeLogo();
    SetModified(true);
}

void TfrmLPMain::Button3Click()
{
    LPData->SetImage(nullptr);
    m_logoPicture.reset();
    showLogoPicture();
    SetModified(true);
}

void TfrmLPMain::showLogoPicture()
{
    if (!m_logoPicture || m_logoPicture->Empty()) {
        Logo->clear();
        return;
    }
    QImage image(m_logoPicture->Width(), m_logoPicture->Height(), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        platform::TQtPictureCanvas canvas(painter);
        m_logoPicture->Draw(canvas, platform::Rect(0, 0, image.width(), image.height()));
    }
    Logo->setPixmap(QPixmap::fromImage(image));
}
