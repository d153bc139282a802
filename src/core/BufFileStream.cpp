#include "core/BufFileStream.h"

#include "core/PlatformUtil.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string sysError(const std::string& context, const std::string& file)
{
    return context + ": " + file + ": " + std::strerror(errno);
}

std::string twinName(const std::string& fileName)
{
    return std::filesystem::path(fileName).replace_extension(".wk_").string();
}

} // namespace

TBufFileStream::TBufFileStream(const std::string& fileName, int mode, std::uint8_t bufferKb)
    : name_(fileName)
    , buffer_(static_cast<std::size_t>(bufferKb) * 1024u)
{
    int flags = O_RDONLY;
    if (mode == bufmode::Create)
        flags = O_RDWR | O_CREAT | O_TRUNC;
    else if ((mode & 0x0F) == 0x02)
        flags = O_RDWR;
    else if ((mode & 0x0F) == 0x01)
        flags = O_WRONLY;
    fd_ = ::open(fileName.c_str(), flags | O_CLOEXEC, 0644);
    if (fd_ < 0)
        throw EBufFileStreamError(sysError("TBufFileStream.Create", fileName));
}

TBufFileStream::~TBufFileStream()
{
    if (fd_ >= 0)
        ::close(fd_);
}

// Reads from the file into the buffer from index `at` to its end; the
// number of bytes read (0 at the end of the file).
std::int64_t TBufFileStream::fillFrom(std::size_t at)
{
    std::size_t done = at;
    while (done < buffer_.size()) {
        const ssize_t n = ::read(fd_, buffer_.data() + done, buffer_.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw EBufFileStreamError(sysError("TBufFileStream.Read", name_));
        }
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<std::int64_t>(done - at);
}

std::int64_t TBufFileStream::Read(void* destination, std::int64_t count)
{
    if (count > static_cast<std::int64_t>(buffer_.size()))
        throw EBufFileStreamError("バッファの大きさを越えています。");
    if (count <= 0)
        return 0;
    if (bufferCount_ == 0) {
        bufferPos_ = 0;
        bufferCount_ = fillFrom(0);
        if (bufferCount_ == 0)
            return 0;
    } else if (bufferCount_ - bufferPos_ < count) {
        const std::int64_t left = bufferCount_ - bufferPos_;
        std::memmove(buffer_.data(), buffer_.data() + bufferPos_, static_cast<std::size_t>(left));
        bufferCount_ = left + fillFrom(static_cast<std::size_t>(left));
        bufferPos_ = 0;
        if (bufferCount_ == 0)
            return 0;
    }
    const std::int64_t n = std::min(count, bufferCount_ - bufferPos_);
    std::memcpy(destination, buffer_.data() + bufferPos_, static_cast<std::size_t>(n));
    bufferPos_ += n;
    position_ += n;
    return n;
}

std::int64_t TBufFileStream::Write(const void* source, std::int64_t count)
{
    const char* p = static_cast<const char*>(source);
    std::int64_t done = 0;
    while (done < count) {
        const ssize_t n = ::write(fd_, p + done, static_cast<std::size_t>(count - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw EBufFileStreamError(sysError("TBufFileStream.Write", name_));
        }
        done += n;
    }
    return done;
}

std::int64_t TBufFileStream::Seek(std::int64_t offset, int origin)
{
    int whence = SEEK_SET;
    if (origin == 1)
        offset += position_;
    else if (origin == 2)
        whence = SEEK_END;
    const off_t r = ::lseek(fd_, static_cast<off_t>(offset), whence);
    if (r < 0)
        throw EBufFileStreamError(sysError("TBufFileStream.Seek", name_));
    bufferPos_ = 0;
    bufferCount_ = 0;
    position_ = static_cast<std::int64_t>(r);
    return position_;
}

void TBufFileStream::Flush()
{
    if (::fsync(fd_) != 0)
        throw EBufFileStreamError(sysError("TBufFileStream.Flush", name_));
}

std::int64_t TBufFileStream::Size() const
{
    struct stat st { };
    if (::fstat(fd_, &st) != 0)
        throw EBufFileStreamError(sysError("TBufFileStream.Size", name_));
    return static_cast<std::int64_t>(st.st_size);
}

bool SameBytes(const void* a, const void* b, std::size_t n)
{
    return std::memcmp(a, b, n) == 0;
}

void AppendTrailerText(const std::string& fileName, const std::string& bytes)
{
    TBufFileStream f(fileName, bufmode::ReadWriteShared, 1);
    f.Seek(0, 2);
    f.Write(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    f.Flush();
}

std::int64_t FindTrailerMarker(const std::string& fileName, const std::string& marker, std::string& text)
{
    text.clear();
    if (marker.empty())
        return -1;
    TBufFileStream f(fileName, bufmode::Read, 16);
    const std::int64_t size = f.Size();
    const std::int64_t start = std::max<std::int64_t>(0, size - kTrailerMaxBytes);
    f.Seek(start, 0);
    std::string tail(static_cast<std::size_t>(size - start), '\0');
    std::int64_t got = 0;
    while (got < static_cast<std::int64_t>(tail.size())) {
        const std::int64_t n = f.Read(tail.data() + got, std::min<std::int64_t>(512, tail.size() - got));
        if (n == 0)
            break;
        got += n;
    }
    tail.resize(static_cast<std::size_t>(got));

    std::int64_t result = -1;
    for (std::size_t i = 0; i + marker.size() <= tail.size(); ++i) {
        if (!SameBytes(tail.data() + i, marker.data(), marker.size()))
            continue;
        const std::int64_t at = start + static_cast<std::int64_t>(i);
        if (at == 0) {
            result = 0; // a file that begins with the marker has no block
            continue;
        }
        result = at;
        break;
    }
    if (result > 0) {
        std::string block = tail.substr(static_cast<std::size_t>(result - start), kTrailerMaxBytes);
        const auto zero = block.find('\0');
        if (zero != std::string::npos)
            block.resize(zero);
        text = std::move(block);
    }
    return result;
}

bool ReadTrailerText(const std::string& fileName, const std::string& marker, std::string& text, bool cut)
{
    text.clear();
    const std::int64_t at = FindTrailerMarker(fileName, marker, text);
    if (at <= 0 || !cut)
        return false;

    // The cut copy goes to the twin; the full file stays until the copy is
    // complete and renamed over it. A twin left behind by an earlier failed
    // cut is only ever a partial copy, so it may go.
    const std::string twin = twinName(fileName);
    std::error_code ec;
    if (std::filesystem::exists(twin, ec))
        ShellDeleteRename(twin, 3, false, false);
    try {
        TBufFileStream source(fileName, bufmode::ReadShared, 16);
        TBufFileStream target(twin, bufmode::Create, 1);
        char block[512];
        std::int64_t left = at;
        while (left > 0) {
            const std::int64_t n = source.Read(block, std::min<std::int64_t>(512, left));
            if (n == 0)
                throw EBufFileStreamError("ReadTrailerText: " + fileName + ": the file ended early");
            target.Write(block, n);
            left -= n;
        }
        target.Flush();
    } catch (...) {
        std::filesystem::remove(twin, ec);
        throw;
    }
    std::filesystem::rename(twin, fileName, ec);
    if (ec) {
        std::error_code ignored;
        std::filesystem::remove(twin, ignored);
        return false;
    }
    return true;
}
