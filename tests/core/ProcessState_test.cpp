// The process-state scope puts back every global and hook a test changes.

#include "support/process_scope.h"

#include "accounting/uAccSisanhyou.h"
#include "accounting/uAccTaxCmp.h"
#include "core/AppInfo.h"
#include "core/DataModule.h"
#include "core/DataModuleSysDef.h"
#include "core/IBErrorProc.h"
#include "core/InputDlgService.h"
#include "core/MessageService.h"
#include "core/PlatformUtil.h"
#include "core/TolvanWarekiLib.h"
#include "core/uAccRecord.h"

#include <gtest/gtest.h>

namespace {

struct Piece {
    const char* name;
    std::function<void()> change;
    std::function<bool()> changed;
};

} // namespace

TEST(ProcessScope, EveryGlobalAndHookComesBack)
{
    int shown = 0;
    const Piece pieces[] = {
        {"SysDef", [] { SysDef.OpCode = 987654; }, [] { return SysDef.OpCode == 987654; }},
        {"AccInf", [] { AccInf.SHOUGOU = "残り物"; }, [] { return AccInf.SHOUGOU == "残り物"; }},
        {"mode bytes",
            [] {
                ConnectMode = 2;
                ConnectionLost = 1;
            },
            [] { return ConnectMode == 2 || ConnectionLost == 1; }},
        {"host hooks", [] { OnHostMenu = [](int, const std::string&) { return 1; }; }, [] { return bool(OnHostMenu); }},
        {"product names", [] { DataFile = "other.fdb"; }, [] { return DataFile == "other.fdb"; }},
        {"application info", [] { AppInfo.Varov.AppTitle = "残り物"; },
            [] { return AppInfo.Varov.AppTitle == "残り物"; }},
        {"era table", [] { GengoTable.clear(); }, [] { return GengoTable.empty(); }},
        {"data module", [] { core::DM = reinterpret_cast<core::TDM*>(0x1); }, [] { return core::DM != nullptr; }},
        {"message box",
            [&] {
                core::setMessageHandler([&](TMessage2InfoRec&) {
                    ++shown;
                    return 1;
                });
            },
            [&] {
                TMessage2InfoRec rec;
                InitMessage2Info(0, rec);
                const int before = shown;
                ShowMessage2(rec);
                return shown != before;
            }},
        {"input dialog", [] { core::setInputDlgHandler([](TInputDlgRequest&) { return 1; }); },
            [] { return core::hasInputDlgHandler(); }},
        {"folder dialogs",
            [] {
                SetFolderDialogHooks({[](auto&, auto&, auto&) { return std::optional<std::string>("/"); }, {}});
            },
            [] {
                auto previous = SetFolderDialogHooks({});
                const bool set = bool(previous.browseFolder);
                SetFolderDialogHooks(previous);
                return set;
            }},
        {"screen metrics",
            [] {
                SetScreenMetricsHooks({[] { return 144; }, {}});
            },
            [] {
                auto previous = SetScreenMetricsHooks({});
                const bool set = bool(previous.dotsPerInch);
                SetScreenMetricsHooks(previous);
                return set;
            }},
        {"font check", [] { core::SetFontInstalledProc([](const std::string&) { return true; }); },
            [] {
                auto previous = core::SetFontInstalledProc({});
                const bool set = bool(previous);
                core::SetFontInstalledProc(previous);
                return set;
            }},
        // The built-in end of the program is a plain function; a test's is a lambda.
        {"terminate", [] { core::SetTerminateProc([] {}); },
            [] {
                auto previous = core::SetTerminateProc({});
                core::SetTerminateProc(previous);
                return previous.target<void (*)()>() == nullptr;
            }},
        {"tax rates", [] { ZeiRituTable.clear(); }, [] { return ZeiRituTable.empty(); }},
    };
    // Start from a known state: every piece unchanged.
    test_support::ProcessScope outer;
    ZeiRituTable = FiveRowZeiRituTable();
    InitGengoTable();
    for (const auto& piece : pieces) {
        SCOPED_TRACE(piece.name);
        {
            test_support::ProcessScope scope;
            piece.change();
            ASSERT_TRUE(piece.changed()) << "the change itself took";
        }
        EXPECT_FALSE(piece.changed()) << "the scope put it back";
    }
}
