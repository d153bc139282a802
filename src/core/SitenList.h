#pragma once
// Code systems stored in the system database (USERCODE), the branch or
// facility list of the open company, and screen values saved per operator
// (STYLECOLOR).

#include "platform/firebird/firebird.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct TCodeTaikeiRec2 {
    std::int32_t RecNo = 0;
    std::string Name;
    std::int32_t DataKind = 0;
    std::int32_t CodeKind = 0;
    std::string Text1;
    std::int32_t Value1 = 0, Value2 = 0, Value3 = 0;
    std::string SeihinKubun = "-";
    std::uint8_t Flag = 0;
    std::vector<std::string> IniDat[8]; // lines of INIDAT1 .. INIDAT8
    std::string Text2;
    std::int32_t Value4 = 0, Value5 = 0;
};

class TCodeTaikeiIO {
public:
    // Repairs the kinds of USERCODE rows (KubunSyufuku).
    TCodeTaikeiIO();
    ~TCodeTaikeiIO();

    TCodeTaikeiRec2 Rec;

    // True when the file was stored into that USERCODE row.
    bool LoadFromFile(const std::string& fileName, std::int32_t recNo);
    // False when nothing was written (empty name, kind 0, no such row, or a
    // reported database error).
    bool UpDateRecored(const TCodeTaikeiRec2& rec);
    void KubunSyufuku();
    bool CheckSeihinKubun(const std::string& seihinKubun, std::string& message) const;

private:
    std::unique_ptr<platform::firebird::Query> query_;
};

struct TSitenListRec {
    std::string Code;
    std::string Name;
    std::int32_t Kind = 0; // 0 caption, 1 group, 2 branch, 3 branch with own department accounts, 5 facility group
    std::int32_t Jigyou = 0; // business division
    std::int32_t BumonKbn = 0; // own department accounts
    std::int32_t Color = 0;
    std::string Text1;
    std::string Text2;
};

namespace sitensel {
constexpr std::uint8_t Caption = 1;
constexpr std::uint8_t Groups = 2;
constexpr std::uint8_t Branches = 4;
constexpr std::uint8_t BumonBranches = 8;
} // namespace sitensel

class TSitenList {
public:
    TSitenList();
    ~TSitenList();

    std::vector<TSitenListRec> Rows;
    std::vector<std::string> Items;
    int Count = 0;
    std::uint8_t Selection = 0;
    std::int32_t OpCode = 0;
    std::int32_t JigyouFilter = 0;
    bool QuotedItems = false;
    bool Include00 = true;

    void SetTransaction(platform::firebird::Transaction* transaction);
    // opCode -1: all operators. Reports its errors and passes them on.
    void Execute(std::int32_t opCode);
    std::string GetSCode(int index) const;
    void Clear();

private:
    // The rows of the two data kinds, read in the caller's transaction.
    void executeGeneral(platform::firebird::Query& q, std::int32_t opCode);
    void executeMedical(platform::firebird::Query& q, std::int32_t opCode);
    void addRow(const TSitenListRec& row, const std::string& caption);
    std::unique_ptr<platform::firebird::Query> query_;
};

class TGamenKeyValue {
public:
    // Takes the logged-on operator's code.
    TGamenKeyValue();
    ~TGamenKeyValue();

    std::int32_t OpCode = 0;
    std::string StyleName;
    std::string Value;

    void ClearValue() { Value.clear(); }
    void SetKeyName(const std::string& name);
    // value is left unchanged when nothing is stored.
    void FukugenValue(const std::string& name, std::string& value);
    void HozonValue(const std::string& name, const std::string& value);

private:
    std::unique_ptr<platform::firebird::Query> query_;
};
