// Unpacking update archives: contents and permissions arrive, hostile entries are refused
// before anything is written.
#include "platform/qt/unzip.h"

#include "ziputil.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

class Unzip : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_root.isValid());
        m_target = m_root.filePath(QStringLiteral("outer/BraxholmUpdate"));
        ASSERT_TRUE(QDir().mkpath(m_target));
    }

    bool unzip(
        const QList<ZipItem>& items, QString* error = nullptr, const platform::UnzipLimits& limits = {})
    {
        return unzipBytes(makeZip(items), error, limits);
    }

    // Unpacks the bytes as an archive; a refusal says why.
    bool unzipBytes(
        const QByteArray& bytes, QString* error = nullptr, const platform::UnzipLimits& limits = {})
    {
        const QString archive = m_root.filePath(QStringLiteral("update.zip"));
        writeFile(archive, bytes);
        QString message;
        const bool ok = platform::UnzipArchive(archive, m_target, &message, limits);
        EXPECT_EQ(ok, message.isEmpty()) << message.toStdString();
        if (error)
            *error = message;
        return ok;
    }

    // Every file below the temporary root apart from the archive itself.
    QStringList filesWritten() const
    {
        QStringList out;
        QDirIterator it(
            m_root.path(), QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString f = it.next();
            if (!f.endsWith(QLatin1String("/update.zip")))
                out << QDir(m_root.path()).relativeFilePath(f);
        }
        return out;
    }

    QTemporaryDir m_root;
    QString m_target;
};

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST_F(Unzip, FilesFoldersAndPermissionsArrive)
{
    QByteArray big(300000, '\0');
    for (unsigned i = 0; i < unsigned(big.size()); ++i)
        big[i] = char((i * 7919u) >> 3);
    QString error;
    // Whatever the archive and the umask allow, nobody but the owner may write what may be started.
    const mode_t umaskBefore = umask(0);
    const bool unpacked = unzip(
        { { "fendrix", "#!/bin/sh\n", 0755 }, { "readme.txt", "hello", 0644 }, { "docs/", {}, 0755, S_IFDIR },
            { "docs/manual.pdf", big, 0400 }, { "lib/deep/file.dat", "x", 0644 },
            { "setup", "#!/bin/sh\n", 0777 }, { "shared.dat", "y", 0666 }, { "unrecorded.dat", "z", 0 } },
        &error);
    umask(umaskBefore);
    ASSERT_TRUE(unpacked) << error.toStdString();
    EXPECT_EQ(readAll(m_target + "/fendrix"), "#!/bin/sh\n");
    EXPECT_EQ(readAll(m_target + "/docs/manual.pdf"), big);
    EXPECT_EQ(readAll(m_target + "/lib/deep/file.dat"), "x");
    const QList<QPair<const char*, mode_t>> modes = { { "fendrix", 0755 }, { "readme.txt", 0644 },
        { "docs/manual.pdf", 0600 }, { "setup", 0755 }, { "shared.dat", 0644 }, { "unrecorded.dat", 0644 } };
    for (const auto& [name, mode] : modes) {
        struct stat st { };
        ASSERT_EQ(stat(QFile::encodeName(m_target + "/" + name).constData(), &st), 0) << name;
        EXPECT_EQ(st.st_mode & 0777, mode) << name;
    }
}

TEST_F(Unzip, EntriesLeavingTheFolderRefuseTheArchiveBeforeAnyWrite)
{
    const QList<QByteArray> hostile = { "../evil.sh", "a/../../evil.sh", "/tmp/evil.sh", "..\\evil.sh",
        "a\\..\\..\\evil", "C:/evil.exe", "..", "sub/.." };
    for (const QByteArray& name : hostile) {
        QString error;
        // The honest entry comes first: nothing at all may be written.
        EXPECT_FALSE(unzip({ { "good.txt", "fine" }, { name, "pwned", 0755 } }, &error)) << name.constData();
        EXPECT_FALSE(error.isEmpty());
        EXPECT_TRUE(filesWritten().isEmpty())
            << name.constData() << ": " << filesWritten().join(",").toStdString();
    }
}

