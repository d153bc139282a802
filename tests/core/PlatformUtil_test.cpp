#include "core/PlatformUtil.h"

#include <gtest/gtest.h>

#include <optional>

#include <QCoreApplication>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/codec.h"
#include "platform/ini_file.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "platform/xdg_folders.h"
#include "support/scripted_messages.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;
using platform::RegRoot;

namespace {

constexpr const char* kPolicies = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";

// A private program tree with the user-account-control switch on or off.
struct Tree {
    explicit Tree(bool uac)
    {
        if (uac)
            platform::Registry().writeInteger(RegRoot::LocalMachine, kPolicies, "EnableLUA", 1);
    }
    test_support::ScopedMiruzaHome home;
    std::string documents() const { return home.file("documents"); }
};

// Folder browser hooks that play a list of choices (nullopt = Cancel) and
// record the titles they were shown with.
struct ScriptedBrowser {
    std::vector<std::optional<std::string>> choices;
    std::vector<std::string> titles;
    TFolderDialogHooks previous;
    explicit ScriptedBrowser(std::vector<std::optional<std::string>> c)
        : choices(std::move(c))
    {
        previous = SetFolderDialogHooks(
            {[this](const std::string& title, const std::string&, const std::string&) { return next(title); },
                [this](const std::string& title, const std::string&) { return next(title); }});
    }
    ~ScriptedBrowser() { SetFolderDialogHooks(previous); }
    std::optional<std::string> next(const std::string& title)
    {
        titles.push_back(title);
        if (choices.empty())
            return std::nullopt;
        auto c = choices.front();
        choices.erase(choices.begin());
        return c;
    }
};

std::string fileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

} // namespace

// --- The save-location guard -------------------------------------------------------

TEST(PlatformUtilSaveGuard, RootWithUacOnAsksAndNoRefuses)
{
    Tree tree(true);
    for (const char* root : {"/", "//", "/tmp/..", "/."}) {
        ScriptedMessages messages({modal::No});
        std::string folder = root;
        EXPECT_FALSE(CheckSaveFolder(folder)) << root;
        ASSERT_EQ(messages.count(), 1u) << root;
        EXPECT_EQ(messages.shown()[0].kind, msgkind::Warning);
        EXPECT_EQ(messages.shown()[0].buttons, msgbtn::Yes | msgbtn::No);
        EXPECT_EQ(messages.firstLine(0), "この場所に保存するアクセス許可がありません。");
        EXPECT_EQ(messages.shown()[0].lines[3].text, "代わりに［ドキュメント］フォルダに保存しますか？");
    }
}

TEST(PlatformUtilSaveGuard, YesGivesTheDocumentsFolderWithDelimiter)
{
    Tree tree(true);
    ScriptedMessages messages({modal::Yes});
    std::string folder = "/";
    EXPECT_TRUE(CheckSaveFolder(folder));
    EXPECT_EQ(folder, tree.documents() + "/");
}

TEST(PlatformUtilSaveGuard, OtherFoldersAndUacOffPassWithDelimiter)
{
    {
        Tree tree(true);
        ScriptedMessages messages;
        std::string folder = "/srv/data";
        EXPECT_TRUE(CheckSaveFolder(folder));
        EXPECT_EQ(folder, "/srv/data/");
        EXPECT_EQ(messages.count(), 0u);
    }
    Tree off(false);
    ScriptedMessages messages;
    std::string folder = "/";
    EXPECT_TRUE(CheckSaveFolder(folder));
    EXPECT_EQ(folder, "/");
    EXPECT_EQ(messages.count(), 0u);
}

TEST(PlatformUtilSaveGuard, FilePath)
{
    Tree tree(true);
    ScriptedMessages messages({modal::Yes, modal::No});
    std::string path = "/out.xml";
    EXPECT_TRUE(CheckSaveFilePath(path));
    EXPECT_EQ(path, tree.documents() + "/out.xml");
    path = "/out.xml";
    EXPECT_FALSE(CheckSaveFilePath(path));
    EXPECT_EQ(path, "/out.xml");
    path = "/srv/out.xml";
    EXPECT_TRUE(CheckSaveFilePath(path));
    EXPECT_EQ(path, "/srv/out.xml");
}

// --- Dialogs ----------------------------------------------------------------------

