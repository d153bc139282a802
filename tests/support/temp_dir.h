#pragma once
// Temporary folders and environment settings for the life of a test.
//
//   test_support::TempDir dir;                 // /tmp/miruza-test-XXXXXX
//   dir.write("a.ini", "[S]\r\nK=1\r\n");      // raw bytes, folders created
//   test_support::ScopedMiruzaHome home;       // MIRUZA_HOME -> a new temp folder
//
// Everything is removed (and the environment restored) when the object goes
// out of scope.

#include <optional>
#include <string>
#include <string_view>

namespace test_support {

class TempDir {
public:
    TempDir(); // throws std::runtime_error when no folder can be made
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder, without trailing "/".
    const std::string& path() const noexcept { return path_; }
    // path() + "/" + relative.
    std::string file(std::string_view relative) const;
    // Writes raw bytes to a file below the folder (parents created) and
    // returns its full path.
    std::string write(std::string_view relative, std::string_view bytes) const;
    // Raw bytes of a file below the folder; throws when it cannot be read.
    std::string read(std::string_view relative) const;
    // Creates a sub-folder (with parents) and returns its full path.
    std::string makeDir(std::string_view relative) const;

private:
    std::string path_;
};

// Sets (or, with nullopt, unsets) an environment variable and restores the
// previous state on destruction.
class ScopedEnv {
public:
    ScopedEnv(std::string name, std::optional<std::string> value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::optional<std::string> previous_;
};

// Points MIRUZA_HOME at a fresh temporary folder, so every folder of the
// program (data, documents, config, temp) lies inside it.
class ScopedMiruzaHome {
public:
    ScopedMiruzaHome();
    const std::string& path() const noexcept { return dir_.path(); }
    std::string file(std::string_view relative) const { return dir_.file(relative); }

private:
    TempDir dir_;
    ScopedEnv env_;
};

} // namespace test_support
