#include "platform/qt/httpclient.h"

#include "platform/core/sharedlibrary.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>

// The calls go through pointers bound at run time: the header's type-checking macros would
// stand in their way.
#define CURL_DISABLE_TYPECHECK
#include <curl/curl.h>

#include <climits>
#include <cstring>
#include <functional>
#include <map>

namespace platform {

namespace {

// libcurl is opened on the first transfer, not linked: linked, it and the many libraries it
// pulls in (TLS, HTTP/2, SSH, LDAP, ...) would be loaded at every start-up for a check that
// runs once a session at most.
struct CurlLibrary {
    platform::SharedLibrary library { FENDRIX_CURL_SONAME };
    FENDRIX_LIBRARY_FUNCTION(library, curl_global_init);
    FENDRIX_LIBRARY_FUNCTION(library, curl_easy_init);
    FENDRIX_LIBRARY_FUNCTION(library, curl_easy_cleanup);
    FENDRIX_LIBRARY_FUNCTION(library, curl_easy_setopt);
    FENDRIX_LIBRARY_FUNCTION(library, curl_easy_getinfo);
    FENDRIX_LIBRARY_FUNCTION(library, curl_easy_pause);
    FENDRIX_LIBRARY_FUNCTION(library, curl_easy_strerror);
    FENDRIX_LIBRARY_FUNCTION(library, curl_slist_append);
    FENDRIX_LIBRARY_FUNCTION(library, curl_slist_free_all);
    FENDRIX_LIBRARY_FUNCTION(library, curl_multi_init);
    FENDRIX_LIBRARY_FUNCTION(library, curl_multi_cleanup);
    FENDRIX_LIBRARY_FUNCTION(library, curl_multi_setopt);
    FENDRIX_LIBRARY_FUNCTION(library, curl_multi_add_handle);
    FENDRIX_LIBRARY_FUNCTION(library, curl_multi_remove_handle);
    FENDRIX_LIBRARY_FUNCTION(library, curl_multi_socket_action);
    FENDRIX_LIBRARY_FUNCTION(library, curl_multi_info_read);
    bool initialised = library.error().empty() && curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
};

const CurlLibrary& curlLibrary()
{
    static const CurlLibrary library;
    return library;
}

} // namespace

// libcurl's multi interface driven by the event loop: a socket notifier per socket libcurl
// watches, a timer for the time-outs it asks for. The easy interface would block in its own
// poll, and window messages handled from its progress callback could close the dialog and free
// the transfer while libcurl is still on the stack; here no libcurl call is ever on the stack
// while a window message is handled.
struct HttpGet::Impl {
    const CurlLibrary& lib = curlLibrary();
    HttpGetOptions options;
    QString host;
    CURLM* multi = nullptr;
    CURL* easy = nullptr;
    curl_slist* headerList = nullptr;
    bool attached = false; // the easy handle is in the multi handle
    char errorBuffer[CURL_ERROR_SIZE] = {};
    struct Watch {
        QSocketNotifier* read = nullptr;
        QSocketNotifier* write = nullptr;
    };
    std::map<curl_socket_t, Watch> sockets;
    QTimer curlTimer;

    QEventLoop* waiting = nullptr;
    bool woken = false;
    bool aborted = false; // by abort(), or by the event loop being stopped from outside
    QString error; // the transport failure; empty while there is none

    // The response, as the head callback sees it.
    qint64 headBytes = 0; // of the current response and the interim answers before it
    QByteArray statusLine;
    QByteArray location; // of the current response; libcurl follows a 3xx that names one
    int status = 0; // of the final response, once its head has ended
    std::optional<qint64> contentLength;

    QByteArray body; // waiting for the reader
    qint64 received = 0;
    bool paused = false; // the buffer was full: libcurl holds the rest back
    bool bodyEnded = false;