TEST_F(Unzip, SymbolicLinksAndSpecialFilesAreRefused)
{
    EXPECT_FALSE(unzip({ { "link", "/etc/passwd", 0777, S_IFLNK } }));
    EXPECT_FALSE(unzip({ { "fifo", "", 0644, S_IFIFO } }));
    EXPECT_TRUE(filesWritten().isEmpty());
}

TEST_F(Unzip, HarmlessOddNamesStayInside)
{
    ASSERT_TRUE(unzip({ { "./a.txt", "1" }, { "b//c.txt", "2" }, { "d/./e.txt", "3" }, { "..x", "4" } }));
    EXPECT_EQ(readAll(m_target + "/a.txt"), "1");
    EXPECT_EQ(readAll(m_target + "/b/c.txt"), "2");
    EXPECT_EQ(readAll(m_target + "/d/e.txt"), "3");
    EXPECT_EQ(readAll(m_target + "/..x"), "4");
}

TEST_F(Unzip, LimitsAndBrokenArchives)
{
    platform::UnzipLimits limits;
    limits.maxTotalSize = 1000;
    EXPECT_FALSE(unzip({ { "a", QByteArray(600, 'a') }, { "b", QByteArray(600, 'b') } }, nullptr, limits));
    limits = {};
    limits.maxEntries = 2;
    EXPECT_FALSE(unzip({ { "a", "1" }, { "b", "2" }, { "c", "3" } }, nullptr, limits));
    EXPECT_TRUE(filesWritten().isEmpty());

    // Not an archive at all, an archive cut short, and one whose data fails its checksum.
    EXPECT_FALSE(unzipBytes("this is not a zip file"));
    const QByteArray whole = makeZip({ { "data.bin", QByteArray(100000, 'z') } });
    EXPECT_FALSE(unzipBytes(whole.left(whole.size() / 2)));
    QByteArray data(5000, '\0');
    for (int i = 0; i < data.size(); ++i)
        data[i] = char(i * 31 + 7);
    QByteArray corrupt = makeZip({ { "payload.bin", data } });
    // Flip a byte inside the stored data (after the 30-byte local header and the name).
    const qsizetype at = corrupt.indexOf("payload.bin") + 11 + 100;
    corrupt[at] = char(corrupt[at] ^ 0x55);
    EXPECT_FALSE(unzipBytes(corrupt));
}

TEST_F(Unzip, TheDefaultBoundsRefuseTheWholeArchive)
{
    // More entries than a release has, though each is empty.
    QList<ZipItem> many { { "honest.txt", "fine" } };
    for (int i = 0; i < 10000; ++i)
        many << ZipItem { "e" + QByteArray::number(i), {} };
    QString error;
    EXPECT_FALSE(unzip(many, &error));
    EXPECT_TRUE(filesWritten().isEmpty()) << filesWritten().size();

    // An entry announcing more than a download may bring (1 GiB): its sizes in the local and
    // central headers say 0x40000001 bytes.
    QByteArray archive = makeZip({ { "honest.txt", "fine" }, { "bomb.bin", "tiny" } });
    const QByteArray announced("\x01\x00\x00\x40", 4);
    for (const QByteArray& signature : { QByteArray("PK\x03\x04"), QByteArray("PK\x01\x02") }) {
        const int sizeAt = signature[2] == 3 ? 22 : 24;
        qsizetype at = archive.indexOf(signature);
        at = archive.indexOf(signature, at + 4); // the second entry's header
        ASSERT_GE(at, 0);
        archive.replace(at + sizeAt, 4, announced);
    }
    EXPECT_FALSE(unzipBytes(archive));
    EXPECT_TRUE(filesWritten().isEmpty()) << filesWritten().join(",").toStdString();
}