TEST(PlatformUtilDialogs, FolderDialogLoopsOnNoAndTakesDocumentsOnYes)
{
    Tree tree(true);
    {
        ScriptedBrowser browser({"/", "/srv/data"});
        ScriptedMessages messages({modal::No});
        std::string path = "/start";
        EXPECT_TRUE(SelectFolderDialog("", path, false));
        EXPECT_EQ(path, "/srv/data");
        EXPECT_EQ(messages.count(), 1u);
        EXPECT_EQ(browser.titles, (std::vector<std::string> {"フォルダを選択して下さい", "フォルダを選択して下さい"}));
    }
    {
        ScriptedBrowser browser({"/"});
        ScriptedMessages messages({modal::Yes});
        std::string path;
        EXPECT_TRUE(SelectFolderDialog("保存先", path, false));
        EXPECT_EQ(path, tree.documents());
        EXPECT_EQ(browser.titles, std::vector<std::string> {"保存先"});
    }
    {
        ScriptedBrowser browser({"/"});
        ScriptedMessages messages;
        std::string path;
        EXPECT_TRUE(SelectFolderDialog("", path, true)); // the guard skipped
        EXPECT_EQ(path, "/");
        EXPECT_EQ(messages.count(), 0u);
    }
    {
        ScriptedBrowser browser({std::nullopt});
        std::string path = "/keep";
        EXPECT_FALSE(SelectFolderDialog("", path, false));
        EXPECT_EQ(path, "/keep");
    }
}

TEST(PlatformUtilDialogs, FolderPathOver255BytesIsRefused)
{
    Tree tree(false);
    const std::string ok = "/" + std::string(254, 'a'); // 255 bytes
    const std::string long256 = "/" + std::string(253, 'a') + "ア"; // 256 bytes in code page 932
    ASSERT_EQ(platform::codec::sjisWidth(long256), 256u);
    {
        ScriptedBrowser browser({ok});
        std::string path;
        EXPECT_TRUE(SelectFolderDialog("", path, false));
    }
    ScriptedBrowser browser({long256});
    ScriptedMessages messages;
    std::string path;
    EXPECT_FALSE(SelectFolderDialog("", path, false));
    EXPECT_EQ(path, long256);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.shown()[0].kind, msgkind::Error);
    EXPECT_EQ(messages.firstLine(0), "選択した場所(パス)の文字長が処理できる範囲を超えました。");
}

TEST(PlatformUtilDialogs, FileDialogGuard)
{
    Tree tree(true);
    int runs = 0;
    std::vector<std::string> answers = {"/report.xml", "/srv/report.xml"};
    const auto dialog = [&]() -> std::optional<std::string> { return answers.at(static_cast<std::size_t>(runs++)); };
    {
        ScriptedMessages messages({modal::No});
        std::string name;
        EXPECT_TRUE(ExecuteFileDialog(dialog, name));
        EXPECT_EQ(name, "/srv/report.xml");
        EXPECT_EQ(runs, 2);
    }
    runs = 0;
    ScriptedMessages messages({modal::Yes});
    std::string name;
    EXPECT_TRUE(ExecuteFileDialog(dialog, name));
    EXPECT_EQ(name, tree.documents() + "/report.xml");
    EXPECT_FALSE(ExecuteFileDialog([] { return std::optional<std::string>(); }, name));
}

TEST(PlatformUtilDialogs, ComputerDialog)
{
    ScriptedBrowser browser({"server1", std::nullopt});
    std::string name = "old";
    EXPECT_TRUE(SelectComputerDialog("", name));
    EXPECT_EQ(name, "server1");
    EXPECT_FALSE(SelectComputerDialog("", name));
    EXPECT_EQ(name, "server1");
    EXPECT_EQ(browser.titles.front(), "コンピュータを選択して下さい");
}

// --- Shell operations ----------------------------------------------------------------

TEST(PlatformUtilShell, DeleteRefusesProtectedPathsWithTheMessage)
{
    test_support::TempDir dir;
    fs::create_directory_symlink("/usr", dir.file("usrLink"));
    for (const std::string& p : {std::string("/"), std::string("/usr"), std::string("/usr/"), std::string("/usr/."),
             std::string("/etc/.."), std::string("/*"), std::string(""), dir.file("usrLink")}) {
        ScriptedMessages messages;
        EXPECT_FALSE(ShellDeleteRename(p, 3, false, false)) << p;
        ASSERT_EQ(messages.count(), 1u) << p;
        EXPECT_EQ(messages.shown()[0].kind, msgkind::Error);
        EXPECT_EQ(messages.firstLine(0), "ルート・システムディレクトリは、削除できません。<" + p + "> ");
    }
    EXPECT_TRUE(fs::exists("/usr"));
}