    // Time spent waiting for the server, counted only while the reader waits and the transfer
    // is not paused: a question to the user opened while the reader waits holds the reader back,
    // and once the buffer is full the server cannot send more.
    QTimer watchdog;
    QElapsedTimer waitClock;
    qint64 windowWaitedMs = 0;
    qint64 windowBytes = 0;
    qint64 totalWaitedMs = 0;

    ~Impl()
    {
        detach();
        if (easy)
            lib.curl_easy_cleanup(easy);
        if (multi)
            lib.curl_multi_cleanup(multi);
        if (headerList)
            lib.curl_slist_free_all(headerList);
        for (auto& [socket, watch] : sockets) {
            delete watch.read;
            delete watch.write;
        }
    }

    void wake()
    {
        woken = true;
        if (waiting)
            waiting->quit();
    }

    bool ended() const { return aborted || !error.isEmpty() || bodyEnded; }

    void detach()
    {
        if (attached) {
            attached = false;
            lib.curl_multi_remove_handle(multi, easy);
        }
        curlTimer.stop();
        watchdog.stop();
    }

    // Outside libcurl's callbacks only; inside them a callback sets error and refuses the data.
    void fail(const QString& why)
    {
        if (ended())
            return;
        error = why;
        detach();
        wake();
    }

    void start(const QUrl& url)
    {
        if (!lib.initialised) {
            error = QStringLiteral("Cannot use libcurl: %1")
                        .arg(lib.library.error().empty() ? QStringLiteral("it does not start")
                                                         : QString::fromStdString(lib.library.error()));
            return;
        }
        host = url.host();
        multi = lib.curl_multi_init();
        easy = lib.curl_easy_init();
        if (!multi || !easy) {
            error = QStringLiteral("Cannot start a transfer.");
            return;
        }
        headerList = lib.curl_slist_append(headerList, "Cache-Control: no-cache");
        headerList = lib.curl_slist_append(headerList, "Pragma: no-cache");
        const QByteArray address = url.toEncoded();
        const QByteArray caFile = qgetenv("SSL_CERT_FILE");
        const QByteArray user = options.userName.toUtf8();
        const QByteArray password = options.password.toUtf8();
        // libcurl copies the strings it is given.
        bool ok = true;
        auto set = [&](CURLoption option, auto value) {
            ok = ok && lib.curl_easy_setopt(easy, option, value) == CURLE_OK;
        };
        set(CURLOPT_URL, address.constData());
        // Asked in HTTP/1.0, a server has to announce the body's length or end the body by
        // closing the connection; under HTTP/1.1 or HTTP/2 it may stream a release it will not
        // size, and a release without a length is refused.
        set(CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_0));
        // That version would also be the only one the TLS handshake offers ("http/1.0" as its
        // ALPN id), and servers that know h2 and http/1.1 alone refuse such a handshake. Without
        // ALPN every server takes it, and the request says HTTP/1.0 all the same.
        set(CURLOPT_SSL_ENABLE_ALPN, 0L);
        set(CURLOPT_PROTOCOLS_STR, "http,https");
        // Which of them a redirection may lead to depends on the hop it leaves: see onHead.
        set(CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
        set(CURLOPT_FOLLOWLOCATION, 1L);
        set(CURLOPT_MAXREDIRS, long(options.maxRedirects));
        set(CURLOPT_USERAGENT, options.userAgent.constData());
        set(CURLOPT_HTTPHEADER, headerList);
        set(CURLOPT_NOSIGNAL, 1L);
        // A proxy's answer to CONNECT is not the server's head.
        set(CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
        set(CURLOPT_SSL_VERIFYPEER, 1L);
        set(CURLOPT_SSL_VERIFYHOST, 2L);
        if (!caFile.isEmpty()) {
            set(CURLOPT_CAINFO, caFile.constData());
            set(CURLOPT_CAPATH, static_cast<const char*>(nullptr));
        }
        if (!user.isEmpty()) {
            set(CURLOPT_HTTPAUTH, long(CURLAUTH_BASIC));
            set(CURLOPT_USERNAME, user.constData());
            set(CURLOPT_PASSWORD, password.constData());
            // Never to a host a redirection names (libcurl's default, stated).
            set(CURLOPT_UNRESTRICTED_AUTH, 0L);
        }
        set(CURLOPT_ERRORBUFFER, errorBuffer);
        set(CURLOPT_HEADERFUNCTION, &Impl::onHead);
        set(CURLOPT_HEADERDATA, this);
        set(CURLOPT_WRITEFUNCTION, &Impl::onBody);
        set(CURLOPT_WRITEDATA, this);
        ok = ok && lib.curl_multi_setopt(multi, CURLMOPT_SOCKETFUNCTION, &Impl::onSocket) == CURLM_OK
            && lib.curl_multi_setopt(multi, CURLMOPT_SOCKETDATA, this) == CURLM_OK
            && lib.curl_multi_setopt(multi, CURLMOPT_TIMERFUNCTION, &Impl::onTimer) == CURLM_OK
            && lib.curl_multi_setopt(multi, CURLMOPT_TIMERDATA, this) == CURLM_OK;
        if (!ok) {
            error = QStringLiteral("This libcurl lacks an option the transfer needs.");
            return;
        }
        curlTimer.setSingleShot(true);
        QObject::connect(&curlTimer, &QTimer::timeout, [this] { act(CURL_SOCKET_TIMEOUT, 0); });
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [this] { checkClocks(); });
        attached = lib.curl_multi_add_handle(multi, easy) == CURLM_OK;
        if (!attached)
            error = QStringLiteral("Cannot start a transfer.");
    }

