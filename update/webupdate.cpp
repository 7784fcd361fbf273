#include "update/webupdate.h"

#include "platform/qt/httpclient.h"
#include "platform/qt/process.h"
#include "platform/qt/unzip.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QUrl>

#include <vector>

namespace {

// Handlers are copied before the call so that one may rebind or clear itself.
template <typename Handler, typename... Args> void fire(const Handler& handler, Args&&... args)
{
    if (!handler)
        return;
    const Handler copy = handler;
    copy(std::forward<Args>(args)...);
}

constexpr int kComponentVersion = 0x0101; // high byte major, low byte minor

// Removes a folder with everything in it; a symbolic link is removed, never followed.
bool removeTree(const QString& folder)
{
    const QFileInfo info(folder);
    if (info.isSymLink() || info.isFile())
        return QFile::remove(folder);
    if (!info.exists())
        return true;
    return QDir(folder).removeRecursively();
}

} // namespace

QString ClientFileNamePart(const QString& name)
{
    if (name.contains(QChar(0)))
        return {};
    const qsizetype cut = std::max(name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QLatin1Char('\\')));
    const QString part = name.mid(cut + 1);
    if (part.isEmpty() || part == QLatin1String(".") || part == QLatin1String(".."))
        return {};
    return part;
}

TupWebUpdate::TupWebUpdate(QObject* owner)
    : QObject(owner)
{
}

TupWebUpdate::~TupWebUpdate()
{
    Abort();
}

QString TupWebUpdate::Version() const
{
    return QStringLiteral("%1.%2").arg(kComponentVersion >> 8).arg(kComponentVersion & 0xFF);
}

bool TupWebUpdate::CheckForUpdate()
{
    if (m_busy)
        return false;
    m_busy = true;
    struct EndOfRound {
        bool& busy;
        ~EndOfRound() { busy = false; }
    } endOfRound { m_busy };

    DoBeforeGetInfo();
    GetInfo();
    DoAfterGetInfo();
    if (m_page.ProductName.isEmpty() || m_page.Version.isEmpty()) {
        DoDownloadError();
        m_success = false;
    }
    if (!m_success || !IsNewerVersion())
        return true;

    bool canUpdate = true;
    fire(OnUpdateAvailable, ProductInfo.Version, m_page.Version, canUpdate);
    if (!canUpdate)
        return true;
    if (!ShowInfo())
        return true;
    DownloadUpdate();
    if (!m_success)
        return true;
    if (Options & uoRunUpdate)
        RunUpdate();
    return true;
}

void TupWebUpdate::RunUpdate()
{
    if (!platform::StartProgram(m_fileName, m_page.RunParameters)) {
        // Nothing new is running: ending the program now would leave the user with nothing.
        DoCannotExecute();
        return;
    }
    if (!(Options & uoTerminate) || !QCoreApplication::instance())
        return;
    if (OnTerminate)
        fire(OnTerminate);
    else
        QCoreApplication::exit(0);
}

void TupWebUpdate::Abort()
{
    m_aborted = true;
    if (m_transfer)
        m_transfer->abort();
}

void TupWebUpdate::GetInfo()
{
    for (int redirections = 0;; ++redirections) {
        const QString url = m_page.Redirection.isEmpty() ? ProductInfo.URL() : m_page.Redirection;
        if (!DownloadFile(url, false, false))
            return;
        ParseInfo();
        if (m_page.Redirection.isEmpty())
            return;
        if (redirections == kMaxRedirections) {
            // A chain this long is a loop or a misconfigured server; start afresh next time.
            m_page = TupPageValues();
            m_success = false;
            DoDownloadError();
            return;
        }
    }
}

void TupWebUpdate::ParseInfo()
{
    m_page = ::ParseInfo(m_pageLines, TagInfo);
}

bool TupWebUpdate::IsNewerVersion()
{
    const bool newer = ::IsNewerVersion(ProductInfo.Version, m_page.Version, ProductInfo.VersionFormat);
    if (!newer)
        DoNoUpdateFound();
    return newer;
}

bool TupWebUpdate::ShowInfo()
{
    bool checkForUpdate = true;
    bool showInfo = true;
    fire(OnBeforeShowInfo, showInfo, checkForUpdate);
    if (showInfo)
        fire(OnAfterShowInfo, checkForUpdate);
    return checkForUpdate;
}

QString TupWebUpdate::GetClientFileName()
{
    const QString name = ClientFileNamePart(m_page.ClientFileName);
    if (name.isEmpty())
        return {};
    return QDir::tempPath() + QLatin1Char('/') + name;
}

void TupWebUpdate::ParseURL(const QString& URL, QString& Host, QString& Path)
{
    QString rest = URL;
    if (rest.startsWith(QLatin1String("http://"), Qt::CaseInsensitive))
        rest = rest.mid(7);
    else if (rest.startsWith(QLatin1String("https://"), Qt::CaseInsensitive))
        rest = rest.mid(8);
    const qsizetype slash = rest.indexOf(QLatin1Char('/'));
    if (slash < 0) {
        Host = rest;
        Path = QStringLiteral("/");
    } else {
        Host = rest.left(slash);
        Path = rest.mid(slash);
    }
}

void TupWebUpdate::DownloadUpdate()
{
    m_success = false;
    const QString proposed = GetClientFileName();
    if (proposed.isEmpty()) {
        DoDownloadError();
        return;
    }
    m_fileName = proposed;
    fire(OnGetClientFileName, m_fileName);
    m_success = false;
    if (ClientFileNamePart(m_fileName).isEmpty()) {
        DoDownloadError();
        return;
    }
    if (QFileInfo::exists(m_fileName)) {
        bool overwrite = bool(Options & uoOverwrite);
        fire(OnClientFileExists, m_fileName, overwrite);
        if (!overwrite) {
            DoDownloadError();
            return;
        }
    }
    DoBeforeDownload();
    if (!DownloadFile(m_page.Download, true, true))
        return;
    m_unzipFolder.clear();
    if (QFileInfo(m_fileName).suffix().toLower() == QLatin1String("zip") && !Unpack()) {
        m_success = false;
        DoDownloadError();
        return;
    }
    DoAfterDownload();
}

