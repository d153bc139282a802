#include "wizard/ug16Figures.h"

#include <algorithm>
#include <optional>
#include <stdexcept>

#include "core/DataModule.h"
#include "core/DateTimeUtil.h"
#include "core/IBErrorProc.h"
#include "core/MessageService.h"
#include "core/TextRoutines.h"
#include "core/uAccDateCmp.h"
#include "core/uAccRecord.h"
#include "core/z5StringList2.h"
#include "platform/ini_file.h"
#include "wizard/ComDataExp.h"
#include "wizard/XMLSaveDoc.h"
#include "wizard/ug16Settings.h"

namespace fb = platform::firebird;

namespace {

const char* const kLoadFailed = "科目の集計処理に失敗しました。";

std::string trimmed(const std::string& s)
{
    const char* ws = " \t\r\n";
    const auto b = s.find_first_not_of(ws);
    if (b == std::string::npos)
        return {};
    return s.substr(b, s.find_last_not_of(ws) - b + 1);
}

// Entries of an in-memory assignment list (one per line).
std::vector<std::string> listEntries(const std::string& list)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t end = list.find_first_of("\r\n", start);
        out.push_back(list.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return out;
}

// Account and sub-account code of an assignment value ("account" or
// "account<TAB>sub"); false for any other shape. A missing or blank
// sub-account is the account as a whole (" ").
bool splitAssignment(const std::string& value, std::string& account, std::string& sub)
{
    TMojiBunkatu splitter;
    splitter.Delimiter = '\t';
    splitter.Mode = 0;
    splitter.Bunkatu(value);
    if (splitter.Count == 1) {
        account = splitter.GetMoji(0);
        sub = " ";
        return true;
    }
    if (splitter.Count == 2) {
        account = splitter.GetMoji(0);
        sub = trimmed(splitter.GetMoji(1));
        if (sub.empty())
            sub = " ";
        return true;
    }
    return false;
}

// visit(account, sub) for each well-formed assignment of item code.
template <class Visit>
void forEachAssignment(const std::vector<TAssignmentLine>& assignments, const std::string& code, Visit&& visit)
{
    for (const auto& [name, value] : assignments) {
        std::string account, sub;
        if (name == code && splitAssignment(value, account, sub))
            visit(account, sub);
    }
}

fb::Query& accQuery()
{
    if (core::DM == nullptr)
        throw std::logic_error("TGaikyousyoDataMake: the data module does not exist");
    return core::DM->IBQACC1;
}

fb::Transaction& accTransaction()
{
    return core::DM->IBTransactionDAT;
}

void showDatabaseError(const std::string& message)
{
    // One box line per line of the text: a label shows no line breaks.
    core::ShowStandardMessage("ﾃﾞｰﾀﾍﾞｰｽ ｴﾗｰ\r" + message + "\r\r", msgkind::Error);
}

} // namespace

TGaikyousyoDataMake::TGaikyousyoDataMake(std::string iniFile)
    : IniFile(std::move(iniFile))
{
    FormVer = 1;
    NewForm = IsNewForm();
    MainItems.assign(MainItemCount, TUG_G_ITEM {});
    MonthItems.assign(MonthItemCount, TUG_G_ITEM {});
    ReadIniSettings();
    if (Migrated == 0 && MigrateSettings()) {
        // Only now: a failed migration must be tried again.
        Migrated = 1;
        MarkMigrated();
    }
}

// --- settings ---------------------------------------------------------------

void TGaikyousyoDataMake::ReadIniSettings()
{
    const platform::IniFile ini(IniFile);
    Migrated = static_cast<std::int32_t>(ini.readInteger(VzRendoMigrationSection, VzRendoMigrationKey, 0));
    for (std::size_t i = 0; i < MainItems.size(); ++i) {
        MainItems[i].Key = MainItemKeys[i].Element;
        MainItems[i].List = AssignmentListFromFile(ini.readString(VzRendoMainSection, MainItems[i].Key, ""));
        MainItems[i].Amounts.fill(0);
    }
    for (std::size_t j = 0; j < MonthItems.size(); ++j) {
        MonthItems[j].Key = MonthItemKeys[j].Stem;
        MonthItems[j].List = AssignmentListFromFile(ini.readString(VzRendoMonthSection, MonthItems[j].Key, ""));
        MonthItems[j].Amounts.fill(0);
    }
}

