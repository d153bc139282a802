#include "core/uAccRecord.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(uAccRecordState, ProcessStartState)
{
    ResetProcessState();
    EXPECT_EQ(AppKind, 0);
    EXPECT_EQ(ConnectMode, 0);
    EXPECT_EQ(DistKind, 0);
    EXPECT_FALSE(OnHostMenu);
    EXPECT_FALSE(OnExecProc);
    EXPECT_FALSE(OnDataDamage);
    EXPECT_EQ(SysDef.GroupID, 0);
    EXPECT_TRUE(SysDef.DataDir.empty());
    EXPECT_EQ(SysDef.ActiveProgress, nullptr);
    EXPECT_EQ(AccInf.SIME, 0);
    EXPECT_EQ(AccInf.KISHU, 0.0);
    EXPECT_EQ(AppName, "tnzaimu");
    EXPECT_EQ(DataDefFile, "tnaccdef.fdb");
    EXPECT_EQ(DataFile, "tnacc.fdb");
    EXPECT_EQ(DataBackupFile, "tnacc.fbk");
    EXPECT_EQ(DataIniFile, "tnacc.ini");
    EXPECT_EQ(LocalBackupFile, "tnacc.fbk");
    EXPECT_EQ(CashBookDir, "cb_data");
}

TEST(uAccRecordState, ResetUndoesEveryChange)
{
    SysDef.OpName = "operator";
    AccInf.SHOUGOU = "会社";
    ConnectMode = 1;
    DataFile = "other.fdb";
    OnHostMenu = [](int, const std::string&) { return 1; };
    ApplyDistThemeColors(1);
    ResetProcessState();
    EXPECT_TRUE(SysDef.OpName.empty());
    EXPECT_TRUE(AccInf.SHOUGOU.empty());
    EXPECT_EQ(ConnectMode, 0);
    EXPECT_EQ(DataFile, "tnacc.fdb");
    EXPECT_FALSE(OnHostMenu);
    EXPECT_EQ(ThemeClientColor2, 0xE1F0FF);
}

TEST(uAccRecordState, ThemeColoursOfTheDistributionEditions)
{
    ResetProcessState();
    EXPECT_EQ(ThemeColHeaderColor, 0xDBDBDB);
    EXPECT_EQ(ThemeColHeaderGradColor1, 0xFFFFFF);
    EXPECT_EQ(ThemeColHeaderGradColor2, 0xDBDBDB);
    EXPECT_EQ(ThemeTotalColor, 0x8EC7FF);
    EXPECT_EQ(ThemeActiveColor, 0x246BFF);
    ApplyDistThemeColors(0);
    EXPECT_EQ(ThemeClientColor2, 0xE1F0FF);
    for (std::uint8_t kind : {1, 2}) {
        ResetProcessState();
        ApplyDistThemeColors(kind);
        EXPECT_EQ(ThemeClientColor2, 0xF2FFEE);
        EXPECT_EQ(ThemeTotalColor, 0xD6FFC8);
        EXPECT_EQ(ThemeActiveColor, 0x8000);
        EXPECT_EQ(ThemeClientColor, 0xFFFFFF);
    }
    ResetProcessState();
}

TEST(uAccRecordState, FixedFormatsAndTables)
{
    EXPECT_EQ(FormatSettings.DateSeparator, '/');
    EXPECT_EQ(FormatSettings.TimeSeparator, ':');
    EXPECT_STREQ(FormatSettings.ShortDateFormat, "yyyy/MM/dd");
    EXPECT_STREQ(FormatSettings.LongDateFormat, "yyyy年MM月dd日");
    EXPECT_STREQ(FormatSettings.ShortTimeFormat, "hh:mm");
    EXPECT_STREQ(FormatSettings.LongTimeFormat, "hh:mm:ss");
    EXPECT_STREQ(FuncKeyCaptions[0], "ESC:");
    EXPECT_STREQ(FuncKeyCaptions[12], "F12:");
    EXPECT_STREQ(DataKindNames[3], "医療法人");
    EXPECT_STREQ(IryoJigyoNames[4], "その他の事業");
    EXPECT_STREQ(RemoteKindNames[RemoteKind], "");
    EXPECT_EQ(KobetuGenkaWidths[3], 6);
}

} // namespace
