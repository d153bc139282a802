#include "controls/NumberFormat.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace controls {

namespace {

struct Picture {
    std::string prefix;
    std::string suffix;
    int minInt = 0; // '0' placeholders before the point
    bool thousands = false;
    int minDec = 0; // '0' placeholders after the point
    int maxDec = 0; // all placeholders after the point
};

Picture parsePicture(std::string_view pic)
{
    const auto semi = pic.find(';');
    if (semi != std::string_view::npos) {
        pic = pic.substr(0, semi);
    }
    Picture p;
    bool inNumber = false;
    bool afterNumber = false;
    bool inDecimals = false;
    for (std::size_t i = 0; i < pic.size(); ++i) {
        const char c = pic[i];
        if (c == '"' || c == '\'') {
            const auto end = pic.find(c, i + 1);
            const auto lit = pic.substr(i + 1, (end == std::string_view::npos ? pic.size() : end) - i - 1);
            (inNumber || afterNumber ? p.suffix : p.prefix).append(lit);
            if (inNumber) {
                afterNumber = true;
                inNumber = false;
            }
            i = end == std::string_view::npos ? pic.size() : end;
            continue;
        }
        const bool placeholder = c == '0' || c == '#';
        if (!afterNumber && (placeholder || (inNumber && (c == ',' || c == '.')) || (!inNumber && c == '.'))) {
            inNumber = true;
            if (c == '.') {
                inDecimals = true;
            } else if (c == ',') {
                p.thousands = true;
            } else if (inDecimals) {
                ++p.maxDec;
                if (c == '0') {
                    p.minDec = p.maxDec;
                }
            } else if (c == '0') {
                ++p.minInt;
            }
            continue;
        }
        if (inNumber) {
            inNumber = false;
            afterNumber = true;
        }
        (afterNumber ? p.suffix : p.prefix).push_back(c);
    }
    return p;
}

} // namespace

std::string formatFloat(std::string_view picture, double value)
{
    const Picture p = parsePicture(picture);
    if (!std::isfinite(value)) {
        return p.prefix + "0" + p.suffix;
    }
    const double scale = std::pow(10.0, p.maxDec);
    double scaled = std::round(std::fabs(value) * scale); // half away from zero
    const bool negative = value < 0 && scaled != 0;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.0f", scaled);
    std::string digits = buf;
    if (static_cast<int>(digits.size()) <= p.maxDec) {
        digits.insert(0, static_cast<std::size_t>(p.maxDec) - digits.size() + 1, '0');
    }
    std::string intPart = digits.substr(0, digits.size() - static_cast<std::size_t>(p.maxDec));
    std::string decPart = digits.substr(digits.size() - static_cast<std::size_t>(p.maxDec));
    // Optional decimals drop their trailing zeros.
    while (static_cast<int>(decPart.size()) > p.minDec && !decPart.empty() && decPart.back() == '0') {
        decPart.pop_back();
    }
    // Leading zeros: keep at least minInt digits ("#" alone shows nothing for 0).
    std::size_t firstNonZero = intPart.find_first_not_of('0');
    if (firstNonZero == std::string::npos) {
        intPart.clear();
    } else {
        intPart.erase(0, firstNonZero);
    }
    if (static_cast<int>(intPart.size()) < p.minInt) {
        intPart.insert(0, static_cast<std::size_t>(p.minInt) - intPart.size(), '0');
    }
    if (p.thousands && intPart.size() > 3) {
        std::string grouped;
        const std::size_t lead = intPart.size() % 3;
        for (std::size_t i = 0; i < intPart.size(); ++i) {
            if (i != 0 && (i - lead) % 3 == 0 && i >= lead) {
                grouped.push_back(',');
            }
            grouped.push_back(intPart[i]);
        }
        intPart = grouped;
    }
    std::string out = p.prefix;
    if (negative) {
        out.push_back('-');
    }
    out += intPart;
    if (!decPart.empty()) {
        out.push_back('.');
        out += decPart;
    }
    out += p.suffix;
    return out;
}

std::string stripSeparators(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c != ',') {
            out.push_back(c);
        }
    }
    return out;
}

int countSeparators(std::string_view text)
{
    int n = 0;
    for (char c : text) {
        n += c == ',' ? 1 : 0;
    }
    return n;
}

namespace {

// Sign, digits, at most one point; blanks around are allowed.
bool splitNumber(std::string_view text, bool& negative, std::string& intDigits, std::string& decDigits)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    bool point = false;
    for (char c : text) {
        if (c == '.') {
            if (point)
                return false;
            point = true;
        } else if (std::isdigit(static_cast<unsigned char>(c))) {
            (point ? decDigits : intDigits).push_back(c);
        } else {
            return false;
        }
    }
    return !intDigits.empty() || !decDigits.empty();
}

} // namespace

std::optional<double> parseNumber(std::string_view text)
{
    bool negative = false;
    std::string i, d;
    if (!splitNumber(text, negative, i, d)) {
        return std::nullopt;
    }
    const std::string plain = (negative ? "-" : "") + (i.empty() ? "0" : i) + "." + (d.empty() ? "0" : d);
    return std::strtod(plain.c_str(), nullptr);
}

std::optional<std::int64_t> parseCurrency(std::string_view text)
{
    bool negative = false;
    std::string i, d;
    if (!splitNumber(text, negative, i, d) || d.size() > 4) {
        return std::nullopt;
    }
    d.resize(4, '0');
    std::int64_t value = 0;
    constexpr std::int64_t limit = std::numeric_limits<std::int64_t>::max() / 10;
    for (char c : i + d) {
        if (value > limit) {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return negative ? -value : value;
}

std::string currencyToPlain(std::int64_t amount)
{
    const bool negative = amount < 0;
    const std::uint64_t mag = negative ? 0 - static_cast<std::uint64_t>(amount) : static_cast<std::uint64_t>(amount);
    std::string out = std::to_string(mag / 10000);
    std::string dec = std::to_string(mag % 10000);
    dec.insert(0, 4 - dec.size(), '0');
    while (!dec.empty() && dec.back() == '0')
        dec.pop_back();
    if (!dec.empty())
        out += "." + dec;
    return negative ? "-" + out : out;
}

} // namespace controls
