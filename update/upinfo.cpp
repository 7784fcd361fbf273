#include "update/upinfo.h"

#include <QRegularExpression>

#ifndef FENDRIX_UPDATE_SERVER
#error "FENDRIX_UPDATE_SERVER must name the update server (scheme and host)"
#endif

QString UpdatePageURL()
{
    return QStringLiteral(FENDRIX_UPDATE_SERVER) + QStringLiteral("/updates/qzp/qzp.html");
}

void TupProductInfo::setURL(const QString& url)
{
    if (url.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)
        || url.startsWith(QLatin1String("https://"), Qt::CaseInsensitive))
        m_url = url;
    else
        m_url = QStringLiteral("http://") + url;
}

namespace {

// The text after `keyword` + "=\"" up to the next double quote, looked for within the
// following 255 characters. Null when the keyword or the closing quote is missing.
QString quotedAfter(const QString& line, const QString& upper, QLatin1String keyword, int skip)
{
    const qsizetype at = upper.indexOf(keyword);
    if (at < 0)
        return {};
    const qsizetype start = at + skip;
    if (start > line.size())
        return {};
    const qsizetype quote = line.indexOf(QLatin1Char('"'), start);
    if (quote < 0 || quote - start >= 255)
        return {};
    const QString value = line.mid(start, quote - start);
    return value.isNull() ? QString(QLatin1String("")) : value;
}

QDate dateFromNumber(const QString& text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok)
        return {};
    const int day = value % 100;
    const int month = value / 100 % 100;
    const int year = value / 10000;
    if (year < 1 || year > 9999)
        return {};
    const QDate date(year, month, day);
    return date.isValid() ? date : QDate();
}

// Upper case for ASCII letters only, so that positions in the copy are positions in the line.
QString asciiUpper(const QString& line)
{
    QString upper = line;
    for (QChar& c : upper) {
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - 'a' + 'A');
    }
    return upper;
}

int componentValue(const QString& component)
{
    bool ok = false;
    const int v = component.toInt(&ok);
    return ok ? v : 0;
}

} // namespace

TupPageValues ParseInfo(const QStringList& lines, const TupTagInfo& tags)
{
    TupPageValues values;
    for (const QString& line : lines) {
        const QString upper = asciiUpper(line);
        // The name begins after `META NAME="`: exactly that spelling, without blanks around "=".
        const QString name = quotedAfter(line, upper, QLatin1String("META NAME"), 11);
        if (name.isNull())
            continue;
        const QString value = quotedAfter(line, upper, QLatin1String("CONTENT="), 9);
        if (value.isNull())
            continue;
        if (name == tags.ProductName)
            values.ProductName = value;
        else if (name == tags.Version)
            values.Version = value;
        else if (name == tags.Download)
            values.Download = value;
        else if (name == tags.ClientFileName)
            values.ClientFileName = value;
        else if (name == tags.Redirection)
            values.Redirection = value;
        else if (name == tags.RunParameters)
            values.RunParameters = value;
        else if (name == tags.VerDate)
            values.VerDate = dateFromNumber(value);
        else if (name == tags.Author)
            values.Author = value;
        else if (name == tags.Email)
            values.Email = value;
    }
    return values;
}

bool IsNewerVersion(const QString& current, const QString& offered, TupVersionFormat format)
{
    switch (format) {
    case vfStandard: {
        QString cur = current;
        QString off = offered;
        // Component by component; a text without a "." keeps offering its last component.
        for (;;) {
            const qsizetype curDot = cur.indexOf(QLatin1Char('.'));
            const qsizetype offDot = off.indexOf(QLatin1Char('.'));
            const int c = componentValue(curDot < 0 ? cur : cur.left(curDot));
            const int o = componentValue(offDot < 0 ? off : off.left(offDot));
            if (o > c)
                return true;
            if (o < c)
                return false;
            if (curDot < 0)
                return false;
            cur = cur.mid(curDot + 1);
            if (offDot >= 0)
                off = off.mid(offDot + 1);
        }
    }
    case vfString:
        return QString::compare(offered, current, Qt::CaseSensitive) > 0;
    case vfNumber: {
        bool okCur = false;
        bool okOff = false;
        const double c = current.toDouble(&okCur);
        const double o = offered.toDouble(&okOff);
        return okCur && okOff && o > c;
    }
    }
    return false;
}

QStringList SplitPageLines(const QString& text)
{
    static const QRegularExpression breaks(QStringLiteral("\r\n|\r|\n"));
    QStringList lines = text.split(breaks);
    // A final line break does not start another line.
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}
