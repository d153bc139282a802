// The data server's file procedures, loaded by the server's UDR engine:
//
//   FILEOPERATION(MODE, FILEPATH1, FILEPATH2) -> WBOOL
//   DIRECTORYTEST(MODE, FILEPATH1)           -> WBOOL
//   LONGTOSHORTFILENAME(LONGNAME)            -> SHORTNAME
//   SP_FILETOBLOB(FILENAME)                  -> BLOB   (function)
//   SP_BLOBTOFILE(FILENAME, CONTENT)         -> BIGINT (function: bytes written)
//
// Every path is confined to the data root named in miruza_udr.conf beside
// this library. Failures reach the caller as database errors with the text
// of the failure.

#define FB_UDR_STATUS_TYPE ::Firebird::ThrowStatusWrapper

#include "udr/file_ops.h"

#include <firebird/UdrCppEngine.h>

#include <string>
#include <string_view>

using namespace Firebird;

namespace {

constexpr unsigned kSjis = 5; // SJIS_0208, the databases' character set

// The settings are read at every call, so a changed root takes effect
// without restarting the server.
udr::Config config()
{
    return udr::loadConfig(udr::settingsFileBesideLibrary());
}

[[noreturn]] void raise(ThrowStatusWrapper* status, const std::string& text)
{
    const ISC_STATUS vector[]
        = {isc_arg_gds, isc_random, isc_arg_string, reinterpret_cast<ISC_STATUS>(text.c_str()), isc_arg_end};
    throw FbException(status, vector);
}

// An interface the engine handed out, released when the scope ends unless
// it was given up (a closed blob releases itself).
template <typename T> class Held {
public:
    explicit Held(T* p)
        : p_(p)
    {
    }
    ~Held()
    {
        if (p_)
            p_->release();
    }
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
    T* operator->() const { return p_; }
    operator T*() const { return p_; }
    void forget() { p_ = nullptr; }

private:
    T* p_;
};

template <typename F> auto guarded(ThrowStatusWrapper* status, const char* routine, F&& work)
{
    try {
        return work();
    } catch (const udr::FileOpError& e) {
        raise(status, std::string(routine) + ": " + e.what());
    } catch (const std::exception& e) {
        raise(status, std::string(routine) + ": " + e.what());
    }
}

template <typename V> std::string_view text(const V& v, FB_BOOLEAN isNull)
{
    return isNull ? std::string_view() : std::string_view(v.str, v.length);
}

template <typename V> void setText(V& v, std::string_view s)
{
    const std::size_t n = std::min<std::size_t>(s.size(), sizeof v.str);
    v.length = static_cast<ISC_USHORT>(n);
    std::copy_n(s.data(), n, v.str);
}

} // namespace

// The procedures answer one row, ready when execute returns.
#define ONE_ROW_PROCEDURE                                                                                              \
    bool done = false;                                                                                                 \
    FB_UDR_FETCH_PROCEDURE                                                                                             \
    {                                                                                                                  \
        const bool first = !done;                                                                                      \
        done = true;                                                                                                   \
        return first;                                                                                                  \
    }

FB_UDR_BEGIN_PROCEDURE(fileoperation)
FB_UDR_MESSAGE(InMessage,
    (FB_INTL_VARCHAR(20, kSjis), mode)(FB_INTL_VARCHAR(508, kSjis), path1)(FB_INTL_VARCHAR(508, kSjis), path2));
FB_UDR_MESSAGE(OutMessage, (FB_INTEGER, wbool));

FB_UDR_EXECUTE_PROCEDURE
{
    out->wboolNull = FB_FALSE;
    out->wbool = guarded(status, "FILEOPERATION", [&] {
        return udr::FileOperation(
            config(), text(in->mode, in->modeNull), text(in->path1, in->path1Null), text(in->path2, in->path2Null));
    });
}

ONE_ROW_PROCEDURE
FB_UDR_END_PROCEDURE

