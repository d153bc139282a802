#include "core/DataModuleSysDef.h"
#include "core/ProcessState.h"

#include "core/DataModuleAccInfo.h"
#include "core/DataModuleOpSupport.h"
#include "core/TextRoutines.h"
#include "core/TolvanWarekiLib.h"
#include "platform/plain_text.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <ctime>
#include <cstdint>
#include <utility>

namespace core {
namespace {

namespace fb = platform::firebird;
using opsupport::dm;
using platform::text::upperAscii;

TFontInstalledProc& fontInstalledProc()
{
    static TFontInstalledProc proc;
    return proc;
}

// One SYSDEF column and its SysDef field (exactly one of the two members).
struct TSysDefColumn {
    const char* name;
    int TSystemDef::*number;
    std::string TSystemDef::*text;
};

// The columns in the order the save writes them (the load reads the same
// set). SHOUHYOU is not written: no field holds it, so a save would only
// overwrite whatever another program keeps there with NULL.
const std::array<TSysDefColumn, 64>& sysDefColumns()
{
    static const std::array<TSysDefColumn, 64> columns {{
        {"DataDir", nullptr, &TSystemDef::DataDir},
        {"PrinterName", nullptr, &TSystemDef::PrinterName},
        {"MFTop", &TSystemDef::MFTop, nullptr},
        {"MFLeft", &TSystemDef::MFLeft, nullptr},
        {"MFWidth", &TSystemDef::MFWidth, nullptr},
        {"MFHeight", &TSystemDef::MFHeight, nullptr},
        {"LastMenu", &TSystemDef::LastMenu, nullptr},
        {"FontName", nullptr, &TSystemDef::FontName},
        {"FontSize", &TSystemDef::FontSize, nullptr},
        {"FontStyle", &TSystemDef::FontStyle, nullptr},
        {"FontCharset", &TSystemDef::FontCharSet, nullptr},
        {"FontHeight", &TSystemDef::FontHeight, nullptr},
        {"GridResize", &TSystemDef::GridResize, nullptr},
        {"ShowHint", &TSystemDef::ShowHint, nullptr},
        {"GridMaxRow", &TSystemDef::GridMaxRow, nullptr},
        {"GridRsiz", &TSystemDef::GridRsiz, nullptr},
        {"ClientColor", &TSystemDef::ClientColor, nullptr},
        {"ClientColor1", &TSystemDef::ClientColor1, nullptr},
        {"ClientColor2", &TSystemDef::ClientColor2, nullptr},
        {"ClientColor3", &TSystemDef::ClientColor3, nullptr},
        {"ForeColor", &TSystemDef::ForeColor, nullptr},
        {"BorderColor", &TSystemDef::BorderColor, nullptr},
        {"ActiveColor", &TSystemDef::ActiveColor, nullptr},
        {"ThruBorderColor", &TSystemDef::ThruBorderColor, nullptr},
        {"ColHeaderColor", &TSystemDef::ColHeaderColor, nullptr},
        {"FixedTopColor", &TSystemDef::FixedTopColor, nullptr},
        {"RowHeaderColor", &TSystemDef::RowHeaderColor, nullptr},
        {"FixedLeftColor", &TSystemDef::FixedLeftColor, nullptr},
        {"TotalColor", &TSystemDef::TotalColor, nullptr},
        {"NetColor1", &TSystemDef::NetColor1, nullptr},
        {"NetColor2", &TSystemDef::NetColor2, nullptr},
        {"PLineColor1", &TSystemDef::PLineColor1, nullptr},
        {"PLineColor2", &TSystemDef::PLineColor2, nullptr},
        {"PreviewZOOM", &TSystemDef::PreviewZOOM, nullptr},
        {"PanelColor", &TSystemDef::PanelColor, nullptr},
        {"PanelBackColor", &TSystemDef::PanelBackColor, nullptr},
        {"MenuPrintSw", &TSystemDef::MenuPrintSw, nullptr},
        {"HojWait", &TSystemDef::HojWait, nullptr},
        {"DicSwitch", &TSystemDef::DicSwitch, nullptr},
        {"DicTekAuto", &TSystemDef::DicTekAuto, nullptr},
        {"DicTorAuto", &TSystemDef::DicTorAuto, nullptr},
        {"DicUsednt", &TSystemDef::DicUsednt, nullptr},
        {"DicType", &TSystemDef::DicType, nullptr},
        {"DicNum1", &TSystemDef::DicNum1, nullptr},
        {"DicNum2", &TSystemDef::DicNum2, nullptr},
        {"DicSortType", &TSystemDef::DicSortType, nullptr},
        {"ColHeaderGradColor1", &TSystemDef::ColHeaderGradColor1, nullptr},
        {"ColHeaderGradColor2", &TSystemDef::ColHeaderGradColor2, nullptr},
        {"ShowDataSentaku", &TSystemDef::ShowDataSentaku, nullptr},
        {"ZenkaiDrive", nullptr, &TSystemDef::ZenkaiDrive},
        {"UserPrint", &TSystemDef::UserPrint, nullptr},
        {"SwkTotal", &TSystemDef::SwkTotal, nullptr},
        {"SwkLine", &TSystemDef::SwkLine, nullptr},
        {"KingakuPlus", &TSystemDef::KingakuPlus, nullptr},
        {"ZeroPrint", &TSystemDef::ZeroPrint, nullptr},
        {"SankakuPlus", &TSystemDef::SankakuPlus, nullptr},
        {"TEK_AUTOUP", &TSystemDef::TEK_AUTOUP, nullptr},
        {"TOR_AUTOUP", &TSystemDef::TOR_AUTOUP, nullptr},
        {"Reserve1", &TSystemDef::Reserve1, nullptr},
        {"Reserve2", &TSystemDef::Reserve2, nullptr},
        {"Reserve3", &TSystemDef::Reserve3, nullptr},
        {"Reserve4", &TSystemDef::Reserve4, nullptr},
        {"Reserve5", &TSystemDef::Reserve5, nullptr},
        {"SSTR", nullptr, &TSystemDef::SSTR},
    }};
    return columns;
}

constexpr int bit(int n)
{
    return 1 << (n - 1);
}

// Bits of the switch words that SysDef keeps in fields of its own.
constexpr int kReserve2Known = bit(1) | bit(2);
constexpr int kReserve4Known = 0x7FF; // bits 1..11

void splitSwitchWords(TSystemDef& s)
{
    s.Reserve2Bit1 = (s.Reserve2 & bit(1)) ? 1 : 0;
    s.Reserve2Bit2 = (s.Reserve2 & bit(2)) ? 1 : 0;
    const int r4 = s.Reserve4;
    s.Reserve4Bit1 = (r4 & bit(1)) ? 1 : 0;
    s.Reserve4Bit2 = (r4 & bit(2)) ? 1 : 0;
    s.Reserve4Bit3 = (r4 & bit(3)) ? 1 : 0;
    s.Reserve4Bit4 = (r4 & bit(4)) ? 1 : 0;
    s.Reserve4Bit5 = (r4 & bit(5)) ? 1 : (r4 & bit(6)) ? 2 : 0;
    s.Reserve4Bit7 = (r4 & bit(7)) ? 1 : 0;
    s.Reserve4Bit8 = (r4 & bit(8)) ? 1 : 0;
    s.Reserve4Bit9 = (r4 & bit(9)) ? 1 : 0;
    s.Reserve4Bit10 = (r4 & bit(10)) ? 1 : 0;
    s.Reserve4Bit11 = (r4 & bit(11)) ? 1 : 0;
}

// The known bits from the split fields over the unknown bits of the given
// words (another program of the product may keep its own bits there).
void joinSwitchWords(TSystemDef& s, int storedReserve2, int storedReserve4)
{
    int r2 = storedReserve2 & ~kReserve2Known;
    if (s.Reserve2Bit1 == 1)
        r2 |= bit(1);
    if (s.Reserve2Bit2 == 1)
        r2 |= bit(2);
    int r4 = storedReserve4 & ~kReserve4Known;
    const std::array<std::pair<int, int>, 9> flags {
        {{s.Reserve4Bit1, 1}, {s.Reserve4Bit2, 2}, {s.Reserve4Bit3, 3}, {s.Reserve4Bit4, 4}, {s.Reserve4Bit7, 7},
            {s.Reserve4Bit8, 8}, {s.Reserve4Bit9, 9}, {s.Reserve4Bit10, 10}, {s.Reserve4Bit11, 11}}};
    for (const auto& [value, n] : flags)
        if (value == 1)
            r4 |= bit(n);
    if (s.Reserve4Bit5 == 1)
        r4 |= bit(5);
    else if (s.Reserve4Bit5 == 2)
        r4 |= bit(6);
    s.Reserve2 = r2;
    s.Reserve4 = r4;
}

bool isFederation()
{
    return DistKind == 1 || DistKind == 2;
}

// The eight dictionary flags, in the order of SysDef.DicOpenFlags: each
// kind for the description, then for the business partner.
constexpr std::array<const char*, 8> kDicFlagNames {"摘要＿辞書開く区分", "取引先＿辞書開く区分", "摘要＿連想開く区分",
    "取引先＿連想開く区分", "摘要＿自動開く区分", "取引先＿自動開く区分", "摘要＿入力なし区分", "取引先＿入力なし区分"};

int getIntOp(const char* name, const std::string& defaultText)
{
    return GetSysRegOp(name, kRegInteger, defaultText).asInteger();
}

std::string getTextOp(const char* name, const std::string& defaultText)
{
    return GetSysRegOp(name, kRegText, defaultText).asString();
}

void putIntOp(const char* name, int value)
{
    PutSysRegOp(name, kRegInteger, TRegValue::integer(value));
}

void putTextOp(const char* name, const std::string& value)
{
    PutSysRegOp(name, kRegText, TRegValue::text(value));
}

// Title settings and the SysDef fields they fill.
struct TTitleSetting {
    const char* name;
    const char* defaultText;
    std::string* (*field)(TSystemDef&);
};

const std::array<TTitleSetting, 12>& titleSettings()
{
    static const std::array<TTitleSetting, 12> titles {{
        {"試算表タイトル", "試　算　表", [](TSystemDef& s) { return &s.SisanTitle; }},
        {"２期試算表タイトル", "２期比較試算表", [](TSystemDef& s) { return &s.Sisan2Title; }},
        {"全科目ＢＳタイトル", "資産・負債・純資産", [](TSystemDef& s) { return &s.BsTitle[0]; }},
        {"全科目資産タイトル", "資産の部", [](TSystemDef& s) { return &s.AssetTitle[0]; }},
        {"全科目負債タイトル", "負債・純資産の部", [](TSystemDef& s) { return &s.DebtTitle[0]; }},
        {"全科目ＰＬタイトル", "損益", [](TSystemDef& s) { return &s.PlTitle[0]; }},
        {"定形A4資産タイトル", "資産の部", [](TSystemDef& s) { return &s.AssetTitle[1]; }},
        {"定形A4負債タイトル", "負債・純資産の部", [](TSystemDef& s) { return &s.DebtTitle[1]; }},
        {"定形A4ＰＬタイトル", "損益", [](TSystemDef& s) { return &s.PlTitle[1]; }},
        {"定形A4販売費タイトル", "販売費・一般管理費", [](TSystemDef& s) { return &s.HanbaiTitle[1]; }},
        {"定形A3ＢＳタイトル", "資産・負債・純資産", [](TSystemDef& s) { return &s.BsTitle[2]; }},
        {"定形A3ＰＬタイトル", "損益", [](TSystemDef& s) { return &s.PlTitle[2]; }},
    }};
    return titles;
}

void insertDefaultSysDefRow(fb::Query& q)
{
    q.close();
    q.sql().clear();
    q.sql().add("INSERT INTO SYSDEF(OPCODE,SankakuPlus,ColHeaderColor,ColHeaderGradColor1,ColHeaderGradColor2,");
    q.sql().add("ClientColor,ClientColor1,ClientColor2,TotalColor,ActiveColor,NetColor1,NetColor2,PLineColor1,"
                "PLineColor2,DICSWITCH,DicTekAuto,DicTorAuto)");
    q.sql().add("VALUES(:OPCODE,1,:ColHeaderColor,:ColHeaderGradColor1,:ColHeaderGradColor2,");
    q.sql().add(":ClientColor,:ClientColor1,:ClientColor2,:TotalColor,:ActiveColor,:NetColor1,:NetColor2,"
                ":PLineColor1,:PLineColor2,:DICSWITCH,:DicTekAuto,:DicTorAuto)");
    q.paramByName("OPCODE").setInteger(SysDef.OpCode);
    q.paramByName("ColHeaderColor").setInteger(ThemeColHeaderColor);
    q.paramByName("ColHeaderGradColor1").setInteger(ThemeColHeaderGradColor1);
    q.paramByName("ColHeaderGradColor2").setInteger(ThemeColHeaderGradColor2);
    q.paramByName("ClientColor").setInteger(ThemeClientColor);
    q.paramByName("ClientColor1").setInteger(ThemeClientColor1);
    q.paramByName("ClientColor2").setInteger(ThemeClientColor2);
    q.paramByName("TotalColor").setInteger(ThemeTotalColor);
    q.paramByName("ActiveColor").setInteger(ThemeActiveColor);
    q.paramByName("NetColor1").setInteger(0xD7FFD7);
    q.paramByName("NetColor2").setInteger(0xD7FFD7);
    q.paramByName("PLineColor1").setInteger(0x7900);
    q.paramByName("PLineColor2").setInteger(0x7900);
    q.paramByName("DICSWITCH").setInteger(isFederation() ? 2 : 0);
    q.paramByName("DicTekAuto").setInteger(isFederation() ? 2 : 1);
    q.paramByName("DicTorAuto").setInteger(isFederation() ? 0 : 1);
    q.execSQL();

    // 摘要 1, 0, 1, 0 and 取引先 1, 0, 1, 0, in the order of kDicFlagNames.
    static constexpr std::array<int, 8> kNewOperatorFlags {1, 1, 0, 0, 1, 1, 0, 0};
    for (std::size_t i = 0; i < kDicFlagNames.size(); ++i)
        putIntOp(kDicFlagNames[i], kNewOperatorFlags[i]);
    if (isFederation()) {
        putIntOp("次項目移動区分", 1);
        putIntOp("科目コード桁数", 0);
        putIntOp("補助コード桁数", 0);
        putIntOp("部門コード桁数", 1);
        putIntOp("仕訳日付フォーカス", 1);
        putIntOp("元帳最終行残高出力区", 1);
        putIntOp("試算表集計出力区分", 1);
        putIntOp("元帳１行出力区分", 0);
        putIntOp("元帳付箋マーク出力区", 0);
        putIntOp("連想辞書抽出条件区分", 1);
        // 摘要 0, 1, 1, 0 and 取引先 1, 0, 0, 0, in the order of kDicFlagNames.
        static constexpr std::array<int, 8> kFederationFlags {0, 1, 1, 0, 1, 0, 0, 0};
        for (std::size_t i = 0; i < kDicFlagNames.size(); ++i)
            putIntOp(kDicFlagNames[i], kFederationFlags[i]);
    }
}

void readSysDefRow(fb::Query& q)
{
    for (const auto& c : sysDefColumns()) {
        const fb::Field& f = q.fieldByName(upperAscii(c.name));
        if (c.number != nullptr)
            SysDef.*c.number = f.asInteger();
        else
            SysDef.*c.text = f.asString();
    }
    if (SysDef.ColHeaderGradColor1 == 0)
        SysDef.ColHeaderGradColor1 = 0xFFFFFF;
    if (SysDef.ColHeaderGradColor2 == 0)
        SysDef.ColHeaderGradColor2 = 0xBBBBBB;
}

void readOffice()
{
    SysDef.OfficeName.clear();
    SysDef.OfficeAddress.clear();
    SysDef.OfficeTel.clear();
    SysDef.OfficeReserve1 = 0;
    SysDef.OfficeReserve2 = 0;
    SysDef.OfficeReserve3 = 0;
    TSystemIniRec office;
    office.REC = 10;
    if (GetSysIni(office)) {
        SysDef.OfficeName = GetNameValue(office.SSTR, "NAME");
        SysDef.OfficeAddress = GetNameValue(office.SSTR, "JYUSHO");
        SysDef.OfficeTel = GetNameValue(office.SSTR, "TEL");
        SysDef.OfficeReserve1 = office.RESERVE1;
        SysDef.OfficeReserve2 = office.RESERVE2;
        SysDef.OfficeReserve3 = office.RESERVE3;
    }
    SysDef.AllDataRight = 0;
    TSystemIniRec rights;
    rights.REC = 20;
    if (GetSysIni(rights))
        SysDef.AllDataRight = rights.RESERVE1;
}

void readOperatorSettings()
{
    auto& s = SysDef;
    const bool fed = isFederation();

    s.NextItemMove = 0;
    s.KamokuCodeDigits = 0;
    s.HojoCodeDigits = 0;
    s.BumonCodeDigits = 0;
    s.SwkDateFocus = 2;
    s.SisanSyukeiOut = 0;
    s.Moto1LineOut = 0;
    s.MotoFusenOut = 0;
    s.RensoFilter = 0;
    if (fed) {
        s.NextItemMove = getIntOp("次項目移動区分", "1");
        s.KamokuCodeDigits = static_cast<std::uint8_t>(getIntOp("科目コード桁数", "0"));
        s.HojoCodeDigits = static_cast<std::uint8_t>(getIntOp("補助コード桁数", "0"));
        s.BumonCodeDigits = static_cast<std::uint8_t>(getIntOp("部門コード桁数", "1"));
        if (DistKind == 2)
            s.AllDataRight = 1;
        s.SwkDateFocus = static_cast<std::uint8_t>(getIntOp("仕訳日付フォーカス", "1"));
        s.Reserve4Bit7 = 1;
        s.SisanSyukeiOut = 1;
        s.Moto1LineOut = getIntOp("元帳１行出力区分", "0");
        s.MotoFusenOut = getIntOp("元帳付箋マーク出力区", "0");
        s.RensoFilter = getIntOp("連想辞書抽出条件区分", "1");
    }
    s.Reserve4Bit7 = getIntOp("元帳最終行残高出力区", std::to_string(s.Reserve4Bit7));
    s.SisanSyukeiOut = getIntOp("試算表集計出力区分", std::to_string(s.SisanSyukeiOut));

    s.MotoTitleOut = getIntOp("元帳タイトル出力区分", fed ? "1" : "0");
    s.SisanBsPageBreak = getIntOp("試算表ＢＳ改ページ区", fed ? "0" : "1");
    s.SisanTitleOut = getIntOp("試算表タイトル出力区", fed ? "1" : "0");
    s.SisanKikanOut = getIntOp("試算表期間出力区分", fed ? "1" : "0");

    for (const auto& t : titleSettings())
        *t.field(s) = getTextOp(t.name, t.defaultText);
    // Layouts without a title setting of their own.
    s.HanbaiTitle[0].clear();
    s.HanbaiTitle[2].clear();
    s.BsTitle[1].clear();
    s.AssetTitle[2].clear();
    s.DebtTitle[2].clear();

    s.DataDamageCheck = funcGetSysReg("データ破損チェック区", kRegInteger, "1", s.GroupID * 10000 + 9999).asInteger();

    s.ServerDataPlace = getIntOp("サーバのデータの場所", "0");
    s.TekiyoEditMode = getIntOp("摘要項目の編集モード", "0");
    s.TekiyoInput = getIntOp("摘要項目の入力区分", "0");
    s.TorihikiInput = getIntOp("取引先項目の入力区分", "0");
    s.UraKeisenPrint = getIntOp("裏面の罫線印刷区分", "0");
    s.TaxCodePrint = getIntOp("消費税コード印刷区分", "1");
    if (!fed)
        s.TaxCodePrint = 1;
    s.TegataSousai = getIntOp("決算書手形相殺区分", "0");
    s.HanbaiKumiire = getIntOp("決算書販売費組入区分", "0");
    s.SisanLineAdjust = getIntOp("試算表行数調整区分", "0");
    s.RensoCodeInput = getIntOp("連想辞書コード入力区", "0");
    s.RensoListOrder = getIntOp("連想辞書リスト並び順", "0");
    s.MotoFusenOut = getIntOp("元帳付箋マーク出力区", std::to_string(s.MotoFusenOut));

    s.DicFlagsValid = 1;
    // 摘要 "1", "0", "0", "0" and 取引先 "1", "0", "0", "0", in the order of kDicFlagNames.
    static constexpr std::array<const char*, 8> kReadDefaults {"1", "1", "0", "0", "0", "0", "0", "0"};
    for (std::size_t i = 0; i < kDicFlagNames.size(); ++i)
        s.DicOpenFlags[i] = getIntOp(kDicFlagNames[i], kReadDefaults[i]);
}

void writeOperatorSettings()
{
    const auto& s = SysDef;
    if (isFederation()) {
        putIntOp("次項目移動区分", s.NextItemMove);
        putIntOp("科目コード桁数", s.KamokuCodeDigits);
        putIntOp("補助コード桁数", s.HojoCodeDigits);
        putIntOp("部門コード桁数", s.BumonCodeDigits);
        putIntOp("仕訳日付フォーカス", s.SwkDateFocus);
        putIntOp("元帳１行出力区分", s.Moto1LineOut);
        putIntOp("元帳付箋マーク出力区", s.MotoFusenOut);
        putIntOp("連想辞書抽出条件区分", s.RensoFilter);
    }
    putIntOp("試算表集計出力区分", s.SisanSyukeiOut);
    putIntOp("元帳タイトル出力区分", s.MotoTitleOut);
    putIntOp("試算表ＢＳ改ページ区", s.SisanBsPageBreak);
    putIntOp("試算表タイトル出力区", s.SisanTitleOut);
    TSystemDef copy = s;
    for (const auto& t : titleSettings())
        putTextOp(t.name, *t.field(copy));
    putIntOp("元帳最終行残高出力区", s.Reserve4Bit7);
    putIntOp("サーバのデータの場所", s.ServerDataPlace);
    putIntOp("摘要項目の編集モード", s.TekiyoEditMode);
    putIntOp("摘要項目の入力区分", s.TekiyoInput);
    putIntOp("取引先項目の入力区分", s.TorihikiInput);
    putIntOp("裏面の罫線印刷区分", s.UraKeisenPrint);
    putIntOp("消費税コード印刷区分", s.TaxCodePrint);
    putIntOp("決算書手形相殺区分", s.TegataSousai);
    putIntOp("決算書販売費組入区分", s.HanbaiKumiire);
    putIntOp("連想辞書コード入力区", s.RensoCodeInput);
    putIntOp("連想辞書リスト並び順", s.RensoListOrder);
    putIntOp("元帳付箋マーク出力区", s.MotoFusenOut);
    putIntOp("試算表期間出力区分", s.SisanKikanOut);
    for (std::size_t i = 0; i < kDicFlagNames.size(); ++i)
        putIntOp(kDicFlagNames[i], s.DicOpenFlags[i]);
}

} // namespace

TFontInstalledProc SetFontInstalledProc(TFontInstalledProc proc)
{
    return std::exchange(fontInstalledProc(), std::move(proc));
}

// --- SYSDEF -------------------------------------------------------------------

bool fnGetSysDef()
{
    return opsupport::run(&TDM::IBTransactionDEF,
        DbPolicy("TDM.fnGetSysDef", "システム情報の取得に失敗しました。\rアプリケーションを終了します。"),
        [](TDM& d, TDbScope& op) {
            fb::Query& q = d.IBQSysDefGet;
            op.closeOnFailure(q);
            auto openRow = [&] {
                q.close();
                q.sql().clear();
                q.sql().add("SELECT * FROM SYSDEF WHERE OPCODE=:OPCODE");
                q.paramByName("OPCODE").setInteger(SysDef.OpCode);
                q.open();
            };
            openRow();
            if (q.eof()) {
                insertDefaultSysDefRow(q);
                openRow();
                if (q.eof())
                    throw std::runtime_error("SYSDEF: the operator's row was not created");
            }
            SysDef.HostMenuAnswer = 0;
            readSysDefRow(q);
            q.close();

            splitSwitchWords(SysDef);
            readOffice();
            readOperatorSettings();

            SysDef.ActiveProgress = nullptr;
            GetProgramVersion();

            if (const auto& installed = fontInstalledProc(); installed && installed(SysDef.FontName)) {
                SysDef.GridFont.Name = SysDef.FontName;
                SysDef.GridFont.Size = SysDef.FontSize;
                SysDef.GridFont.Style = SysDef.FontStyle;
                SysDef.GridFont.CharSet = SysDef.FontCharSet;
            }
        });
}

// The switch words as the operator's SYSDEF row holds them; false (and
// the words untouched) when there is no row.
static bool readStoredSwitchWords(fb::Query& q, int& reserve2, int& reserve4)
{
    q.close();
    q.sql().clear();
    q.sql().add("SELECT RESERVE2,RESERVE4 FROM SYSDEF WHERE OPCODE=:OPCODE");
    q.paramByName("OPCODE").setInteger(SysDef.OpCode);
    q.open();
    const bool found = !q.eof();
    if (found) {
        reserve2 = q.fieldByName("RESERVE2").asInteger();
        reserve4 = q.fieldByName("RESERVE4").asInteger();
    }
    q.close();
    return found;
}

bool fnPutSysDef()
{
    const bool written = opsupport::run(&TDM::IBTransactionDEF,
        DbPolicy("TDM.fnPutSysDef", "システム情報の書き込みに失敗しました。\r現在のシステム設定は保存されません。"),
        [](TDM& d, TDbScope&) {
            fb::Query& q = d.IBQSysDefPut;
            // Read-modify-write of the switch words: bits this program does
            // not know belong to other programs sharing the row.
            int stored2 = SysDef.Reserve2;
            int stored4 = SysDef.Reserve4;
            readStoredSwitchWords(q, stored2, stored4);
            joinSwitchWords(SysDef, stored2, stored4);

            q.sql().clear();
            q.sql().add("UPDATE SYSDEF SET");
            const auto& columns = sysDefColumns();
            const std::size_t writable = columns.size();
            for (std::size_t i = 0; i < writable; ++i)
                q.sql().add(std::string(columns[i].name) + "=:" + columns[i].name + (i + 1 < writable ? "," : ""));
            q.sql().add("WHERE OPCODE=:OPCODE");
            for (std::size_t i = 0; i < writable; ++i) {
                auto& p = q.paramByName(columns[i].name);
                if (columns[i].number != nullptr)
                    p.setInteger(SysDef.*columns[i].number);
                else
                    p.setString(SysDef.*columns[i].text);
            }
            q.paramByName("OPCODE").setInteger(SysDef.OpCode);
            q.execSQL();
            if (q.rowsAffected() != 1)
                throw std::runtime_error("SYSDEF: the operator's row does not exist");
        });
    if (!written)
        return false;
    writeOperatorSettings();
    return true;
}

bool fnPutKyoyuAutoFlag()
{
    return opsupport::run(&TDM::IBTransactionDEF,
        DbPolicy("TDM.fnPutKyoyuAutoFlag", "システム情報の書き込みに失敗しました。\r現在のシステム設定は保存されません。"),
        [](TDM& d, TDbScope&) {
            fb::Query& q = d.IBQSysDefPut;
            int stored2 = 0;
            int stored = 0;
            if (!readStoredSwitchWords(q, stored2, stored))
                throw std::runtime_error("SYSDEF: the operator's row does not exist");
            stored = SysDef.Reserve4Bit1 == 1 ? (stored | bit(1)) : (stored & ~bit(1));
            q.sql().clear();
            q.sql().add("UPDATE SYSDEF SET RESERVE4=:RESERVE4 WHERE OPCODE=:OPCODE");
            q.paramByName("RESERVE4").setInteger(stored);
            q.paramByName("OPCODE").setInteger(SysDef.OpCode);
            q.execSQL();
            SysDef.Reserve4 = SysDef.Reserve4Bit1 == 1 ? (SysDef.Reserve4 | bit(1)) : (SysDef.Reserve4 & ~bit(1));
        });
}

// --- SYSREG -------------------------------------------------------------------

TRegValue SysRegTextToValue(const std::string& type, const std::string& text)
{
    if (type == kRegText)
        return TRegValue::text(text);
    if (type == kRegBoolean)
        return TRegValue::boolean(text == "TRUE");
    if (type == kRegDate)
        return TRegValue::date(SafeStrToDate(text));
    if (type == kRegInteger)
        return TRegValue::integer(TRegValue::text(text).asInteger());
    if (type == kRegCurrency)
        return TRegValue::currency(SafeStrToCurr(text));
    return TRegValue::text("Data Type Error");
}

std::string SysRegValueToText(const std::string& type, const TRegValue& value, bool& hasText)
{
    hasText = true;
    if (type == kRegText)
        return value.asString();
    if (type == kRegBoolean)
        return value.asBoolean() ? "TRUE" : "FALSE";
    if (type == kRegDate)
        return FormatRegDate(4, value.asDate());
    if (type == kRegInteger)
        return std::to_string(value.asInteger());
    if (type == kRegCurrency)
        return RegCurrToStr(value.asCurrency());
    hasText = false;
    return {};
}

TRegValue funcGetSysReg(const std::string& name, const std::string& type, const std::string& defaultText, int opCode)
{
    std::string text = defaultText;
    const bool read = opsupport::run(&TDM::IBTransactionDEF,
        DbPolicy("TDM.funcGetSysReg", "システム共通変数の取得に失敗しました。"), [&](TDM& d, TDbScope&) {
            fb::Query q(&d.IBDatabaseDEF, &d.IBTransactionDEF);
            q.sql().add("SELECT STEXT FROM SYSREG WHERE OPCODE=:OPCODE AND SCODE=:SCODE ");
            q.paramByName("OPCODE").setInteger(opCode);
            q.paramByName("SCODE").setString(name);
            q.open();
            if (!q.eof()) {
                text = q.fieldByName("STEXT").asString();
                q.close();
            } else {
                q.close();
                q.sql().clear();
                q.sql().add("INSERT INTO SYSREG(OPCODE,SCODE,STYPE,STEXT) VALUES(:OPCODE,:SCODE,:STYPE,:STEXT )");
                q.paramByName("OPCODE").setInteger(opCode);
                q.paramByName("SCODE").setString(name);
                q.paramByName("STYPE").setString(type);
                q.paramByName("STEXT").setString(defaultText);
                q.execSQL();
            }
        });
    if (!read)
        text = defaultText;
    // An empty stored value reads as one blank.
    return SysRegTextToValue(type, text.empty() ? std::string(1, ' ') : text);
}

TRegValue GetSysRegOp(const std::string& name, const std::string& type, const std::string& defaultText)
{
    return funcGetSysReg(name, type, defaultText, SysDef.OpCode);
}

bool funcPutSysReg(const std::string& name, const std::string& type, const TRegValue& value, int opCode)
{
    return opsupport::run(&TDM::IBTransactionDEF,
        DbPolicy("TDM.funcPutSysReg", "システム共通変数の保存に失敗しました。"), [&](TDM& d, TDbScope&) {
            fb::Query q(&d.IBDatabaseDEF, &d.IBTransactionDEF);
            q.sql().add("SELECT COUNT(OPCODE) AS RECCNT FROM SYSREG WHERE OPCODE=:OPCODE AND SCODE=:SCODE");
            q.paramByName("OPCODE").setInteger(opCode);
            q.paramByName("SCODE").setString(name);
            q.open();
            const bool exists = !q.eof() && q.fieldByName("RECCNT").asInteger() > 0;
            q.close();
            q.sql().clear();
            if (exists) {
                q.sql().add("UPDATE SYSREG SET STEXT=:STEXT WHERE OPCODE=:OPCODE AND SCODE=:SCODE ");
            } else {
                q.sql().add("INSERT INTO SYSREG(OPCODE,SCODE,STYPE,STEXT) VALUES(:OPCODE,:SCODE,:STYPE,:STEXT )");
                q.paramByName("STYPE").setString(type);
            }
            q.paramByName("OPCODE").setInteger(opCode);
            q.paramByName("SCODE").setString(name);
            bool hasText = false;
            const std::string text = SysRegValueToText(type, value, hasText);
            if (hasText)
                q.paramByName("STEXT").setString(text);
            else
                q.paramByName("STEXT").setNull();
            q.execSQL();
        });
}

bool PutSysRegOp(const std::string& name, const std::string& type, const TRegValue& value)
{
    return funcPutSysReg(name, type, value, SysDef.OpCode);
}

// --- SYSTEMINI ----------------------------------------------------------------

bool GetSysIni(TSystemIniRec& rec)
{
    rec.RESERVE1 = rec.RESERVE2 = rec.RESERVE3 = rec.RESERVE4 = rec.RESERVE5 = 0;
    rec.SSTR.clear();
    dm("TDM.GetSysIni");
    return opsupport::run(&TDM::IBTransactionDEF,
        DbPolicy("TDM.GetSysIni", "システム情報の取得に失敗しました。\rアプリケーションを終了します。")
            .insideCallers(DbReport::Raise),
        [&](TDM& d, TDbScope&) {
            fb::Query q(&d.IBDatabaseDEF, &d.IBTransactionDEF);
            q.sql().add("SELECT RESERVE1,RESERVE2,RESERVE3,RESERVE4,RESERVE5,SSTR FROM SYSTEMINI");
            q.sql().add("WHERE REC=:REC");
            q.paramByName("REC").setInteger(rec.REC);
            q.open();
            if (!q.eof()) {
                rec.RESERVE1 = q.fieldByName("RESERVE1").asInteger();
                rec.RESERVE2 = q.fieldByName("RESERVE2").asInteger();
                rec.RESERVE3 = q.fieldByName("RESERVE3").asInteger();
                rec.RESERVE4 = q.fieldByName("RESERVE4").asInteger();
                rec.RESERVE5 = q.fieldByName("RESERVE5").asInteger();
                rec.SSTR = q.fieldByName("SSTR").asString();
            }
            q.close();
        });
}

bool SetSysIni(const TSystemIniRec& rec)
{
    dm("TDM.SetSysIni");
    return opsupport::run(&TDM::IBTransactionDEF,
        DbPolicy("TDM.SetSysIni", "システム情報の書き込みに失敗しました。\r現在のシステム設定は保存されません。")
            .insideCallers(DbReport::Raise),
        [&](TDM& d, TDbScope&) {
            fb::Query q(&d.IBDatabaseDEF, &d.IBTransactionDEF);
            q.sql().add("SELECT COUNT(REC) AS RECCNT FROM SYSTEMINI");
            q.sql().add("WHERE REC=:REC");
            q.paramByName("REC").setInteger(rec.REC);
            q.open();
            const bool exists = !q.eof() && q.fieldByName("RECCNT").asInteger() > 0;
            q.close();
            q.sql().clear();
            if (exists) {
                q.sql().add("UPDATE SYSTEMINI SET RESERVE1=:RESERVE1,RESERVE2=:RESERVE2,RESERVE3=:RESERVE3,"
                            "RESERVE4=:RESERVE4,RESERVE5=:RESERVE5,SSTR=:SSTR");
                q.sql().add("WHERE REC=:REC");
            } else {
                q.sql().add("INSERT INTO SYSTEMINI(REC,RESERVE1,RESERVE2,RESERVE3,RESERVE4,RESERVE5,SSTR)");
                q.sql().add("VALUES(:REC,:RESERVE1,:RESERVE2,:RESERVE3,:RESERVE4,:RESERVE5,:SSTR)");
            }
            q.paramByName("REC").setInteger(rec.REC);
            q.paramByName("RESERVE1").setInteger(rec.RESERVE1);
            q.paramByName("RESERVE2").setInteger(rec.RESERVE2);
            q.paramByName("RESERVE3").setInteger(rec.RESERVE3);
            q.paramByName("RESERVE4").setInteger(rec.RESERVE4);
            q.paramByName("RESERVE5").setInteger(rec.RESERVE5);
            q.paramByName("SSTR").setString(rec.SSTR);
            q.execSQL();
        });
}

// --- logged-on list, menu control, eras, versions -----------------------------

void DeleteLogonInfo()
{
    opsupport::run(&TDM::IBTransactionDEF, DbPolicy("TDM.DeleteLogonInfo", "ログイン情報の削除に失敗しました。"),
        [](TDM& d, TDbScope&) {
            fb::Query q(&d.IBDatabaseDEF, &d.IBTransactionDEF);
            q.sql().add("DELETE FROM LOGONUSERLIST WHERE OPCODE=:OPCODE");
            int code = SysDef.OpCode;
            if (AppKind == 1 || AppKind == 2)
                code = SysDef.GroupID * 10000 + 1;
            else if (AppKind == 3)
                code = SysDef.GroupID * 10000 + 2;
            q.paramByName("OPCODE").setInteger(code);
            q.execSQL();
        });
}

bool SetJobControl(const std::string& procId, const std::string& procOption)
{
    dm("TDM.SetJobControl");
    bool allowed = false;
    // Only reads: inside the caller's transaction a failure just answers no.
    if (!opsupport::run(&TDM::IBTransactionDEF,
            DbPolicy("TDM.SetJobControl", "メニュー制御情報の取得に失敗しました。").insideCallers(DbReport::Quiet),
            [&](TDM& d, TDbScope& op) {
                fb::Query& q = d.IBSQLDEF;
                op.closeOnFailure(q);
                const auto level = static_cast<std::int16_t>(AccInf.DataKind * 1000 + SysDef.JobLevel);
                q.close();
                q.sql().clear();
                q.sql().add("SELECT COUNT(PROC_ID) AS REC_CNT FROM JOBCONTROL2");
                q.sql().add("WHERE LEVELNO=:LEVELNO");
                q.paramByName("LEVELNO").setInteger(level);
                q.open();
                const int rows = q.eof() ? 0 : q.fieldByName("REC_CNT").asInteger();
                q.close();
                allowed = true;
                if (rows > 0) {
                    q.sql().clear();
                    q.sql().add("SELECT PROC_ID,PROC_OPTION FROM JOBCONTROL2");
                    q.sql().add("WHERE (LEVELNO=:LEVELNO) AND (PROC_ID=:PROC_ID)");
                    const std::string option = TrimZenkaku(procOption);
                    if (!option.empty())
                        q.sql().add("AND (PROC_OPTION LIKE :PROC_OPTION)");
                    q.paramByName("LEVELNO").setInteger(level);
                    q.paramByName("PROC_ID").setString(procId);
                    if (!option.empty())
                        q.paramByName("PROC_OPTION").setString("%" + procOption + "%");
                    q.open();
                    allowed = !q.eof();
                    q.close();
                }
            }))
        allowed = false;
    return allowed;
}

void LoadGengoTable()
{
    GengoTable.clear();
    opsupport::run(&TDM::IBTransactionDEF, DbPolicy("TDM.LoadGengoTable").with(DbReport::Quiet), [](TDM& d, TDbScope&) {
        try {
            fb::Query q(&d.IBDatabaseDEF, &d.IBTransactionDEF);
            q.sql().add("SELECT COUNT(*) AS RECCNT FROM GENGO");
            q.open();
            const int count = q.eof() ? 0 : q.fieldByName("RECCNT").asInteger();
            q.close();
            GengoTable.reserve(static_cast<std::size_t>(std::max(count, 0)));
            q.sql().clear();
            q.sql().add("SELECT GNAME,GSIGN,STARTDATE,YEAROFFSET FROM GENGO");
            q.sql().add("ORDER BY YEAROFFSET DESC");
            q.open();
            const auto& name = q.fieldByName("GNAME");
            const auto& sign = q.fieldByName("GSIGN");
            const auto& start = q.fieldByName("STARTDATE");
            const auto& offset = q.fieldByName("YEAROFFSET");
            for (; !q.eof(); q.next())
                GengoTable.push_back(
                    TGengoRec {name.asString(), sign.asString(), opsupport::fieldDateTime(start), offset.asInteger()});
            q.close();
        } catch (const std::exception&) {
            // A partly read table is no table: the built-in eras take over.
            GengoTable.clear();
        }
    });
    if (GengoTable.empty())
        InitGengoTable();
}

void GetProgramVersion()
{
    int major = 0, minor1 = 0, minor2 = 0;
    if (!opsupport::run(
            &TDM::IBTransactionDEF, DbPolicy("TDM.GetProgramVersion").with(DbReport::Quiet), [&](TDM& d, TDbScope& op) {
                fb::Query& q = d.IBSQLDEF;
                op.fresh(q);
                q.sql().add("SELECT MAJOR,MINOR1,MINOR2 FROM VERSION");
                q.sql().add("ORDER BY MAJOR DESC,MINOR1 DESC,MINOR2 DESC");
                q.open();
                if (!q.eof()) {
                    major = q.fieldByName("MAJOR").asInteger();
                    minor1 = q.fieldByName("MINOR1").asInteger();
                    minor2 = q.fieldByName("MINOR2").asInteger();
                }
                q.close();
            }))
        major = minor1 = minor2 = 0;
    SysDef.SysVerMajor = major;
    SysDef.SysVerMinor1 = minor1;
    SysDef.SysVerMinor2 = minor2;
}

void GetDataListRec(const std::string& path, int& recNo, int& childNo)
{
    recNo = 0;
    childNo = 0;
    if (TrimZenkaku(path).empty())
        return;
    if (ConnectMode == 0) {
        std::string first, second;
        SplitDataPath(path, first, second);
        recNo = TRegValue::text(first).asInteger();
        childNo = TRegValue::text(second).asInteger();
        return;
    }
    opsupport::run(
        &TDM::IBTransactionDEF, DbPolicy("TDM.GetDataListRec").with(DbReport::Quiet), [&](TDM& d, TDbScope&) {
            fb::Query q(&d.IBDatabaseDEF, &d.IBTransactionDEF);
            // Paths are POSIX paths here and compare exactly.
            q.sql().add("SELECT REC FROM DATALIST");
            q.sql().add("WHERE (GROUPID=:GROUPID) AND (PASNAME=:PASNAME)");
            q.paramByName("GROUPID").setInteger(SysDef.GroupID);
            q.paramByName("PASNAME").setString(path);
            q.open();
            for (; !q.eof(); q.next())
                recNo = q.fieldByName("REC").asInteger();
            q.close();
        });
}

// --- STYLECOLOR ---------------------------------------------------------------

namespace opsupport {

void writeStyleColor(
    fb::Query& q, int opCode, const std::string& styleName, const std::string& text, const StyleColours& colours)
{
    q.close();
    q.sql().clear();
    q.sql().add("SELECT COUNT(OPCODE) AS RECCNT FROM STYLECOLOR");
    q.sql().add("WHERE OPCODE=:OPCODE AND STYLENAME=:STYLENAME");
    q.paramByName("OPCODE").setInteger(opCode);
    q.paramByName("STYLENAME").setString(styleName);
    q.open();
    const bool exists = !q.eof() && q.fieldByName("RECCNT").asInteger() > 0;
    q.close();
    q.sql().clear();
    if (exists) {
        q.sql().add("UPDATE STYLECOLOR SET OPCODE=:OPCODE,STYLENAME=:STYLENAME,LINECOLOR1=:LINECOLOR1,"
                    "LINECOLOR2=:LINECOLOR2,LINECOLOR3=:LINECOLOR3,LINECOLOR4=:LINECOLOR4,LINECOLOR5=:LINECOLOR5,"
                    "NETCOLOR1=:NETCOLOR1,NETCOLOR2=:NETCOLOR2,SSTR=:SSTR");
        q.sql().add("WHERE OPCODE=:OPCODE AND STYLENAME=:STYLENAME");
    } else {
        q.sql().add("INSERT INTO STYLECOLOR(OPCODE,STYLENAME,LINECOLOR1,LINECOLOR2,LINECOLOR3,LINECOLOR4,"
                    "LINECOLOR5,NETCOLOR1,NETCOLOR2,SSTR)");
        q.sql().add("VALUES(:OPCODE,:STYLENAME,:LINECOLOR1,:LINECOLOR2,:LINECOLOR3,:LINECOLOR4,:LINECOLOR5,"
                    ":NETCOLOR1,:NETCOLOR2,:SSTR)");
    }
    q.paramByName("OPCODE").setInteger(opCode);
    q.paramByName("STYLENAME").setString(styleName);
    const char* const names[]
        = {"LINECOLOR1", "LINECOLOR2", "LINECOLOR3", "LINECOLOR4", "LINECOLOR5", "NETCOLOR1", "NETCOLOR2"};
    for (std::size_t i = 0; i < colours.size(); ++i)
        q.paramByName(names[i]).setInteger(colours[i]);
    q.paramByName("SSTR").setString(text);
    q.execSQL();
}

} // namespace opsupport

void GetStyleColorStr(int opCode, const std::string& styleName, std::string& text)
{
    text.clear();
    const bool read = opsupport::run(
        &TDM::IBTransactionDEF, DbPolicy("TDM.GetStyleColorStr").with(DbReport::Quiet), [&](TDM& d, TDbScope&) {
            fb::Query q(&d.IBDatabaseDEF, &d.IBTransactionDEF);
            q.sql().add("SELECT SSTR FROM STYLECOLOR");
            q.sql().add("WHERE OPCODE=:OPCODE AND STYLENAME=:STYLENAME");
            q.paramByName("OPCODE").setInteger(opCode);
            q.paramByName("STYLENAME").setString(styleName);
            q.open();
            for (; !q.eof(); q.next())
                text = q.fieldByName("SSTR").asString();
            q.close();
        });
    if (!read)
        text.clear();
}

void PutStyleColorStr(int opCode, const std::string& styleName, const std::string& text)
{
    opsupport::run(
        &TDM::IBTransactionDEF, DbPolicy("TDM.PutStyleColorStr").with(DbReport::Quiet), [&](TDM& d, TDbScope&) {
            fb::Query q(&d.IBDatabaseDEF, &d.IBTransactionDEF);
            opsupport::writeStyleColor(q, opCode, styleName, text);
        });
}

bool ReadStyleColorRow(int opCode, const std::string& styleName, TStyleColorRow& row)
{
    row = TStyleColorRow {};
    return opsupport::run(&TDM::IBTransactionDEF,
        DbPolicy("TPrintDlgBox.GetStyleColorRec", "ユーザー別帳票色情報の取得に失敗しました。"),
        [&](TDM& d, TDbScope&) {
            fb::Query q(&d.IBDatabaseDEF, &d.IBTransactionDEF);
            q.sql().add("SELECT LINECOLOR1,LINECOLOR2,NETCOLOR1,NETCOLOR2,SSTR FROM STYLECOLOR");
            q.sql().add("WHERE OPCODE=:OPCODE AND STYLENAME=:STYLENAME");
            q.paramByName("OPCODE").setInteger(opCode);
            q.paramByName("STYLENAME").setString(styleName);
            for (q.open(); !q.eof(); q.next()) {
                row.Found = true;
                row.LineColor1 = q.fieldByName("LINECOLOR1").asInteger();
                row.LineColor2 = q.fieldByName("LINECOLOR2").asInteger();
                row.NetColor1 = q.fieldByName("NETCOLOR1").asInteger();
                row.NetColor2 = q.fieldByName("NETCOLOR2").asInteger();
                row.Text = q.fieldByName("SSTR").asString();
            }
            q.close();
        });
}

bool WriteStyleColorRow(
    int opCode, const std::string& styleName, const std::string& text, const opsupport::StyleColours& colours)
{
    return opsupport::run(&TDM::IBTransactionDEF,
        DbPolicy("TPrintDlgBox.PutStyleColorRec", "ユーザー別帳票色情報の更新に失敗しました。"),
        [&](TDM& d, TDbScope&) {
            fb::Query q(&d.IBDatabaseDEF, &d.IBTransactionDEF);
            opsupport::writeStyleColor(q, opCode, styleName, text, colours);
        });
}

} // namespace core

namespace {
// Saved and restored with the rest of the process state (core/ProcessState.h).
const bool kProcessStateKept = core::KeepProcessState(core::fontInstalledProc());
} // namespace