TEST(PlatformUtilShell, OperationsOtherThanDeleteDoNothing)
{
    test_support::TempDir dir;
    const std::string file = dir.write("a.txt", "x");
    ScriptedMessages messages;
    EXPECT_FALSE(ShellDeleteRename(file, 5, false, true));
    EXPECT_FALSE(ShellDeleteRename(file, 4, false, true));
    EXPECT_EQ(messages.count(), 0u);
    EXPECT_TRUE(fs::exists(file));
    EXPECT_FALSE(ShellDeleteRename("/", 4, false, true));
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.firstLine(0), "ルート・システムディレクトリは、変更できません。</> ");
}

TEST(PlatformUtilShell, DeleteTreesFilesAndPatterns)
{
    test_support::TempDir dir;
    dir.write("tree/sub/a.txt", "a");
    dir.write("files/x.fdb", "1");
    dir.write("files/y.fdb", "2");
    dir.write("files/keep.ini", "3");
    EXPECT_TRUE(ShellDeleteRename(dir.file("tree"), 3, false, false));
    EXPECT_FALSE(fs::exists(dir.file("tree")));
    EXPECT_TRUE(ShellDeleteRename(dir.file("files/*.fdb"), 3, false, false));
    EXPECT_FALSE(fs::exists(dir.file("files/x.fdb")));
    EXPECT_FALSE(fs::exists(dir.file("files/y.fdb")));
    EXPECT_TRUE(fs::exists(dir.file("files/keep.ini")));

    ScriptedMessages messages;
    EXPECT_FALSE(ShellDeleteRename(dir.file("missing"), 3, false, false));
    EXPECT_EQ(messages.count(), 0u);
    EXPECT_FALSE(ShellDeleteRename(dir.file("missing"), 3, false, true));
    EXPECT_EQ(messages.count(), 1u);
}

TEST(PlatformUtilShell, DeleteWithUndoGoesToTheTrash)
{
    test_support::ScopedMiruzaHome home;
    test_support::TempDir dir;
    dir.write("co1/tnacc.fdb", "db");
    ASSERT_TRUE(ShellDeleteRename(dir.file("co1"), 3, true, true));
    EXPECT_FALSE(fs::exists(dir.file("co1")));
    EXPECT_EQ(fileText(home.file("data/Trash/files/co1/tnacc.fdb")), "db");
    const std::string info = fileText(home.file("data/Trash/info/co1.trashinfo"));
    EXPECT_NE(info.find("Path=" + dir.file("co1") + "\n"), std::string::npos) << info;
}

TEST(PlatformUtilShell, CopyFolderContentsAndMove)
{
    test_support::TempDir dir;
    dir.write("src/tnacc.fdb", "db");
    dir.write("src/tnacc.ini", "ini");
    dir.write("src/sub/deep.txt", "deep");
    dir.write("dst/tnacc.ini", "old");

    EXPECT_TRUE(ShellCopyMove(dir.file("src/*"), dir.file("dst"), 2));
    EXPECT_EQ(fileText(dir.file("dst/tnacc.fdb")), "db");
    EXPECT_EQ(fileText(dir.file("dst/tnacc.ini")), "ini"); // overwritten
    EXPECT_EQ(fileText(dir.file("dst/sub/deep.txt")), "deep");
    EXPECT_TRUE(fs::exists(dir.file("src/tnacc.fdb")));

    EXPECT_TRUE(ShellCopyMove(dir.file("src/*"), dir.file("new/nested"), 2)); // target folders created
    EXPECT_EQ(fileText(dir.file("new/nested/sub/deep.txt")), "deep");

    EXPECT_TRUE(ShellCopyMove(dir.file("src"), dir.file("dst"), 2)); // into an existing folder
    EXPECT_EQ(fileText(dir.file("dst/src/tnacc.fdb")), "db");

    EXPECT_TRUE(ShellCopyMove(dir.file("src"), dir.file("moved"), 1)); // becomes the new name
    EXPECT_FALSE(fs::exists(dir.file("src")));
    EXPECT_EQ(fileText(dir.file("moved/sub/deep.txt")), "deep");

    EXPECT_FALSE(ShellCopyMove(dir.file("moved"), dir.file("moved/inside"), 2)); // into itself
    EXPECT_FALSE(ShellCopyMove(dir.file("nothing/*"), dir.file("x"), 2));
    EXPECT_FALSE(ShellCopyMove(dir.file("moved"), dir.file("x"), 3));
}

