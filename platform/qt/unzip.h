#pragma once
// Unpacking a ZIP archive into a folder, for downloaded update archives (untrusted input).
#include <QString>

namespace platform {

// A release is a handful of files; an archive far beyond that is a mistake or an attack, and
// unpacking it whole would fill the disk or take minutes.
struct UnzipLimits {
    qint64 maxEntries = 10000;
    qint64 maxTotalSize = qint64(1) << 30; // sum of the announced uncompressed sizes
};

// Unpacks every entry of the archive below folder, which must exist. Directory entries
// become folders; files keep the Unix read and execute bits the archive records (0644 when it
// records none), are writable by their owner and never by group or others. The whole archive is checked
// before anything is written: an entry whose name is absolute, carries a drive, has a ".." component or a NUL
// byte, or is a symbolic link refuses the archive, as does one beyond the limits. A file whose bytes do not
// match its announced size or checksum fails the unpacking part-way. Returns false with a
// reason in *error.
bool UnzipArchive(
    const QString& archive, const QString& folder, QString* error, const UnzipLimits& limits = {});

} // namespace platform
