#include "print/EngineLog.h"

#include "platform/codec.h"
#include "platform/paths.h"
#include "platform/xdg_folders.h"

#include <cstdio>
#include <filesystem>
#include <iostream>

namespace print {

EngineLog::EngineLog(std::string folder, Clock clock)
    : folder_(std::move(folder))
    , clock_(std::move(clock))
{
}

std::string EngineLog::filePath() const
{
    const std::string folder = folder_.empty() ? platform::xdg_folders::documentsDir() : folder_;
    return platform::paths::join(folder, kLogFileName);
}

void EngineLog::write(const std::string& context, const std::string& message) noexcept
{
    try {
        write(context + ":" + message);
    } catch (...) {
        // string building failed (out of memory): nothing sensible is left
    }
}

void EngineLog::write(const std::string& text) noexcept
{
    std::string line;
    try {
        std::tm t {};
        if (clock_) {
            t = clock_();
        } else {
            const std::time_t now = std::time(nullptr);
            localtime_r(&now, &t);
        }
        char stamp[32];
        std::strftime(stamp, sizeof stamp, "%y/%m/%d %H:%M:%S  ", &t);
        line = std::string(stamp) + text;

        const std::string path = filePath();
        std::error_code ec;
        std::filesystem::create_directories(platform::paths::folderOf(path), ec);
        std::string bytes;
        try {
            bytes = platform::codec::toSjis(line);
        } catch (const platform::codec::CodecError&) {
            // a character code page 932 cannot hold: keep the line readable
            // rather than lose it
            bytes = line;
        }
        bytes += "\r\n";
        if (std::FILE* f = std::fopen(path.c_str(), "ab")) {
            const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
            const bool closed = std::fclose(f) == 0;
            if (ok && closed)
                return;
        }
        std::cerr << "Lumen808 log not writable (" << path << "): " << line << std::endl;
    } catch (...) {
        try {
            std::cerr << "Lumen808 log: " << (line.empty() ? text : line) << std::endl;
        } catch (...) {
        }
    }
}

EngineLog& engineLog()
{
    static EngineLog log;
    return log;
}

} // namespace print
