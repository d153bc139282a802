#include "wizard/TextUtils.h"

#include <string>

#include "platform/codec.h"

namespace {

bool isLeadByte(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

std::string sjisOf(std::string_view utf8)
{
    if (utf8.empty() || !platform::codec::isRepresentable(utf8))
        return {};
    return platform::codec::toSjis(utf8);
}

} // namespace

std::uint32_t FirstCharCode(std::string_view utf8)
{
    const std::string s = sjisOf(utf8);
    if (s.empty())
        return 0;
    const auto b0 = static_cast<unsigned char>(s[0]);
    if (isLeadByte(b0) && s.size() > 1)
        return b0 * 256u + static_cast<unsigned char>(s[1]);
    return b0;
}

std::uint32_t LastCharCode(std::string_view utf8)
{
    const std::string s = sjisOf(utf8);
    if (s.empty())
        return 0;
    // Walk from the start: a trail byte may look like a lead byte.
    std::size_t i = 0;
    std::size_t last = 0;
    while (i < s.size()) {
        last = i;
        i += isLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? 2 : 1;
    }
    const auto b0 = static_cast<unsigned char>(s[last]);
    if (last + 1 < s.size())
        return b0 * 256u + static_cast<unsigned char>(s[last + 1]);
    return b0;
}
