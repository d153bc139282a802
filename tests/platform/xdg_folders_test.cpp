#include "platform/xdg_folders.h"

#include <gtest/gtest.h>

#include "platform/paths.h"
#include "support/temp_dir.h"

namespace sf = platform::xdg_folders;
using test_support::ScopedEnv;

TEST(XdgFolders, MiruzaHomeMovesTheWholeTreeAndCreatesIt)
{
    test_support::ScopedMiruzaHome home;
    ScopedEnv xdg("XDG_DATA_HOME", "/elsewhere");
    const std::pair<std::string, std::string> cases[] = {
        {sf::appDataDir(), "data"},
        {sf::documentsDir(), "documents"},
        {sf::configDir(), "config"},
        {sf::desktopDir(), "desktop"},
        {sf::tempDir(), "tmp"},
    };
    for (const auto& [folder, sub] : cases) {
        EXPECT_EQ(folder, home.file(sub));
        EXPECT_TRUE(platform::paths::isDirectory(folder)) << folder;
    }
    EXPECT_EQ(sf::movedHome(), home.path());
}

TEST(XdgFolders, XdgVariablesWithoutMiruzaHome)
{
    ScopedEnv noHome("MIRUZA_HOME", std::nullopt);
    ScopedEnv data("XDG_DATA_HOME", "/x/data/");
    ScopedEnv docs("XDG_DOCUMENTS_DIR", "/x/docs");
    ScopedEnv config("XDG_CONFIG_HOME", "/x/config");
    ScopedEnv desktop("XDG_DESKTOP_DIR", "/x/desk");
    ScopedEnv tmp("TMPDIR", "/x/tmp/");
    EXPECT_EQ(sf::appDataDir(), "/x/data");
    EXPECT_EQ(sf::documentsDir(), "/x/docs");
    EXPECT_EQ(sf::configDir(), "/x/config");
    EXPECT_EQ(sf::desktopDir(), "/x/desk");
    EXPECT_EQ(sf::tempDir(), "/x/tmp");
}

TEST(XdgFolders, DefaultsBelowHome)
{
    ScopedEnv noHome("MIRUZA_HOME", "");
    ScopedEnv home("HOME", "/h/user");
    ScopedEnv data("XDG_DATA_HOME", std::nullopt);
    ScopedEnv docs("XDG_DOCUMENTS_DIR", std::nullopt);
    ScopedEnv config("XDG_CONFIG_HOME", std::nullopt);
    ScopedEnv desktop("XDG_DESKTOP_DIR", std::nullopt);
    ScopedEnv tmp("TMPDIR", std::nullopt);
    EXPECT_EQ(sf::appDataDir(), "/h/user/.local/share");
    EXPECT_EQ(sf::documentsDir(), "/h/user/Documents");
    EXPECT_EQ(sf::configDir(), "/h/user/.config");
    EXPECT_EQ(sf::desktopDir(), "/h/user/Desktop");
    EXPECT_EQ(sf::tempDir(), "/tmp");
    EXPECT_EQ(sf::homeDir(), "/h/user");
}

TEST(XdgFolders, ProgramDirIsAnAbsoluteFolder)
{
    const std::string dir = sf::programDir();
    EXPECT_EQ(dir.front(), '/');
    EXPECT_TRUE(platform::paths::isDirectory(dir));
}
