#include "platform/qt/httpclient.h"

#include <QEventLoop>
#include <QSslError>
#include <QSslSocket>
#include <QTimer>

#include <cstring>
#include <functional>

namespace platform {

namespace {

// A chunk-size line is a few hex digits and perhaps an extension; anything longer is noise.
constexpr qsizetype kMaxChunkLine = 1024;

bool isSecure(const QUrl& url)
{
    return url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
}

bool isRedirection(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// A decimal Content-Length; nothing else (no sign, no blanks inside).
std::optional<qint64> parseLength(const QByteArray& text)
{
    if (text.isEmpty() || text.size() > 18)
        return std::nullopt;
    qint64 value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::optional<qint64> parseChunkSize(QByteArray line)
{
    const qsizetype extension = line.indexOf(';');
    if (extension >= 0)
        line.truncate(extension);
    line = line.trimmed();
    if (line.isEmpty() || line.size() > 15)
        return std::nullopt;
    bool ok = false;
    const qint64 size = line.toLongLong(&ok, 16);
    if (!ok || size < 0)
        return std::nullopt;
    return size;
}

} // namespace

struct HttpGet::Impl {
    HttpGetOptions options;
    QUrl url;
    QSslSocket* socket = nullptr;
    QTimer stallTimer;
    QEventLoop* waiting = nullptr;
    bool woken = false;

    bool aborted = false; // by abort(), or by the event loop being stopped from outside
    QString error; // the transport failure; empty while there is none
    int redirects = 0;
    bool authAnswered = false;
    QByteArray authorization;
    bool socketClosed = false;

    // The response being read.
    QByteArray head;
    bool headDone = false;
    int status = 0;
    QByteArray reason;
    QList<QPair<QByteArray, QByteArray>> headers;
    std::optional<qint64> contentLength;
    bool chunked = false;

    // The body: decoded bytes waiting for the reader, and how its framing stands.
    QByteArray body;
    bool bodyEnded = false;
    qint64 left = 0; // bytes still to come of a Content-Length body, or of the current chunk
    enum class ChunkState { Size, Data, DataEnd, Trailer } chunkState = ChunkState::Size;
    QByteArray line; // a chunk-size or trailer line being read
    qint64 trailerBytes = 0;

    void wake()
    {
        woken = true;
        if (waiting)
            waiting->quit();
    }

    bool ended() const { return aborted || !error.isEmpty() || bodyEnded; }
    bool headersIn() const { return ended() || headDone; }

    void fail(const QString& why)
    {
        if (error.isEmpty() && !aborted)
            error = why;
        stallTimer.stop();
        if (socket)
            socket->abort();
        wake();
    }

    void progress()
    {
        if (options.stallTimeoutMs > 0 && !ended())
            stallTimer.start(options.stallTimeoutMs);
    }

    QByteArray header(const QByteArray& name) const
    {
        QByteArray value;
        for (const auto& [key, v] : headers) {
            if (key.compare(name, Qt::CaseInsensitive) == 0)
                value = v;
        }
        return value;
    }

    void dropSocket()
    {
        if (!socket)
            return;
        socket->disconnect();
        socket->abort();
        // Possibly inside one of its own signals: let the event loop delete it.
        socket->deleteLater();
        socket = nullptr;
    }

    void start(const QUrl& target)
    {
        dropSocket();
        url = target;
        head.clear();
        headDone = false;
        status = 0;
        reason.clear();
        headers.clear();
        contentLength.reset();
        chunked = false;
        socketClosed = false;

        const bool tls = isSecure(url);
        if (tls && !QSslSocket::supportsSsl()) {
            fail(QStringLiteral("TLS is not available on this system."));
            return;
        }
        socket = new QSslSocket;
        socket->setReadBufferSize(options.bufferSize);
        QObject::connect(socket, &QSslSocket::connected, [this, tls] {
            progress();
            if (!tls)
                sendRequest();
        });
        QObject::connect(socket, &QSslSocket::encrypted, [this] {
            progress();
            sendRequest();
        });
        QObject::connect(socket, &QSslSocket::readyRead, [this] {
            progress();
            pump();
            wake();
        });
        QObject::connect(socket, &QSslSocket::disconnected, [this] {
            socketClosed = true;
            pump();
            wake();
        });
        QObject::connect(socket, &QSslSocket::errorOccurred, [this](QAbstractSocket::SocketError code) {
            if (code == QAbstractSocket::RemoteHostClosedError) {
                socketClosed = true;
                pump();
            } else {
                fail(QStringLiteral("%1: %2").arg(url.host(), socket->errorString()));
            }
            wake();
        });
        const quint16 port = quint16(url.port(tls ? 443 : 80));
        if (tls)
            socket->connectToHostEncrypted(url.host(), port);
        else
            socket->connectToHost(url.host(), port);
    }

    void sendRequest()
    {
        QByteArray target = url.path(QUrl::FullyEncoded).toLatin1();
        if (target.isEmpty())
            target = "/";
        if (url.hasQuery())
            target += '?' + url.query(QUrl::FullyEncoded).toLatin1();
        QByteArray host = url.host(QUrl::FullyEncoded).toLatin1();
        if (host.contains(':'))
            host = '[' + host + ']';
        if (url.port() != -1 && url.port() != (isSecure(url) ? 443 : 80))
            host += ':' + QByteArray::number(url.port());
        QByteArray request = "GET " + target + " HTTP/1.1\r\nHost: " + host + "\r\n";
        if (!options.userAgent.isEmpty())
            request += "User-Agent: " + options.userAgent + "\r\n";
        request += "Accept: */*\r\n"
                   // The length the server announces must be the number of bytes we receive.
                   "Accept-Encoding: identity\r\n"
                   "Cache-Control: no-cache\r\n"
                   "Pragma: no-cache\r\n"
                   "Connection: close\r\n";
        if (!authorization.isEmpty())
            request += "Authorization: " + authorization + "\r\n";
        request += "\r\n";
        socket->write(request);
    }

    // Takes what the socket holds as far as the head's bound and the body buffer allow.
    void pump()
    {
        while (socket && !ended()) {
            if (!headDone) {
                const qsizetype room = options.maxHeadBytes + 4 - head.size();
                const QByteArray piece = socket->read(std::max<qsizetype>(room, 1));
                if (piece.isEmpty())
                    break;
                head += piece;
                if (!readHead())
                    return;
                continue;
            }
            const qint64 room = options.bufferSize - body.size();
            if (room <= 0)
                return;
            const QByteArray piece = socket->read(room);
            if (piece.isEmpty())
                break;
            decode(piece);
        }
        if (socket && socketClosed && socket->bytesAvailable() == 0 && !ended())
            closed();
    }

    // Looks for the end of the head in what has arrived. False when the transfer took another
    // turn (failed, restarted for a redirection or a credential).
    bool readHead()
    {
        qsizetype end = head.indexOf("\r\n\r\n");
        qsizetype bodyStart = end + 4;
        const qsizetype bare = head.indexOf("\n\n");
        if (bare >= 0 && (end < 0 || bare < end)) {
            end = bare;
            bodyStart = bare + 2;
        }
        if (end < 0 || end > options.maxHeadBytes) {
            if (head.size() > options.maxHeadBytes) {
                fail(QStringLiteral("The server's response head is larger than %1 KB.")
                         .arg(options.maxHeadBytes / 1024));
                return false;
            }
            return true;
        }
        const QByteArray rest = head.mid(bodyStart);
        QList<QByteArray> lines = head.left(end).split('\n');
        for (QByteArray& l : lines) {
            if (l.endsWith('\r'))
                l.chop(1);
        }
        const QList<QByteArray> statusLine = lines.value(0).split(' ');
        bool ok = false;
        status = statusLine.size() >= 2 ? statusLine[1].toInt(&ok) : 0;
        if (!statusLine.value(0).startsWith("HTTP/") || !ok || status < 100 || status > 999) {
            fail(QStringLiteral("The server's answer is not HTTP."));
            return false;
        }
        reason = lines.value(0).mid(lines.value(0).indexOf(' ', statusLine[0].size() + 1) + 1);
        if (statusLine.size() < 3)
            reason.clear();
        headers.clear();
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const qsizetype colon = lines[i].indexOf(':');
            if (colon > 0)
                headers << qMakePair(lines[i].left(colon).trimmed(), lines[i].mid(colon + 1).trimmed());
        }
        if (status < 200) {
            // An interim answer ("100 Continue"): the real one follows.
            head = rest;
            return readHead();
        }
        return finishHead(rest);
    }

    bool finishHead(const QByteArray& rest)
    {
        const QByteArray location = header("Location");
        if (isRedirection(status) && !location.isEmpty()) {
            if (++redirects > options.maxRedirects) {
                fail(QStringLiteral("Too many redirections."));
                return false;
            }
            const QUrl next = url.resolved(QUrl::fromEncoded(location));
            const QString scheme = next.scheme().toLower();
            if ((scheme != QLatin1String("http") && scheme != QLatin1String("https"))
                || next.host().isEmpty()) {
                fail(QStringLiteral("Redirected to an address that is not a web page: %1")
                         .arg(next.toString()));
                return false;
            }
            if (isSecure(url) && !isSecure(next)) {
                fail(QStringLiteral("Redirected from a secure to an insecure address: %1")
                         .arg(next.toString()));
                return false;
            }
            start(next);
            return false;
        }
        // One answer to a challenge only: wrong credentials end in the 401 instead of a loop.
        if (status == 401 && !options.userName.isEmpty() && !authAnswered
            && header("WWW-Authenticate").trimmed().toLower().startsWith("basic")) {
            authAnswered = true;
            authorization
                = "Basic " + (options.userName + QLatin1Char(':') + options.password).toUtf8().toBase64();
            start(url);
            return false;
        }

        chunked = header("Transfer-Encoding").toLower().contains("chunked");
        if (!chunked && !header("Content-Length").isEmpty()) {
            contentLength = parseLength(header("Content-Length"));
            if (!contentLength) {
                fail(QStringLiteral("The server announced an invalid length."));
                return false;
            }
        }
        headDone = true;
        head.clear();
        if (status == 204 || status == 304 || (contentLength && *contentLength == 0)) {
            bodyEnded = true;
            dropSocket();
            return false;
        }
        left = contentLength.value_or(0);
        chunkState = ChunkState::Size;
        if (!rest.isEmpty())
            decode(rest);
        return !ended();
    }

    void decode(const QByteArray& piece)
    {
        if (!chunked) {
            if (!contentLength) {
                body += piece;
                return;
            }
            // Whatever follows the announced length is not part of the body.
            const qint64 n = std::min<qint64>(left, piece.size());
            body += piece.left(n);
            left -= n;
            if (left == 0) {
                bodyEnded = true;
                dropSocket();
            }
            return;
        }
        qsizetype at = 0;
        while (at < piece.size() && !ended()) {
            if (chunkState == ChunkState::Data) {
                const qint64 n = std::min<qint64>(left, piece.size() - at);
                body += piece.mid(at, n);
                at += n;
                left -= n;
                if (left == 0)
                    chunkState = ChunkState::DataEnd;
                continue;
            }
            const qsizetype newline = piece.indexOf('\n', at);
            const qsizetype take = (newline < 0 ? piece.size() : newline + 1) - at;
            line += piece.mid(at, take);
            at += take;
            if (chunkState == ChunkState::Trailer)
                trailerBytes += take;
            if (line.size() > kMaxChunkLine || trailerBytes > options.maxHeadBytes) {
                fail(QStringLiteral("The server's chunked body is malformed."));
                return;
            }
            if (newline < 0)
                return;
            const QByteArray text = line.trimmed();
            line.clear();
            switch (chunkState) {
            case ChunkState::Size: {
                const std::optional<qint64> size = parseChunkSize(text);
                if (!size) {
                    fail(QStringLiteral("The server's chunked body is malformed."));
                    return;
                }
                left = *size;
                chunkState = left == 0 ? ChunkState::Trailer : ChunkState::Data;
                break;
            }
            case ChunkState::DataEnd:
                if (!text.isEmpty()) {
                    fail(QStringLiteral("The server's chunked body is malformed."));
                    return;
                }
                chunkState = ChunkState::Size;
                break;
            case ChunkState::Trailer:
                if (text.isEmpty()) {
                    bodyEnded = true;
                    dropSocket();
                    return;
                }
                break;
            case ChunkState::Data:
                break;
            }
        }
    }

    // The server closed the connection and every byte it sent has been taken.
    void closed()
    {
        if (!headDone)
            fail(QStringLiteral("%1 closed the connection without an answer.").arg(url.host()));
        else if (chunked)
            fail(QStringLiteral("The connection closed before the end of the body."));
        else if (contentLength && left > 0)
            fail(QStringLiteral("The connection closed after %1 of %2 bytes.")
                     .arg(*contentLength - left)
                     .arg(*contentLength));
        else
            bodyEnded = true;
        stallTimer.stop();
    }

    // Spins an event loop until the condition holds or the transfer ends. When something other
    // than this transfer stops the loop (the application is quitting), the transfer is aborted
    // rather than spinning on loops that return at once.
    void waitUntil(const std::function<bool()>& condition)
    {
        pump();
        while (!condition() && !ended()) {
            QEventLoop loop;
            waiting = &loop;
            woken = false;
            loop.exec();
            waiting = nullptr;
            if (!woken) {
                aborted = true;
                if (socket)
                    socket->abort();
            }
        }
    }
};

HttpGet::HttpGet(const QUrl& url, const HttpGetOptions& options)
    : m_impl(std::make_unique<Impl>())
{
    Impl& d = *m_impl;
    d.options = options;
    d.stallTimer.setSingleShot(true);
    QObject::connect(&d.stallTimer, &QTimer::timeout, [&d] {
        d.fail(QStringLiteral("No data from %1 for %2 s.")
                   .arg(d.url.host())
                   .arg(QString::number(d.options.stallTimeoutMs / 1000.0)));
    });
    d.progress();
    d.start(url);
}

HttpGet::~HttpGet()
{
    m_impl->dropSocket();
}

void HttpGet::waitForHeaders()
{
    m_impl->waitUntil([this] { return m_impl->headersIn(); });
}

int HttpGet::status() const
{
    return m_impl->headDone ? m_impl->status : 0;
}

QString HttpGet::reasonPhrase() const
{
    return m_impl->headDone ? QString::fromLatin1(m_impl->reason) : QString();
}

std::optional<qint64> HttpGet::contentLength() const
{
    return m_impl->headDone ? m_impl->contentLength : std::nullopt;
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
    // Room in the buffer again: take what the socket kept back meanwhile.
    d.progress();
    d.pump();
    return n;
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
    d.stallTimer.stop();
    if (d.socket)
        d.socket->abort();
    d.wake();
}

} // namespace platform
