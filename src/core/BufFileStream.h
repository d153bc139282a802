#pragma once
// A read-ahead file stream and the three routines that append, find and cut
// the text block kept at the end of a backup file.
//
// Positions are 64-bit: backups of several gigabytes are common.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

// Open modes of TBufFileStream (the two the routines use, plus the
// read-write form AppendTrailerText uses).
namespace bufmode {
constexpr int Read = 0x00;
constexpr int ReadShared = 0x40;
constexpr int ReadWriteShared = 0x42;
constexpr int Create = 0xFFFF;
} // namespace bufmode

class EBufFileStreamError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TBufFileStream {
public:
    // Opens the file (modes above; Create makes a new empty file) and
    // allocates a buffer of bufferKb × 1,024 bytes. Throws
    // EBufFileStreamError when the file cannot be opened.
    TBufFileStream(const std::string& fileName, int mode, std::uint8_t bufferKb);
    ~TBufFileStream();
    TBufFileStream(const TBufFileStream&) = delete;
    TBufFileStream& operator=(const TBufFileStream&) = delete;

    // Copies up to count bytes; fewer only at the end of the file, 0 once
    // the end is reached. A count above the buffer size throws
    // "バッファの大きさを越えています。" and reads nothing.
    std::int64_t Read(void* destination, std::int64_t count);
    // Writes straight to the file at the file's own position.
    std::int64_t Write(const void* source, std::int64_t count);
    // Origin 0 start, 1 current logical position, 2 end. Empties the buffer.
    std::int64_t Seek(std::int64_t offset, int origin);
    std::int64_t Size() const;
    // Forces the written bytes to the disk.
    void Flush();
    std::int64_t Position() const noexcept { return position_; }

private:
    std::int64_t fillFrom(std::size_t at);
    int fd_ = -1;
    std::string name_;
    std::vector<char> buffer_;
    std::int64_t bufferPos_ = 0;
    std::int64_t bufferCount_ = 0;
    std::int64_t position_ = 0;
};

bool SameBytes(const void* a, const void* b, std::size_t n);

// The longest block the readers take, in bytes.
constexpr std::int64_t kTrailerMaxBytes = 512;

// Appends text (raw bytes) at the end of an existing file. Throws
// EBufFileStreamError when the file cannot be opened or written.
void AppendTrailerText(const std::string& fileName, const std::string& bytes);

// Offset of the block's marker, searched only in the last 512 bytes of the
// file (the block always fits there, and the backup data before it may hold
// the same text): the first occurrence at an offset above 0. text receives
// the bytes from the marker to the first zero byte or the end of the file
// (at most 512). -1 when there is none; 0 and an empty text when the only
// occurrence starts at the first byte.
std::int64_t FindTrailerMarker(const std::string& fileName, const std::string& marker, std::string& text);

// FindTrailerMarker; with cut set and a block found, the file is shortened
// to the bytes before the marker. The cut copy is written to the ".wk_"
// twin first and renamed over the file only when complete, so a failure
// leaves the file as it was. Returns true when the file was cut.
bool ReadTrailerText(const std::string& fileName, const std::string& marker, std::string& text, bool cut);
