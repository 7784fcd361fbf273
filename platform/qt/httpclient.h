#pragma once
// One HTTP(S) GET whose body is read piece by piece on the GUI thread. While it waits for the
// server the caller's event loop keeps running, so windows repaint and buttons (abort) work.
// The server is untrusted: the response head, the body held in memory and the time without
// progress are all bounded.
#include <QByteArray>
#include <QString>
#include <QUrl>

#include <memory>
#include <optional>

namespace platform {

struct HttpGetOptions {
    QString userName; // answered to a Basic authentication challenge when not empty
    QString password;
    QByteArray userAgent;
    int maxRedirects = 5; // HTTP redirections followed before the transfer fails
    qint64 bufferSize = 1 << 20; // bytes held in memory ahead of the reader
    qint64 maxHeadBytes = 64 * 1024; // status line and headers of one response
    int stallTimeoutMs = 0; // > 0: the transfer fails when nothing arrives for this long
};

class HttpGet {
public:
    // Sends the request at once; an "https" URL goes over TLS with the default configuration's
    // certificates.
    HttpGet(const QUrl& url, const HttpGetOptions& options);
    ~HttpGet();
    HttpGet(const HttpGet&) = delete;
    HttpGet& operator=(const HttpGet&) = delete;

    // Runs the event loop until the final response's headers have arrived, the transfer has
    // ended or abort() was called.
    void waitForHeaders();

    // Final HTTP status, 0 before the headers or when there was no response at all.
    int status() const;
    bool isSuccessStatus() const { return status() >= 200 && status() <= 299; }
    // The status line's text after the code ("Not Found").
    QString reasonPhrase() const;
    // The Content-Length of the final response, when it carried one.
    std::optional<qint64> contentLength() const;

    // Up to maxSize bytes of the body, waiting with the event loop running while none are
    // buffered. 0: the body ended normally; -1: the transfer failed or was aborted.
    qint64 read(char* data, qint64 maxSize);

    // The transport failed (connection, TLS, too many redirections, oversized head, truncated
    // body, time-out, ...). An HTTP error status alone is not a transport failure: read status().
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