void TGaikyousyoDataMake::MarkMigrated()
{
    platform::IniFile ini(IniFile);
    ini.writeInteger(VzRendoMigrationSection, VzRendoMigrationKey, Migrated);
}

std::vector<std::string> TGaikyousyoDataMake::DefaultAccountList(const std::string& itemCode)
{
    const char* where = nullptr;
    if (itemCode == "010")
        where = "WHERE (USE=1) AND (GROUPM0>='4000' AND GROUPM0<'5000')";
    else if (itemCode == "210")
        // Cash and deposits: the group codes 1100 to 1110. (Read as
        // "GROUPM1<='1110'" the upper bound would test another column and
        // take in any account whose group 1 code sorts low.)
        where = "WHERE (USE=1) AND (GROUPM0>='1100' AND GROUPM0<='1110')";
    else
        return {};

    std::vector<std::string> codes;
    auto& q = accQuery();
    core::RunDbOperation(
        accTransaction(), core::DbPolicy("DefaultAccountList").with(core::DbReport::Raise), [&](core::TDbScope& op) {
            op.fresh(q);
            q.sql().add("SELECT KCODE FROM KAMOKUMST");
            q.sql().add(where);
            q.sql().add("ORDER BY KCODE");
            q.open();
            auto& kcode = q.fieldByName("KCODE");
            while (!q.eof()) {
                codes.push_back(kcode.asString());
                q.next();
            }
            q.close();
        });
    return codes;
}

bool TGaikyousyoDataMake::SaveItemAccounts(
    int blockId, const std::string& itemCode, const std::vector<TAssignmentLine>& lines)
{
    if (itemCode.empty())
        return false;
    auto& q = accQuery();
    try {
        // The caller hears of a failure through LastSaveError.
        return core::RunDbOperation(
            accTransaction(), core::DbPolicy("SaveItemAccounts").with(core::DbReport::Raise), [&](core::TDbScope& op) {
                op.fresh(q);
                q.sql().add("DELETE FROM GAIKYOSYO_ITEM");
                q.sql().add("WHERE FORMVER=:FORMVER AND ID=:ID AND ITEMNO=:ITEMNO");
                q.paramByName("FORMVER").setInteger(FormVer);
                q.paramByName("ID").setInteger(blockId);
                q.paramByName("ITEMNO").setString(itemCode);
                q.execSQL();

                q.sql().clear();
                q.sql().add("INSERT INTO GAIKYOSYO_ITEM(FORMVER,ID,ITEMNO,KCODE,HCODE)");
                q.sql().add("VALUES(:FORMVER,:ID,:ITEMNO,:KCODE,:HCODE)");
                forEachAssignment(lines, itemCode, [&](const std::string& accountText, const std::string& sub) {
                    const std::string account = trimmed(accountText);
                    if (account.empty())
                        return;
                    q.paramByName("FORMVER").setInteger(FormVer);
                    q.paramByName("ID").setInteger(blockId);
                    q.paramByName("ITEMNO").setString(itemCode);
                    q.paramByName("KCODE").setString(account);
                    q.paramByName("HCODE").setString(sub);
                    q.execSQL();
                });
            });
    } catch (const std::exception& e) {
        LastSaveError = e.what();
        return false;
    }
}

