#pragma once
// The print engine's own error log: "<documents>/Lumen808_Error.log",
// appended line by line in code page 932 (CR LF), each line
// "yy/mm/dd hh:nn:ss  <context>:<message>". Nothing reads it back; it is
// for support. Writing never throws: when the file cannot be written the
// line goes to stderr instead.

#include <ctime>
#include <functional>
#include <string>

namespace print {

class EngineLog {
public:
    using Clock = std::function<std::tm()>;

    // folder "" = the documents folder (platform/xdg_folders), read at every
    // write; clock empty = local time now.
    explicit EngineLog(std::string folder = {}, Clock clock = {});

    // Appends one line. Never throws.
    void write(const std::string& text) noexcept;
    // "context:message".
    void write(const std::string& context, const std::string& message) noexcept;

    std::string filePath() const;

private:
    std::string folder_;
    Clock clock_;
};

// The process's log, used by every part of the engine.
EngineLog& engineLog();

inline constexpr const char* kLogFileName = "Lumen808_Error.log";

} // namespace print
