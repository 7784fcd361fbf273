#include "loopbackserver.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QHash>
#include <QMetaObject>
#include <QPointer>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <QWaitCondition>

#include <memory>
#include <optional>
#include <stdexcept>

#include <openssl/bio.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#ifndef UPDATE_TEST_DATA
#error "UPDATE_TEST_DATA must name tests/update/data"
#endif

struct LoopbackServer::Shared {
    mutable QMutex mutex;
    QHash<QByteArray, Reply> replies;
    QHash<QByteArray, int> hits;
    QList<QByteArray> requests;
    QList<QByteArray> knownProtocols;
};

namespace {

QByteArray reasonPhrase(int status)
{
    static const QHash<int, QByteArray> phrases = { { 200, "OK" }, { 301, "Moved Permanently" },
        { 302, "Found" }, { 401, "Unauthorized" }, { 404, "Not Found" }, { 500, "Internal Server Error" } };
    return phrases.value(status, "Status");
}

QByteArray dataFile(const QByteArray& name)
{
    QFile file(QString::fromUtf8(UPDATE_TEST_DATA "/" + name));
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("test data missing: " + name.toStdString());
    return file.readAll();
}

QSslConfiguration serverTls(const QByteArray& certificate)
{
    QSslConfiguration conf = QSslConfiguration::defaultConfiguration();
    conf.setLocalCertificate(QSslCertificate(dataFile(certificate + ".crt"), QSsl::Pem));
    conf.setPrivateKey(QSslKey(dataFile(certificate + ".key"), QSsl::Rsa, QSsl::Pem));
    conf.setPeerVerifyMode(QSslSocket::VerifyNone);
    return conf;
}

// The first TLS record a client sent, peeked at: it stays in the socket for the handshake. Empty
// when none came in time.
QByteArray peekFirstRecord(int socket)
{
    constexpr qsizetype kHeader = 5;
    QByteArray bytes(kHeader + 0xFFFF, Qt::Uninitialized);
    const QDeadlineTimer deadline(5000);
    while (!deadline.hasExpired()) {
        pollfd readable { socket, POLLIN, 0 };
        if (::poll(&readable, 1, int(deadline.remainingTime())) <= 0)
            break;
        const ssize_t n = ::recv(socket, bytes.data(), size_t(bytes.size()), MSG_PEEK);
        if (n <= 0)
            break;
        if (n >= kHeader) {
            const qsizetype length = kHeader + (quint8(bytes[3]) << 8 | quint8(bytes[4]));
            if (n >= length)
                return bytes.left(length);
        }
        // Part of the record is there: poll would report it again at once.
        QThread::msleep(2);
    }
    return {};
}

// What a TLS server that knows only the `known` application protocols answers the client's first
// record with, when it refuses the protocols offered: OpenSSL runs the server side of the
// handshake on a copy of the record (the connection itself is Qt's), and its alert is returned.
// Nothing when it would go on: the client offered a known protocol, or none at all.
std::optional<QByteArray> alpnRefusal(
    const QByteArray& record, const QList<QByteArray>& known, const QByteArray& certificate)
{
    struct Choice {
        QByteArray wire; // the known protocols, each behind its length
        bool refused = false;
    } choice;
    for (const QByteArray& name : known)
        choice.wire += char(name.size()) + name;

    const std::unique_ptr<SSL_CTX, decltype(&SSL_CTX_free)> ctx(
        SSL_CTX_new(TLS_server_method()), SSL_CTX_free);
    const auto pem = [](const QByteArray& bytes) {
        return std::unique_ptr<BIO, decltype(&BIO_free)>(
            BIO_new_mem_buf(bytes.constData(), int(bytes.size())), BIO_free);
    };
    const QByteArray crtBytes = dataFile(certificate + ".crt");
    const QByteArray keyBytes = dataFile(certificate + ".key");
    const auto crt = pem(crtBytes);
    const auto key = pem(keyBytes);
    const std::unique_ptr<X509, decltype(&X509_free)> x509(
        PEM_read_bio_X509(crt.get(), nullptr, nullptr, nullptr), X509_free);
    const std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> pkey(
        PEM_read_bio_PrivateKey(key.get(), nullptr, nullptr, nullptr), EVP_PKEY_free);
    if (!ctx || !x509 || !pkey || SSL_CTX_use_certificate(ctx.get(), x509.get()) != 1
        || SSL_CTX_use_PrivateKey(ctx.get(), pkey.get()) != 1)
        throw std::runtime_error("cannot set up the TLS server for " + certificate.toStdString());
    SSL_CTX_set_alpn_select_cb(
        ctx.get(),
        [](SSL*, const unsigned char** out, unsigned char* outLength, const unsigned char* in,
            unsigned int inLength, void* arg) {
            auto* c = static_cast<Choice*>(arg);
            if (SSL_select_next_proto(const_cast<unsigned char**>(out), outLength,
                    reinterpret_cast<const unsigned char*>(c->wire.constData()), unsigned(c->wire.size()), in,
                    inLength)
                == OPENSSL_NPN_NEGOTIATED)
                return SSL_TLSEXT_ERR_OK;
            c->refused = true;
            return SSL_TLSEXT_ERR_ALERT_FATAL;
        },
        &choice);

    const std::unique_ptr<SSL, decltype(&SSL_free)> ssl(SSL_new(ctx.get()), SSL_free);
    BIO* written = BIO_new(BIO_s_mem());
    SSL_set_bio(ssl.get(), BIO_new_mem_buf(record.constData(), int(record.size())), written);
    SSL_accept(ssl.get());
    if (!choice.refused)
        return std::nullopt;
    char* alert = nullptr;
    const long length = BIO_get_mem_data(written, &alert);
    return QByteArray(alert, length);
}

// A TLS server that refuses, as a server enforcing ALPN does, a handshake offering only
// protocols it does not know.
class AlpnServer : public QSslServer {
public:
    AlpnServer(std::shared_ptr<LoopbackServer::Shared> shared, QByteArray certificate)
        : m_shared(std::move(shared))
        , m_certificate(std::move(certificate))
    {
    }

protected:
    void incomingConnection(qintptr socket) override
    {
        QList<QByteArray> known;
        {
            QMutexLocker lock(&m_shared->mutex);
            known = m_shared->knownProtocols;
        }
        const int fd = int(socket);
        if (!known.isEmpty()) {
            if (const std::optional<QByteArray> alert
                = alpnRefusal(peekFirstRecord(fd), known, m_certificate)) {
                ::send(fd, alert->constData(), size_t(alert->size()), MSG_NOSIGNAL);
                ::close(fd);
                return;
            }
        }
        QSslServer::incomingConnection(socket);
    }

private:
    std::shared_ptr<LoopbackServer::Shared> m_shared;
    QByteArray m_certificate;
};

// Serves one connection: reads the request head, sends the reply, closes.
class Connection : public QObject {
public:
    Connection(QTcpSocket* socket, std::shared_ptr<LoopbackServer::Shared> shared)
        : QObject(socket)
        , m_socket(socket)
        , m_shared(std::move(shared))
    {
        connect(socket, &QTcpSocket::readyRead, this, [this] { onReadyRead(); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::errorOccurred, socket, [socket] { socket->deleteLater(); });
        // Bytes may have arrived before anyone listened for them.
        QMetaObject::invokeMethod(
            this, [this] { onReadyRead(); }, Qt::QueuedConnection);
    }

private:
    void onReadyRead()
    {
        if (m_answered)
            return;
        m_head += m_socket->readAll();
        if (!m_head.isEmpty() && !(m_head[0] >= 'A' && m_head[0] <= 'Z')) {
            // Not HTTP (a TLS hello on the plain port): answer as a web server would.
            m_answered = true;
            m_socket->write("HTTP/1.1 400 Bad Request\r\nConnection: close\r\nContent-Length: 0\r\n\r\n");
            m_socket->disconnectFromHost();
            return;
        }
        const qsizetype end = m_head.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        m_answered = true;
        const QByteArray head = m_head.left(end);
        const QList<QByteArray> requestLine = head.left(head.indexOf("\r\n")).split(' ');
        const QByteArray path = requestLine.size() > 1 ? requestLine[1] : QByteArray("/");
        {
            QMutexLocker lock(&m_shared->mutex);
            m_shared->requests << head;
            m_shared->hits[path] += 1;
            m_reply = m_shared->replies.value(path, LoopbackServer::error(404, "<html>not here</html>"));
        }
        if (m_reply.framing == LoopbackServer::Framing::ChunkedUnlessHttp10)
            m_reply.framing = requestLine.value(2) == "HTTP/1.0" ? LoopbackServer::Framing::Length
                                                                 : LoopbackServer::Framing::Chunked;
        if (m_reply.mute)
            return;
        if (!m_reply.basicAuth.isEmpty()
            && !(head + "\r\n")
                    .contains("\r\nAuthorization: Basic " + m_reply.basicAuth.toBase64() + "\r\n")) {
            m_reply = LoopbackServer::error(401, "<html>who are you</html>");
            m_reply.headers << qMakePair(
                QByteArray("WWW-Authenticate"), QByteArray("Basic realm=\"updates\""));
        }
        QByteArray out = m_reply.interim + "HTTP/1.1 " + QByteArray::number(m_reply.status) + ' '
            + reasonPhrase(m_reply.status)
            + "\r\nConnection: close\r\nContent-Type: application/octet-stream\r\n";
        if (m_reply.framing == LoopbackServer::Framing::Length) {
            const qint64 length
                = m_reply.announcedLength >= 0 ? m_reply.announcedLength : m_reply.body.size();
            out += "Content-Length: " + QByteArray::number(length) + "\r\n";
        } else if (m_reply.framing == LoopbackServer::Framing::Chunked) {
            out += "Transfer-Encoding: chunked\r\n";
        }
        for (const auto& [name, value] : m_reply.headers)
            out += name + ": " + value + "\r\n";
        out += "\r\n";
        m_socket->write(out);
        if (m_reply.stall)
            return;
        if (m_reply.pieceSize <= 0) {
            // Stream big bodies as the socket drains rather than queueing them whole.
            connect(m_socket, &QTcpSocket::bytesWritten, this, [this] { topUp(); });
            topUp();
            return;
        }
        m_timer = new QTimer(this);
        m_timer->setInterval(m_reply.pieceDelayMs);
        connect(m_timer, &QTimer::timeout, this, [this] { nextPiece(); });
        nextPiece();
        m_timer->start();
    }

    void topUp()
    {
        constexpr qsizetype kWindow = 1 << 20;
        while (m_sent < m_reply.body.size() && m_socket->bytesToWrite() < kWindow) {
            const qsizetype n = std::min<qsizetype>(kWindow, m_reply.body.size() - m_sent);
            sendPiece(QByteArray::fromRawData(m_reply.body.constData() + m_sent, n));
            m_sent += n;
        }
        if (m_sent >= m_reply.body.size() && !m_finished) {
            m_finished = true;
            finish();
        }
    }

    void nextPiece()
    {
        if (m_sent >= m_reply.body.size()) {
            m_timer->stop();
            finish();
            return;
        }
        const QByteArray piece = m_reply.body.mid(m_sent, m_reply.pieceSize);
        m_sent += piece.size();
        sendPiece(piece);
    }

    void sendPiece(const QByteArray& piece)
    {
        if (piece.isEmpty())
            return;
        if (m_reply.framing == LoopbackServer::Framing::Chunked) {
            m_socket->write(QByteArray::number(piece.size(), 16) + "\r\n");
            m_socket->write(piece);
            m_socket->write("\r\n");
        } else {
            m_socket->write(piece);
        }
    }

    void finish()
    {
        if (m_reply.framing == LoopbackServer::Framing::Chunked)
            m_socket->write("0\r\n\r\n");
        m_socket->disconnectFromHost();
    }

    QTcpSocket* m_socket;
    std::shared_ptr<LoopbackServer::Shared> m_shared;
    QByteArray m_head;
    bool m_answered = false;
    LoopbackServer::Reply m_reply;
    QTimer* m_timer = nullptr;
    qsizetype m_sent = 0;
    bool m_finished = false;
};

// Owns the listening socket inside the server thread.
class ServerThread : public QThread {
public:
    // An empty certificate: plain HTTP.
    ServerThread(QByteArray certificate, std::shared_ptr<LoopbackServer::Shared> shared)
        : m_certificate(std::move(certificate))
        , m_shared(std::move(shared))
    {
    }

