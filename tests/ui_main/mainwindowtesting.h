#pragma once
// Driving the main window in a test: opening it with the start-up update check off, finding its
// controls by name, typing into an edit and leaving it (which commits), choosing a list item as
// the user does, and answering message boxes and file dialogs. runWindowTest is the main of
// every window test: a private home, its screens, the application at 96 DPI.
#include "testenv.h"

#include "model/fieldlimits.h"
#include "model/lpclasses.h"
#include "platform/qt/application.h"
#include "platform/qt/messages.h"
#include "platform/qt/settings.h"
#include "ui/main/filedialog.h"
#include "ui/main/lpmain.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QStringList>
#include <QTabWidget>
#include <QTemporaryFile>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <functional>
#include <memory>

namespace testing_window {

inline void clearSettings()
{
    platform::deleteSettingsKey(QStringLiteral("Software"));
}

// A shown, active window whose start-up update check is off, so that no test reaches the network.
inline std::unique_ptr<TfrmLPMain> openWindow()
{
    {
        platform::SettingsKey key;
        key.openKey(QStringLiteral("Software\\Braxholm\\Fendrix\\"), true);
        key.writeBool(QStringLiteral("AutoUpdates"), false);
    }
    auto window = std::make_unique<TfrmLPMain>();
    window->show();
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window.get()))
        qWarning("window not active");
    window->Timer1->stop();
    return window;
}

inline QString fixed(Extended value, int decimals)
{
    return QString::fromStdString(FormatFixed(value, decimals));
}

// The name of a layer row's control: base and row number (from 1).
inline QString row(const char* base, int n)
{
    return QLatin1String(base) + QString::number(n);
}

inline bool isRed(const QWidget* w)
{
    return w->palette().color(QPalette::WindowText) == QColor(255, 0, 0);
}

inline bool resultsShown(TfrmLPMain* w)
{
    return w->PageControl1->isTabVisible(w->PageControl1->indexOf(w->TabSheet3));
}

template <class T> T* child(QWidget* window, const QString& name)
{
    T* found = window->findChild<T*>(name);
    if (!found)
        qWarning("no control %s", qPrintable(name));
    return found;
}

inline QLineEdit* edit(QWidget* window, const QString& name)
{
    return child<QLineEdit>(window, name);
}

// Focuses the edit, replaces its text by typing (through the key filter), then moves the focus
// to the "Calculate Results" button, which commits nothing itself: leaving the edit commits it.
inline void typeAndLeave(QWidget* window, QLineEdit* target, const QString& text)
{
    target->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    target->selectAll();
    QTest::keyClick(target, Qt::Key_Backspace);
    QTest::keyClicks(target, text);
    child<QWidget>(window, QStringLiteral("Button2"))->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
}

// Chooses a list item as the user does (the list's activation), which commits at once.
inline void choose(QComboBox* combo, int index)
{
    combo->setCurrentIndex(index);
    emit combo->activated(index);
    QApplication::processEvents();
}

// Clicks a button as the user does, first showing the tab it lies on.
inline void click(QAbstractButton* button)
{
    for (QWidget* w = button; w && !button->isVisible(); w = w->parentWidget()) {
        if (auto* tabs
            = qobject_cast<QTabWidget*>(w->parentWidget() ? w->parentWidget()->parentWidget() : nullptr)) {
            if (tabs->indexOf(w) >= 0)
                tabs->setCurrentWidget(w);
        }
    }
    QTest::mouseClick(button, Qt::LeftButton);
    QApplication::processEvents();
}

inline void answerUnexpectedMessages();
inline QStringList& unexpectedMessages();

// Each test starts without stored settings; a message that no script expected fails it.
inline void startTest()
{
    clearSettings();
    unexpectedMessages().clear();
    answerUnexpectedMessages();
}

inline void checkNoUnexpectedMessages()
{
    QVERIFY2(unexpectedMessages().isEmpty(), qPrintable(unexpectedMessages().join(QLatin1Char('|'))));
}

// One screen of a desktop with room for the window's designed size (the offscreen platform's own
// is 800 x 600).
constexpr const char* kDesktopScreen = R"({ "screens": [
    { "name": "desktop", "x": 0, "y": 0, "width": 1600, "height": 1000, "logicalDpi": 96 } ] })";

// The screens are those of the JSON text on the offscreen platform, at 96 DPI.
template <class Test> int runWindowTest(int argc, char** argv, const char* screens = kDesktopScreen)
{
    PrivateHome home;
    QTemporaryFile screenFile;
    if (qEnvironmentVariable("QT_QPA_PLATFORM") == QLatin1String("offscreen") && screenFile.open()) {
        screenFile.write(screens);
        screenFile.flush();
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + screenFile.fileName().toLocal8Bit());
    }
    platform::Application app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    Test test;
    return QTest::qExec(&test, argc, argv);
}

// Messages no script expected: answered with the box's escape button (as closing it would be),
// so that a test never waits on a window, and recorded for the test to check.
inline QStringList& unexpectedMessages()
{
    static QStringList list;
    return list;
}

