#pragma once
// The connection settings file "<AppName>.ini" in the data root
// (SysDef.ServerIniFile): where the system database lives and how to log in
// to the database server, one section per connection kind (LOCAL 0 stand-
// alone, SERVER 1 client/server, SBC 2 shared terminal server), and the
// kind of the last successful login. Every call opens the file, does its
// work and leaves it; nothing is cached. File errors are raised
// (platform::IniError).
//
// Folders are POSIX paths here and keep their case; the database user is
// upper-cased and its password lower-cased as every program of the family
// stores them.

#include <string>

namespace dataselect {

inline constexpr const char* kIniDefaultUser = "TOLVAN";
inline constexpr const char* kIniDefaultPassword = "vulmok";

// The section of a connection kind: "LOCAL", "SERVER", "SBC"; empty for
// another kind.
std::string ConnectSection(int kind);

// mode 1: a fresh file (the host emptied first in stand-alone mode; the
// sections DATABASE and MAINFORM erased; APPLICATION with the window
// defaults and CONNECT 0; LOCAL from SysDef; SERVER with empty host and
// folder). Any other mode: the section of ConnectMode from SysDef. True.
bool WriteIniFile(int mode);

// One section into SysDef: host, the GO-Global flag ("YES" exactly), the
// system-database folder, user (upper case), password (lower case); the
// group flag is cleared (GROUP is never read). Answers 1.
int ReadIniFile(int kind);

// The connection settings for the program kind: 0 and 2 from the file,
// 1 and 3 the product's own folders with the default account; 0 for an
// unknown program kind, else 1.
int LoadConnectSettings(int kind);

// APPLICATION CONNECT: the kind of the last login (0 when not a number, and
// always 0 for a program kind other than 0).
int ReadConnectKind();
// Stores the kind (only kinds 0-2, only for program kind 0).
void WriteConnectKind(int kind);

} // namespace dataselect
