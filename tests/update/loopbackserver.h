#pragma once
// A small HTTP/1.1 server on 127.0.0.1 (ephemeral port) running on its own thread, serving
// canned replies per path: pages, redirections, files with or without Content-Length,
// chunked or slow bodies and error statuses. With TLS it serves a certificate of
// tests/update/data: "loopback" names 127.0.0.1 and localhost, "elsewhere" another host; the
// bundle useLoopbackServers() makes the process's client trust holds both. A server
// answers whatever request target it is given a reply for, so it also plays a proxy (targets
// "http://host/path"). A TLS server may be told to know only some application protocols, as
// servers that enforce ALPN do.
#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QPair>
#include <QString>

#include <memory>

class QThread;

class LoopbackServer {
public:
    enum class Framing {
        Length, // Content-Length: the body's size (or announcedLength)
        Close, // no length: the body ends when the connection closes
        Chunked, // Transfer-Encoding: chunked, one chunk per piece
        // As a server streaming what it generates: Length to an HTTP/1.0 request, which cannot
        // take chunks, Chunked to any later one.
        ChunkedUnlessHttp10
    };
    struct Reply {
        int status = 200;
        QByteArray body {};
        Framing framing = Framing::Length;
        qint64 announcedLength = -1; // Content-Length to send when not the body's size
        QList<QPair<QByteArray, QByteArray>> headers {};
        int pieceSize = 0; // > 0: the body goes out in pieces of this many bytes...
        int pieceDelayMs = 0; // ...with this pause between them
        bool stall = false; // send the headers, then nothing until the client leaves
        bool mute = false; // read the request and answer nothing at all
        QByteArray basicAuth {}; // "user:password" required, else 401 with a Basic challenge
        QByteArray interim {}; // sent ahead of the status line (interim answers)
    };

    static Reply page(const QByteArray& html);
    static Reply redirect(const QString& location, int status = 302);
    static Reply file(const QByteArray& body, Framing framing = Framing::Length);
    static Reply error(int status, const QByteArray& body);
    // An information page (CRLF lines) offering `version` of `download`, saved as `clientName`.
    static QByteArray infoPage(const QByteArray& version, const QByteArray& download,
        const QByteArray& clientName, const QByteArray& extra = {});

    explicit LoopbackServer(bool tls = false, const QByteArray& certificate = "loopback");
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    quint16 port() const { return m_port; }
    // "http://127.0.0.1:<port>" + path (https with TLS).
    QString url(const QString& path) const;
    void setReply(const QByteArray& path, const Reply& reply);
    // TLS: from now on, a handshake whose ALPN list names none of these protocols is refused
    // with the alert no_application_protocol and the connection closed; one without an ALPN list
    // is served. An empty list serves every handshake (the default).
    void setKnownProtocols(const QList<QByteArray>& protocols);
    // The page at `pagePath` offers `version` of `release`, served at "/" + `name` and saved
    // under that name.
    void offer(const QByteArray& pagePath, const QByteArray& version, const QByteArray& name,
        const Reply& release = file("release"), const QByteArray& extra = {});
    int hits(const QByteArray& path) const;
    // The request heads received, oldest first.
    QList<QByteArray> requests() const;

    struct Shared;

private:
    std::shared_ptr<Shared> m_shared;
    QThread* m_thread = nullptr;
    quint16 m_port = 0;
    bool m_tls = false;
};

// Lets the update client reach the loopback servers: their certificate is the one trusted
// (SSL_CERT_FILE), and no proxy of the environment stands between.
void useLoopbackServers();
// The certificate bundle useLoopbackServers() names.
QByteArray loopbackCertificateFile();
