#pragma once
// The update client: one round fetches the information page, compares versions, asks its
// owner through events, downloads the release, unpacks a ZIP archive and starts the program.
// Everything runs on the GUI thread; the transfer keeps the event loop running between pieces.
#include "update/upinfo.h"

#include <QFlags>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

namespace platform {
class HttpGet;
}

enum TupUpdateOption { uoRunUpdate = 0x1, uoTerminate = 0x2, uoOverwrite = 0x4 };
Q_DECLARE_FLAGS(TupUpdateOptions, TupUpdateOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TupUpdateOptions)

// The local name of a download: the last path component of the page's name ("/" and "\" both
// separate). Empty when nothing usable is left: an empty name, ".", ".." or a NUL byte.
QString ClientFileNamePart(const QString& name);

class TupWebUpdate : public QObject {
    Q_OBJECT
public:
    // Largest information page and release accepted; a server announcing or sending more is
    // treated as a failed transfer rather than filling memory or the disk.
    static constexpr qint64 kMaxPageBytes = qint64(1) << 20;
    static constexpr qint64 kMaxFileBytes = qint64(1) << 30;
    // Pages naming a further page to read; a longer chain (or a loop) is an error.
    static constexpr int kMaxRedirections = 5;
    // Bytes handed on per progress event at most.
    static constexpr qint64 kChunkSize = 64 * 1024;
    // A connection that brings nothing for this long has failed: a stalled server would
    // otherwise keep the round (and the start-up check's dialog) open for ever. A release must
    // bring kMinBytesPerStall in that time, and a page must have come within kPageTimeoutMs, so
    // that a server dripping bytes cannot hold them open either. Only time spent waiting for
    // the server counts, not time the user takes to answer a question meanwhile.
    static constexpr int kStallTimeoutMs = 30000;
    static constexpr qint64 kMinBytesPerStall = 1024;
    static constexpr int kPageTimeoutMs = 60000;

    explicit TupWebUpdate(QObject* owner = nullptr);
    ~TupWebUpdate() override;

    TupTagInfo TagInfo;
    TupProductInfo ProductInfo;
    TupInfoCaption InfoCaption;
    QString UserName;
    QString Password;
    TupUpdateOptions Options = TupUpdateOptions(uoRunUpdate) | uoTerminate;
    int StallTimeoutMs = kStallTimeoutMs;
    int PageTimeoutMs = kPageTimeoutMs;

    // The component's own version.
    QString Version() const;

    bool Busy() const { return m_busy; }
    bool Aborted() const { return m_aborted; }
    bool Success() const { return m_success; }
    const QString& FileName() const { return m_fileName; }
    const QString& UnzipFolder() const { return m_unzipFolder; }
    qint64 Total() const { return m_total; }
    qint64 Downloaded() const { return m_downloaded; }
    // Why the last OnDownloadError fired, in words a user can act on ("HTTP 404 Not Found",
    // "Host example.com not found", ...).
    const QString& ErrorReason() const { return m_errorReason; }
    const QStringList& PageLines() const { return m_pageLines; }
    const TupPageValues& Page() const { return m_page; }

    // Events. Handlers may be rebound or cleared while one of them runs.
    std::function<void(qint64 Total, qint64 Downloaded)> OnDownload;
    std::function<void()> OnDownloadError;
    std::function<void(const QString& FileName)> OnBeforeDownload;
    std::function<void(const QString& FileName)> OnAfterDownload;
    std::function<void()> OnNoUpdateFound;
    std::function<void()> OnAfterGetInfo;
    std::function<void()> OnBeforeGetInfo;
    std::function<void()> OnCannotExecute;
    std::function<void(bool& ShowInfo, bool& CheckForUpdate)> OnBeforeShowInfo;
    std::function<void(bool CheckForUpdate)> OnAfterShowInfo;
    std::function<void(const QString& ActualVersion, const QString& NewVersion, bool& CanUpdate)>
        OnUpdateAvailable;
    std::function<void(QString& FileName)> OnGetClientFileName;
    std::function<void(const QString& FileName, bool& Overwrite)> OnClientFileExists;
    // Asked before the downloaded release is started when the program is to end for it (with
    // uoTerminate): false abandons the update with nothing started. The main window answers
    // with its save question, so that Cancel keeps the program and the work.
    std::function<void(bool& CanTerminate)> OnQueryTerminate;
    // Ends the program once the new version has started (with uoTerminate); unbound, the
    // application quits with exit code 0. It is not called when the start failed.
    std::function<void()> OnTerminate;

    // One round; false only when a round is already running.
    bool CheckForUpdate();
    // Stops the transfer before its next piece; no error event.
    void Abort();

    // Fetches URL into the page lines (ToFile false) or into FileName. Fires OnDownload after
    // every piece and OnDownloadError on failure; returns Success.
    bool DownloadFile(const QString& URL, bool ToFile, bool RequireLength);

    void ParseInfo();
    bool IsNewerVersion();

    virtual bool ShowInfo();
    // The temporary folder followed by the page's client file name; empty when the page's
    // name is refused.
    virtual QString GetClientFileName();
    virtual void ParseURL(const QString& URL, QString& Host, QString& Path);

protected:
    virtual void DoDownload();
    virtual void DoDownloadError();
    virtual void DoBeforeDownload();
    virtual void DoAfterDownload();
    virtual void DoNoUpdateFound();
    virtual void DoAfterGetInfo();
    virtual void DoBeforeGetInfo();
    virtual void DoCannotExecute();

private:
    void GetInfo();
    void DownloadUpdate();
    bool Unpack(QString& reason);
    void RunUpdate();
    // Records why and fires OnDownloadError; Success is false afterwards.
    bool fail(const QString& reason);
    // A page that came over https names only https addresses, as a browser refuses mixed
    // content: false (after the error event) when URL would leave the secure channel.
    bool securedByPage(const QString& URL);

    bool m_busy = false;
    bool m_aborted = false;
    bool m_success = false;
    QString m_fileName;
    QString m_unzipFolder;
    QString m_errorReason;
    qint64 m_total = 0;
    qint64 m_downloaded = 0;
    QStringList m_pageLines;
    TupPageValues m_page;
    bool m_pageSecure = false; // m_pageLines (and so m_page) came over https
    platform::HttpGet* m_transfer = nullptr;
};
