// The process registry and its starter, with screens that record what they
// were handed.
#include "controls/ProcRegistry.h"
#include "support/scripted_messages.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QWidget>

namespace {

struct Call {
    std::vector<std::string> params;
    int modal = -1;
    int nestedResult = 0;
};
std::vector<Call> g_calls;
int g_alive = 0;

class TRecordingScreen : public QWidget, public IProcScreen {
public:
    explicit TRecordingScreen(QWidget* owner)
        : QWidget(owner)
    {
        ++g_alive;
    }
    ~TRecordingScreen() override { --g_alive; }
    void SetParams(const std::vector<std::string>& params) override { params_ = params; }
    std::int32_t Execute(std::uint8_t modal) override
    {
        g_calls.push_back({params_, modal, 0});
        delete this; // the screen frees itself when done
        return 7;
    }

private:
    std::vector<std::string> params_;
};

// A screen that tries to start another screen while it is being started.
class TNestingScreen : public QWidget, public IProcScreen {
public:
    explicit TNestingScreen(QWidget* owner)
        : QWidget(owner)
    {
    }
    void SetParams(const std::vector<std::string>&) override { }
    std::int32_t Execute(std::uint8_t modal) override
    {
        const int nested = ExecProc("Rec", 1, "");
        g_calls.push_back({{}, modal, nested});
        deleteLater();
        return 1;
    }
};

// A screen that takes over the cursor as screens do, then starts another.
class TTakingOverScreen : public QWidget, public IProcScreen {
public:
    explicit TTakingOverScreen(QWidget* owner)
        : QWidget(owner)
    {
    }
    void SetParams(const std::vector<std::string>&) override { }
    std::int32_t Execute(std::uint8_t modal) override
    {
        SetDefaultProcCursor();
        const int nested = ExecProc("Rec", 1, "");
        g_calls.push_back({{}, modal, nested});
        deleteLater();
        return 1;
    }
};

class TPlainForm : public QWidget {
public:
    explicit TPlainForm(QWidget* owner)
        : QWidget(owner)
    {
        ++g_alive;
    }
    ~TPlainForm() override { --g_alive; }
};

class ProcRegistryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearProcRegistry();
        g_calls.clear();
        g_alive = 0;
        RegisterProc(ProcFormClass<TRecordingScreen>, "Rec");
        RegisterProc(ProcFormClass<TPlainForm>, "Plain");
        RegisterProc(ProcFormClass<TNestingScreen>, "Nest");
        RegisterProc(ProcFormClass<TTakingOverScreen>, "TakeOver");
    }
    void TearDown() override { ClearProcRegistry(); }
};

TEST_F(ProcRegistryTest, FirstIdOfAClassStaysAndIdsIgnoreCase)
{
    RegisterProc(ProcFormClass<TRecordingScreen>, "Other");
    EXPECT_EQ(RegisteredProcIds(), (std::vector<std::string> {"Rec", "Plain", "Nest", "TakeOver"}));
    EXPECT_EQ(CreateProcForm("Other"), nullptr);
    QWidget* form = CreateProcForm("rEC");
    ASSERT_NE(form, nullptr);
    EXPECT_FALSE(form->isVisible());
    EXPECT_NE(dynamic_cast<TRecordingScreen*>(form), nullptr);
    delete form;
}

TEST_F(ProcRegistryTest, ExecProcTable)
{
    struct Case {
        const char* name;
        std::string id;
        int modal;
        std::string params;
        int result;
        std::vector<std::string> lines; // empty: the screen is not run
        int screenModal;
        int boxes;
    };
    const std::vector<Case> cases = {
        {"empty id", "", 1, "SyoriType=3", -1, {}, -1, 0},
        {"unknown id", "QzNothing", 1, "", -1, {}, -1, 1},
        {"form without the interface", "Plain", 1, "", -1, {}, -1, 1},
        {"modal 1", "Rec", 1, "SyoriType=3\rJyokenSet=1", 7, {"SyoriType=3", "JyokenSet=1", "FormStyle=2"}, 1, 0},
        {"modal 2 is modeless", "Rec", 2, "SyoriType=3", 7, {"SyoriType=3", "FormStyle=0"}, 0, 0},
        {"modal 0", "rec", 0, "", 7, {"FormStyle=0"}, 0, 0},
        {"CR LF and LF", "Rec", 1, "A=1\r\nB=2\nC=3", 7, {"A=1", "B=2", "C=3", "FormStyle=2"}, 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        g_calls.clear();
        ScriptedMessages messages;
        EXPECT_EQ(ExecProc(c.id, c.modal, c.params), c.result);
        ASSERT_EQ(messages.count(), static_cast<std::size_t>(c.boxes));
        if (c.boxes > 0) {
            EXPECT_EQ(messages.shown()[0].kind, msgkind::Error);
            EXPECT_EQ(messages.shown()[0].buttons, msgbtn::OK);
            EXPECT_EQ(messages.firstLine(0), "処理を起動するためのインターフェースが実装されていません。");
            EXPECT_EQ(messages.shown()[0].lines[1].text, "ライブラリのロードに失敗した可能性があります。");
        }
        if (c.lines.empty()) {
            EXPECT_TRUE(g_calls.empty());
        } else {
            ASSERT_EQ(g_calls.size(), 1u);
            EXPECT_EQ(g_calls[0].params, c.lines);
            EXPECT_EQ(g_calls[0].modal, c.screenModal);
        }
        EXPECT_EQ(g_alive, 0) << "a form was left behind";
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "the busy cursor stayed";
    }
}

TEST_F(ProcRegistryTest, StartDuringAStartIsRefusedSilently)
{
    ScriptedMessages messages;
    EXPECT_EQ(ExecProc("Nest", 1, ""), 1);
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_calls[0].nestedResult, -1);
    EXPECT_EQ(messages.count(), 0u);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    // Another program's busy cursor is honoured the same way.
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    EXPECT_EQ(ExecProc("Rec", 1, ""), -1);
    QGuiApplication::restoreOverrideCursor();
    EXPECT_EQ(ExecProc("Rec", 1, ""), 7);
}

TEST_F(ProcRegistryTest, ScreenThatTookOverTheCursorMayStartAnother)
{
    ScriptedMessages messages;
    EXPECT_EQ(ExecProc("TakeOver", 1, ""), 1);
    ASSERT_EQ(g_calls.size(), 2u); // the nested screen ran first
    EXPECT_EQ(g_calls[0].modal, 1);
    EXPECT_EQ(g_calls[1].nestedResult, 7);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(messages.count(), 0u);
}

TEST_F(ProcRegistryTest, HostMenuAnswersZero)
{
    EXPECT_EQ(HostMenuProc(10, ""), 0);
    EXPECT_EQ(HostMenuProc(1, "QzDataSenkaku"), 0);
}

} // namespace
