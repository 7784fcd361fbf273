#pragma once
// The update dialog: runs one update round, silently at start-up or at the user's request,
// and shows its progress.
#include "update/webupdate.h"

#include <QDialog>
#include <QMessageBox>

#include <functional>

class QFontMetrics;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

// Shortens a path or URL to maxWidth pixels by replacing leading folders with ".../", keeping
// the file name (and a URL's scheme and host as long as possible).
QString MinimizeName(const QString& fileName, const QFontMetrics& metrics, int maxWidth);

// Shows the dialog modally and returns when it has closed. parent (the main window, by default
// the active window) centres it.
void ShowCheckUpdates(bool Silent, const QString& URL, QWidget* parent = nullptr);

// How the program ends for an update. mayEnd is asked before the downloaded release is
// started: false abandons the update with nothing started (the main window asks its save
// question here, and Cancel keeps the program and the work). end runs once the release has
// started; it is not called when the start failed. Unbound, the program may end and the
// application quits at once with exit code 0.
void SetUpdateTerminateHook(std::function<bool()> mayEnd, std::function<void()> end);

class TfrmCheckUpdates : public QDialog {
    Q_OBJECT
public:
    explicit TfrmCheckUpdates(QWidget* parent = nullptr);
    ~TfrmCheckUpdates() override;

    bool Silent = false;
    TupWebUpdate* wupd = nullptr;

    QLabel* Label2 = nullptr; // status
    QLabel* Label3 = nullptr; // transfer counter
    QLabel* Label4 = nullptr; // page URL, then the file name
    QLabel* Label5 = nullptr; // current version
    QLabel* Label6 = nullptr; // new version
    QProgressBar* qxSkinProgressBar1 = nullptr;
    QPushButton* CloseBtn = nullptr;
    QTimer* Timer1 = nullptr;

    void CloseBtnClick();
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FormCreate();
    void FormShow();
    void FormClose();
    void Timer1Timer();

    void wupdUpdateAvailable(const QString& ActualVersion, const QString& NewVersion, bool& CanUpdate);
    void wupdNoUpdateFound();
    void wupdDownloadError();
    void wupdGetClientFileName(QString& FileName);
    void wupdBeforeDownload(const QString& FileName);
    void wupdDownload(qint64 Total, qint64 Downloaded);
    void wupdAfterDownload(const QString& FileName);
    void wupdAfterShowInfo(bool CheckForUpdate);
    void wupdCannotExecute();
    void wupdQueryTerminate(bool& CanTerminate);
    // The round has ended without the program ending: the status line says how, and the
    // button closes.
    void showOutcome(const QString& status);

    QMessageBox::StandardButton message(QMessageBox::Icon icon, const QString& title, const QString& text,
        QMessageBox::StandardButtons buttons);
    void setFileLabel(const QString& text);

    QString m_programVersion;
};
