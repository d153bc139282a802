#pragma once
// Whole-file replacement that a crash cannot leave half done: the bytes go
// to a temporary file in the target's folder, are flushed (fsync) and the
// temporary file is renamed over the target, so the target is either the
// old file or the whole new one.
//
// - The target keeps its permissions; a new one gets those of the umask.
// - A read-only target (no write bit, or not writable for this process) is
//   refused: replacing it through the folder would bypass that.
// - Temporary names are short (a hash of the target's name) and a writer
//   holds a lock on its temporary file, so temporaries of the same target
//   left by a killed writer are removed by the next write; no failure
//   leaves one behind.
//
// No Qt here: the data server's UDR plug-in writes its files with it too.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace platform {

class FileWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Hands out the bytes to write piece by piece: fills at most `capacity`
// bytes of `buffer` and answers how many, 0 at the end.
using ChunkSource = std::function<std::size_t(char* buffer, std::size_t capacity)>;

// Writes bytes to path. Throws FileWriteError, its text beginning with
// `context` and the path, leaving the old file untouched.
void writeFileAtomically(const std::string& path, std::string_view bytes, std::string_view context);

// The same for bytes handed out by `source`; answers the bytes written. An
// exception thrown by `source` passes through unchanged (the old file
// stays, the temporary file is removed).
std::int64_t writeFileAtomically(const std::string& path, const ChunkSource& source, std::string_view context);

} // namespace platform
