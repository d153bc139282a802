#include "platform/firebird/fb_internal.h"

#include "platform/codec.h"

#include <firebird/Interface.h>
#include <ibase.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <chrono>

#include <dlfcn.h>
#include <link.h>
#include <signal.h>

namespace platform::firebird::detail {

Firebird::IMaster* master()
{
    static Firebird::IMaster* m = Firebird::fb_get_master_interface();
    return m;
}

void keepEngineLoaded() noexcept
{
    // The embedded engine's service worker may still be returning from its
    // job when the client library unloads the engine at process exit; code
    // unmapped under a running thread crashes the process after every test
    // has passed. Marking the loaded engine modules as never unloaded leaves
    // that thread valid code until the process ends.
    static std::once_flag once;
    std::call_once(once, [] {
        dl_iterate_phdr(
            [](dl_phdr_info* info, std::size_t, void*) -> int {
                const char* name = info->dlpi_name;
                if (name != nullptr && std::strstr(name, "/plugins/libEngine") != nullptr)
                    dlopen(name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
                return 0;
            },
            nullptr);
    });
}

namespace {

// Called by the client library around its shutdown. On SIGTERM or SIGINT
// the embedded engine stops itself and closes every connection of the
// process; a program carrying on after that would fail each later
// statement with "connection shutdown". Once the engine has finished
// stopping, the process ends as after any interrupted run.
[[noreturn]] void endProcess()
{
    std::fflush(nullptr);
    std::_Exit(128 + SIGTERM);
}

int onEngineShutdown(const int reason, const int mask, void*)
{
    if (reason != fb_shutrsn_signal)
        return 0;
    if (mask == fb_shut_finish)
        endProcess();
    // The engine gives up stopping when its connections do not close in
    // time (a loaded computer) and never reaches its finish: the process
    // ends then all the same.
    std::thread([] {
        std::this_thread::sleep_for(std::chrono::seconds(15));
        endProcess();
    }).detach();
    return 0;
}

} // namespace

void endProcessWhenEngineStopsOnSignal() noexcept
{
    static std::once_flag once;
    std::call_once(once, [] {
        ISC_STATUS_ARRAY status = {};
        if (fb_shutdown_callback(status, onEngineShutdown, fb_shut_confirmation | fb_shut_finish, nullptr) != 0)
            std::fprintf(stderr, "firebird: the shutdown callback was refused; a stopped engine leaves the "
                                 "process running without its connections\n");
    });
}

Firebird::IUtil* util()
{
    static Firebird::IUtil* u = master()->getUtilInterface();
    return u;
}

std::string engineTextToUtf8(std::string_view bytes)
{
    bool ascii = true;
    for (unsigned char c : bytes) {
        if (c >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii)
        return std::string(bytes);
    try {
        return codec::fromSjis(bytes);
    } catch (const codec::CodecError&) {
        std::string out;
        for (unsigned char c : bytes) {
            if (c < 0x80) {
                out.push_back(static_cast<char>(c));
            } else {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\x%02X", c);
                out += buf;
            }
        }
        return out;
    }
}

void throwFromStatus(const Firebird::IStatus* status, const std::string& context)
{
    long code = 0;
    int sqlCode = 0;
    std::string message;
    if (status) {
        const intptr_t* errors = const_cast<Firebird::IStatus*>(status)->getErrors();
        if (errors && errors[0] == isc_arg_gds)
            code = static_cast<long>(errors[1]);
        if (errors)
            sqlCode = static_cast<int>(isc_sqlcode(reinterpret_cast<const ISC_STATUS*>(errors)));
        char buf[2048];
        util()->formatStatus(buf, sizeof buf, const_cast<Firebird::IStatus*>(status));
        std::string raw(buf);
        while (!raw.empty() && (raw.back() == '\n' || raw.back() == '\r' || raw.back() == ' '))
            raw.pop_back();
        message = engineTextToUtf8(raw);
    }
    throw EIBError(code, sqlCode, message, context);
}

void throwLayerError(const std::string& message, const std::string& context)
{
    throw EIBError(0, 0, message, context);
}

bool splitParam(std::string_view line, std::string& name, std::string& value)
{
    auto eq = line.find('=');
    std::string_view n = eq == std::string_view::npos ? line : line.substr(0, eq);
    while (!n.empty() && n.front() == ' ')
        n.remove_prefix(1);
    while (!n.empty() && n.back() == ' ')
        n.remove_suffix(1);
    name.assign(n);
    for (auto& c : name)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    value = eq == std::string_view::npos ? std::string() : std::string(line.substr(eq + 1));
    return !name.empty();
}

void Pb::str1(unsigned char t, std::string_view s)
{
    if (s.size() > 255)
        throwLayerError("parameter too long", "parameter block");
    bytes_.push_back(t);
    bytes_.push_back(static_cast<unsigned char>(s.size()));
    bytes_.insert(bytes_.end(), s.begin(), s.end());
}

void Pb::str2(unsigned char t, std::string_view s)
{
    if (s.size() > 65535)
        throwLayerError("parameter too long", "parameter block");
    bytes_.push_back(t);
    bytes_.push_back(static_cast<unsigned char>(s.size() & 0xFF));
    bytes_.push_back(static_cast<unsigned char>(s.size() >> 8));
    bytes_.insert(bytes_.end(), s.begin(), s.end());
}

void Pb::int1(unsigned char t, std::uint32_t v)
{
    bytes_.push_back(t);
    bytes_.push_back(4);
    for (int i = 0; i < 4; ++i)
        bytes_.push_back(static_cast<unsigned char>((v >> (8 * i)) & 0xFF));
}

void Pb::int4(unsigned char t, std::uint32_t v)
{
    bytes_.push_back(t);
    for (int i = 0; i < 4; ++i)
        bytes_.push_back(static_cast<unsigned char>((v >> (8 * i)) & 0xFF));
}

std::string toUpperAscii(std::string_view s)
{
    std::string out(s);
    for (auto& c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return out;
}

} // namespace platform::firebird::detail