bool TGaikyousyoDataMake::MigrateSettings()
{
    FailedItems.clear();
    bool any = false;
    for (const auto& item : MainItems)
        any = any || !trimmed(item.List).empty();
    for (const auto& item : MonthItems)
        any = any || !trimmed(item.List).empty();
    if (!any)
        return true;

    // The older settings only fill a company that has no assignment set of
    // this form version yet: rows that are there were made (or edited) in
    // the accounting product and are never replaced.
    {
        auto& q = accQuery();
        int existing = 0;
        core::RunDbOperation(
            accTransaction(), core::DbPolicy("MigrateSettings").with(core::DbReport::Raise), [&](core::TDbScope& op) {
                op.fresh(q);
                q.sql().add("SELECT COUNT(*) AS CNT FROM GAIKYOSYO_ITEM");
                q.sql().add("WHERE FORMVER=:FORMVER");
                q.paramByName("FORMVER").setInteger(FormVer);
                q.open();
                existing = q.eof() ? 0 : q.fieldByName("CNT").asInteger();
                q.close();
            });
        if (existing > 0)
            return false;
    }

    std::string firstError;
    auto save = [&](int blockId, const std::string& code, const std::vector<TAssignmentLine>& lines) {
        if (!SaveItemAccounts(blockId, code, lines)) {
            FailedItems.push_back(std::to_string(blockId) + "-" + code);
            if (firstError.empty())
                firstError = LastSaveError;
        }
    };

    // Main block. Two keys share item 100 and two share 160: their entries
    // are saved together, so neither key's assignments are dropped.
    struct TItemEntries {
        std::string Code;
        std::vector<TAssignmentLine> Lines;
        bool Unknown = false; // the default accounts could not be read
    };
    std::vector<TItemEntries> items;
    for (std::size_t i = 0; i < MainItems.size(); ++i) {
        const std::string code = *MainItemKeys[i].OldCode ? MainItemKeys[i].OldCode : MainItemKeys[i].NewCode;
        auto at = std::find_if(items.begin(), items.end(), [&](const TItemEntries& e) { return e.Code == code; });
        if (at == items.end())
            at = items.insert(items.end(), TItemEntries {code, {}, false});
        std::vector<std::string> entries;
        if (code == "010" || code == "210") {
            try {
                entries = DefaultAccountList(code);
            } catch (const std::exception& e) {
                if (firstError.empty())
                    firstError = e.what();
                at->Unknown = true;
            }
            MainItems[i].List.clear();
            for (const auto& c : entries)
                MainItems[i].List += (MainItems[i].List.empty() ? "" : "\r") + c;
        } else {
            entries = listEntries(MainItems[i].List);
        }
        for (const auto& entry : entries)
            at->Lines.emplace_back(code, entry);
    }
    for (const auto& item : items) {
        if (item.Unknown)
            FailedItems.push_back(std::to_string(MainBlockId) + "-" + item.Code);
        else
            save(MainBlockId, item.Code, item.Lines);
    }

    // Monthly block.
    for (std::size_t j = 0; j < MonthItems.size(); ++j) {
        const std::string code = MonthItemKeys[j].Code;
        if (code.empty())
            continue;
        std::vector<TAssignmentLine> lines;
        for (const auto& entry : listEntries(MonthItems[j].List))
            lines.emplace_back(code, entry);
        save(MonthBlockId, code, lines);
    }

    if (!FailedItems.empty()) {
        std::string items;
        for (const auto& f : FailedItems)
            items += (items.empty() ? "" : ", ") + f;
        ShowMessageLines(msgkind::Warning,
            {"概況書の集計科目を移行できなかった項目があります。(" + items + ")", firstError,
                "「決算処理」＞「法人事業概況書（資料）」で設定を確認してください。"});
    }
    return true;
}

void TGaikyousyoDataMake::LoadItemAccounts()
{
    MainAssignments.clear();
    MonthAssignments.clear();
    auto& q = accQuery();
    // The read is committed also when it fails.
    try {
        core::RunDbOperation(accTransaction(),
            core::DbPolicy("LoadItemAccounts").with(core::DbFailure::Commit).with(core::DbReport::Raise),
            [&](core::TDbScope& op) {
                op.fresh(q);
                q.sql().add("SELECT ID,ITEMNO,KCODE,HCODE FROM GAIKYOSYO_ITEM");
                q.sql().add("WHERE FORMVER=:FORMVER");
                q.sql().add("ORDER BY ID,ITEMNO");
                q.paramByName("FORMVER").setInteger(FormVer);
                q.open();
                auto& id = q.fieldByName("ID");
                auto& itemNo = q.fieldByName("ITEMNO");
                auto& kcode = q.fieldByName("KCODE");
                auto& hcode = q.fieldByName("HCODE");
                while (!q.eof()) {
                    TAssignmentLine line {itemNo.asString(), kcode.asString() + "\t" + hcode.asString()};
                    const int block = id.asInteger();
                    if (block == MainBlockId)
                        MainAssignments.push_back(std::move(line));
                    else if (block == MonthBlockId)
                        MonthAssignments.push_back(std::move(line));
                    q.next();
                }
                q.close();
            });
    } catch (const fb::EIBError& e) {
        showDatabaseError(e.message());
        throw;
    }
}

// --- figures ----------------------------------------------------------------

std::int32_t TGaikyousyoDataMake::IsNewForm()
{
    static const TDateTime newFormStart = EncodeDate(2018, 4, 1);
    return AccInf.KIMATU >= newFormStart ? 1 : 0;
}

