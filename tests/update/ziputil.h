#pragma once
// Builds ZIP archives for the tests with libzip, including entries no honest tool would write.
#include <QByteArray>
#include <QFile>
#include <QList>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <zip.h>

#include <stdexcept>

struct ZipItem {
    QByteArray name;
    QByteArray data;
    int mode = 0644; // Unix permission bits recorded for the entry
    unsigned type = S_IFREG; // S_IFREG, S_IFDIR or S_IFLNK
};

inline QByteArray makeZip(const QList<ZipItem>& items)
{
    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("a.zip")));
    int err = 0;
    zip_t* za = zip_open(path.constData(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    if (!za)
        throw std::runtime_error("zip_open");
    for (const ZipItem& item : items) {
        zip_int64_t index = -1;
        if (item.type == S_IFDIR) {
            index = zip_dir_add(za, item.name.constData(), ZIP_FL_ENC_UTF_8);
        } else {
            zip_source_t* src
                = zip_source_buffer(za, item.data.constData(), zip_uint64_t(item.data.size()), 0);
            index = zip_file_add(za, item.name.constData(), src, ZIP_FL_ENC_UTF_8);
            if (index < 0)
                zip_source_free(src);
        }
        if (index < 0)
            throw std::runtime_error("zip add");
        zip_file_set_external_attributes(
            za, zip_uint64_t(index), 0, ZIP_OPSYS_UNIX, zip_uint32_t(item.type | unsigned(item.mode)) << 16);
    }
    if (zip_close(za) != 0)
        throw std::runtime_error("zip_close");
    QFile f(QFile::decodeName(path));
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error("zip read");
    return f.readAll();
}

inline void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        throw std::runtime_error("write");
}
