#include "platform/firebird/fb_query.h"

#include "platform/firebird/fb_query_support.h"

namespace platform::firebird {

using namespace detail;
using namespace querysupport;

// ----------------------------------------------------------------- SqlText

void SqlText::clear()
{
    lines_.clear();
    ++revision_;
}

void SqlText::add(std::string_view line)
{
    lines_.emplace_back(line);
    ++revision_;
}

void SqlText::setText(std::string_view text)
{
    lines_.clear();
    std::size_t start = 0;
    while (start <= text.size()) {
        auto nl = text.find('\n', start);
        if (nl == std::string_view::npos) {
            if (start < text.size())
                lines_.emplace_back(text.substr(start));
            break;
        }
        std::string_view line = text.substr(start, nl - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines_.emplace_back(line);
        start = nl + 1;
    }
    ++revision_;
}

std::string SqlText::text() const
{
    std::string out;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (i)
            out.push_back('\n');
        out += lines_[i];
    }
    return out;
}

// -------------------------------------------------------- named parameters

ParsedSql parseNamedParams(std::string_view sql)
{
    ParsedSql out;
    out.sql.reserve(sql.size());
    const std::size_t n = sql.size();
    auto identChar = [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '$';
    };
    std::size_t i = 0;
    while (i < n) {
        const char c = sql[i];
        if (c == '\'' || c == '"') {
            const std::size_t start = i++;
            for (;;) {
                if (i >= n)
                    throwLayerError("unterminated quote in statement", "parseNamedParams");
                if (sql[i] == c) {
                    if (i + 1 < n && sql[i + 1] == c) {
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                ++i;
            }
            out.sql.append(sql.substr(start, i - start));
        } else if (c == '-' && i + 1 < n && sql[i + 1] == '-') {
            const std::size_t start = i;
            while (i < n && sql[i] != '\n')
                ++i;
            out.sql.append(sql.substr(start, i - start));
        } else if (c == '/' && i + 1 < n && sql[i + 1] == '*') {
            const std::size_t end = sql.find("*/", i + 2);
            if (end == std::string_view::npos)
                throwLayerError("unterminated comment in statement", "parseNamedParams");
            out.sql.append(sql.substr(i, end + 2 - i));
            i = end + 2;
        } else if (c == ':' && i + 1 < n && (identChar(sql[i + 1]) || sql[i + 1] == '"')) {
            std::string name;
            if (sql[i + 1] == '"') {
                const std::size_t end = sql.find('"', i + 2);
                if (end == std::string_view::npos)
                    throwLayerError("unterminated parameter name in statement", "parseNamedParams");
                name.assign(sql.substr(i + 2, end - i - 2));
                i = end + 1;
            } else {
                std::size_t j = i + 1;
                while (j < n && identChar(sql[j]))
                    ++j;
                name = toUpperAscii(sql.substr(i + 1, j - i - 1));
                i = j;
            }
            out.names.push_back(std::move(name));
            out.sql.push_back('?');
        } else if (c == '?') {
            out.names.emplace_back();
            out.sql.push_back('?');
            ++i;
        } else {
            out.sql.push_back(c);
            ++i;
        }
    }
    return out;
}

} // namespace platform::firebird
