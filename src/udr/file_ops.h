#pragma once
// The file work the data server's external procedures do for the program:
// tests, copies, deletions and folders, reading a file into a blob and
// writing one back, every path confined to the server's data root.
//
// Paths arrive as code page 932 bytes (the databases' character set) and
// are absolute paths of the data server. A path outside the data root, or
// one that leads out of it through a symbolic link, is refused. Failures
// throw FileOpError with a text that names the operation and the path;
// a plain "no" (0) is only ever the answer to a question (does it exist,
// was there anything to delete).

#include "platform/atomic_file.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace udr {

class FileOpError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Config {
    std::filesystem::path dataRoot; // canonical
};

// Reads "DataRoot = <absolute folder>" from the settings file. Throws when
// the file is missing, names no root, or the root is not a folder.
Config loadConfig(const std::filesystem::path& settingsFile);

// The settings file beside the loaded library ("miruza_udr.conf").
std::filesystem::path settingsFileBesideLibrary();

// A path (code page 932) resolved inside the data root; throws when it is
// empty, relative, or outside the root after resolving links.
std::filesystem::path confine(const Config& config, std::string_view sjisPath);

// "FEXIST", "FCOPY", "FDEL" (any case): 1 done or present, 0 absent.
int FileOperation(const Config& config, std::string_view mode, std::string_view path1, std::string_view path2);
// "DEXIST", "MKDIR", "RMDIR" (any case).
int DirectoryTest(const Config& config, std::string_view mode, std::string_view path);
// The name itself (there are no short names here) when the file or folder
// exists, empty when it does not.
std::string ShortName(const Config& config, std::string_view path);

// Pieces of a file going out (sink) or coming in (source: fills at most
// `capacity` bytes and answers how many, 0 at the end).
using ChunkSink = std::function<void(const char* data, std::size_t size)>;
using ChunkSource = platform::ChunkSource;

// Hands a file's bytes to `sink` piece by piece; answers the bytes read.
std::int64_t ReadFile(const Config& config, std::string_view path, const ChunkSink& sink);
// Writes what `source` hands out to a temporary name in the target's
// folder and renames it over the target when complete; answers the bytes
// written.
std::int64_t WriteFile(const Config& config, std::string_view path, const ChunkSource& source);

} // namespace udr
