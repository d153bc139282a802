#include "platform/plain_text.h"

#include <stdexcept>

namespace platform::text {

std::string upperAscii(std::string s)
{
    for (auto& c : s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return s;
}

std::string lowerAscii(std::string s)
{
    for (auto& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

int toIntOr(const std::string& s, int fallback)
{
    try {
        std::size_t used = 0;
        const int v = std::stoi(s, &used);
        return used == s.size() ? v : fallback;
    } catch (const std::exception&) {
        return fallback;
    }
}

std::vector<std::string> splitLines(const std::string& text, LastLine last)
{
    std::vector<std::string> lines;
    std::string cur;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(cur);
            cur.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            cur += c;
        }
    }
    if (last == LastLine::Keep || !cur.empty())
        lines.push_back(cur);
    return lines;
}

std::string joinLines(const std::vector<std::string>& lines)
{
    std::string out;
    for (const auto& l : lines)
        out += l + "\r\n";
    return out;
}

bool isBlank(const std::string& s)
{
    return s.find_first_not_of(kAsciiBlanks) == std::string::npos;
}

std::string trimBlanks(const std::string& s)
{
    const auto b = s.find_first_not_of(kAsciiBlanks);
    if (b == std::string::npos)
        return {};
    const auto e = s.find_last_not_of(kAsciiBlanks);
    return s.substr(b, e - b + 1);
}

} // namespace platform::text
