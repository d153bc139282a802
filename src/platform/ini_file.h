#pragma once
// Settings files in the private-profile manner the program's files follow.
//
// - Section and key names match without regard to ASCII case.
// - Values are trimmed of surrounding blanks; one pair of matching quotes
//   around a value is removed. A missing key gives the caller's default.
// - The file is code page 932 on disk; texts are UTF-8 in the program.
// - Every write re-reads the file, changes only the lines concerned and
//   saves the whole file atomically (temporary file in the same folder,
//   fsync, rename), so a crash mid-write leaves the previous file. All
//   other lines (comments, blank lines, other sections, order) are kept
//   byte for byte.
// - Reads see changes made by other processes (the file is re-read when its
//   size or time stamp changed).
//
// - A line whose bytes are not code page 932 does not spoil the file: it is
//   kept byte for byte, and only reading a value from it fails.
// - Writers lock the file's folder (flock) around read-modify-write, so two
//   processes writing one file do not lose each other's changes.
// - A read-only file (no write bit, or not writable for this process) is
//   refused, not replaced through the folder.
//
// Errors (unreadable file, reading a value that is not code page 932, a
// failed or refused save) throw IniError naming the operation and the file.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class IniError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class IniFile {
public:
    // A missing file reads as empty and is created by the first write.
    explicit IniFile(std::string path);

    const std::string& fileName() const { return path_; }

    std::string readString(std::string_view section, std::string_view key, std::string_view defaultValue) const;
    // Decimal, or hexadecimal written "0x..."/"$..."; anything else (or a
    // missing key) gives the default.
    std::int64_t readInteger(std::string_view section, std::string_view key, std::int64_t defaultValue) const;
    // "0" is false, any other number true; a non-number gives the default.
    bool readBool(std::string_view section, std::string_view key, bool defaultValue) const;

    void writeString(std::string_view section, std::string_view key, std::string_view value);
    void writeInteger(std::string_view section, std::string_view key, std::int64_t value);
    void writeBool(std::string_view section, std::string_view key, bool value); // "1"/"0"

    // Key names of a section, in file order.
    std::vector<std::string> readSection(std::string_view section) const;
    // Section names, in file order.
    std::vector<std::string> readSections() const;
    // "key=value" lines of a section, in file order (values trimmed).
    std::vector<std::string> readSectionValues(std::string_view section) const;

    bool sectionExists(std::string_view section) const;
    bool valueExists(std::string_view section, std::string_view key) const;

    // Removes the section header and every line up to the next section.
    void eraseSection(std::string_view section);
    void deleteKey(std::string_view section, std::string_view key);

    // Erases the section and writes the given "key=value" lines in their
    // order, in one save.
    void writeSection(std::string_view section, const std::vector<std::string>& keyValueLines);

private:
    struct Line {
        std::string raw; // code page 932 bytes as on disk, without line end
        std::string section; // UTF-8 name for header lines
        std::string key; // UTF-8 name for key lines
        std::string value; // UTF-8 value for key lines (trimmed, unquoted)
        bool undecodable = false; // raw holds bytes that are not code page 932
        enum Kind { Other, Header, Entry } kind = Other;
    };
    struct Snapshot {
        std::vector<Line> lines;
        std::string lineEnd = "\r\n";
        bool endsWithNewline = true;
        bool exists = false;
    };

    const Snapshot& current() const;
    Snapshot loadFromDisk() const;
    void save(const Snapshot& snapshot, const char* operation);

    std::string path_;
    mutable Snapshot cache_;
    struct FileStamp {
        bool present = false;
        std::uint64_t inode = 0;
        std::int64_t size = 0;
        std::int64_t mtimeSec = 0;
        std::int64_t mtimeNsec = 0;
        bool operator==(const FileStamp&) const = default;
    };
    mutable bool cacheValid_ = false;
    mutable FileStamp cacheStamp_;
};

} // namespace platform
