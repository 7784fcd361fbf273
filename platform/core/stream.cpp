#include "platform/core/stream.h"

#include "platform/core/exceptions.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

int64_t TStream::Size()
{
    const int64_t here = Seek(0, TSeekOrigin::soCurrent);
    const int64_t end = Seek(0, TSeekOrigin::soEnd);
    Seek(here, TSeekOrigin::soBeginning);
    return end;
}

void TStream::ReadBuffer(void* buffer, int64_t count)
{
    if (count < 0)
        throw EReadError("Stream read error");
    auto* out = static_cast<uint8_t*>(buffer);
    int64_t done = 0;
    while (done < count) {
        const int64_t n = Read(out + done, count - done);
        if (n <= 0)
            throw EReadError("Stream read error");
        done += n;
    }
}

void TStream::WriteBuffer(const void* buffer, int64_t count)
{
    if (count < 0)
        throw EWriteError("Stream write error");
    const auto* in = static_cast<const uint8_t*>(buffer);
    int64_t done = 0;
    while (done < count) {
        const int64_t n = Write(in + done, count - done);
        if (n <= 0)
            throw EWriteError("Stream write error");
        done += n;
    }
}

int64_t TStream::CopyFrom(TStream& source, int64_t count)
{
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    if (count < 0)
        throw EReadError("Stream read error");
    constexpr int64_t chunk = 64 * 1024;
    std::vector<uint8_t> buffer(static_cast<std::size_t>(std::min(count, chunk)));
    int64_t left = count;
    while (left > 0) {
        const int64_t n = std::min(left, chunk);
        source.ReadBuffer(buffer.data(), n);
        WriteBuffer(buffer.data(), n);
        left -= n;
    }
    return count;
}

void TStream::RaiseInvalidPosition()
{
    throw EStreamError("Invalid stream position");
}

// ---- TMemoryStream ----

int64_t TMemoryStream::Read(void* buffer, int64_t count)
{
    const int64_t size = Size();
    if (count <= 0 || m_position >= size)
        return 0;
    const int64_t n = std::min(count, size - m_position);
    std::memcpy(buffer, m_data.data() + m_position, static_cast<std::size_t>(n));
    m_position += n;
    return n;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count)
{
    if (count <= 0)
        return 0;
    if (m_position > std::numeric_limits<int64_t>::max() - count)
        throw EWriteError("Stream write error");
    const int64_t end = m_position + count;
    if (end > Size()) {
        Reserve(static_cast<uint64_t>(end));
        m_data.resize(static_cast<std::size_t>(end)); // a gap left by a seek past the end reads as zeros
    }
    std::memcpy(m_data.data() + m_position, buffer, static_cast<std::size_t>(count));
    m_position = end;
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin)
{
    int64_t base = 0;
    switch (origin) {
    case TSeekOrigin::soBeginning:
        base = 0;
        break;
    case TSeekOrigin::soCurrent:
        base = m_position;
        break;
    case TSeekOrigin::soEnd:
        base = Size();
        break;
    }
    if ((offset > 0 && base > std::numeric_limits<int64_t>::max() - offset) || base + offset < 0)
        RaiseInvalidPosition();
    m_position = base + offset;
    return m_position;
}

void TMemoryStream::SetSize(int64_t newSize)
{
    if (newSize < 0)
        RaiseInvalidPosition();
    Reserve(static_cast<uint64_t>(newSize));
    m_data.resize(static_cast<std::size_t>(newSize));
    if (m_position > newSize)
        m_position = newSize;
}

void TMemoryStream::Reserve(uint64_t size)
{
    if (size <= m_data.capacity())
        return;
    if (size > m_data.max_size())
        RaiseOutOfResources(ENOMEM);
    // Grow geometrically so that many small writes stay linear overall.
    uint64_t capacity = std::max<uint64_t>(size, m_data.capacity() + m_data.capacity() / 2);
    capacity = std::min<uint64_t>(capacity, m_data.max_size());
    try {
        m_data.reserve(static_cast<std::size_t>(capacity));
    } catch (const std::bad_alloc&) {
        RaiseOutOfResources(ENOMEM);
    }
}