TEST(PlatformUtilShell, CopyRefusesProtectedEnds)
{
    test_support::TempDir dir;
    dir.write("src/a.txt", "a");
    ScriptedMessages messages;
    EXPECT_FALSE(ShellCopyMove(dir.file("src/*"), "/usr/", 2));
    EXPECT_FALSE(ShellCopyMove("/", dir.file("dst"), 1));
    ASSERT_EQ(messages.count(), 2u);
    EXPECT_EQ(messages.firstLine(0), "指定ディレクトリ[" + dir.file("src/*") + "->/usr/]の複写・移動はできません。 ");
    EXPECT_FALSE(fs::exists(dir.file("dst")));
}

// --- Folders and files ------------------------------------------------------------

TEST(PlatformUtilFolders, SpecialFoldersAndTemp)
{
    test_support::ScopedMiruzaHome home;
    EXPECT_EQ(GetMyDocumentsDir(), home.file("documents"));
    EXPECT_EQ(GetAppDataDir(true), home.file("data"));
    EXPECT_EQ(GetSpecialFolder("Desktop"), home.file("desktop"));
    EXPECT_EQ(GetSpecialFolder("mydocument"), home.file("documents"));
    EXPECT_EQ(GetSpecialFolder("x"), platform::xdg_folders::programDir());
    EXPECT_EQ(GetTempDir("/default"), home.file("tmp"));

    test_support::ScopedEnv unmoved("MIRUZA_HOME", std::nullopt);
    test_support::ScopedEnv missing("TMPDIR", home.file("no-such-folder"));
    EXPECT_EQ(GetTempDir("/default/"), "/default/");
}

TEST(PlatformUtilFolders, ForceDirAndSubDirList)
{
    test_support::TempDir dir;
    EXPECT_TRUE(ForceDir(dir.file("a/b/c")));
    EXPECT_TRUE(ForceDir(dir.file("a/b/c")));
    dir.makeDir("a/b/a2");
    dir.write("a/b/file.txt", "");
    EXPECT_FALSE(ForceDir(""));
    EXPECT_FALSE(ForceDir(dir.file("a/b/file.txt/x")));

    EXPECT_EQ(GetSubDirList(dir.file("a/b"), 1), (std::vector<std::string> {"a2", "c"}));
    EXPECT_EQ(GetSubDirList(dir.file("a/b/"), 0), (std::vector<std::string> {dir.file("a/b/a2"), dir.file("a/b/c")}));
    EXPECT_TRUE(GetSubDirList(dir.file("missing"), 1).empty());
    EXPECT_TRUE(GetSubDirList("  ", 1).empty());
}

TEST(PlatformUtilFolders, FileSizesCopyAndShortPath)
{
    test_support::TempDir dir;
    dir.write("empty.dat", "");
    dir.write("five.dat", "12345");
    EXPECT_EQ(GetFileSize64(dir.file("missing.dat")), 0);
    EXPECT_EQ(GetFileSize64(dir.file("missing/x.dat")), 0);
    EXPECT_EQ(GetFileSize64(dir.file("empty.dat")), 0);
    EXPECT_EQ(GetFileSize64(dir.file("five.dat")), 5);
    EXPECT_EQ(GetFileSize64(dir.file("fi*.dat")), 5);

    EXPECT_TRUE(FileCopy(dir.file("five.dat"), dir.file("empty.dat")));
    EXPECT_EQ(fileText(dir.file("empty.dat")), "12345");
    EXPECT_FALSE(FileCopy(dir.file("missing.dat"), dir.file("copy.dat")));
    EXPECT_FALSE(fs::exists(dir.file("copy.dat")));
    EXPECT_FALSE(FileCopy(dir.file("five.dat"), dir.file("no/folder/copy.dat")));

    std::string shortPath;
    GetShortPath(dir.file("five.dat"), shortPath);
    EXPECT_EQ(shortPath, dir.file("five.dat"));
    try {
        GetShortPath(dir.file("missing.dat"), shortPath);
        FAIL() << "no error for a missing file";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "ファイルが見つかりません。");
    }
    EXPECT_EQ(GetUNCPath("/srv/share/x"), "/srv/share/x");
    EXPECT_EQ(IncludeDelimiter("/srv"), "/srv/");
    EXPECT_EQ(ExcludeDelimiter("/srv/"), "/srv");
}

// --- Settings files and registry ---------------------------------------------------

