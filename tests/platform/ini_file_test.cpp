#include "platform/ini_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/codec.h"
#include "support/temp_dir.h"

using platform::IniError;
using platform::IniFile;
using platform::codec::toSjis;

namespace {

// A settings file as the Windows programs write it: code page 932, CRLF,
// a comment, blanks around "=", mixed case, a quoted value.
std::string fixture()
{
    return toSjis("; 設定ファイル\r\n"
                  "[Application]\r\n"
                  "OEM = Harbenworks \r\n"
                  "Title=トルバン財務\r\n"
                  "Quoted=\"  空白あり  \"\r\n"
                  "Count=42\r\n"
                  "Hex=0x1F\r\n"
                  "Bad=abc\r\n"
                  "\r\n"
                  "[Varov]\r\n"
                  "DataFile=tnacc.fdb\r\n"
                  "; note\r\n"
                  "DataFile=second.fdb\r\n"
                  "\r\n"
                  "[Menu]\r\n"
                  "DataCon=データ通信\r\n");
}

std::vector<std::string> listDir(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(IniFile, ReadsCodePage932LikeTheWindowsCalls)
{
    test_support::TempDir dir;
    IniFile ini(dir.write("a.ini", fixture()));

    EXPECT_EQ(ini.readString("application", "oem", "-"), "Harbenworks");
    EXPECT_EQ(ini.readString("APPLICATION", "TITLE", ""), "トルバン財務");
    EXPECT_EQ(ini.readString("Application", "Quoted", ""), "  空白あり  ");
    EXPECT_EQ(ini.readString("Menu", "DataCon", ""), "データ通信");
    EXPECT_EQ(ini.readString("Varov", "DataFile", ""), "tnacc.fdb"); // first of a repeated key
    EXPECT_EQ(ini.readString("Application", "Missing", "dflt"), "dflt");
    EXPECT_EQ(ini.readString("NoSection", "OEM", "dflt"), "dflt");
    EXPECT_EQ(ini.readString("Application", "; 設定ファイル", "dflt"), "dflt");

    EXPECT_EQ(ini.readInteger("Application", "Count", -1), 42);
    EXPECT_EQ(ini.readInteger("Application", "Hex", -1), 31);
    EXPECT_EQ(ini.readInteger("Application", "Bad", -1), -1);
    EXPECT_EQ(ini.readInteger("Application", "Missing", 120), 120);
    EXPECT_TRUE(ini.readBool("Application", "Count", false));
    EXPECT_FALSE(ini.readBool("Application", "Missing", false));
    EXPECT_TRUE(ini.readBool("Application", "Bad", true));

    EXPECT_TRUE(ini.sectionExists("varov"));
    EXPECT_FALSE(ini.sectionExists("Company"));
    EXPECT_TRUE(ini.valueExists("VAROV", "datafile"));
    EXPECT_FALSE(ini.valueExists("Varov", "note"));

    EXPECT_EQ(ini.readSections(), (std::vector<std::string> {"Application", "Varov", "Menu"}));
    EXPECT_EQ(
        ini.readSection("application"), (std::vector<std::string> {"OEM", "Title", "Quoted", "Count", "Hex", "Bad"}));
    EXPECT_EQ(ini.readSectionValues("Menu"), (std::vector<std::string> {"DataCon=データ通信"}));
    EXPECT_TRUE(ini.readSection("none").empty());
}

TEST(IniFile, IntegerForms)
{
    test_support::TempDir dir;
    IniFile ini(dir.write("n.ini", "[S]\nA= -7 \nB=$10\nC=+3\nD=12x\nE=\nF=0x\nG=99999999999999999999\n"));
    EXPECT_EQ(ini.readInteger("S", "A", 0), -7);
    EXPECT_EQ(ini.readInteger("S", "B", 0), 16);
    EXPECT_EQ(ini.readInteger("S", "C", 0), 3);
    for (const char* key : {"D", "E", "F", "G"})
        EXPECT_EQ(ini.readInteger("S", key, 5), 5) << key;
}

TEST(IniFile, MissingFileReadsDefaultsAndFirstWriteCreatesIt)
{
    test_support::TempDir dir;
    IniFile ini(dir.file("new.ini"));
    EXPECT_EQ(ini.readString("S", "K", "d"), "d");
    EXPECT_TRUE(ini.readSections().empty());
    ini.writeString("DATASTS", "STATUS", "1");
    ini.writeInteger("DATASTS", "OPCODE", 12);
    ini.writeBool("DATAINFO", "FLAG", true);
    ini.writeString("DATAINFO", "NAME", "株式会社テスト");
    EXPECT_EQ(dir.read("new.ini"),
        toSjis("[DATASTS]\r\nSTATUS=1\r\nOPCODE=12\r\n[DATAINFO]\r\nFLAG=1\r\nNAME=株式会社テスト\r\n"));
}

TEST(IniFile, WriteChangesOnlyItsLine)
{
    test_support::TempDir dir;
    IniFile ini(dir.write("a.ini", fixture()));
    ini.writeString("application", "COUNT", "43");
    std::string expected = fixture();
    expected.replace(expected.find("Count=42"), 8, "Count=43");
    EXPECT_EQ(dir.read("a.ini"), expected);
    EXPECT_EQ(ini.readInteger("Application", "Count", 0), 43);
}

TEST(IniFile, NewKeyGoesAfterTheSectionsLastEntryAndNewSectionAtTheEnd)
{
    test_support::TempDir dir;
    IniFile ini(dir.write("b.ini", "[A]\nx=1\n\n[B]\ny=2"));
    ini.writeString("a", "z", "3");
    ini.writeString("C", "w", "4");
    ini.writeString("B", "v", "5");
    // The file's own line ends are kept; a last line without line end gets one.
    EXPECT_EQ(dir.read("b.ini"), "[A]\nx=1\nz=3\n\n[B]\ny=2\nv=5\n[C]\nw=4\n");
    EXPECT_EQ(ini.readString("B", "v", ""), "5");
    EXPECT_EQ(ini.readString("C", "v", "none"), "none");
}

TEST(IniFile, EraseSectionAndDeleteKeyKeepEverythingElse)
{
    test_support::TempDir dir;
    IniFile ini(dir.write("a.ini", fixture()));
    ini.eraseSection("VAROV");
    ini.deleteKey("Application", "bad");
    ini.deleteKey("Application", "NotThere");
    ini.eraseSection("NotThere");
    EXPECT_EQ(dir.read("a.ini"),
        toSjis("; 設定ファイル\r\n"
               "[Application]\r\n"
               "OEM = Harbenworks \r\n"
               "Title=トルバン財務\r\n"
               "Quoted=\"  空白あり  \"\r\n"
               "Count=42\r\n"
               "Hex=0x1F\r\n"
               "\r\n"
               "[Menu]\r\n"
               "DataCon=データ通信\r\n"));
    EXPECT_FALSE(ini.sectionExists("Varov"));
    EXPECT_EQ(ini.readString("Varov", "DataFile", "gone"), "gone");
}

TEST(IniFile, WriteSectionReplacesTheSectionInPlace)
{
    test_support::TempDir dir;
    IniFile ini(dir.write("c.ini", "[A]\r\nold=1\r\nold2=2\r\n\r\n[B]\r\nk=v\r\n"));
    ini.writeSection("a", {"x=漢字", "y = 2", "z="});
    EXPECT_EQ(dir.read("c.ini"), toSjis("[a]\r\nx=漢字\r\ny= 2\r\nz=\r\n\r\n[B]\r\nk=v\r\n"));
    EXPECT_EQ(ini.readSectionValues("A"), (std::vector<std::string> {"x=漢字", "y=2", "z="}));
    ini.writeSection("New", {"k=1"});
    EXPECT_EQ(ini.readString("new", "K", ""), "1");
}

TEST(IniFile, RefusesWhatCannotBeStoredAndLeavesTheFile)
{
    test_support::TempDir dir;
    const std::string original = "[S]\r\nk=1\r\n";
    IniFile ini(dir.write("d.ini", original));
    EXPECT_THROW(ini.writeString("S", "k", "絵文字😀"), IniError); // not in code page 932
    EXPECT_THROW(ini.writeString("S", "k", "two\nlines"), IniError);
    EXPECT_THROW(ini.writeString("S", "a=b", "1"), IniError);
    EXPECT_THROW(ini.writeString("S]", "k", "1"), IniError);
    EXPECT_THROW(ini.writeString("", "k", "1"), IniError);
    EXPECT_EQ(dir.read("d.ini"), original);
}

TEST(IniFile, MalformedBytesAreAnErrorNotAGuess)
{
    test_support::TempDir dir;
    IniFile ini(dir.write("e.ini", std::string("[S]\r\nk=\x82\r\n", 9)));
    EXPECT_THROW(ini.readString("S", "k", ""), IniError);
    EXPECT_THROW(ini.readSectionValues("S"), IniError);
}

TEST(IniFile, MalformedBytesElsewhereSpoilNeitherReadsNorWrites)
{
    // Another program's section holds a comment and a value that are not
    // code page 932: our own values still read, and a write keeps those
    // bytes as they were.
    test_support::TempDir dir;
    const std::string other = std::string("[Other]\r\n; \x82 comment\r\nodd=\xFF\xFE\r\n", 30);
    const std::string path = dir.write("m.ini", other + toSjis("[Mine]\r\nName=トルバン\r\n"));
    IniFile ini(path);
    EXPECT_EQ(ini.readString("Mine", "Name", ""), "トルバン");
    EXPECT_EQ(ini.readSections(), (std::vector<std::string> {"Other", "Mine"}));
    EXPECT_THROW(ini.readString("Other", "odd", ""), IniError); // the value read must decode
    ini.writeString("Mine", "Name", "ミルザ");
    EXPECT_EQ(dir.read("m.ini"), other + toSjis("[Mine]\r\nName=ミルザ\r\n"));
}

TEST(IniFile, ReadOnlyFileIsRefusedNotReplaced)
{
    test_support::TempDir dir;
    const std::string original = "[S]\r\nk=1\r\n";
    const std::string path = dir.write("ro.ini", original);
    std::filesystem::permissions(path, std::filesystem::perms(0444));
    IniFile ini(path);
    try {
        ini.writeString("S", "k", "2");
        ADD_FAILURE() << "a read-only file was written";
    } catch (const IniError& e) {
        EXPECT_NE(std::string(e.what()).find("読み取り専用"), std::string::npos) << e.what();
    }
    EXPECT_EQ(dir.read("ro.ini"), original);
    EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(0444));
    EXPECT_EQ(listDir(dir.path()), std::vector<std::string> {"ro.ini"});
}

TEST(IniFile, LongTargetNamesFitTheTemporaryName)
{
    test_support::TempDir dir;
    const std::string name = std::string(250, 'n') + ".ini"; // 254 bytes: the limit is 255
    IniFile ini(dir.file(name));
    ini.writeString("S", "k", "1");
    EXPECT_EQ(ini.readString("S", "k", ""), "1");
    EXPECT_EQ(listDir(dir.path()), std::vector<std::string> {name});
}

TEST(IniFile, TwoProcessesWritingOneFileKeepEachOthersChanges)
{
    test_support::TempDir dir;
    const std::string path = dir.write("shared.ini", "[S]\r\n");
    constexpr int kWrites = 150;
    pid_t children[2];
    for (int c = 0; c < 2; ++c) {
        children[c] = ::fork();
        if (children[c] == 0) {
            int code = 0;
            try {
                IniFile ini(path); // each process its own object, as two programs
                for (int i = 0; i < kWrites; ++i)
                    ini.writeInteger("S", "p" + std::to_string(c) + "_" + std::to_string(i), i);
            } catch (...) {
                code = 1;
            }
            ::_exit(code);
        }
    }
    for (pid_t pid : children) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    IniFile ini(path);
    EXPECT_EQ(ini.readSection("S").size(), static_cast<std::size_t>(2 * kWrites));
}

TEST(IniFile, SeesChangesMadeByAnotherWriter)
{
    test_support::TempDir dir;
    const std::string path = dir.write("f.ini", "[S]\nk=1\n");
    IniFile reader(path);
    EXPECT_EQ(reader.readString("S", "k", ""), "1");
    IniFile writer(path);
    writer.writeString("S", "k", "2");
    EXPECT_EQ(reader.readString("S", "k", ""), "2");
}

TEST(IniFile, SaveKeepsPermissionsAndLeavesNoTemporaryFile)
{
    test_support::TempDir dir;
    const std::string path = dir.write("g.ini", "[S]\nk=1\n");
    std::filesystem::permissions(path, std::filesystem::perms(0640));
    IniFile(path).writeString("S", "k", "2");
    EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(0640));
    EXPECT_EQ(listDir(dir.path()), std::vector<std::string> {"g.ini"});
}