FB_UDR_BEGIN_PROCEDURE(directorytest)
FB_UDR_MESSAGE(InMessage, (FB_INTL_VARCHAR(20, kSjis), mode)(FB_INTL_VARCHAR(508, kSjis), path1));
FB_UDR_MESSAGE(OutMessage, (FB_INTEGER, wbool));

FB_UDR_EXECUTE_PROCEDURE
{
    out->wboolNull = FB_FALSE;
    out->wbool = guarded(status, "DIRECTORYTEST",
        [&] { return udr::DirectoryTest(config(), text(in->mode, in->modeNull), text(in->path1, in->path1Null)); });
}

ONE_ROW_PROCEDURE
FB_UDR_END_PROCEDURE

FB_UDR_BEGIN_PROCEDURE(longtoshortfilename)
FB_UDR_MESSAGE(InMessage, (FB_INTL_VARCHAR(508, kSjis), longname));
FB_UDR_MESSAGE(OutMessage, (FB_INTL_VARCHAR(508, kSjis), shortname));

FB_UDR_EXECUTE_PROCEDURE
{
    const std::string name = guarded(
        status, "LONGTOSHORTFILENAME", [&] { return udr::ShortName(config(), text(in->longname, in->longnameNull)); });
    out->shortnameNull = FB_FALSE;
    setText(out->shortname, name);
}

ONE_ROW_PROCEDURE
FB_UDR_END_PROCEDURE

FB_UDR_BEGIN_FUNCTION(filetoblob)
FB_UDR_MESSAGE(InMessage, (FB_INTL_VARCHAR(508, kSjis), filename));
FB_UDR_MESSAGE(OutMessage, (FB_BLOB, content));

FB_UDR_EXECUTE_FUNCTION
{
    Held<IAttachment> attachment(context->getAttachment(status));
    Held<ITransaction> transaction(context->getTransaction(status));
    Held<IBlob> blob(attachment->createBlob(status, transaction, &out->content, 0, nullptr));
    guarded(status, "SP_FILETOBLOB", [&] {
        return udr::ReadFile(config(), text(in->filename, in->filenameNull), [&](const char* data, std::size_t n) {
            while (n > 0) {
                const unsigned piece = static_cast<unsigned>(std::min<std::size_t>(n, 32767));
                blob->putSegment(status, piece, data);
                data += piece;
                n -= piece;
            }
        });
    });
    blob->close(status);
    blob.forget();
    out->contentNull = FB_FALSE;
}
FB_UDR_END_FUNCTION

FB_UDR_BEGIN_FUNCTION(blobtofile)
FB_UDR_MESSAGE(InMessage, (FB_INTL_VARCHAR(508, kSjis), filename)(FB_BLOB, content));
FB_UDR_MESSAGE(OutMessage, (FB_BIGINT, written));

FB_UDR_EXECUTE_FUNCTION
{
    if (in->contentNull)
        raise(status, "SP_BLOBTOFILE: no content");
    Held<IAttachment> attachment(context->getAttachment(status));
    Held<ITransaction> transaction(context->getTransaction(status));
    Held<IBlob> blob(attachment->openBlob(status, transaction, &in->content, 0, nullptr));
    bool ended = false;
    out->written = guarded(status, "SP_BLOBTOFILE", [&] {
        return udr::WriteFile(config(), text(in->filename, in->filenameNull), [&](char* buf, std::size_t cap) {
            if (ended)
                return std::size_t(0);
            unsigned got = 0;
            const int r = blob->getSegment(status, static_cast<unsigned>(std::min<std::size_t>(cap, 65535)), buf, &got);
            if (r == IStatus::RESULT_NO_DATA)
                ended = true;
            return std::size_t(got);
        });
    });
    blob->close(status);
    blob.forget();
    out->writtenNull = FB_FALSE;
}
FB_UDR_END_FUNCTION

FB_UDR_IMPLEMENT_ENTRY_POINT