TEST(PlatformUtilIni, ValueAndSectionRoundTripInCodePage932)
{
    test_support::TempDir dir;
    const std::string file = dir.write(
        "tnacc.ini", platform::codec::toSjis("[DATASTS]\r\nSTATUS=1\r\n\r\n[DATAINFO]\r\nNAME=旧\r\nK=v\r\n"));
    WriteIniValue(file, "datainfo", "NAME", std::string("株式会社髙橋①"));
    WriteIniValue(file, "DATASTS", "OPCODE", std::int64_t {12});
    WriteIniValue(file, "DATASTS", "STATUS", std::string(), true);
    EXPECT_EQ(fileText(file),
        platform::codec::toSjis("[DATASTS]\r\nOPCODE=12\r\n\r\n[DATAINFO]\r\nNAME=株式会社髙橋①\r\nK=v\r\n"));

    EXPECT_EQ(ReadIniSection(file, "DataInfo"), "NAME=株式会社髙橋①\r\nK=v\r\n");
    EXPECT_EQ(ReadIniSection(file, ""), "");
    EXPECT_EQ(ReadIniSection("", "DATAINFO"), "");

    WriteIniSection(file, "DATASTS", {"STATUS=2", "OPCODE=7"});
    WriteIniSection(file, "", {"X=1"});
    EXPECT_EQ(fileText(file),
        platform::codec::toSjis(
            "[DATASTS]\r\nSTATUS=2\r\nOPCODE=7\r\n\r\n[DATAINFO]\r\nNAME=株式会社髙橋①\r\nK=v\r\n"));
    EXPECT_THROW(WriteIniValue(dir.file("no/folder.ini"), "S", "K", std::string("v")), platform::IniError);
}

TEST(PlatformUtilRegistry, ReadRegValueKinds)
{
    test_support::ScopedMiruzaHome home;
    EXPECT_FALSE(IsUacEnabled());
    platform::Registry reg;
    reg.writeString(RegRoot::LocalMachine, "SOFTWARE\\BRIMTO\\ROZIVORADUZ", "Version", "13.0.0");
    reg.writeInteger(RegRoot::LocalMachine, kPolicies, "EnableLUA", 1);

    TRegVariant value = std::string("stale");
    ReadRegValue(RegRoot::LocalMachine, "SOFTWARE\\BRIMTO\\ROZIVORADUZ", "Version", value);
    EXPECT_EQ(value, TRegVariant(std::string("13.0.0")));
    ReadRegValue(RegRoot::LocalMachine, kPolicies, "EnableLUA", value);
    EXPECT_EQ(value, TRegVariant(std::int64_t {1}));
    ReadRegValue(RegRoot::LocalMachine, "SOFTWARE\\NONE", "Version", value);
    EXPECT_EQ(value, TRegVariant(std::int64_t {0}));
    EXPECT_TRUE(IsUacEnabled());
    reg.writeInteger(RegRoot::LocalMachine, kPolicies, "EnableLUA", 0);
    EXPECT_FALSE(IsUacEnabled());
}

// --- Sizes and waits ------------------------------------------------------------------

TEST(PlatformUtilSizes, ScaleAndFrames)
{
    EXPECT_EQ(ScaleDPI(10, 96, 120), 8);
    EXPECT_EQ(ScaleDPI(10, 120, 96), 12);
    EXPECT_EQ(ScaleDPI(-10, 96, 120), -8); // toward zero
    EXPECT_EQ(ScaleDPI(7, 120, 120), 7);

    const auto previous = SetScreenMetricsHooks({[] { return 120; }, [] { return 4; }});
    EXPECT_EQ(ScaleDPI(10, 96), 8);
    EXPECT_EQ(AdjustFrameSize(100, 0), 100);
    EXPECT_EQ(AdjustFrameSize(100, 1), 100);
    SetScreenMetricsHooks({[] { return 96; }, [] { return 6; }});
    EXPECT_EQ(AdjustFrameSize(100, 0), 96);
    EXPECT_EQ(AdjustFrameSize(100, 1), 92);
    EXPECT_EQ(AdjustFrameSize(100, 2), 100);
    SetScreenMetricsHooks(previous);

    std::uint16_t out = 0;
    MulAddWord(out, 300, 5, 300);
    EXPECT_EQ(out, static_cast<std::uint16_t>(5 + 90000));
    EXPECT_EQ(GetWinMajorVersion(), 10);
    EXPECT_FALSE(GetWinUserName().empty());
}

TEST(PlatformUtilWait, EventsRunWhileWaiting)
{
    // One application object per process: reuse one another test made.
    static int argc = 1;
    static char name[] = "core_tests";
    static char* argv[] = {name, nullptr};
    std::optional<QCoreApplication> app;
    if (!QCoreApplication::instance())
        app.emplace(argc, argv);
    bool fired = false;
    QTimer::singleShot(0, [&] { fired = true; });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(WaitMilliSec(30));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));
    EXPECT_TRUE(fired);
}
