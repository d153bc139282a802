#include "platform/registry.h"

#include <cstdio>

#include "platform/paths.h"
#include "platform/xdg_folders.h"

namespace platform {
namespace {

constexpr std::string_view kDwordPrefix = "dword:";
constexpr std::string_view kStringPrefix = "sz:";

std::string rootName(RegRoot root)
{
    return root == RegRoot::LocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

bool startsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char a = text[i], b = prefix[i];
        if (a >= 'A' && a <= 'Z')
            a = static_cast<char>(a - 'A' + 'a');
        if (b >= 'A' && b <= 'Z')
            b = static_cast<char>(b - 'A' + 'a');
        if (a != b)
            return false;
    }
    return true;
}

std::optional<RegValue> decode(const IniFile& ini, const std::string& section, std::string_view name)
{
    if (!ini.valueExists(section, name))
        return std::nullopt;
    const std::string raw = ini.readString(section, name, "");
    if (startsWithNoCase(raw, kDwordPrefix)) {
        const std::string digits = raw.substr(kDwordPrefix.size());
        unsigned long value = 0;
        int consumed = 0;
        if (std::sscanf(digits.c_str(), "%lx%n", &value, &consumed) == 1
            && static_cast<std::size_t>(consumed) == digits.size() && value <= 0xFFFFFFFFul)
            return RegValue(static_cast<std::int64_t>(value));
    }
    if (startsWithNoCase(raw, kStringPrefix)) {
        std::string text = raw.substr(kStringPrefix.size());
        if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
            text = text.substr(1, text.size() - 2);
        return RegValue(text);
    }
    return RegValue(raw); // a hand-written value without type
}

} // namespace

Registry::Registry()
    : Registry(defaultPath())
{
}

Registry::Registry(std::string iniPath)
    : ini_(std::move(iniPath))
{
}

std::string Registry::defaultPath()
{
    return paths::join(xdg_folders::configDir(), "registry.ini");
}

std::string Registry::sectionName(RegRoot root, std::string_view keyPath)
{
    std::string out = rootName(root);
    std::string part;
    const auto flush = [&] {
        if (!part.empty()) {
            out += '\\';
            out += part;
            part.clear();
        }
    };
    for (char c : keyPath) {
        if (c == '\\')
            flush();
        else
            part += c;
    }
    flush();
    return out;
}

bool Registry::keyExists(RegRoot root, std::string_view keyPath) const
{
    const std::string section = sectionName(root, keyPath);
    const std::string below = section + "\\";
    for (const std::string& name : ini_.readSections())
        if (name.size() == section.size() ? startsWithNoCase(name, section) : startsWithNoCase(name, below))
            return true;
    return false;
}

bool Registry::valueExists(RegRoot root, std::string_view keyPath, std::string_view name) const
{
    return ini_.valueExists(sectionName(root, keyPath), name);
}

std::optional<RegValue> Registry::readValue(RegRoot root, std::string_view keyPath, std::string_view name) const
{
    return decode(ini_, sectionName(root, keyPath), name);
}

std::optional<std::string> Registry::readString(RegRoot root, std::string_view keyPath, std::string_view name) const
{
    const auto value = readValue(root, keyPath, name);
    if (value && std::holds_alternative<std::string>(*value))
        return std::get<std::string>(*value);
    return std::nullopt;
}

std::optional<std::int64_t> Registry::readInteger(RegRoot root, std::string_view keyPath, std::string_view name) const
{
    const auto value = readValue(root, keyPath, name);
    if (value && std::holds_alternative<std::int64_t>(*value))
        return std::get<std::int64_t>(*value);
    return std::nullopt;
}

void Registry::writeString(RegRoot root, std::string_view keyPath, std::string_view name, std::string_view value)
{
    // Typed, so that a text that looks like "dword:..." stays a text, and
    // quoted when blanks or quotes at its ends would be lost to trimming.
    std::string stored(kStringPrefix);
    const bool needsQuotes = !value.empty()
        && (value.front() == ' ' || value.back() == ' ' || value.front() == '\t' || value.back() == '\t'
            || value.front() == '"' || value.back() == '"');
    stored += needsQuotes ? "\"" + std::string(value) + "\"" : std::string(value);
    ini_.writeString(sectionName(root, keyPath), name, stored);
}

void Registry::writeInteger(RegRoot root, std::string_view keyPath, std::string_view name, std::uint32_t value)
{
    char text[24];
    std::snprintf(text, sizeof text, "dword:%08x", value);
    ini_.writeString(sectionName(root, keyPath), name, text);
}

void Registry::deleteValue(RegRoot root, std::string_view keyPath, std::string_view name)
{
    ini_.deleteKey(sectionName(root, keyPath), name);
}

std::vector<std::string> Registry::subKeys(RegRoot root, std::string_view keyPath) const
{
    const std::string below = sectionName(root, keyPath) + "\\";
    std::vector<std::string> names;
    for (const std::string& section : ini_.readSections()) {
        if (section.size() <= below.size() || !startsWithNoCase(section, below))
            continue;
        std::string child = section.substr(below.size());
        child = child.substr(0, child.find('\\'));
        bool seen = false;
        for (const auto& n : names)
            seen = seen || (n.size() == child.size() && startsWithNoCase(n, child));
        if (!seen)
            names.push_back(child);
    }
    return names;
}

std::vector<std::string> Registry::valueNames(RegRoot root, std::string_view keyPath) const
{
    return ini_.readSection(sectionName(root, keyPath));
}

} // namespace platform
