#pragma once
// Shared plumbing of the database layer (not for use outside it).

#include "platform/firebird/fb_error.h"

#include <firebird/Interface.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform::firebird::detail {

Firebird::IMaster* master();
// Keeps the embedded engine mapped until the process ends (call after an
// attachment has loaded it).
void keepEngineLoaded() noexcept;
// Ends the process once the embedded engine has stopped on SIGTERM/SIGINT
// (it closes every connection then); call after an attachment.
void endProcessWhenEngineStopsOnSignal() noexcept;
Firebird::IUtil* util();

// A status wrapper per call site; throws FbException on error.
class Status : public Firebird::ThrowStatusWrapper {
public:
    Status()
        : Firebird::ThrowStatusWrapper(master()->getStatus())
    {
    }
    ~Status() { dispose(); }
    Status(const Status&) = delete;
    Status& operator=(const Status&) = delete;
};

// Turns the status of a failed call into EIBError with the context.
[[noreturn]] void throwFromStatus(const Firebird::IStatus* status, const std::string& context);
// An error that did not come from the engine.
[[noreturn]] void throwLayerError(const std::string& message, const std::string& context);

// Engine texts (messages, service output) to UTF-8; bytes that are not
// code page 932 are shown as \xNN rather than lost.
std::string engineTextToUtf8(std::string_view bytes);

// Runs f and translates a client exception into EIBError.
template <typename F> auto guarded(const std::string& context, F&& f) -> decltype(f())
{
    try {
        return f();
    } catch (const Firebird::FbException& e) {
        throwFromStatus(e.getStatus(), context);
    }
}

// "name=value" -> value of the line whose name matches (case-insensitive).
bool splitParam(std::string_view line, std::string& name, std::string& value);

// Parameter-block helpers: a clumplet buffer builder for DPB/SPB.
class Pb {
public:
    explicit Pb(unsigned char version) { bytes_.push_back(version); }
    Pb() = default;
    void tag(unsigned char t) { bytes_.push_back(t); }
    void str1(unsigned char t, std::string_view s); // 1-byte length
    void str2(unsigned char t, std::string_view s); // 2-byte length (SPB)
    void int1(unsigned char t, std::uint32_t v); // 1-byte length + 4 bytes (DPB)
    void int4(unsigned char t, std::uint32_t v); // no length, 4 bytes (SPB)
    const std::vector<unsigned char>& bytes() const noexcept { return bytes_; }

private:
    std::vector<unsigned char> bytes_;
};

std::string toUpperAscii(std::string_view s);

} // namespace platform::firebird::detail