std::string TGaikyousyoDataMake::GetItemCode(int index) const
{
    if (index < 0 || index >= MainItemCount)
        return {};
    const auto& key = MainItemKeys[static_cast<std::size_t>(index)];
    return NewForm ? key.NewCode : key.OldCode;
}

std::string TGaikyousyoDataMake::GetMonthItemCode(int index)
{
    if (index < 0 || index > 7)
        return {};
    return MonthItemKeys[static_cast<std::size_t>(index + 1)].Code;
}

const TBALANCE* TGaikyousyoDataMake::findAccountRow(const std::string& accountCode) const
{
    const std::size_t n = std::min({Sorts.size(), Rows.size(), static_cast<std::size_t>(std::max(Capacity, 0))});
    for (std::size_t i = 0; i < n; ++i) {
        const auto& entry = Sorts[i];
        if (entry.Key == HiddenSortKey)
            continue;
        if (entry.Index < FirstAccountRow || static_cast<std::size_t>(entry.Index) >= Rows.size())
            continue;
        const auto& row = Rows[static_cast<std::size_t>(entry.Index)];
        if (row.Kamoku.KCODE == accountCode)
            return &row;
    }
    return nullptr;
}

namespace {

// The sub-account entry hcode of a row; nullptr when there is none.
const THOJOUTIWAKE* findSubAccount(const TBALANCE& row, const std::string& hcode)
{
    if (row.HojCount <= 0)
        return nullptr;
    const std::size_t n = std::min(row.HojoList.size(), static_cast<std::size_t>(row.HojCount));
    for (std::size_t k = 0; k < n; ++k)
        if (row.HojoList[k].HCODE == hcode)
            return &row.HojoList[k];
    return nullptr;
}

} // namespace

template <class Visit>
void TGaikyousyoDataMake::forEachAssigned(
    const std::vector<TAssignmentLine>& assignments, const std::string& code, Visit visit) const
{
    forEachAssignment(assignments, code, [&](const std::string& account, const std::string& sub) {
        const TBALANCE* row = findAccountRow(account);
        if (row == nullptr)
            return;
        const int sign = TaishakuAddSign(row->Kamoku.TAISHAKU);
        if (sign == 0)
            return;
        if (sub == " ")
            visit(sign, *row, nullptr);
        else if (const auto* h = findSubAccount(*row, sub))
            visit(sign, *row, h);
    });
}

void TGaikyousyoDataMake::sumMain(int index)
{
    const std::string code = GetItemCode(index);
    if (code.empty())
        return;
    const int balanceAt = EndIndex + 1;
    Currency total = 0;
    const auto fixed = std::find_if(
        FixedTotalRows.begin(), FixedTotalRows.end(), [&](const TFixedTotal& f) { return f.Position == index; });
    if (fixed != FixedTotalRows.end()) {
        // Row 0 stands for a line the layout does not have (the medical
        // layout has no cost of sales); it collects whatever was aimed at a
        // missing line and is not this item's figure.
        const int row = SummaryRowTable[static_cast<std::size_t>(fixed->Constant)];
        if (row > 0 && static_cast<std::size_t>(row) < Rows.size())
            total = Rows[static_cast<std::size_t>(row)].Balance[balanceAt];
    } else {
        forEachAssigned(MainAssignments, code, [&](int sign, const TBALANCE& row, const THOJOUTIWAKE* h) {
            AddAmount(total, sign, h != nullptr ? h->Balance[balanceAt] : row.Balance[balanceAt]);
        });
    }
    // Every code has one position in the current form: this one.
    const Currency amount
        = index == ClosingInventoryPosition ? RoundCurrency(0, CurrencySub(0, total)) : RoundCurrency(0, total);
    MainItems[static_cast<std::size_t>(index)].Amounts[0] = amount;
}

