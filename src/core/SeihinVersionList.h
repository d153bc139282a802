#pragma once
// Small lists for the data-selection, data-management and schema-update
// screens: the product editions a data version can belong to, the
// operators of a group, and the operators logged on to the system database.
// Row accessors answer the empty text, 0 or -1 outside the list.

#include "platform/firebird/firebird.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct TDataVersionRec {
    std::int32_t Major = 0;
    std::int32_t Minor = 0;
    std::int32_t Revision = 0;
    std::string Name;
};

class TSeihinVersionList {
public:
    // The product key follows AppKind (2 Orbisca, 3 Ridovaro, others Varov).
    TSeihinVersionList();

    std::string ProductKey;
    std::string Caption;
    std::vector<TDataVersionRec> Rows;
    std::vector<std::string> Names;
    int Count = 0;

    void Clear();
    void Execute(bool sort);
    // 0 ascending, 1 descending; a caption row stays first.
    void Sort(int order);
    std::string GetListText() const;
    std::string GetVersion(int index) const;
    std::string GetSeihinName(int index) const;
    int IndexOfName(const std::string& name) const;

private:
    void addRow(int major, int minor, const std::string& name);
};

struct TUseSitenRec {
    std::string SCode;
};

struct TUserListRec {
    std::int32_t GroupCode = 0;
    std::int32_t OpCode = 0;
    std::string OpName;
    std::string Password;
    std::int32_t JobLevel = 0;
    std::string JobLevelName;
    bool Jimusho = false;
    bool Okiniiri = false;
    bool Flag3 = false;
    std::vector<TUseSitenRec> UseSiten;
    std::string Text;
    bool MyNumberAdmin = false;
    bool Shonin = false;
};

class TUserList {
public:
    TUserList();
    ~TUserList();

    std::string Caption;
    std::int32_t GroupCode = 0;
    std::vector<TUserListRec> Rows;
    std::vector<std::string> Items;
    int Count = 0;
    bool QuotedItems = false;
    bool ShoninOnly = false;

    void Clear();
    // which 0: the system statement's transaction, 1: the company
    // statement's; -1 both back to the list's own.
    void SetTransaction(platform::firebird::Transaction* transaction, int which);
    // Reports and swallows its errors; the list keeps what was loaded.
    void Execute();
    std::int32_t GetOpCode(int index) const;
    std::string GetListText() const;
    int IndexOfOpCode(std::int32_t code) const;

private:
    platform::firebird::Transaction ownTransaction_;
    std::unique_ptr<platform::firebird::Query> sysQuery_;
    std::unique_ptr<platform::firebird::Query> datQuery_;
};

struct TLoginUserListRec {
    std::int32_t OpCode = 0;
    std::string OpName;
    std::string PCName;
};

class TLoginUserListOnDef {
public:
    TLoginUserListOnDef();
    ~TLoginUserListOnDef();

    std::vector<TLoginUserListRec> Rows;
    std::vector<std::string> Items;
    int Count = 0;
    std::int32_t GroupCode = 0;
    std::int32_t OpCode = 0;
    bool IncludeSelf = false;

    void Clear();
    // Reports its errors and passes them on.
    void Execute(std::int32_t groupCode, std::int32_t opCode, bool includeSelf);
    std::int32_t GetOpCode(int index) const;
    std::string GetOpName(int index) const;

private:
    std::unique_ptr<platform::firebird::Query> query_;
};