bool TupWebUpdate::Unpack()
{
    const QString archive = m_fileName;
    m_unzipFolder = QFileInfo(archive).absolutePath() + QStringLiteral("/BraxholmUpdate/");
    QString error;
    if (!removeTree(m_unzipFolder) || !QDir().mkpath(m_unzipFolder)
        || !platform::UnzipArchive(archive, m_unzipFolder, &error)) {
        // A refused or broken archive leaves nothing behind that could be started later.
        removeTree(m_unzipFolder);
        QFile::remove(archive);
        m_unzipFolder.clear();
        m_fileName.clear();
        return false;
    }
    m_fileName.clear();
    const QFileInfoList files = QDir(m_unzipFolder).entryInfoList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const QFileInfo& file : files) {
        const auto exec = QFileDevice::ExeOwner | QFileDevice::ExeGroup | QFileDevice::ExeOther;
        if (file.isFile() && !file.isSymLink() && (file.permissions() & exec)) {
            m_fileName = m_unzipFolder + file.fileName();
            break;
        }
    }
    return true;
}

bool TupWebUpdate::DownloadFile(const QString& URL, bool ToFile, bool RequireLength)
{
    m_aborted = false;
    m_success = false;
    m_downloaded = 0;
    auto fail = [this] {
        m_success = false;
        DoDownloadError();
        return false;
    };

    QString host;
    QString path;
    ParseURL(URL, host, path);
    // The scheme decides the transport: an https page is fetched over TLS, never in clear.
    const bool tls = URL.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
    const bool otherScheme = !tls && !URL.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)
        && URL.contains(QLatin1String("://"));
    const QUrl url((tls ? QStringLiteral("https://") : QStringLiteral("http://")) + host + path);
    if (otherScheme || host.isEmpty() || !url.isValid() || url.host().isEmpty())
        return fail();

    platform::HttpGetOptions options;
    options.userName = UserName;
    options.password = Password;
    options.userAgent = QByteArrayLiteral("TupWebUpdate");
    options.bufferSize = 4 * kChunkSize;
    platform::HttpGet transfer(url, options);
    m_transfer = &transfer;
    struct Detach {
        platform::HttpGet*& transfer;
        ~Detach() { transfer = nullptr; }
    } detach { m_transfer };

    transfer.waitForHeaders();
    if (m_aborted)
        return false;
    // Only a 2xx answer carries the resource: an error page is never saved or started.
    if (transfer.failed() || !transfer.isSuccessStatus())
        return fail();
    const qint64 limit = ToFile ? kMaxFileBytes : kMaxPageBytes;
    const std::optional<qint64> length = transfer.contentLength();
    m_total = length.value_or(0);
    if (!length && RequireLength)
        return fail();
    if (length && *length > limit)
        return fail();

    m_downloaded = 0;
    // A link in the download's place (planted in a shared temporary folder, say) would have
    // the release written wherever it points.
    if (ToFile && QFileInfo(m_fileName).isSymLink())
        return fail();
    QSaveFile file(m_fileName);
    QByteArray text;
    if (ToFile && !file.open(QIODevice::WriteOnly))
        return fail();
    std::vector<char> buffer(static_cast<size_t>(kChunkSize));
    bool broken = false;
    while (!m_aborted) {
        const qint64 n = transfer.read(buffer.data(), kChunkSize);
        if (n <= 0) {
            broken = n < 0 && !m_aborted;
            break;
        }
        // Never more than announced, nor beyond the limit when nothing was announced.
        if (m_downloaded + n > (length ? *length : limit)) {
            broken = true;
            break;
        }
        if (ToFile) {
            if (file.write(buffer.data(), n) != n) {
                broken = true;
                break;
            }
        } else {
            text.append(buffer.data(), n);
        }
        m_downloaded += n;
        DoDownload();
        QCoreApplication::processEvents();
    }
    if (m_aborted) {
        if (ToFile)
            file.cancelWriting();
        m_success = false;
        return false;
    }
    if (ToFile) {
        m_success = !broken && length && m_total == m_downloaded;
        if (m_success)
            m_success = file.commit();
        else
            file.cancelWriting();
    } else {
        m_success = !broken && m_downloaded != 0;
        m_pageLines = m_success ? SplitPageLines(QString::fromUtf8(text)) : QStringList();
    }
    if (!m_success)
        DoDownloadError();
    return m_success;
}

void TupWebUpdate::DoDownload()
{
    fire(OnDownload, m_total, m_downloaded);
}

void TupWebUpdate::DoDownloadError()
{
    fire(OnDownloadError);
}

void TupWebUpdate::DoBeforeDownload()
{
    fire(OnBeforeDownload, m_fileName);
}

void TupWebUpdate::DoAfterDownload()
{
    fire(OnAfterDownload, m_fileName);
}

void TupWebUpdate::DoNoUpdateFound()
{
    fire(OnNoUpdateFound);
}

void TupWebUpdate::DoAfterGetInfo()
{
    fire(OnAfterGetInfo);
}

void TupWebUpdate::DoBeforeGetInfo()
{
    fire(OnBeforeGetInfo);
}

void TupWebUpdate::DoCannotExecute()
{
    fire(OnCannotExecute);
}