    void act(curl_socket_t socket, int events)
    {
        if (!attached)
            return;
        int running = 0;
        lib.curl_multi_socket_action(multi, socket, events, &running);
        collect();
    }

    void collect()
    {
        int left = 0;
        while (CURLMsg* message = lib.curl_multi_info_read(multi, &left)) {
            if (message->msg != CURLMSG_DONE)
                continue;
            const CURLcode result = message->data.result;
            if (result == CURLE_OK && error.isEmpty() && !aborted)
                bodyEnded = true;
            else if (error.isEmpty() && !aborted)
                error = describe(result);
            detach();
            wake();
        }
    }

    QString describe(CURLcode result) const
    {
        const QString detail = errorBuffer[0] ? QString::fromUtf8(errorBuffer).trimmed()
                                              : QString::fromUtf8(lib.curl_easy_strerror(result));
        if (result == CURLE_UNSUPPORTED_PROTOCOL)
            return QStringLiteral("Redirected to an address that is refused: %1").arg(detail);
        return detail;
    }

    // The address now answering (the last one a redirection led to) is an https one.
    bool overTls() const
    {
        const char* scheme = nullptr;
        lib.curl_easy_getinfo(easy, CURLINFO_SCHEME, &scheme);
        return scheme && qstricmp(scheme, "https") == 0;
    }

