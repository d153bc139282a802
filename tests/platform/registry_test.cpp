#include "platform/registry.h"

#include <gtest/gtest.h>

#include "platform/codec.h"
#include "platform/paths.h"
#include "support/temp_dir.h"

using platform::Registry;
using platform::RegRoot;

TEST(Registry, LivesInTheConfigurationFolder)
{
    test_support::ScopedMiruzaHome home;
    EXPECT_EQ(Registry::defaultPath(), home.file("config/registry.ini"));
    Registry reg;
    reg.writeString(RegRoot::LocalMachine, "SOFTWARE\\BRIMTO\\ROZIVORADUZ", "Product", "トルバン財務");
    EXPECT_TRUE(platform::paths::exists(home.file("config/registry.ini")));
}

TEST(Registry, StringAndIntegerValuesRoundTrip)
{
    test_support::TempDir dir;
    Registry reg(dir.file("registry.ini"));
    const std::string key = "\\SOFTWARE\\BRIMTO\\ROZIVORADUZ";
    reg.writeString(RegRoot::LocalMachine, key, "Product", "トルバン財務");
    reg.writeString(RegRoot::LocalMachine, key, "Version", "13.0.0");
    reg.writeString(RegRoot::LocalMachine, key, "Odd", "dword:00000001");
    reg.writeString(RegRoot::LocalMachine, key, "Blanks", "  a b  ");
    reg.writeInteger(RegRoot::LocalMachine, key, "Type", 3);
    reg.writeInteger(RegRoot::LocalMachine, key, "Max", 0xFFFFFFFFu);

    Registry again(dir.file("registry.ini"));
    // Key paths are matched without regard to case or leading delimiter.
    const std::string other = "software\\brimto\\rozivoraduz";
    EXPECT_EQ(again.readString(RegRoot::LocalMachine, other, "product"), "トルバン財務");
    EXPECT_EQ(again.readString(RegRoot::LocalMachine, other, "Version"), "13.0.0");
    EXPECT_EQ(again.readString(RegRoot::LocalMachine, other, "Odd"), "dword:00000001");
    EXPECT_EQ(again.readString(RegRoot::LocalMachine, other, "Blanks"), "  a b  ");
    EXPECT_EQ(again.readInteger(RegRoot::LocalMachine, other, "Type"), 3);
    EXPECT_EQ(again.readInteger(RegRoot::LocalMachine, other, "Max"), 0xFFFFFFFF);
    EXPECT_FALSE(again.readInteger(RegRoot::LocalMachine, other, "Product").has_value());
    EXPECT_FALSE(again.readString(RegRoot::LocalMachine, other, "Type").has_value());
    EXPECT_FALSE(again.readValue(RegRoot::LocalMachine, other, "Missing").has_value());
    EXPECT_FALSE(again.readValue(RegRoot::CurrentUser, other, "Product").has_value());

    again.deleteValue(RegRoot::LocalMachine, key, "Odd");
    EXPECT_FALSE(again.valueExists(RegRoot::LocalMachine, key, "Odd"));
    EXPECT_EQ(again.valueNames(RegRoot::LocalMachine, key),
        (std::vector<std::string> {"Product", "Version", "Blanks", "Type", "Max"}));
}

TEST(Registry, SeededFileAndSubKeys)
{
    test_support::TempDir dir;
    const std::string path = dir.write("registry.ini",
        platform::codec::toSjis(
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System]\r\n"
            "EnableLUA=dword:00000001\r\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\BRIMTO\\ROZIVORADUZ]\r\n"
            "Version=13.0.0\r\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\BRIMTO\\ORBISCA\\Sub]\r\n"
            "Type=dword:0000000a\r\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\brimto\\rozivoraduz\\Extra]\r\n"
            "Name=手書き\r\n"));
    Registry reg(path);
    EXPECT_EQ(reg.readInteger(
                  RegRoot::LocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System", "EnableLUA"),
        1);
    EXPECT_EQ(reg.readString(RegRoot::LocalMachine, "SOFTWARE\\BRIMTO\\ROZIVORADUZ", "Version"), "13.0.0");
    EXPECT_EQ(reg.readString(RegRoot::LocalMachine, "SOFTWARE\\BRIMTO\\ROZIVORADUZ\\Extra", "Name"), "手書き");
    EXPECT_EQ(reg.subKeys(RegRoot::LocalMachine, "\\SOFTWARE\\BRIMTO"),
        (std::vector<std::string> {"ROZIVORADUZ", "ORBISCA"}));
    EXPECT_TRUE(reg.keyExists(RegRoot::LocalMachine, "SOFTWARE\\BRIMTO")); // only below it
    EXPECT_TRUE(reg.keyExists(RegRoot::LocalMachine, "software\\brimto\\orbisca\\sub"));
    EXPECT_FALSE(reg.keyExists(RegRoot::LocalMachine, "SOFTWARE\\BRIM")); // a prefix is no key
    EXPECT_FALSE(reg.keyExists(RegRoot::CurrentUser, "SOFTWARE\\BRIMTO"));
    EXPECT_TRUE(reg.subKeys(RegRoot::LocalMachine, "SOFTWARE\\NONE").empty());
}

TEST(Registry, MissingStoreReadsAsEmpty)
{
    test_support::TempDir dir;
    Registry reg(dir.file("none.ini"));
    EXPECT_FALSE(reg.keyExists(RegRoot::LocalMachine, "SOFTWARE"));
    EXPECT_FALSE(reg.readValue(RegRoot::LocalMachine, "SOFTWARE", "x").has_value());
}
