#include "platform/firebird/fb_service.h"

#include "platform/codec.h"
#include "platform/firebird/fb_internal.h"

#include <ibase.h>

#include <chrono>
#include <cstring>
#include <thread>

namespace platform::firebird {

using namespace detail;

namespace {

// How long a job that failed or was left may take to wind down before the
// service is let go, and how long a job whose output has ended may take to
// finish its last step (a restore brings its database online after its
// last line; on a loaded computer that can take seconds).
constexpr std::chrono::milliseconds kWindingDown {5000};
constexpr std::chrono::milliseconds kFinishing {120000};

std::uint32_t readLe(const unsigned char* p, int n)
{
    std::uint32_t v = 0;
    for (int i = 0; i < n; ++i)
        v |= static_cast<std::uint32_t>(p[i]) << (8 * i);
    return v;
}

// A string item of a service answer: two length bytes and the text, which
// must lie before end. Leaves p after the text.
std::string readText2(const unsigned char*& p, const unsigned char* end, const std::string& ctx)
{
    if (p + 2 > end)
        throwLayerError("malformed service answer", ctx);
    const unsigned len = readLe(p, 2);
    p += 2;
    if (p + len > end)
        throwLayerError("malformed service answer", ctx);
    std::string text = engineTextToUtf8(std::string_view(reinterpret_cast<const char*>(p), len));
    p += len;
    return text;
}

// The option bits whose switch is on.
std::uint32_t optionBits(std::uint32_t bits, std::initializer_list<std::pair<bool, std::uint32_t>> options)
{
    for (const auto& [on, bit] : options)
        if (on)
            bits |= bit;
    return bits;
}

// Paths are file-system names: they go to the server as the UTF-8 bytes the
// Linux file system holds, like the database names of attachments.
std::string serverPath(const std::string& utf8, const std::string& ctx)
{
    if (utf8.empty())
        throwLayerError("empty path", ctx);
    return utf8;
}

} // namespace

Service::Service() = default;

Service::~Service()
{
    try {
        detach();
    } catch (...) {
        // See Database::~Database.
    }
}

std::string Service::context(std::string_view op) const
{
    return "Service." + std::string(op) + (protocol_ == Protocol::Local ? std::string() : " " + server_);
}

std::string Service::attachedContext(std::string_view op) const
{
    std::string ctx = context(op);
    if (!active())
        throwLayerError("service not attached", ctx);
    return ctx;
}

std::string Service::serviceName() const
{
    if (protocol_ == Protocol::Local || server_.empty())
        return "service_mgr";
    return server_ + ":service_mgr";
}

void Service::attach()
{
    if (active())
        return;
    const std::string ctx = context("attach");
    Pb spb;
    spb.tag(isc_spb_version);
    spb.tag(isc_spb_current_version);
    std::string name, value;
    for (const auto& line : params_) {
        if (!splitParam(line, name, value))
            continue;
        if (name == "user_name" || name == "user")
            spb.str1(isc_spb_user_name, value);
        else if (name == "password")
            spb.str1(isc_spb_password, value);
        else
            throwLayerError("unknown service parameter \"" + name + "\"", ctx);
    }
    const std::string svc = serviceName();
    Status st;
    guarded(ctx, [&] {
        Firebird::IProvider* p = master()->getDispatcher();
        try {
            service_ = p->attachServiceManager(
                &st, svc.c_str(), static_cast<unsigned>(spb.bytes().size()), spb.bytes().data());
        } catch (...) {
            p->release();
            throw;
        }
        p->release();
    });
    keepEngineLoaded();
    endProcessWhenEngineStopsOnSignal();
    running_ = false;
    pending_.clear();
}

void Service::detach()
{
    if (!service_)
        return;
    Firebird::IService* s = service_;
    service_ = nullptr;
    // A job that failed while its output was read may still be winding down
    // in the engine; detaching under it lets the engine unload code its
    // worker is still running (a crash at the end of the process).
    if (running_)
        waitForJobEnd(s, kWindingDown);
    running_ = false;
    Status st;
    try {
        s->detach(&st);
    } catch (const Firebird::FbException&) {
        s->release();
    }
}

void Service::waitForJobEnd(Firebird::IService* s, std::chrono::milliseconds limit) noexcept
{
    const unsigned char items[] = {isc_info_svc_running};
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        unsigned char buf[16] = {};
        Status st;
        try {
            s->query(&st, 0, nullptr, sizeof items, items, sizeof buf, buf);
        } catch (const Firebird::FbException&) {
            return;
        }
        if (buf[0] != isc_info_svc_running || readLe(buf + 1, 4) == 0)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void Service::start(const std::vector<unsigned char>& spb, const char* op)
{
    const std::string ctx = attachedContext(op);
    if (running_)
        throwLayerError("another action is still running", ctx);
    Status st;
    // Counted as running before the start answers: a job refused at its
    // start may still have a worker winding down that detach must wait for.
    running_ = true;
    try {
        guarded(ctx, [&] { service_->start(&st, static_cast<unsigned>(spb.size()), spb.data()); });
    } catch (...) {
        waitForJobEnd(service_, kWindingDown);
        running_ = false;
        throw;
    }
}

void Service::startBackup(const BackupOptions& o)
{
    const std::string ctx = context("startBackup");
    if (o.backupFiles.empty())
        throwLayerError("no backup file", ctx);
    Pb spb;
    spb.tag(isc_action_svc_backup);
    spb.str2(isc_spb_dbname, serverPath(o.database, ctx));
    for (const auto& f : o.backupFiles)
        spb.str2(isc_spb_bkp_file, serverPath(f, ctx));
    if (o.verbose)
        spb.tag(isc_spb_verbose);
    spb.int4(isc_spb_options,
        optionBits(0,
            {
                {o.ignoreChecksums, isc_spb_bkp_ignore_checksums},
                {o.ignoreLimbo, isc_spb_bkp_ignore_limbo},
                {o.noGarbageCollection, isc_spb_bkp_no_garbage_collect},
                {o.nonTransportable, isc_spb_bkp_non_transportable},
                {o.metadataOnly, isc_spb_bkp_metadata_only},
            }));
    start(spb.bytes(), "startBackup");
}

void Service::startRestore(const RestoreOptions& o)
{
    const std::string ctx = context("startRestore");
    if (o.backupFiles.empty() || o.databases.empty())
        throwLayerError("no backup file or database", ctx);
    Pb spb;
    spb.tag(isc_action_svc_restore);
    for (const auto& f : o.backupFiles)
        spb.str2(isc_spb_bkp_file, serverPath(f, ctx));
    for (const auto& d : o.databases)
        spb.str2(isc_spb_dbname, serverPath(d, ctx));
    if (o.verbose)
        spb.tag(isc_spb_verbose);
    if (o.pageBuffers > 0)
        spb.int4(isc_spb_res_buffers, static_cast<std::uint32_t>(o.pageBuffers));
    if (o.pageSize > 0)
        spb.int4(isc_spb_res_page_size, static_cast<std::uint32_t>(o.pageSize));
    spb.int4(isc_spb_options,
        optionBits(o.replace ? isc_spb_res_replace : isc_spb_res_create,
            {
                {o.deactivateIndexes, isc_spb_res_deactivate_idx},
                {o.noShadow, isc_spb_res_no_shadow},
                {o.oneRelationAtATime, isc_spb_res_one_at_a_time},
            }));
    start(spb.bytes(), "startRestore");
}

void Service::startValidation(const ValidationOptions& o)
{
    const std::string ctx = context("startValidation");
    Pb spb;
    spb.tag(isc_action_svc_repair);
    spb.str2(isc_spb_dbname, serverPath(o.database, ctx));
    spb.int4(isc_spb_options,
        optionBits(isc_spb_rpr_validate_db,
            {
                {o.full, isc_spb_rpr_full},
                {o.ignoreChecksums, isc_spb_rpr_ignore_checksum},
                {o.readOnly, isc_spb_rpr_check_db},
            }));
    start(spb.bytes(), "startValidation");
}

bool Service::nextLine(std::string& line)
{
    if (!running_)
        return false;
    const std::string ctx = context("nextLine");
    const unsigned char items[] = {isc_info_svc_line};
    unsigned char buf[16384];
    Status st;
    for (;;) {
        guarded(ctx, [&] { service_->query(&st, 0, nullptr, sizeof items, items, sizeof buf, buf); });
        const unsigned char* p = buf;
        const unsigned char* end = buf + sizeof buf;
        bool gotLine = false, finished = false;
        while (p < end && *p != isc_info_end) {
            const unsigned char item = *p++;
            if (item == isc_info_svc_line) {
                // An empty line is the end of the job's output.
                std::string text = readText2(p, end, ctx);
                if (text.empty()) {
                    finished = true;
                } else {
                    line = std::move(text);
                    gotLine = true;
                }
            } else if (item == isc_info_truncated || item == isc_info_data_not_ready || item == isc_info_svc_timeout) {
                // Nothing complete yet: ask again.
            } else {
                throwLayerError("unexpected service answer item " + std::to_string(item), ctx);
            }
        }
        if (gotLine)
            return true;
        if (finished) {
            // The last line can reach us before the job's worker has ended
            // (a restored database is brought online after its last line):
            // the caller may use the job's result only once it has.
            waitForJobEnd(service_, kFinishing);
            running_ = false;
            return false;
        }
    }
}

std::vector<std::string> Service::readAll()
{
    std::vector<std::string> lines;
    std::string line;
    while (nextLine(line))
        lines.push_back(line);
    return lines;
}

namespace {

std::string queryText(Firebird::IService* service, unsigned char item, const std::string& ctx)
{
    const unsigned char items[] = {item};
    unsigned char buf[1024];
    Status st;
    guarded(ctx, [&] { service->query(&st, 0, nullptr, sizeof items, items, sizeof buf, buf); });
    if (buf[0] != item)
        throwLayerError("unexpected service answer", ctx);
    const unsigned len = readLe(buf + 1, 2);
    if (len + 3 > sizeof buf)
        throwLayerError("malformed service answer", ctx);
    return engineTextToUtf8(std::string_view(reinterpret_cast<const char*>(buf + 3), len));
}

} // namespace

std::string Service::serverVersion()
{
    const std::string ctx = attachedContext("serverVersion");
    return queryText(service_, isc_info_svc_server_version, ctx);
}

std::string Service::implementation()
{
    const std::string ctx = attachedContext("implementation");
    return queryText(service_, isc_info_svc_implementation, ctx);
}

DatabaseUsage Service::databaseUsage()
{
    const std::string ctx = attachedContext("databaseUsage");
    const unsigned char items[] = {isc_info_svc_svr_db_info};
    std::vector<unsigned char> buf(32000); // the wire carries 16-bit lengths
    Status st;
    guarded(ctx,
        [&] { service_->query(&st, 0, nullptr, sizeof items, items, static_cast<unsigned>(buf.size()), buf.data()); });
    DatabaseUsage usage;
    const unsigned char* p = buf.data();
    const unsigned char* end = buf.data() + buf.size();
    if (*p != isc_info_svc_svr_db_info)
        throwLayerError("unexpected service answer", ctx);
    ++p;
    // The embedded engine answers the item with nothing after it (zeros).
    while (p < end && *p != isc_info_flag_end && *p != isc_info_end && *p != 0) {
        const unsigned char tag = *p++;
        if (tag == isc_spb_num_att || tag == isc_spb_num_db) {
            if (p + 4 > end)
                throwLayerError("malformed service answer", ctx);
            const std::uint32_t v = readLe(p, 4);
            p += 4;
            if (tag == isc_spb_num_att)
                usage.attachments = static_cast<int>(v);
        } else if (tag == isc_spb_dbname) {
            usage.databases.push_back(readText2(p, end, ctx));
        } else if (tag == isc_info_truncated) {
            throwLayerError("service answer truncated", ctx);
        } else {
            throwLayerError("unexpected service answer item " + std::to_string(tag), ctx);
        }
    }
    return usage;
}

} // namespace platform::firebird
