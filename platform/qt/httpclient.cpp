#include "platform/qt/httpclient.h"

#include <QAuthenticator>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>

#include <functional>

namespace platform {

struct HttpGet::Impl {
    QNetworkAccessManager manager;
    QPointer<QNetworkReply> reply;
    HttpGetOptions options;
    bool aborted = false;
    bool authAnswered = false;
    QEventLoop* waiting = nullptr;
    bool woken = false;

    void wake()
    {
        woken = true;
        if (waiting)
            waiting->quit();
    }

    bool ended() const { return aborted || !reply || reply->isFinished(); }

    bool headersIn() const
    {
        if (ended())
            return true;
        const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        if (!status.isValid())
            return false;
        // A redirection that is being followed is not the final answer.
        const int code = status.toInt();
        return code < 300 || code > 399 || reply->bytesAvailable() > 0;
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
            loop.exec();
            waiting = nullptr;
            if (!woken) {
                aborted = true;
                if (reply)
                    reply->abort();
            }
        }
    }
};

HttpGet::HttpGet(const QUrl& url, const HttpGetOptions& options)
    : m_impl(std::make_unique<Impl>())
{
    Impl& d = *m_impl;
    d.options = options;
    d.manager.setAutoDeleteReplies(false);
    QObject::connect(&d.manager, &QNetworkAccessManager::authenticationRequired,
        [&d](QNetworkReply*, QAuthenticator* auth) {
            // One answer only: wrong credentials end in a 401 instead of a loop.
            if (d.options.userName.isEmpty() || d.authAnswered)
                return;
            d.authAnswered = true;
            auth->setUser(d.options.userName);
            auth->setPassword(d.options.password);
        });

    QNetworkRequest request(url);
    if (!options.userAgent.isEmpty())
        request.setHeader(QNetworkRequest::UserAgentHeader, options.userAgent);
    request.setRawHeader("Accept", "*/*");
    // The length the server announces must be the number of bytes we receive.
    request.setRawHeader("Accept-Encoding", "identity");
    request.setRawHeader("Cache-Control", "no-cache");
    request.setRawHeader("Pragma", "no-cache");
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(options.maxRedirects);

    d.reply = d.manager.get(request);
    d.reply->setReadBufferSize(options.bufferSize);
    QNetworkReply* reply = d.reply;
    QObject::connect(reply, &QNetworkReply::readyRead, [&d] { d.wake(); });
    QObject::connect(reply, &QNetworkReply::metaDataChanged, [&d] { d.wake(); });
    QObject::connect(reply, &QNetworkReply::finished, [&d] { d.wake(); });
}

HttpGet::~HttpGet()
{
    if (m_impl->reply) {
        m_impl->reply->disconnect();
        m_impl->reply->abort();
        delete m_impl->reply;
    }
}

void HttpGet::waitForHeaders()
{
    m_impl->waitUntil([this] { return m_impl->headersIn(); });
}

int HttpGet::status() const
{
    if (!m_impl->reply)
        return 0;
    return m_impl->reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
}

std::optional<qint64> HttpGet::contentLength() const
{
    if (!m_impl->reply)
        return std::nullopt;
    const QVariant v = m_impl->reply->header(QNetworkRequest::ContentLengthHeader);
    if (!v.isValid())
        return std::nullopt;
    bool ok = false;
    const qint64 length = v.toLongLong(&ok);
    if (!ok || length < 0)
        return std::nullopt;
    return length;
}

qint64 HttpGet::read(char* data, qint64 maxSize)
{
    Impl& d = *m_impl;
    if (!d.reply || d.aborted)
        return -1;
    d.waitUntil([&d] { return d.reply && d.reply->bytesAvailable() > 0; });
    if (d.aborted || !d.reply)
        return -1;
    if (d.reply->bytesAvailable() > 0)
        return d.reply->read(data, maxSize);
    return failed() ? -1 : 0;
}

bool HttpGet::failed() const
{
    const Impl& d = *m_impl;
    if (d.aborted || !d.reply)
        return true;
    const int code = d.reply->error();
    // Errors 201-299 and 401-499 are Qt's names for HTTP statuses, which status() reports.
    const bool statusError = (code >= 201 && code <= 299) || (code >= 401 && code <= 499);
    return code != QNetworkReply::NoError && !(statusError && status() != 0);
}

QString HttpGet::errorString() const
{
    if (m_impl->aborted)
        return QStringLiteral("aborted");
    return m_impl->reply ? m_impl->reply->errorString() : QString();
}

void HttpGet::abort()
{
    Impl& d = *m_impl;
    d.aborted = true;
    if (d.reply && !d.reply->isFinished())
        d.reply->abort();
    d.wake();
}

} // namespace platform
