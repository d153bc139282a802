#include "platform/ini_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/atomic_file.h"
#include "platform/codec.h"
#include "platform/paths.h"

namespace platform {
namespace {

bool equalsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z')
            x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

std::string_view trimBlanks(std::string_view s)
{
    const auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

std::string_view unquote(std::string_view s)
{
    if (s.size() >= 2 && (s.front() == '"' || s.front() == '\'') && s.back() == s.front())
        return s.substr(1, s.size() - 2);
    return s;
}

std::string errnoText(int err)
{
    return std::generic_category().message(err);
}

[[noreturn]] void fail(std::string_view operation, const std::string& path, const std::string& why)
{
    throw IniError("IniFile." + std::string(operation) + ": " + path + ": " + why);
}

std::string encode(std::string_view operation, const std::string& path, std::string_view utf8)
{
    try {
        return codec::toSjis(utf8);
    } catch (const codec::CodecError& e) {
        fail(operation, path, e.what());
    }
}

void checkName(std::string_view operation, const std::string& path, std::string_view name, bool isSection)
{
    if (name.empty() || name.find_first_of("\r\n") != std::string_view::npos || trimBlanks(name).size() != name.size())
        fail(operation, path, "invalid name \"" + std::string(name) + "\"");
    if (isSection && name.find(']') != std::string_view::npos)
        fail(operation, path, "invalid section name \"" + std::string(name) + "\"");
    if (!isSection && (name.find('=') != std::string_view::npos || name.front() == '[' || name.front() == ';'))
        fail(operation, path, "invalid key name \"" + std::string(name) + "\"");
}

void checkValue(std::string_view operation, const std::string& path, std::string_view value)
{
    if (value.find_first_of("\r\n") != std::string_view::npos)
        fail(operation, path, "a value cannot hold a line break");
}

bool parseInteger(std::string_view text, std::int64_t& out)
{
    text = trimBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    } else if (text.size() > 1 && text[0] == '$') {
        base = 16;
        text.remove_prefix(1);
    }
    if (text.empty())
        return false;
    std::uint64_t value = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        if (value > (UINT64_MAX - static_cast<unsigned>(digit)) / static_cast<unsigned>(base))
            return false;
        value = value * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
    }
    if (base == 10 && value > static_cast<std::uint64_t>(INT64_MAX) + (negative ? 1u : 0u))
        return false;
    out = negative ? static_cast<std::int64_t>(0 - value) : static_cast<std::int64_t>(value);
    return true;
}

// Decodes what can be decoded; each byte sequence that is not code page 932
// becomes U+FFFD, and *bad tells that one was met.
std::string decodeLenient(std::string_view raw, bool* bad)
{
    try {
        return codec::fromSjis(raw);
    } catch (const codec::CodecError&) {
    }
    *bad = true;
    std::string out;
    std::size_t i = 0;
    while (i < raw.size()) {
        const unsigned char c = static_cast<unsigned char>(raw[i]);
        const std::size_t len = codec::isSjisLeadByte(c) && i + 1 < raw.size() ? 2 : 1;
        try {
            out += codec::fromSjis(raw.substr(i, len));
            i += len;
        } catch (const codec::CodecError&) {
            codec::appendUtf8(out, U'\uFFFD');
            i += 1;
        }
    }
    return out;
}

// Serialises the writers of the files in one folder across processes (and
// across IniFile objects of one process: flock locks belong to the open
// file). The folder is locked rather than the file, because each save
// replaces the file by another one.
class FolderLock {
public:
    explicit FolderLock(const std::string& path)
    {
        const std::string folder = paths::folderOf(path).empty() ? std::string(".") : paths::folderOf(path);
        fd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd_ < 0)
            return; // a missing folder: the save reports it
        int rc;
        do
            rc = ::flock(fd_, LOCK_EX);
        while (rc != 0 && errno == EINTR);
    }
    ~FolderLock()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    int fd_ = -1;
};

} // namespace