void TGaikyousyoDataMake::sumMonth(int index)
{
    const std::string code = GetMonthItemCode(index);
    if (code.empty())
        return;
    std::array<Currency, 13> months {}; // 1..12
    const bool credit = code == "070"; // withholding tax: credit movements
    // The closing period goes into the fiscal year's last month.
    const int closingMonth = std::clamp(AccInf.YearMonthCount + 1, 1, 12);
    forEachAssigned(MonthAssignments, code, [&](int sign, const TBALANCE& row, const THOJOUTIWAKE* h) {
        const TPeriodValues& p = h != nullptr ? (credit ? h->Credit : h->Net) : (credit ? row.Credit : row.Net);
        AddAmount(months[1], sign, p[1]);
        AddAmount(months[2], sign, p[2]);
        AddAmount(months[3], sign, CurrencyAdd(p[3], p[4]));
        AddAmount(months[4], sign, p[5]);
        AddAmount(months[5], sign, p[6]);
        AddAmount(months[6], sign, CurrencyAdd(p[7], p[8]));
        AddAmount(months[7], sign, p[9]);
        AddAmount(months[8], sign, p[10]);
        AddAmount(months[9], sign, CurrencyAdd(p[11], p[12]));
        AddAmount(months[10], sign, p[13]);
        AddAmount(months[11], sign, p[14]);
        AddAmount(months[12], sign, p[15]);
        AddAmount(months[static_cast<std::size_t>(closingMonth)], sign, p[16]);
    });
    auto& item = MonthItems[static_cast<std::size_t>(index + 1)];
    for (std::size_t m = 1; m <= 12; ++m)
        item.Amounts[m] = RoundCurrency(0, months[m]);
}

void TGaikyousyoDataMake::Aggregate(int block, int index)
{
    if (block == -1) {
        for (int i = 0; i < MainItemCount; ++i)
            sumMain(i);
        for (int j = 0; j <= 7; ++j)
            sumMonth(j);
    } else if (block == MainBlockId) {
        sumMain(index);
    } else if (block == MonthBlockId) {
        sumMonth(index);
    }
}

const TGaikyosyoFigures& TGaikyousyoDataMake::ComputeValues()
{
    LoadItemAccounts();
    Aggregate(-1, 0);

    Figures = TGaikyosyoFigures {};
    for (std::size_t i = 0; i < MainItems.size(); ++i)
        Figures.Main[i] = MainItems[i].Amounts[0];
    Figures.MonthsUsed = std::clamp(MonthCount, 0, ::MonthCount);
    for (int m = 1; m <= 12; ++m) {
        const auto mi = static_cast<std::size_t>(m - 1);
        Figures.MonthLabel[mi] = DecodeDate(GetSimebiDate(m - 1, AccInf.SIME, AccInf.KISHU)).Month;
        for (std::size_t s = 1; s <= 8; ++s)
            Figures.Month[mi][s - 1] = MonthItems[s].Amounts[static_cast<std::size_t>(m)];
    }
    Status = 1;
    return Figures;
}

std::int32_t TGaikyousyoDataMake::MakeDataNode(TXmlSaveDoc& doc)
{
    Status = 3;
    ComputeValues();
    WriteDataNode(doc, Figures);
    return Status;
}

std::string TGaikyousyoDataMake::MainValueText(int index) const
{
    return AmountText(Figures.Main.at(static_cast<std::size_t>(index)));
}

std::string TGaikyousyoDataMake::MonthValueText(int month, int stem) const
{
    if (month < 1 || month > Figures.MonthsUsed || stem < 0 || stem >= MonthItemCount)
        return {};
    const auto mi = static_cast<std::size_t>(month - 1);
    if (stem == 0)
        return std::to_string(Figures.MonthLabel[mi]);
    if (stem > 8)
        return {};
    return AmountText(Figures.Month[mi][static_cast<std::size_t>(stem - 1)]);
}

// --- the exporter's data operation ---------------------------------------

TGaikyosyoFigures MakeGaikyosyoFigures(const TComDataExport& exporter, const std::string& iniFile)
{
    TGaikyousyoDataMake make(iniFile);
    make.StartIndex = exporter.StartPeriodIndex;
    make.EndIndex = exporter.EndPeriodIndex;
    make.LastIndex = exporter.LastPeriodIndex;
    make.TaxMode = exporter.TaxMode;
    make.Hikaku = 1;
    make.Extra = exporter.DataType == 3 ? 16 : 0;
    try {
        make.LoadBalance();
    } catch (...) {
        throw EDataExportError(kLoadFailed, "", 1);
    }
    make.Status = 3;
    try {
        return make.ComputeValues();
    } catch (const ECurrencyOverflow& e) {
        // A figure that cannot be summed is never written as a wrapped one.
        throw EDataExportError(kLoadFailed, e.what(), 1);
    }
}

TGaikyosyoFigures MakeGaikyosyoFigures(const TComDataExport& exporter)
{
    return MakeGaikyosyoFigures(exporter, VzRendoIniFile());
}