void TMemoryStream::Clear()
{
    m_data.clear();
    m_data.shrink_to_fit();
    m_position = 0;
}

void TMemoryStream::LoadFromStream(TStream& stream)
{
    stream.SetPosition(0);
    const int64_t size = stream.Size();
    std::vector<uint8_t> data;
    try {
        data.resize(static_cast<std::size_t>(size));
    } catch (const std::bad_alloc&) {
        RaiseOutOfResources(ENOMEM);
    }
    if (size > 0)
        stream.ReadBuffer(data.data(), size);
    m_data.swap(data);
    m_position = 0;
}

void TMemoryStream::LoadFromFile(const std::string& fileName)
{
    TFileStream file(fileName, fmOpenRead);
    LoadFromStream(file);
}

void TMemoryStream::SaveToStream(TStream& stream) const
{
    if (!m_data.empty())
        stream.WriteBuffer(m_data.data(), static_cast<int64_t>(m_data.size()));
}

void TMemoryStream::SaveToFile(const std::string& fileName) const
{
    TFileStream file(fileName, fmCreate);
    SaveToStream(file);
}

// ---- TFileStream ----

TFileStream::TFileStream(const std::string& fileName, uint32_t mode)
    : m_fileName(fileName)
{
    if (mode == fmCreate) {
        m_fd = ::open(fileName.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (m_fd < 0)
            throw EFCreateError(
                Format("Cannot create file \"%s\". %s", fileName.c_str(), std::strerror(errno)));
        return;
    }
    int flags = O_RDONLY;
    if ((mode & 3) == fmOpenWrite)
        flags = O_WRONLY;
    else if ((mode & 3) == fmOpenReadWrite)
        flags = O_RDWR;
    m_fd = ::open(fileName.c_str(), flags | O_CLOEXEC);
    if (m_fd < 0)
        throw EFOpenError(Format("Cannot open file \"%s\". %s", fileName.c_str(), std::strerror(errno)));
    struct stat info { };
    if (::fstat(m_fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(m_fd);
        m_fd = -1;
        throw EFOpenError(Format("Cannot open file \"%s\". %s", fileName.c_str(), std::strerror(EISDIR)));
    }
}

TFileStream::~TFileStream()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

int64_t TFileStream::Read(void* buffer, int64_t count)
{
    auto* out = static_cast<uint8_t*>(buffer);
    int64_t done = 0;
    while (done < count) {
        const std::size_t want = static_cast<std::size_t>(std::min<int64_t>(count - done, 1 << 30));
        const ssize_t n = ::read(m_fd, out + done, want);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += n;
    }
    return done;
}

int64_t TFileStream::Write(const void* buffer, int64_t count)
{
    const auto* in = static_cast<const uint8_t*>(buffer);
    int64_t done = 0;
    while (done < count) {
        const std::size_t want = static_cast<std::size_t>(std::min<int64_t>(count - done, 1 << 30));
        const ssize_t n = ::write(m_fd, in + done, want);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += n;
    }
    return done;
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin)
{
    int whence = SEEK_SET;
    if (origin == TSeekOrigin::soCurrent)
        whence = SEEK_CUR;
    else if (origin == TSeekOrigin::soEnd)
        whence = SEEK_END;
    const off_t result = ::lseek(m_fd, static_cast<off_t>(offset), whence);
    if (result < 0)
        RaiseInvalidPosition();
    return static_cast<int64_t>(result);
}

void TFileStream::SetSize(int64_t newSize)
{
    if (newSize < 0 || ::ftruncate(m_fd, static_cast<off_t>(newSize)) != 0)
        throw EStreamError(Format("Cannot set the size of file \"%s\". %s", m_fileName.c_str(),
            std::strerror(newSize < 0 ? EINVAL : errno)));
    if (Position() > newSize)
        SetPosition(newSize);
}

int64_t TFileStream::Size()
{
    struct stat info { };
    if (::fstat(m_fd, &info) != 0)
        return TStream::Size();
    return static_cast<int64_t>(info.st_size);
}

} // namespace platform