IniFile::IniFile(std::string path)
    : path_(std::move(path))
{
}

IniFile::Snapshot IniFile::loadFromDisk() const
{
    Snapshot snap;
    std::ifstream in(path_, std::ios::binary);
    if (!in) {
        if (!paths::exists(path_))
            return snap;
        fail("Read", path_, "cannot open: " + errnoText(errno));
    }
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        fail("Read", path_, "cannot read");
    snap.exists = true;

    if (bytes.find("\r\n") != std::string::npos)
        snap.lineEnd = "\r\n";
    else if (bytes.find('\n') != std::string::npos)
        snap.lineEnd = "\n";
    snap.endsWithNewline = bytes.empty() || bytes.back() == '\n';

    std::string currentSection;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t end = bytes.find('\n', pos);
        if (end == std::string::npos)
            end = bytes.size();
        Line line;
        line.raw = bytes.substr(pos, end - pos);
        if (!line.raw.empty() && line.raw.back() == '\r')
            line.raw.pop_back();
        pos = end + 1;

        const std::string text = decodeLenient(line.raw, &line.undecodable);
        const std::string_view t = trimBlanks(text);
        if (!t.empty() && t.front() == '[') {
            const auto close = t.find(']');
            if (close != std::string_view::npos) {
                line.kind = Line::Header;
                line.section = std::string(trimBlanks(t.substr(1, close - 1)));
                currentSection = line.section;
            }
        } else if (!t.empty() && t.front() != ';') {
            const auto eq = t.find('=');
            if (eq != std::string_view::npos) {
                line.kind = Line::Entry;
                line.section = currentSection;
                line.key = std::string(trimBlanks(t.substr(0, eq)));
                line.value = std::string(unquote(trimBlanks(t.substr(eq + 1))));
            }
        }
        snap.lines.push_back(std::move(line));
    }
    return snap;
}

const IniFile::Snapshot& IniFile::current() const
{
    struct stat st { };
    const bool present = ::stat(path_.c_str(), &st) == 0;
    const FileStamp stamp = present
        ? FileStamp {true, static_cast<std::uint64_t>(st.st_ino), static_cast<std::int64_t>(st.st_size),
            static_cast<std::int64_t>(st.st_mtim.tv_sec), static_cast<std::int64_t>(st.st_mtim.tv_nsec)}
        : FileStamp {};
    if (!cacheValid_ || !(stamp == cacheStamp_)) {
        cache_ = loadFromDisk();
        cacheStamp_ = stamp;
        cacheValid_ = true;
    }
    return cache_;
}

void IniFile::save(const Snapshot& snapshot, const char* operation)
{
    std::string bytes;
    for (std::size_t i = 0; i < snapshot.lines.size(); ++i) {
        bytes += snapshot.lines[i].raw;
        if (i + 1 < snapshot.lines.size() || snapshot.endsWithNewline)
            bytes += snapshot.lineEnd;
    }
    try {
        writeFileAtomically(path_, bytes, std::string("IniFile.") + operation);
    } catch (const FileWriteError& e) {
        throw IniError(e.what());
    }
    cacheValid_ = false; // re-stat on the next read
}

namespace {

// Index range [first, end) of a section's body (after its header), or
// first == npos when the section is missing. The first section of that
// name counts, as with the Windows calls.
struct Range {
    std::size_t header = std::string::npos;
    std::size_t end = 0;
};

template <typename Lines> Range findSection(const Lines& lines, std::string_view section)
{
    Range r;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].kind == std::decay_t<decltype(lines[i])>::Header) {
            if (r.header != std::string::npos) {
                r.end = i;
                return r;
            }
            if (equalsNoCase(lines[i].section, section))
                r.header = i;
        }
    }
    r.end = lines.size();
    return r;
}

