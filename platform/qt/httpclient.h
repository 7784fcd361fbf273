#pragma once
// One HTTP(S) GET through libcurl whose body is read piece by piece on the GUI thread. libcurl
// runs on the event loop's socket notifiers and timers, so while the caller waits for the
// server, windows repaint and buttons (abort) work, and no window message is ever handled
// inside a libcurl call. The request is an HTTP/1.0 one, also over TLS: a server answers it
// with the body's length or ends the body by closing, rather than streaming it in chunks. The
// TLS handshake names no application protocol (no ALPN), which every server accepts. The
// server is untrusted: the response head, the body and the time spent waiting are all bounded.
//
// The proxy comes from the environment as libcurl reads it (http_proxy, https_proxy,
// no_proxy). Certificates are checked against the system's store, host names included; when
// SSL_CERT_FILE is set, the bundle it names is used instead.
#include <QByteArray>
#include <QString>
#include <QUrl>

#include <memory>
#include <optional>

namespace platform {

struct HttpGetOptions {
    QString userName; // sent with Basic authentication to the request's own host only
    QString password;
    QByteArray userAgent;
    int maxRedirects = 5; // HTTP redirections followed before the transfer fails
    qint64 bufferSize = 1 << 20; // bytes held in memory ahead of the reader
    qint64 maxHeadBytes = 64 * 1024; // the final response's head and the interim answers before it
    qint64 maxBodyBytes = -1; // >= 0: the transfer fails when the body grows beyond this
    // The clocks run only while the reader waits for the server and the server may send: not
    // while the program is busy elsewhere (a question to the user), nor while a full buffer the
    // reader has not emptied holds the server back. They stop once the body has ended.
    // > 0: each stretch of this long must bring minBytesPerStall bytes of the body, or the
    // transfer fails.
    int stallTimeoutMs = 0;
    qint64 minBytesPerStall = 1;
    int maxWaitMs = 0; // > 0: the reader waits no longer than this in all
};

class HttpGet {
public:
    // Starts the request at once. Only http and https are spoken, for the request and for
    // every redirection, and a redirection never leads from https to http.
    HttpGet(const QUrl& url, const HttpGetOptions& options);
    ~HttpGet();
    HttpGet(const HttpGet&) = delete;
    HttpGet& operator=(const HttpGet&) = delete;

    // Runs the event loop until the final response's head has arrived, the transfer has ended
    // or abort() was called.
    void waitForHeaders();

    // Final HTTP status, 0 before the head or when there was no response at all.
    int status() const;
    bool isSuccessStatus() const { return status() >= 200 && status() <= 299; }
    // The status line's text after the code ("Not Found").
    QString reasonPhrase() const;
    // The Content-Length of the final response, when it carried one.
    std::optional<qint64> contentLength() const;
    // The final response came over https, wherever the request began.
    bool cameOverTls() const;

    // Up to maxSize bytes of the body, waiting with the event loop running while none are
    // buffered. 0: the body ended normally; -1: the transfer failed or was aborted.
    qint64 read(char* data, qint64 maxSize);

    // The transport failed (connection, TLS, too many redirections, oversized head or body,
    // truncated body, time-out, ...). An HTTP error status alone is not a transport failure.
    bool failed() const;
    // Why it failed, for a user.
    QString errorString() const;

    // Stops the transfer; a waiting call returns at once. Safe to call from any handler.
    void abort();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace platform
