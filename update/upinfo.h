#pragma once
// The update information page: the tag names looked for, the values read from the page and
// the comparison of the offered version with the running program's.
#include <QDate>
#include <QString>
#include <QStringList>

// The maker's page, served at a fixed path on the server the build names.
QString UpdatePageURL();

enum TupVersionFormat { vfStandard, vfString, vfNumber };

// Names of the META tags on the page.
struct TupTagInfo {
    QString ProductName = QStringLiteral("upProduct");
    QString Version = QStringLiteral("upVersion");
    QString Download = QStringLiteral("upDownload");
    QString ClientFileName = QStringLiteral("upClientSideName");
    QString Redirection = QStringLiteral("upRedirection");
    QString RunParameters = QStringLiteral("upRunParameters");
    QString VerDate = QStringLiteral("upVerDate");
    QString Author = QStringLiteral("upAuthor");
    QString Email = QStringLiteral("upEmail");
};

class TupProductInfo {
public:
    // The information page; "http://" is put in front of a URL without a scheme.
    const QString& URL() const { return m_url; }
    void setURL(const QString& url);

    QString Version = QStringLiteral("1.0"); // the running program's version
    TupVersionFormat VersionFormat = vfStandard;

private:
    QString m_url;
};

struct TupInfoCaption {
    QString OkButton = QStringLiteral("&OK");
    QString CancelButton = QStringLiteral("&Cancel");
    QString CheckForUpdate = QStringLiteral("C&heck for updates in the future");
};

// What a page says; a null VerDate stands for the date 0.
struct TupPageValues {
    QString ProductName;
    QString Version;
    QString Download;
    QString ClientFileName;
    QString Redirection;
    QString RunParameters;
    QDate VerDate;
    QString Author;
    QString Email;
};

// Reads the META lines of a page. Values absent from the page come back empty.
TupPageValues ParseInfo(const QStringList& lines, const TupTagInfo& tags);

// Whether offered is a newer version than current in the given format.
bool IsNewerVersion(const QString& current, const QString& offered, TupVersionFormat format);

// The page's text as lines, split at CR LF, CR or LF.
QStringList SplitPageLines(const QString& text);
