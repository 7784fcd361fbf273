#pragma once
// Byte streams: the common reader/writer role that pictures and project files use, with a
// memory stream and a file stream. Reads that must be complete (ReadBuffer) raise EReadError
// on a short read instead of leaving the caller with undefined bytes.
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
public:
    virtual ~TStream() = default;

    // Reads up to count bytes; returns how many were read (0 at the end).
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    // Writes up to count bytes; returns how many were written.
    virtual int64_t Write(const void* buffer, int64_t count) = 0;
    // Moves the position and returns the new one. A position before the start raises EStreamError.
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
    virtual void SetSize(int64_t newSize) = 0;

    virtual int64_t Size();
    int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
    void SetPosition(int64_t position) { Seek(position, TSeekOrigin::soBeginning); }

    // Reads exactly count bytes or raises EReadError "Stream read error".
    void ReadBuffer(void* buffer, int64_t count);
    // Writes exactly count bytes or raises EWriteError "Stream write error".
    void WriteBuffer(const void* buffer, int64_t count);
    // Copies count bytes from source at its position; count 0 copies the whole source from its
    // start. Returns the number of bytes copied.
    int64_t CopyFrom(TStream& source, int64_t count);

protected:
    [[noreturn]] static void RaiseInvalidPosition();
};

class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    void SetSize(int64_t newSize) override;
    int64_t Size() override { return static_cast<int64_t>(m_data.size()); }

    void Clear();
    const uint8_t* Memory() const { return m_data.data(); }
    uint8_t* Memory() { return m_data.data(); }
    const std::vector<uint8_t>& Bytes() const { return m_data; }

    // Replaces the contents with the whole of stream (from its start) or file; position 0.
    void LoadFromStream(TStream& stream);
    void LoadFromFile(const std::string& fileName);
    // Writes the whole contents, whatever the position.
    void SaveToStream(TStream& stream) const;
    void SaveToFile(const std::string& fileName) const;

private:
    void Reserve(uint64_t size);

    std::vector<uint8_t> m_data;
    int64_t m_position = 0;
};

// File modes (combine an open mode with nothing else; fmCreate creates or truncates).
enum : uint32_t {
    fmOpenRead = 0x0000,
    fmOpenWrite = 0x0001,
    fmOpenReadWrite = 0x0002,
    fmCreate = 0xFF00,
};

class TFileStream : public TStream {
public:
    // Raises EFOpenError "Cannot open file "%s". %s" or EFCreateError "Cannot create file "%s". %s".
    TFileStream(const std::string& fileName, uint32_t mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    void SetSize(int64_t newSize) override;
    int64_t Size() override;

    const std::string& FileName() const { return m_fileName; }

private:
    std::string m_fileName;
    int m_fd = -1;
};

} // namespace platform
