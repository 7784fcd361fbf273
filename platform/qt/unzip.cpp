#include "platform/qt/unzip.h"

#include "platform/core/sharedlibrary.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#include <sys/stat.h>
#include <zip.h>

#include <memory>
#include <vector>

namespace platform {

namespace {

// libzip is opened on the first unpacking, not linked: linked, it and the OpenSSL it pulls in
// would be loaded at every start-up for an update that is seldom unpacked.
struct ZipLibrary {
    // Its error() is empty when every function below was found.
    platform::SharedLibrary library { FENDRIX_LIBZIP_SONAME };
    FENDRIX_LIBRARY_FUNCTION(library, zip_open);
    FENDRIX_LIBRARY_FUNCTION(library, zip_discard);
    FENDRIX_LIBRARY_FUNCTION(library, zip_strerror);
    FENDRIX_LIBRARY_FUNCTION(library, zip_error_init_with_code);
    FENDRIX_LIBRARY_FUNCTION(library, zip_error_strerror);
    FENDRIX_LIBRARY_FUNCTION(library, zip_error_fini);
    FENDRIX_LIBRARY_FUNCTION(library, zip_get_num_entries);
    FENDRIX_LIBRARY_FUNCTION(library, zip_stat_init);
    FENDRIX_LIBRARY_FUNCTION(library, zip_stat_index);
    FENDRIX_LIBRARY_FUNCTION(library, zip_file_get_external_attributes);
    FENDRIX_LIBRARY_FUNCTION(library, zip_fopen_index);
    FENDRIX_LIBRARY_FUNCTION(library, zip_fread);
    FENDRIX_LIBRARY_FUNCTION(library, zip_file_strerror);
    FENDRIX_LIBRARY_FUNCTION(library, zip_fclose);
};

const ZipLibrary& zipLibrary()
{
    static const ZipLibrary library;
    return library;
}

struct ArchiveCloser {
    void operator()(zip_t* z) const { zipLibrary().zip_discard(z); }
};
struct EntryCloser {
    void operator()(zip_file_t* f) const { zipLibrary().zip_fclose(f); }
};

struct Entry {
    zip_uint64_t index = 0;
    QString relativePath; // cleaned, '/' separated, never empty
    bool directory = false;
    qint64 size = 0;
    int permissions = -1; // Unix rwx bits when the archive records them
};

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

// The entry's path below the target folder, or empty when it would land anywhere else.
QString safeRelativePath(const QString& rawName)
{
    QString name = rawName;
    // Archives made on Windows may separate with backslashes; treat both alike so that
    // neither can smuggle a parent reference.
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (name.isEmpty() || name.startsWith(QLatin1Char('/')) || name.contains(QChar(0)))
        return {};
    QStringList kept;
    const QStringList parts = name.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        if (part == QLatin1String("."))
            continue;
        if (part == QLatin1String("..") || part.contains(QLatin1Char(':')))
            return {};
        kept << part;
    }
    return kept.join(QLatin1Char('/'));
}

} // namespace