    static size_t onHead(char* data, size_t size, size_t count, void* user)
    {
        Impl& d = *static_cast<Impl*>(user);
        const size_t length = size * count;
        d.headBytes += qint64(length);
        if (d.headBytes > d.options.maxHeadBytes) {
            d.error = QStringLiteral("The server's response head is larger than %1 KB.")
                          .arg(d.options.maxHeadBytes / 1024);
            return 0;
        }
        const QByteArray line = QByteArray(data, qsizetype(length)).trimmed();
        if (line.startsWith("HTTP/")) {
            d.statusLine = line;
            d.location.clear();
        } else if (line.toLower().startsWith("location:")) {
            d.location = line.mid(9).trimmed();
        } else if (line.isEmpty()) {
            long code = 0;
            d.lib.curl_easy_getinfo(d.easy, CURLINFO_RESPONSE_CODE, &code);
            // Interim answers (100 Continue) count towards the head of the answer they precede.
            if (code >= 200) {
                d.headBytes = 0;
                const bool redirection = code >= 300 && code < 400 && !d.location.isEmpty();
                // Once on https, never back to http; a relative address keeps the scheme. (QUrl
                // gives the scheme in lower case.)
                if (redirection && d.overTls()
                    && QUrl::fromEncoded(d.location).scheme() == QLatin1String("http")) {
                    d.error = QStringLiteral("Redirected from https to an address in clear: %1")
                                  .arg(QString::fromLatin1(d.location));
                    return 0;
                }
                // A redirection's head is not the final one: libcurl follows it.
                if (!redirection) {
                    d.status = int(code);
                    curl_off_t announced = -1;
                    d.lib.curl_easy_getinfo(d.easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);
                    if (announced >= 0)
                        d.contentLength = qint64(announced);
                }
            }
        }
        d.wake();
        return length;
    }

    static size_t onBody(char* data, size_t size, size_t count, void* user)
    {
        Impl& d = *static_cast<Impl*>(user);
        const size_t length = size * count;
        if (d.ended())
            return CURL_WRITEFUNC_ERROR;
        if (d.options.maxBodyBytes >= 0 && d.received + qint64(length) > d.options.maxBodyBytes) {
            d.error = QStringLiteral("The answer is larger than %1 MB.").arg(d.options.maxBodyBytes >> 20);
            return CURL_WRITEFUNC_ERROR;
        }
        if (d.body.size() >= d.options.bufferSize) {
            d.account();
            d.paused = true;
            return CURL_WRITEFUNC_PAUSE;
        }
        d.body.append(data, qsizetype(length));
        d.received += qint64(length);
        d.windowBytes += qint64(length); // the body's bytes: a head dripping in is no progress
        d.wake();
        return length;
    }

    static int onSocket(CURL*, curl_socket_t socket, int what, void* user, void*)
    {
        Impl& d = *static_cast<Impl*>(user);
        Watch& watch = d.sockets[socket];
        d.watchFor(watch.read, socket, QSocketNotifier::Read, CURL_CSELECT_IN,
            what == CURL_POLL_IN || what == CURL_POLL_INOUT);
        d.watchFor(watch.write, socket, QSocketNotifier::Write, CURL_CSELECT_OUT,
            what == CURL_POLL_OUT || what == CURL_POLL_INOUT);
        if (what == CURL_POLL_REMOVE)
            d.sockets.erase(socket);
        return 0;
    }

    void watchFor(
        QSocketNotifier*& notifier, curl_socket_t socket, QSocketNotifier::Type type, int event, bool on)
    {
        if (on && !notifier) {
            notifier = new QSocketNotifier(socket, type);
            QObject::connect(
                notifier, &QSocketNotifier::activated, [this, socket, event] { act(socket, event); });
        }
        if (notifier && !on) {
            // Possibly inside its own signal: let the event loop delete it.
            notifier->setEnabled(false);
            notifier->disconnect();
            notifier->deleteLater();
            notifier = nullptr;
        }
    }

    static int onTimer(CURLM*, long timeoutMs, void* user)
    {
        Impl& d = *static_cast<Impl*>(user);
        if (timeoutMs < 0)
            d.curlTimer.stop();
        else
            d.curlTimer.start(int(std::min<long>(timeoutMs, INT_MAX)));
        return 0;
    }

    // The reader took from a full buffer: let libcurl go on.
    void resume()
    {
        if (!paused || !attached || body.size() >= options.bufferSize)
            return;
        account();
        paused = false;
        lib.curl_easy_pause(easy, CURLPAUSE_CONT);
        collect();
    }

    void account()
    {
        if (!waitClock.isValid())
            return;
        const qint64 elapsed = waitClock.restart();
        if (paused)
            return;
        windowWaitedMs += elapsed;
        totalWaitedMs += elapsed;
    }

