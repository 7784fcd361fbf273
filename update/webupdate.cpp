#include "update/webupdate.h"

#include "platform/core/scopeexit.h"
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

// Removes a folder with everything in it; a symbolic link is removed, never followed. The
// path must not end in a slash, which would make the checks follow a link.
bool removeTree(const QString& folder)
{
    const QFileInfo info(folder);
    if (info.isSymLink() || info.isFile())
        return QFile::remove(folder);
    if (!info.exists())
        return true;
    return QDir(folder).removeRecursively();
}

bool isSecureURL(const QString& URL)
{
    return URL.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
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
    m_errorReason.clear();
    const platform::ScopeExit endOfRound([this] { m_busy = false; });

    DoBeforeGetInfo();
    GetInfo();
    DoAfterGetInfo();
    // A page that could not be read has reported its error already.
    if (m_success && (m_page.ProductName.isEmpty() || m_page.Version.isEmpty()))
        fail(QStringLiteral("The update page names no product or no version."));
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
    const bool terminate = (Options & uoTerminate) && QCoreApplication::instance();
    if (terminate) {
        // Asked before anything starts: once the new version runs, "not now" would leave two.
        bool canTerminate = true;
        fire(OnQueryTerminate, canTerminate);
        if (!canTerminate)
            return;
    }
    if (!platform::StartProgram(m_fileName, m_page.RunParameters)) {
        // Nothing new is running: ending the program now would leave the user with nothing.
        DoCannotExecute();
        return;
    }
    if (!terminate)
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
        const bool redirected = !m_page.Redirection.isEmpty();
        const QString url = redirected ? m_page.Redirection : ProductInfo.URL();
        if (redirected && !securedByPage(url)) {
            m_page = TupPageValues();
            return;
        }
        if (!DownloadFile(url, false, false))
            return;
        ParseInfo();
        if (m_page.Redirection.isEmpty())
            return;
        if (redirections == kMaxRedirections) {
            // A chain this long is a loop or a misconfigured server; start afresh next time.
            m_page = TupPageValues();
            fail(QStringLiteral("The update pages redirect more than %1 times.").arg(kMaxRedirections));
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
        fail(QStringLiteral("The update page names no usable file name."));
        return;
    }
    m_fileName = proposed;
    fire(OnGetClientFileName, m_fileName);
    m_success = false;
    if (ClientFileNamePart(m_fileName).isEmpty()) {
        fail(QStringLiteral("The update page names no usable file name."));
        return;
    }
    if (QFileInfo::exists(m_fileName)) {
        bool overwrite = bool(Options & uoOverwrite);
        fire(OnClientFileExists, m_fileName, overwrite);
        if (!overwrite) {
            fail(QStringLiteral("%1 exists and may not be replaced.").arg(m_fileName));
            return;
        }
    }
    if (!securedByPage(m_page.Download))
        return;
    DoBeforeDownload();
    if (!DownloadFile(m_page.Download, true, true))
        return;
    m_unzipFolder.clear();
    QString reason;
    if (QFileInfo(m_fileName).suffix().toLower() == QLatin1String("zip") && !Unpack(reason)) {
        fail(reason);
        return;
    }
    DoAfterDownload();
}