    quint16 startAndListen()
    {
        QMutexLocker lock(&m_readyMutex);
        start();
        while (!m_ready)
            m_readyCondition.wait(&m_readyMutex);
        return m_port;
    }

protected:
    void run() override
    {
        std::unique_ptr<QTcpServer> server;
        if (!m_certificate.isEmpty()) {
            auto* ssl = new AlpnServer(m_shared, m_certificate);
            ssl->setSslConfiguration(serverTls(m_certificate));
            server.reset(ssl);
            QObject::connect(ssl, &QSslServer::errorOccurred, ssl,
                [](QSslSocket* socket, QAbstractSocket::SocketError) { socket->deleteLater(); });
        } else {
            server = std::make_unique<QTcpServer>();
        }
        QTcpServer* s = server.get();
        QObject::connect(s, &QTcpServer::pendingConnectionAvailable, s, [this, s] {
            while (QTcpSocket* socket = s->nextPendingConnection())
                new Connection(socket, m_shared);
        });
        const bool listening = s->listen(QHostAddress::LocalHost, 0);
        {
            QMutexLocker lock(&m_readyMutex);
            m_port = listening ? s->serverPort() : 0;
            m_ready = true;
            m_readyCondition.wakeAll();
        }
        exec();
    }

private:
    QByteArray m_certificate;
    std::shared_ptr<LoopbackServer::Shared> m_shared;
    QMutex m_readyMutex;
    QWaitCondition m_readyCondition;
    bool m_ready = false;
    quint16 m_port = 0;
};

} // namespace

LoopbackServer::Reply LoopbackServer::page(const QByteArray& html)
{
    return Reply { .body = html };
}

LoopbackServer::Reply LoopbackServer::redirect(const QString& location, int status)
{
    return Reply { .status = status, .headers = { qMakePair(QByteArray("Location"), location.toUtf8()) } };
}

LoopbackServer::Reply LoopbackServer::file(const QByteArray& body, Framing framing)
{
    return Reply { .body = body, .framing = framing };
}

LoopbackServer::Reply LoopbackServer::error(int status, const QByteArray& body)
{
    return Reply { .status = status, .body = body };
}

QByteArray LoopbackServer::infoPage(const QByteArray& version, const QByteArray& download,
    const QByteArray& clientName, const QByteArray& extra)
{
    return "<html>\r\n<head>\r\n<title>Fendrix updates</title>\r\n"
           "<META NAME=\"upProduct\" CONTENT=\"Fendrix\">\r\n"
           "<META NAME=\"upVersion\" CONTENT=\""
        + version + "\">\r\n<META NAME=\"upDownload\" CONTENT=\"" + download
        + "\">\r\n<META NAME=\"upClientSideName\" CONTENT=\"" + clientName + "\">\r\n" + extra
        + "</head>\r\n<body>New release</body>\r\n</html>\r\n";
}

void LoopbackServer::offer(const QByteArray& pagePath, const QByteArray& version, const QByteArray& name,
    const Reply& release, const QByteArray& extra)
{
    setReply(pagePath, page(infoPage(version, url(QString::fromUtf8("/" + name)).toUtf8(), name, extra)));
    setReply("/" + name, release);
}

LoopbackServer::LoopbackServer(bool tls, const QByteArray& certificate)
    : m_shared(std::make_shared<Shared>())
    , m_tls(tls)
{
    auto* thread = new ServerThread(tls ? certificate : QByteArray(), m_shared);
    m_port = thread->startAndListen();
    m_thread = thread;
    if (m_port == 0)
        throw std::runtime_error("loopback server cannot listen");
}

LoopbackServer::~LoopbackServer()
{
    m_thread->quit();
    m_thread->wait();
    delete m_thread;
}

QString LoopbackServer::url(const QString& path) const
{
    return QStringLiteral("%1://127.0.0.1:%2%3").arg(m_tls ? "https" : "http").arg(m_port).arg(path);
}

void LoopbackServer::setReply(const QByteArray& path, const Reply& reply)
{
    QMutexLocker lock(&m_shared->mutex);
    m_shared->replies.insert(path, reply);
}

void LoopbackServer::setKnownProtocols(const QList<QByteArray>& protocols)
{
    QMutexLocker lock(&m_shared->mutex);
    m_shared->knownProtocols = protocols;
}

int LoopbackServer::hits(const QByteArray& path) const
{
    QMutexLocker lock(&m_shared->mutex);
    return m_shared->hits.value(path);
}

QList<QByteArray> LoopbackServer::requests() const
{
    QMutexLocker lock(&m_shared->mutex);
    return m_shared->requests;
}

QByteArray loopbackCertificateFile()
{
    return UPDATE_TEST_DATA "/trusted.pem";
}

void useLoopbackServers()
{
    qputenv("SSL_CERT_FILE", loopbackCertificateFile());
    for (const char* name :
        { "http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY" })
        qunsetenv(name);
}