    void armWatchdog()
    {
        qint64 next = LLONG_MAX;
        if (options.stallTimeoutMs > 0)
            next = options.stallTimeoutMs - windowWaitedMs;
        if (options.maxWaitMs > 0)
            next = std::min<qint64>(next, options.maxWaitMs - totalWaitedMs);
        if (next != LLONG_MAX && !ended())
            watchdog.start(int(std::max<qint64>(next, 0)));
    }

    void checkClocks()
    {
        account();
        if (ended())
            return;
        const QString seconds = QString::number(options.stallTimeoutMs / 1000.0);
        if (options.maxWaitMs > 0 && totalWaitedMs >= options.maxWaitMs) {
            fail(QStringLiteral("%1 did not complete the transfer within %2 s.")
                     .arg(host, QString::number(options.maxWaitMs / 1000.0)));
            return;
        }
        if (options.stallTimeoutMs > 0 && windowWaitedMs >= options.stallTimeoutMs) {
            if (windowBytes == 0) {
                fail(QStringLiteral("No data from %1 for %2 s.").arg(host, seconds));
                return;
            }
            if (windowBytes < options.minBytesPerStall) {
                fail(
                    QStringLiteral("%1 sent only %2 bytes in %3 s.").arg(host).arg(windowBytes).arg(seconds));
                return;
            }
            windowWaitedMs = 0;
            windowBytes = 0;
        }
        armWatchdog();
    }

    // Spins an event loop until the condition holds or the transfer ends. When something other
    // than this transfer stops the loop (the application is quitting), the transfer is aborted
    // rather than spinning on loops that return at once.
    void waitUntil(const std::function<bool()>& condition)
    {
        while (!condition() && !ended()) {
            QEventLoop loop;
            waiting = &loop;
            woken = false;
            waitClock.start();
            armWatchdog();
            loop.exec();
            account();
            waitClock.invalidate();
            watchdog.stop();
            waiting = nullptr;
            if (!woken) {
                aborted = true;
                detach();
            }
        }
    }
};

HttpGet::HttpGet(const QUrl& url, const HttpGetOptions& options)
    : m_impl(std::make_unique<Impl>())
{
    m_impl->options = options;
    m_impl->start(url);
}

HttpGet::~HttpGet() = default;

void HttpGet::waitForHeaders()
{
    m_impl->waitUntil([this] { return m_impl->status != 0; });
}

int HttpGet::status() const
{
    return m_impl->status;
}

QString HttpGet::reasonPhrase() const
{
    if (m_impl->status == 0)
        return {};
    // "HTTP/1.1 404 Not Found": what follows the code.
    const QList<QByteArray> parts = m_impl->statusLine.split(' ');
    return QString::fromLatin1(parts.mid(2).join(' ')).trimmed();
}

std::optional<qint64> HttpGet::contentLength() const
{
    return m_impl->contentLength;
}

qint64 HttpGet::read(char* data, qint64 maxSize)
{
    Impl& d = *m_impl;
    d.waitUntil([&d] { return !d.body.isEmpty(); });
    if (d.aborted || !d.error.isEmpty())
        return -1;
    if (d.body.isEmpty())
        return 0;
    const qint64 n = std::min<qint64>(maxSize, d.body.size());
    std::memcpy(data, d.body.constData(), size_t(n));
    d.body.remove(0, n);
    d.resume();
    return n;
}

bool HttpGet::cameOverTls() const
{
    return m_impl->easy && m_impl->overTls();
}

bool HttpGet::failed() const
{
    return m_impl->aborted || !m_impl->error.isEmpty();
}

QString HttpGet::errorString() const
{
    if (m_impl->aborted)
        return QStringLiteral("aborted");
    return m_impl->error;
}

void HttpGet::abort()
{
    Impl& d = *m_impl;
    d.aborted = true;
    d.detach();
    d.wake();
}

} // namespace platform
