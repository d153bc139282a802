#pragma once
// A small key/value store in place of the Windows registry.
//
// It lives in "registry.ini" in the configuration folder
// (xdg_folders::configDir()). Each key is an ini section named by its
// root and path, such as "HKEY_LOCAL_MACHINE\SOFTWARE\BRIMTO\ROZIVORADUZ";
// key paths are written with "\" as the Windows programs write them, and
// leading or doubled "\" are ignored. Names match without regard to ASCII
// case, like registry names. A value is stored as
//   Name=sz:text           a string value (sz:"text" keeps blanks at its ends)
//   Name=dword:0000007b    a 32-bit integer value (hexadecimal)
// A value written by hand without a type reads as a string.
// The store is written atomically through IniFile; setup and tests seed it.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/ini_file.h"

namespace platform {

enum class RegRoot { LocalMachine, CurrentUser };

// A value read from the store: text, or an integer.
using RegValue = std::variant<std::string, std::int64_t>;

class Registry {
public:
    // The store in the configuration folder.
    Registry();
    // A store in the given file (tests, tools).
    explicit Registry(std::string iniPath);

    static std::string defaultPath();
    const std::string& fileName() const { return ini_.fileName(); }

    // True when the key, or any key below it, holds something.
    bool keyExists(RegRoot root, std::string_view keyPath) const;
    bool valueExists(RegRoot root, std::string_view keyPath, std::string_view name) const;

    // Empty when the key or value is missing.
    std::optional<RegValue> readValue(RegRoot root, std::string_view keyPath, std::string_view name) const;
    // Text of a string value; empty optional for a missing or integer value.
    std::optional<std::string> readString(RegRoot root, std::string_view keyPath, std::string_view name) const;
    // An integer value; empty optional for a missing or string value.
    std::optional<std::int64_t> readInteger(RegRoot root, std::string_view keyPath, std::string_view name) const;

    void writeString(RegRoot root, std::string_view keyPath, std::string_view name, std::string_view value);
    void writeInteger(RegRoot root, std::string_view keyPath, std::string_view name, std::uint32_t value);
    void deleteValue(RegRoot root, std::string_view keyPath, std::string_view name);

    // Names of the direct subkeys, in file order, each once.
    std::vector<std::string> subKeys(RegRoot root, std::string_view keyPath) const;
    // Names of the key's values, in file order.
    std::vector<std::string> valueNames(RegRoot root, std::string_view keyPath) const;

    // The section name used for a key ("HKEY_LOCAL_MACHINE\A\B").
    static std::string sectionName(RegRoot root, std::string_view keyPath);

private:
    IniFile ini_;
};

} // namespace platform
