#include "update/checkupdates.h"

#include "model/globals.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>
#include <exception>

namespace {

struct TerminateHooks {
    std::function<bool()> mayEnd;
    std::function<void()> end;
};

TerminateHooks& terminateHooks()
{
    static TerminateHooks hooks;
    return hooks;
}

const char* const kMakerWebSite = "Braxholm";

// The texts keep their Windows line breaks; a message box wants plain ones.
QString displayText(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

// Nearest integer, halves to even.
qint64 roundEven(double value)
{
    return static_cast<qint64>(std::nearbyint(value));
}

void cutFirstDirectory(QString& dir)
{
    // The root alone has no folder left to cut; keeping it would never shorten the text.
    if (dir == QLatin1String("/")) {
        dir.clear();
        return;
    }
    const bool root = dir.startsWith(QLatin1Char('/'));
    if (root)
        dir.remove(0, 1);
    if (dir.startsWith(QLatin1String(".../")))
        dir.remove(0, 4);
    const qsizetype slash = dir.indexOf(QLatin1Char('/'));
    if (slash >= 0)
        dir = QStringLiteral(".../") + dir.mid(slash + 1);
    else
        dir.clear();
    if (root)
        dir.prepend(QLatin1Char('/'));
}

} // namespace

QString MinimizeName(const QString& fileName, const QFontMetrics& metrics, int maxWidth)
{
    QString result = fileName;
    if (metrics.horizontalAdvance(result) <= maxWidth)
        return result;
    // A URL's scheme and host play the part of a drive.
    QString drive;
    qsizetype folderStart = 0;
    const qsizetype scheme = fileName.indexOf(QLatin1String("://"));
    if (scheme > 0) {
        qsizetype hostEnd = fileName.indexOf(QLatin1Char('/'), scheme + 3);
        if (hostEnd < 0)
            hostEnd = fileName.size();
        drive = fileName.left(hostEnd);
        folderStart = hostEnd;
    }
    const QString rest = fileName.mid(folderStart);
    const qsizetype lastSlash = rest.lastIndexOf(QLatin1Char('/'));
    QString dir = rest.left(lastSlash + 1);
    const QString name = rest.mid(lastSlash + 1);
    while ((!dir.isEmpty() || !drive.isEmpty()) && metrics.horizontalAdvance(result) > maxWidth) {
        // A host with a file right below it: nothing but the host is left to give up.
        if (dir == QLatin1String("/.../") || (dir == QLatin1String("/") && !drive.isEmpty())) {
            drive.clear();
            dir = QStringLiteral(".../");
        } else if (dir.isEmpty()) {
            drive.clear();
        } else {
            cutFirstDirectory(dir);
        }
        result = drive + dir + name;
    }
    return result;
}

void SetUpdateTerminateHook(std::function<bool()> mayEnd, std::function<void()> end)
{
    terminateHooks() = { std::move(mayEnd), std::move(end) };
}

void ShowCheckUpdates(bool Silent, const QString& URL, QWidget* parent)
{
    // Owned here rather than deleting itself on close: the dialog may close from inside the
    // client's transfer loop, which must unwind before the client goes away.
    TfrmCheckUpdates dialog(parent ? parent : QApplication::activeWindow());
    dialog.Silent = Silent;
    dialog.wupd->ProductInfo.setURL(URL);
    dialog.exec();
}

TfrmCheckUpdates::TfrmCheckUpdates(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmCheckUpdates"));
    setWindowTitle(QStringLiteral("Check for updates"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* header = new QFrame(this);
    header->setObjectName(QStringLiteral("HeaderPanel"));
    header->setAutoFillBackground(true);
    QPalette band = header->palette();
    band.setColor(QPalette::Window, QColor(0, 0, 128));
    band.setColor(QPalette::WindowText, Qt::white);
    header->setPalette(band);
    auto* headerLayout = new QHBoxLayout(header);
    auto* image = new QLabel(header);
    image->setObjectName(QStringLiteral("Image1"));
    image->setPixmap(style()->standardIcon(QStyle::SP_BrowserReload).pixmap(32, 32));
    auto* title = new QLabel(QStringLiteral("Check for updates"), header);
    title->setObjectName(QStringLiteral("Label1"));
    QFont titleFont = title->font();
    titleFont.setBold(true);
    titleFont.setPointSize(titleFont.pointSize() + 4);
    title->setFont(titleFont);
    headerLayout->addWidget(image);
    headerLayout->addWidget(title, 1);
    // The band keeps its height when the progress bar takes its room below.
    header->setFixedHeight(header->sizeHint().height());

    auto makeLabel = [this](const char* name, const QString& text) {
        auto* label = new QLabel(text, this);
        label->setObjectName(QLatin1String(name));
        return label;
    };
    Label2 = makeLabel("Label2", QStringLiteral("Checking..."));
    Label3 = makeLabel("Label3", QStringLiteral("0 / 0 KB"));
    Label3->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label3->hide();
    Label4 = makeLabel("Label4", QString());
    Label4->setFixedWidth(340);
    Label5 = makeLabel("Label5", QString());
    Label6 = makeLabel("Label6", QString());
    Label6->hide();
    qxSkinProgressBar1 = new QProgressBar(this);
    qxSkinProgressBar1->setObjectName(QStringLiteral("qxSkinProgressBar1"));
    qxSkinProgressBar1->setRange(0, 100);
    qxSkinProgressBar1->setValue(0);
    qxSkinProgressBar1->setTextVisible(false);
    qxSkinProgressBar1->hide();
    CloseBtn = new QPushButton(QStringLiteral("&Cancel"), this);
    CloseBtn->setObjectName(QStringLiteral("CloseBtn"));
    CloseBtn->setAutoDefault(false);
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(500);

    auto* statusRow = new QHBoxLayout;
    statusRow->addWidget(Label2, 1);
    statusRow->addWidget(Label3);
    auto* body = new QVBoxLayout;
    body->setContentsMargins(12, 8, 12, 8);
    body->addLayout(statusRow);
    body->addWidget(Label4);
    body->addWidget(qxSkinProgressBar1);
    body->addWidget(Label5);
    body->addWidget(Label6);
    body->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(CloseBtn);
    body->addLayout(buttons);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(header);
    outer->addLayout(body);
    // Room for the labels that appear later, so the dialog never changes size.
    Label6->setMinimumHeight(Label5->sizeHint().height());
    setFixedSize(
        QSize(380, sizeHint().height() + qxSkinProgressBar1->sizeHint().height() + Label6->minimumHeight()));

    connect(CloseBtn, &QPushButton::clicked, this, &TfrmCheckUpdates::CloseBtnClick);
    connect(Timer1, &QTimer::timeout, this, &TfrmCheckUpdates::Timer1Timer);
    FormCreate();
}

TfrmCheckUpdates::~TfrmCheckUpdates()
{
    if (wupd)
        wupd->Abort();
}

void TfrmCheckUpdates::FormCreate()
{
    Silent = false;
    wupd = new TupWebUpdate(this);
    wupd->setObjectName(QStringLiteral("wupd"));
    wupd->Options = TupUpdateOptions(uoRunUpdate) | uoTerminate | uoOverwrite;
    wupd->OnUpdateAvailable
        = [this](const QString& a, const QString& n, bool& c) { wupdUpdateAvailable(a, n, c); };
    wupd->OnNoUpdateFound = [this] { wupdNoUpdateFound(); };
    wupd->OnDownloadError = [this] { wupdDownloadError(); };
    wupd->OnGetClientFileName = [this](QString& f) { wupdGetClientFileName(f); };
    wupd->OnBeforeDownload = [this](const QString& f) { wupdBeforeDownload(f); };
    wupd->OnDownload = [this](qint64 t, qint64 d) { wupdDownload(t, d); };
    wupd->OnAfterDownload = [this](const QString& f) { wupdAfterDownload(f); };
    wupd->OnAfterShowInfo = [this](bool c) { wupdAfterShowInfo(c); };
    wupd->OnCannotExecute = [this] { wupdCannotExecute(); };
    wupd->OnBeforeGetInfo = [] {};
    wupd->OnQueryTerminate = [this](bool& c) { wupdQueryTerminate(c); };
    wupd->OnTerminate = terminateHooks().end;
}

void TfrmCheckUpdates::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfrmCheckUpdates::FormShow()
{
    setFileLabel(wupd->ProductInfo.URL());
    try {
        m_programVersion = QString::fromStdString(GetAppVersionString());
    } catch (const std::exception&) {
        m_programVersion.clear();
    }
    Label5->setText(QStringLiteral("Current version: %1").arg(m_programVersion));
    Timer1->start();
}

void TfrmCheckUpdates::Timer1Timer()
{
    Timer1->stop();
    try {
        wupd->ProductInfo.Version = QString::fromStdString(GetAppVersionString());
    } catch (const std::exception& e) {
        // Without its own version the program cannot tell whether an update is newer.
        if (!Silent)
            message(
                QMessageBox::Critical, QStringLiteral("Error"), QString::fromUtf8(e.what()), QMessageBox::Ok);
        close();
        return;
    }
    wupd->CheckForUpdate();
}

void TfrmCheckUpdates::CloseBtnClick()
{
    if (wupd->Busy()
        && message(QMessageBox::Question, QStringLiteral("Confirm"),
               QStringLiteral("Are you sure you want to abort downloading?"),
               QMessageBox::Yes | QMessageBox::No)
            != QMessageBox::Yes)
        return;
    wupd->OnDownloadError = nullptr;
    wupd->Abort();
    close();
}

void TfrmCheckUpdates::FormClose()
{
    Timer1->stop();
    // Closed by the user (title bar, or any other way): the stopped round is not an error.
    wupd->OnDownloadError = nullptr;
    wupd->Abort();
}

void TfrmCheckUpdates::closeEvent(QCloseEvent* event)
{
    FormClose();
    QDialog::closeEvent(event);
}

void TfrmCheckUpdates::keyPressEvent(QKeyEvent* event)
{
    // Escape works like the button, question included.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        CloseBtnClick();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfrmCheckUpdates::done(int result)
{
    FormClose();
    QDialog::done(result);
}

QMessageBox::StandardButton TfrmCheckUpdates::message(
    QMessageBox::Icon icon, const QString& title, const QString& text, QMessageBox::StandardButtons buttons)
{
    QMessageBox box(icon, title, displayText(text), buttons, this);
    box.setObjectName(QStringLiteral("UpdateMessage"));
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void TfrmCheckUpdates::setFileLabel(const QString& text)
{
    Label4->setText(MinimizeName(text, Label4->fontMetrics(), Label4->width()));
    Label4->setToolTip(text);
}

void TfrmCheckUpdates::wupdUpdateAvailable(
    const QString& ActualVersion, const QString& NewVersion, bool& CanUpdate)
{
    Q_UNUSED(ActualVersion);
    Label6->setText(QStringLiteral("New version: %1").arg(NewVersion));
    Label6->show();
    if (NewVersion.left(2) != m_programVersion.left(2)) {
        CanUpdate = false;
        message(QMessageBox::Warning, QStringLiteral("Warning"),
            QStringLiteral("There is new major version of software available.\r\n"
                           "Major updates are not free. Please visit our website for more information."),
            QMessageBox::Ok);
        wupd->Abort();
        close();
        return;
    }
    const QString question
        = QStringLiteral("There is new version of software available for \r\ndownload at the ")
        + QLatin1String(kMakerWebSite)
        + QStringLiteral(" website.\r\n\r\rDo you want to install new version? "
                         "Program will be restarted.");
    CanUpdate = message(QMessageBox::Warning, QStringLiteral("Warning"), question,
                    QMessageBox::Yes | QMessageBox::No)
        == QMessageBox::Yes;
    if (!CanUpdate) {
        wupd->Abort();
        close();
    }
}

void TfrmCheckUpdates::wupdNoUpdateFound()
{
    if (Silent) {
        close();
        return;
    }
    Label6->setText(QStringLiteral("You have the latest version"));
    Label6->show();
    CloseBtn->setText(QStringLiteral("&Close"));
}

void TfrmCheckUpdates::wupdDownloadError()
{
    wupd->OnDownloadError = nullptr;
    if (Silent) {
        close();
        return;
    }
    const QString text = QStringLiteral("Error accessing data from the web!");
    showOutcome(text);
    message(QMessageBox::Critical, QStringLiteral("Error"),
        wupd->ErrorReason().isEmpty() ? text : text + QLatin1Char('\n') + wupd->ErrorReason(),
        QMessageBox::Ok);
}

void TfrmCheckUpdates::wupdGetClientFileName(QString& FileName)
{
    const QString dataPath = QString::fromStdString(GetUserDataPath());
    if (dataPath.isEmpty())
        return; // no application-data folder: keep the temporary folder
    const QString folder = QDir(dataPath).filePath(QStringLiteral("Update"));
    QDir().mkpath(folder);
    const QString name = ClientFileNamePart(FileName);
    FileName = name.isEmpty() ? QString() : folder + QLatin1Char('/') + name;
}

void TfrmCheckUpdates::wupdBeforeDownload(const QString& FileName)
{
    Label2->setText(QStringLiteral("Downloading..."));
    setFileLabel(FileName);
    Label3->show();
    qxSkinProgressBar1->show();
}

void TfrmCheckUpdates::wupdDownload(qint64 Total, qint64 Downloaded)
{
    Label3->setText(QStringLiteral("%1 / %2 KB")
                        .arg(roundEven(double(Downloaded) / 1024.0))
                        .arg(roundEven(double(Total) / 1024.0)));
    if (Total != 0)
        qxSkinProgressBar1->setValue(int(roundEven(double(Downloaded) / double(Total) * 100.0)));
    repaint();
    QCoreApplication::processEvents();
}

void TfrmCheckUpdates::wupdAfterDownload(const QString& FileName)
{
    Q_UNUSED(FileName);
    Label3->hide();
    qxSkinProgressBar1->hide();
}

void TfrmCheckUpdates::wupdAfterShowInfo(bool CheckForUpdate)
{
    if (!CheckForUpdate)
        close();
}

void TfrmCheckUpdates::wupdQueryTerminate(bool& CanTerminate)
{
    const std::function<bool()> mayEnd = terminateHooks().mayEnd;
    CanTerminate = !mayEnd || mayEnd();
    if (!CanTerminate)
        showOutcome(QStringLiteral("Update abandoned: nothing was started."));
}

void TfrmCheckUpdates::showOutcome(const QString& status)
{
    Label2->setText(status);
    Label3->hide();
    qxSkinProgressBar1->hide();
    CloseBtn->setText(QStringLiteral("&Close"));
}

void TfrmCheckUpdates::wupdCannotExecute()
{
    showOutcome(QStringLiteral("Error executing downloaded file!"));
    message(QMessageBox::Critical, QStringLiteral("Error"),
        QStringLiteral("Error executing downloaded file!"), QMessageBox::Ok);
}