inline void answerUnexpectedMessages()
{
    platform::setMessageAnswerer(
        [](const QString& text, platform::MessageKind, QMessageBox::StandardButtons buttons) {
            unexpectedMessages() << text;
            for (auto b : { QMessageBox::Cancel, QMessageBox::No, QMessageBox::Ok })
                if (buttons.testFlag(b))
                    return b;
            return QMessageBox::NoButton;
        });
    TFileDialog::SetAnswerer([](const TFileDialog& dialog) {
        unexpectedMessages() << QStringLiteral("file dialog ") + dialog.Title;
        return QString();
    });
}

// Answers every message box with the next answer of a list (the last one repeats) and records
// the texts asked.
class MessageScript {
public:
    explicit MessageScript(QList<QMessageBox::StandardButton> answers = { QMessageBox::Ok })
        : m_answers(std::move(answers))
    {
        platform::setMessageAnswerer(
            [this](const QString& text, platform::MessageKind, QMessageBox::StandardButtons buttons) {
                asked << text;
                const QMessageBox::StandardButton answer
                    = m_answers.isEmpty() ? QMessageBox::Ok : m_answers.value(m_next, m_answers.last());
                ++m_next;
                return buttons.testFlag(answer) ? answer : QMessageBox::Ok;
            });
    }
    ~MessageScript() { answerUnexpectedMessages(); }
    MessageScript(const MessageScript&) = delete;
    MessageScript& operator=(const MessageScript&) = delete;

    QStringList asked;

private:
    QList<QMessageBox::StandardButton> m_answers;
    int m_next = 0;
};

// Answers every file dialog with the next path of a list (an empty path is Cancel) and records
// the dialogs' titles.
class FileScript {
public:
    explicit FileScript(QStringList paths)
        : m_paths(std::move(paths))
    {
        TFileDialog::SetAnswerer([this](const TFileDialog& dialog) {
            titles << dialog.Title;
            return m_paths.isEmpty() ? QString() : m_paths.takeFirst();
        });
    }
    ~FileScript()
    {
        TFileDialog::SetAnswerer([](const TFileDialog& dialog) {
            unexpectedMessages() << QStringLiteral("file dialog ") + dialog.Title;
            return QString();
        });
    }
    FileScript(const FileScript&) = delete;
    FileScript& operator=(const FileScript&) = delete;

    QStringList titles;

private:
    QStringList m_paths;
};

// Runs a command whose file dialog is answered with the path.
inline void runWithFile(QAction* command, const QString& path)
{
    FileScript answer({ path });
    command->trigger();
}

// Saves the window's project through Save As, then writes into that file what another program
// (or damage) put there instead: the file a test then opens.
inline void saveChanged(TfrmLPMain* window, const QString& path, const std::function<void(TLPData&)>& change)
{
    runWithFile(window->ASaveAs, path);
    TLPData file;
    file.LoadFromFile(QFile::encodeName(path).toStdString());
    change(file);
    file.SaveToFile(QFile::encodeName(path).toStdString());
}

// Gives every layer row granular soil of the first class its list offers, as a user would pick
// them, and commits: the rows then take the default subgrade reactions of that soil.
inline void makeSand(TfrmLPMain* window)
{
    for (int n = 1; window->LayerPanel(n); ++n) {
        auto* material = child<QComboBox>(window, QStringLiteral("MatType") + QString::number(n));
        choose(material, material->findData(int(lpmtGranularSoil)));
        auto* uscs = child<QComboBox>(window, QStringLiteral("USCS") + QString::number(n));
        choose(uscs, 0);
    }
    window->FormToData();
}

// A concrete pile 30 ft long and 1.5 ft wide under 30 kips down and 10 kips across, in two layers
// of sand, entered as the user does.
inline void enterPile(TfrmLPMain* w)
{
    makeSand(w);
    typeAndLeave(w, w->Edit1, QStringLiteral("30"));
    typeAndLeave(w, w->Edit2, QStringLiteral("1.5"));
    typeAndLeave(w, w->Edit13, QStringLiteral("30"));
    typeAndLeave(w, w->Edit4, QStringLiteral("10"));
}

// Opens a project file through the Open command, its dialog answered and the save question
// answered No.
inline void openProject(TfrmLPMain* window, const QString& path)
{
    MessageScript no({ QMessageBox::No });
    runWithFile(window->AOpen, path);
    QApplication::processEvents();
}

#ifdef FENDRIX_DEMO_EXAMPLE_DIR
// Opens a demo example project through the Open command, its dialog answered.
inline void openDemo(TfrmLPMain* window, bool si = false)
{
    openProject(window,
        QStringLiteral(FENDRIX_DEMO_EXAMPLE_DIR "/")
            + (si ? QStringLiteral("SI UNITS DEMO EXAMPLE.fdx")
                  : QStringLiteral("ENGLISH UNITS DEMO EXAMPLE.fdx")));
}
#endif

} // namespace testing_window
