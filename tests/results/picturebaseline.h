#pragma once
// Pictures compared with a recorded baseline: every picture is reduced to a checksum of its
// pixels, kept one per line ("name WxH checksum") in a file under tests/data/pictures. A change
// that must not alter what is drawn is checked against the file; a change that alters pictures
// on purpose rewrites it (scripts/picture-baseline), and the diff shows which pictures moved.
//
// FENDRIX_PICTURE_BASELINE_WRITE=1 rewrites the file instead of comparing;
// FENDRIX_PICTURE_DUMP=<folder> also saves each picture that differs as a PNG there.
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMap>
#include <QStringList>
#include <QTextStream>

class PictureBaseline {
public:
    explicit PictureBaseline(const QString& name)
        : m_path(QStringLiteral(FENDRIX_PICTURE_BASELINE_DIR "/") + name)
    {
    }

    static QString Checksum(const QImage& picture)
    {
        const QImage image = picture.convertToFormat(QImage::Format_RGB32);
        QCryptographicHash hash(QCryptographicHash::Sha1);
        for (int y = 0; y < image.height(); ++y)
            hash.addData(QByteArrayView(
                reinterpret_cast<const char*>(image.constScanLine(y)), qsizetype(image.width()) * 4));
        return QString::fromLatin1(hash.result().toHex().left(16));
    }

    void Add(const QString& name, const QImage& picture)
    {
        const QString entry
            = QStringLiteral("%1x%2 %3").arg(picture.width()).arg(picture.height()).arg(Checksum(picture));
        m_seen.insert(name, entry);
        if (!qEnvironmentVariableIsEmpty("FENDRIX_PICTURE_DUMP") && expectedEntries().value(name) != entry) {
            const QString folder = qEnvironmentVariable("FENDRIX_PICTURE_DUMP");
            QDir().mkpath(folder);
            picture.save(folder + QLatin1Char('/') + QString(name).replace(QLatin1Char('/'), QLatin1Char('_'))
                + QStringLiteral(".png"));
        }
    }

    // The names whose pictures differ from the file (or are missing from it, or from this run);
    // empty when all agree, and always empty when the file was rewritten.
    QStringList Differences()
    {
        if (qEnvironmentVariable("FENDRIX_PICTURE_BASELINE_WRITE") == QLatin1String("1")) {
            QFile file(m_path);
            if (file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
                QTextStream out(&file);
                for (auto it = m_seen.cbegin(); it != m_seen.cend(); ++it)
                    out << it.key() << ' ' << it.value() << '\n';
            }
            return {};
        }
        const QMap<QString, QString>& expected = expectedEntries();
        QStringList differ;
        for (auto it = m_seen.cbegin(); it != m_seen.cend(); ++it)
            if (expected.value(it.key()) != it.value())
                differ << it.key();
        for (auto it = expected.cbegin(); it != expected.cend(); ++it)
            if (!m_seen.contains(it.key()))
                differ << it.key() + QStringLiteral(" (not drawn)");
        if (expected.isEmpty())
            differ << m_path + QStringLiteral(" (no baseline)");
        return differ;
    }

private:
    const QMap<QString, QString>& expectedEntries()
    {
        if (!m_loaded) {
            m_loaded = true;
            QFile file(m_path);
            if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
                QTextStream in(&file);
                while (!in.atEnd()) {
                    const QStringList parts = in.readLine().split(QLatin1Char(' '), Qt::SkipEmptyParts);
                    if (parts.size() == 3)
                        m_file.insert(parts[0], parts[1] + QLatin1Char(' ') + parts[2]);
                }
            }
        }
        return m_file;
    }

    QString m_path;
    QMap<QString, QString> m_seen;
    QMap<QString, QString> m_file;
    bool m_loaded = false;
};