bool UnzipArchive(const QString& archive, const QString& folder, QString* error, const UnzipLimits& limits)
{
    const ZipLibrary& lib = zipLibrary();
    if (!lib.library.error().empty()) {
        setError(error,
            QStringLiteral("cannot unpack the archive: %1").arg(QString::fromStdString(lib.library.error())));
        return false;
    }
    int openError = 0;
    std::unique_ptr<zip_t, ArchiveCloser> zip(
        lib.zip_open(QFile::encodeName(archive).constData(), ZIP_RDONLY, &openError));
    if (!zip) {
        zip_error_t ze;
        lib.zip_error_init_with_code(&ze, openError);
        setError(error,
            QStringLiteral("cannot open the archive: %1")
                .arg(QString::fromUtf8(lib.zip_error_strerror(&ze))));
        lib.zip_error_fini(&ze);
        return false;
    }
    const zip_int64_t count = lib.zip_get_num_entries(zip.get(), 0);
    if (count < 0 || count > limits.maxEntries) {
        setError(error, QStringLiteral("the archive has too many entries"));
        return false;
    }

    // Check every entry before writing anything.
    std::vector<Entry> entries;
    qint64 total = 0;
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        lib.zip_stat_init(&st);
        if (lib.zip_stat_index(zip.get(), zip_uint64_t(i), 0, &st) != 0 || !(st.valid & ZIP_STAT_NAME)) {
            setError(error, QStringLiteral("unreadable archive entry"));
            return false;
        }
        const QString rawName = QString::fromUtf8(st.name);
        Entry entry;
        entry.index = zip_uint64_t(i);
        entry.relativePath = safeRelativePath(rawName);
        if (entry.relativePath.isEmpty()) {
            if (rawName == QLatin1String("./") || rawName == QLatin1String("."))
                continue;
            setError(error, QStringLiteral("archive entry outside the folder: %1").arg(rawName));
            return false;
        }
        entry.directory = rawName.endsWith(QLatin1Char('/')) || rawName.endsWith(QLatin1Char('\\'));
        zip_uint8_t system = 0;
        zip_uint32_t attributes = 0;
        if (lib.zip_file_get_external_attributes(zip.get(), entry.index, 0, &system, &attributes) == 0
            && system == ZIP_OPSYS_UNIX) {
            const mode_t mode = attributes >> 16;
            const mode_t type = mode & S_IFMT;
            if (type == S_IFDIR)
                entry.directory = true;
            else if (type != 0 && type != S_IFREG) {
                setError(error, QStringLiteral("archive entry is not a plain file: %1").arg(rawName));
                return false;
            }
            if (mode & 0777)
                entry.permissions = int(mode & 0777);
        }
        if (!entry.directory) {
            if (!(st.valid & ZIP_STAT_SIZE) || st.size > zip_uint64_t(limits.maxTotalSize)) {
                setError(error, QStringLiteral("archive entry too large: %1").arg(rawName));
                return false;
            }
            entry.size = qint64(st.size);
            total += entry.size;
            if (total > limits.maxTotalSize) {
                setError(error, QStringLiteral("the archive unpacks to too many bytes"));
                return false;
            }
        }
        entries.push_back(entry);
    }

    const QDir target(folder);
    std::vector<char> buffer(1 << 16);
    for (const Entry& entry : entries) {
        const QString path = target.filePath(entry.relativePath);
        if (entry.directory) {
            if (!target.mkpath(entry.relativePath)) {
                setError(error, QStringLiteral("cannot create folder %1").arg(path));
                return false;
            }
            continue;
        }
        const int slash = entry.relativePath.lastIndexOf(QLatin1Char('/'));
        if (slash > 0 && !target.mkpath(entry.relativePath.left(slash))) {
            setError(error, QStringLiteral("cannot create folder for %1").arg(path));
            return false;
        }
        std::unique_ptr<zip_file_t, EntryCloser> in(lib.zip_fopen_index(zip.get(), entry.index, 0));
        if (!in) {
            setError(error,
                QStringLiteral("cannot read %1: %2")
                    .arg(entry.relativePath, QString::fromUtf8(lib.zip_strerror(zip.get()))));
            return false;
        }
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            setError(error, QStringLiteral("cannot write %1: %2").arg(path, out.errorString()));
            return false;
        }
        qint64 written = 0;
        for (;;) {
            const zip_int64_t n = lib.zip_fread(in.get(), buffer.data(), buffer.size());
            if (n < 0) {
                setError(error,
                    QStringLiteral("corrupt archive entry %1: %2")
                        .arg(entry.relativePath, QString::fromUtf8(lib.zip_file_strerror(in.get()))));
                return false;
            }
            if (n == 0)
                break;
            written += n;
            if (written > entry.size) {
                setError(error,
                    QStringLiteral("archive entry %1 is longer than announced").arg(entry.relativePath));
                return false;
            }
            if (out.write(buffer.data(), n) != n) {
                setError(error, QStringLiteral("cannot write %1: %2").arg(path, out.errorString()));
                return false;
            }
        }
        if (written != entry.size || !out.flush()) {
            setError(error, QStringLiteral("archive entry %1 is incomplete").arg(entry.relativePath));
            return false;
        }
        out.close();
        // Never less than owner read and write (the next update must be able to replace it),
        // and never writable by group or others, whatever the archive or the umask say: the
        // file may be the one that is started.
        const int mode = ((entry.permissions >= 0 ? entry.permissions : 0644) | 0600) & ~0022;
        QFileDevice::Permissions p = QFileDevice::ReadOwner | QFileDevice::ReadUser | QFileDevice::WriteOwner
            | QFileDevice::WriteUser;
        if (mode & 0100)
            p |= QFileDevice::ExeOwner | QFileDevice::ExeUser;
        if (mode & 0040)
            p |= QFileDevice::ReadGroup;
        if (mode & 0010)
            p |= QFileDevice::ExeGroup;
        if (mode & 0004)
            p |= QFileDevice::ReadOther;
        if (mode & 0001)
            p |= QFileDevice::ExeOther;
        if (!QFile::setPermissions(path, p)) {
            setError(error, QStringLiteral("cannot set the permissions of %1").arg(path));
            return false;
        }
    }
    return true;
}

} // namespace platform