namespace {

// Runs a write in a child whose file-size limit is smaller than the new
// file: the write fails part-way, as on a full disk. With signalDefault the
// child dies of SIGXFSZ in the middle of writing (a crash); otherwise it
// sees the error. Returns the child's wait status.
int writeInLimitedChild(const std::string& path, bool signalDefault)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::signal(SIGXFSZ, signalDefault ? SIG_DFL : SIG_IGN);
        rlimit limit {64, 64};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        try {
            IniFile(path).writeString("S", "big", std::string(4096, 'x'));
            ::_exit(1); // the failure was not noticed
        } catch (const IniError&) {
            ::_exit(0);
        }
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return status;
}

} // namespace

TEST(IniFile, FailedWriteReportsAndLeavesTheOldFile)
{
    test_support::TempDir dir;
    const std::string original = "[S]\r\nk=1\r\n";
    const std::string path = dir.write("h.ini", original);
    const int status = writeInLimitedChild(path, false);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the failed write was reported as success";
    EXPECT_EQ(dir.read("h.ini"), original);
    EXPECT_EQ(listDir(dir.path()), std::vector<std::string> {"h.ini"});
}

TEST(IniFile, CrashMidWriteLeavesTheOldFile)
{
    test_support::TempDir dir;
    const std::string original = "[S]\r\nk=1\r\n";
    const std::string path = dir.write("i.ini", original);
    const int status = writeInLimitedChild(path, true);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(dir.read("i.ini"), original);
    EXPECT_EQ(IniFile(path).readString("S", "k", ""), "1");
    // The dead writer's temporary file is removed by the next write.
    EXPECT_EQ(listDir(dir.path()).size(), 2u);
    IniFile(path).writeString("S", "k", "2");
    EXPECT_EQ(listDir(dir.path()), std::vector<std::string> {"i.ini"});
}

TEST(IniFile, WriteIntoAMissingFolderFails)
{
    test_support::TempDir dir;
    IniFile ini(dir.file("no/such/folder/j.ini"));
    EXPECT_THROW(ini.writeString("S", "k", "1"), IniError);
}