template <typename Lines> std::size_t findKey(const Lines& lines, const Range& r, std::string_view key)
{
    if (r.header == std::string::npos)
        return std::string::npos;
    for (std::size_t i = r.header + 1; i < r.end; ++i)
        if (lines[i].kind == std::decay_t<decltype(lines[i])>::Entry && equalsNoCase(lines[i].key, key))
            return i;
    return std::string::npos;
}

} // namespace

std::string IniFile::readString(std::string_view section, std::string_view key, std::string_view defaultValue) const
{
    const Snapshot& snap = current();
    const Range r = findSection(snap.lines, section);
    const std::size_t i = findKey(snap.lines, r, key);
    if (i == std::string::npos)
        return std::string(defaultValue);
    if (snap.lines[i].undecodable)
        fail(
            "Read", path_, "[" + std::string(section) + "] " + std::string(key) + ": bytes that are not code page 932");
    return snap.lines[i].value;
}

std::int64_t IniFile::readInteger(std::string_view section, std::string_view key, std::int64_t defaultValue) const
{
    const std::string text = readString(section, key, "");
    std::int64_t value = 0;
    return parseInteger(text, value) ? value : defaultValue;
}

bool IniFile::readBool(std::string_view section, std::string_view key, bool defaultValue) const
{
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void IniFile::writeString(std::string_view section, std::string_view key, std::string_view value)
{
    checkName("WriteString", path_, section, true);
    checkName("WriteString", path_, key, false);
    checkValue("WriteString", path_, value);

    const FolderLock lock(path_);
    cacheValid_ = false; // read what the last writer left
    Snapshot snap = current();
    const Range r = findSection(snap.lines, section);
    const std::size_t i = findKey(snap.lines, r, key);
    if (i != std::string::npos) {
        Line& line = snap.lines[i];
        line.raw = encode("WriteString", path_, line.key + "=" + std::string(value));
        line.value = std::string(unquote(trimBlanks(value)));
    } else {
        Line entry;
        entry.kind = Line::Entry;
        entry.section = std::string(section);
        entry.key = std::string(key);
        entry.value = std::string(unquote(trimBlanks(value)));
        entry.raw = encode("WriteString", path_, std::string(key) + "=" + std::string(value));
        if (r.header == std::string::npos) {
            Line header;
            header.kind = Line::Header;
            header.section = std::string(section);
            header.raw = encode("WriteString", path_, "[" + std::string(section) + "]");
            snap.endsWithNewline = true;
            snap.lines.push_back(std::move(header));
            snap.lines.push_back(std::move(entry));
        } else {
            // After the section's last non-blank line, so the blank line
            // that separates it from the next section stays after it.
            std::size_t at = r.end;
            while (at > r.header + 1 && trimBlanks(snap.lines[at - 1].raw).empty())
                --at;
            if (at == snap.lines.size())
                snap.endsWithNewline = true;
            snap.lines.insert(snap.lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(entry));
        }
    }
    save(snap, "WriteString");
}

void IniFile::writeInteger(std::string_view section, std::string_view key, std::int64_t value)
{
    writeString(section, key, std::to_string(value));
}

void IniFile::writeBool(std::string_view section, std::string_view key, bool value)
{
    writeString(section, key, value ? "1" : "0");
}

std::vector<std::string> IniFile::readSection(std::string_view section) const
{
    std::vector<std::string> keys;
    const Snapshot& snap = current();
    const Range r = findSection(snap.lines, section);
    if (r.header == std::string::npos)
        return keys;
    for (std::size_t i = r.header + 1; i < r.end; ++i)
        if (snap.lines[i].kind == Line::Entry)
            keys.push_back(snap.lines[i].key);
    return keys;
}

std::vector<std::string> IniFile::readSections() const
{
    std::vector<std::string> names;
    for (const Line& line : current().lines)
        if (line.kind == Line::Header) {
            bool seen = false;
            for (const auto& n : names)
                seen = seen || equalsNoCase(n, line.section);
            if (!seen)
                names.push_back(line.section);
        }
    return names;
}

std::vector<std::string> IniFile::readSectionValues(std::string_view section) const
{
    std::vector<std::string> lines;
    const Snapshot& snap = current();
    const Range r = findSection(snap.lines, section);
    if (r.header == std::string::npos)
        return lines;
    for (std::size_t i = r.header + 1; i < r.end; ++i)
        if (snap.lines[i].kind == Line::Entry) {
            if (snap.lines[i].undecodable)
                fail("ReadSectionValues", path_,
                    "[" + std::string(section) + "] " + snap.lines[i].key + ": bytes that are not code page 932");
            lines.push_back(snap.lines[i].key + "=" + snap.lines[i].value);
        }
    return lines;
}

bool IniFile::sectionExists(std::string_view section) const
{
    return findSection(current().lines, section).header != std::string::npos;
}

bool IniFile::valueExists(std::string_view section, std::string_view key) const
{
    const Snapshot& snap = current();
    return findKey(snap.lines, findSection(snap.lines, section), key) != std::string::npos;
}

void IniFile::eraseSection(std::string_view section)
{
    const FolderLock lock(path_);
    cacheValid_ = false; // read what the last writer left
    Snapshot snap = current();
    const Range r = findSection(snap.lines, section);
    if (r.header == std::string::npos)
        return;
    snap.lines.erase(snap.lines.begin() + static_cast<std::ptrdiff_t>(r.header),
        snap.lines.begin() + static_cast<std::ptrdiff_t>(r.end));
    save(snap, "EraseSection");
}

void IniFile::deleteKey(std::string_view section, std::string_view key)
{
    const FolderLock lock(path_);
    cacheValid_ = false; // read what the last writer left
    Snapshot snap = current();
    const std::size_t i = findKey(snap.lines, findSection(snap.lines, section), key);
    if (i == std::string::npos)
        return;
    snap.lines.erase(snap.lines.begin() + static_cast<std::ptrdiff_t>(i));
    save(snap, "DeleteKey");
}

void IniFile::writeSection(std::string_view section, const std::vector<std::string>& keyValueLines)
{
    checkName("WriteSection", path_, section, true);
    const FolderLock lock(path_);
    cacheValid_ = false; // read what the last writer left
    Snapshot snap = current();
    std::vector<Line> body;
    Line header;
    header.kind = Line::Header;
    header.section = std::string(section);
    header.raw = encode("WriteSection", path_, "[" + std::string(section) + "]");
    body.push_back(std::move(header));
    for (const std::string& kv : keyValueLines) {
        checkValue("WriteSection", path_, kv);
        const auto eq = kv.find('=');
        const std::string key(trimBlanks(std::string_view(kv).substr(0, eq)));
        checkName("WriteSection", path_, key, false);
        Line entry;
        entry.kind = Line::Entry;
        entry.section = std::string(section);
        entry.key = key;
        const std::string value = eq == std::string::npos ? std::string() : kv.substr(eq + 1);
        entry.value = std::string(unquote(trimBlanks(value)));
        entry.raw = encode("WriteSection", path_, key + "=" + value);
        body.push_back(std::move(entry));
    }

    const Range r = findSection(snap.lines, section);
    std::size_t at = snap.lines.size();
    if (r.header != std::string::npos) {
        // Keep the blank lines that separated the old section from the next.
        std::size_t end = r.end;
        while (end > r.header + 1 && trimBlanks(snap.lines[end - 1].raw).empty())
            --end;
        snap.lines.erase(snap.lines.begin() + static_cast<std::ptrdiff_t>(r.header),
            snap.lines.begin() + static_cast<std::ptrdiff_t>(end));
        at = r.header;
    }
    if (at == snap.lines.size())
        snap.endsWithNewline = true;
    snap.lines.insert(snap.lines.begin() + static_cast<std::ptrdiff_t>(at), body.begin(), body.end());
    save(snap, "WriteSection");
}

} // namespace platform
