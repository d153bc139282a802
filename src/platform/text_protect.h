#pragma once
// Reversible protection of short stored secrets (the personal-number
// settings' password and value). This is the program's own stand-in for the
// outside library call P_Check1: four pointers, 256-byte buffers, 1 for
// success. The encoded form is printable ASCII, so it can live in a text
// column of any character set, and carries a check value so that a stored
// text that was damaged or never encoded is refused instead of decoding to
// garbage.

#include <cstdint>
#include <string>
#include <string_view>

namespace platform::text_protect {

// Size of the caller's output and work buffers; results are at most
// kBufferSize - 1 bytes so the terminating zero always fits.
inline constexpr std::size_t kBufferSize = 256;

// Operation codes of P_Check1. Encoding is also accepted under the older
// code "347" that existing callers may still pass.
inline constexpr const char* kEncodeCode = "160";
inline constexpr const char* kEncodeCodeOld = "347";
inline constexpr const char* kDecodeCode = "161";

// The call itself: `input` zero-terminated bytes, `code` one of the codes
// above, `output` and `work` buffers of kBufferSize bytes. Returns 1 and
// leaves the zero-terminated result in `output`; 0 for an unknown code, an
// input whose encoded form would not fit, or a text that does not decode.
std::int32_t P_Check1(const char* input, const char* code, char* output, char* work);

// Byte-string conveniences over P_Check1. Return false where it answers 0.
bool encodeBytes(std::string_view plain, std::string& encoded);
bool decodeBytes(std::string_view encoded, std::string& plain);

// Longest plain input (in bytes) whose encoded form fits the buffers.
std::size_t maxPlainBytes();

} // namespace platform::text_protect