bool TupWebUpdate::Unpack(QString& reason)
{
    const QString archive = m_fileName;
    const QString folder = QFileInfo(archive).absolutePath() + QStringLiteral("/BraxholmUpdate");
    m_fileName.clear();
    // The folder may lie in a temporary folder shared with other users, who can plant a link
    // in its place: emptying or filling it would then reach wherever the link points.
    if (QFileInfo(folder).isSymLink()) {
        QFile::remove(archive);
        reason = QStringLiteral("%1 is a symbolic link.").arg(folder);
        return false;
    }
    platform::UnzipLimits limits;
    limits.maxTotalSize = kMaxFileBytes;
    bool created = false;
    if (!removeTree(folder))
        reason = QStringLiteral("Cannot remove the earlier %1.").arg(folder);
    // mkdir, not mkpath: whatever appeared there meanwhile (a link) makes it fail.
    else if (!(created = QDir().mkdir(folder)))
        reason = QStringLiteral("Cannot create %1.").arg(folder);
    else if (!platform::UnzipArchive(archive, folder, &reason, limits))
        reason = QStringLiteral("The archive is refused: %1.").arg(reason);
    if (!reason.isEmpty()) {
        // A refused or broken archive leaves nothing behind that could be started later.
        if (created)
            removeTree(folder);
        QFile::remove(archive);
        return false;
    }
    m_unzipFolder = folder + QLatin1Char('/');
    const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files | QDir::Hidden, QDir::Name);
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

    QString host;
    QString path;
    ParseURL(URL, host, path);
    // The scheme decides the transport: an https page is fetched over TLS, never in clear.
    const bool tls = isSecureURL(URL);
    const bool otherScheme = !tls && !URL.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)
        && URL.contains(QLatin1String("://"));
    const QUrl url((tls ? QStringLiteral("https://") : QStringLiteral("http://")) + host + path);
    if (otherScheme || host.isEmpty() || !url.isValid() || url.host().isEmpty())
        return fail(QStringLiteral("Not a web address: %1").arg(URL));

    platform::HttpGetOptions options;
    options.userName = UserName;
    options.password = Password;
    options.userAgent = QByteArrayLiteral("TupWebUpdate");
    options.bufferSize = 4 * kChunkSize;
    options.maxRedirects = kMaxRedirections;
    options.maxBodyBytes = ToFile ? kMaxFileBytes : kMaxPageBytes;
    options.stallTimeoutMs = StallTimeoutMs;
    options.minBytesPerStall = ToFile ? kMinBytesPerStall : 1;
    options.maxWaitMs = ToFile ? 0 : PageTimeoutMs;
    platform::HttpGet transfer(url, options);
    m_transfer = &transfer;
    const platform::ScopeExit detach([this] { m_transfer = nullptr; });

    transfer.waitForHeaders();
    if (m_aborted)
        return false;
    if (transfer.failed())
        return fail(transfer.errorString());
    // Only a 2xx answer carries the resource: an error page is never saved or started.
    if (!transfer.isSuccessStatus())
        return fail(
            QStringLiteral("HTTP %1 %2").arg(transfer.status()).arg(transfer.reasonPhrase()).trimmed());
    const qint64 limit = options.maxBodyBytes;
    const std::optional<qint64> length = transfer.contentLength();
    m_total = length.value_or(0);
    const QString tooLarge
        = QStringLiteral("%1 is larger than %2 MB.").arg(url.toDisplayString()).arg(limit >> 20);
    const QString noLength
        = QStringLiteral("The server did not announce the length of %1.").arg(url.toDisplayString());
    if (!length && RequireLength)
        return fail(noLength);
    if (length && *length > limit)
        return fail(tooLarge);

    m_downloaded = 0;
    // A link in the download's place (planted in a shared temporary folder, say) would have
    // the release written wherever it points.
    if (ToFile && QFileInfo(m_fileName).isSymLink())
        return fail(QStringLiteral("%1 is a symbolic link.").arg(m_fileName));
    QSaveFile file(m_fileName);
    QByteArray text;
    const QString cannotWrite = QStringLiteral("Cannot write %1: %2");
    if (ToFile && !file.open(QIODevice::WriteOnly))
        return fail(cannotWrite.arg(m_fileName, file.errorString()));
    std::vector<char> buffer(static_cast<size_t>(kChunkSize));
    QString broken;
    while (!m_aborted) {
        const qint64 n = transfer.read(buffer.data(), kChunkSize);
        if (n <= 0) {
            if (n < 0 && !m_aborted)
                broken = transfer.errorString();
            break;
        }
        if (ToFile) {
            if (file.write(buffer.data(), n) != n) {
                broken = cannotWrite.arg(m_fileName, file.errorString());
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
        if (broken.isEmpty() && !length)
            broken = noLength;
        if (broken.isEmpty() && m_total != m_downloaded)
            broken
                = QStringLiteral("The transfer ended after %1 of %2 bytes.").arg(m_downloaded).arg(m_total);
        if (broken.isEmpty() && !file.commit())
            broken = cannotWrite.arg(m_fileName, file.errorString());
        if (!broken.isEmpty())
            file.cancelWriting();
    } else {
        if (broken.isEmpty() && m_downloaded == 0)
            broken = QStringLiteral("The update page is empty.");
        m_pageLines = broken.isEmpty() ? SplitPageLines(QString::fromUtf8(text)) : QStringList();
        // Where it came from in the end: an http address redirected to an https one gives an
        // https page, which names only https addresses like any other.
        m_pageSecure = transfer.cameOverTls();
    }
    if (!broken.isEmpty())
        return fail(broken);
    m_success = true;
    return true;
}

bool TupWebUpdate::securedByPage(const QString& URL)
{
    if (!m_pageSecure || isSecureURL(URL))
        return true;
    return fail(
        QStringLiteral("The update page came over https but names the insecure address %1.").arg(URL));
}

bool TupWebUpdate::fail(const QString& reason)
{
    m_success = false;
    m_errorReason = reason;
    DoDownloadError();
    return false;
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
