#include "accounting/uAccSikinguriCmp.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/codec.h"

namespace {

class SikinguriTest : public ::testing::Test {
protected:
    void TearDown() override { SikinguriTable.clear(); }
};

struct Row {
    std::size_t index;
    const char* code;
    const char* name;
    const char* section;
};

// The current table holds each expected row at its index.
template <std::size_t N> void expectRows(const Row (&expected)[N])
{
    for (const Row& r : expected) {
        SCOPED_TRACE(r.index);
        EXPECT_EQ(SikinguriTable[r.index].Code, r.code);
        EXPECT_EQ(SikinguriTable[r.index].Name, r.name);
        EXPECT_EQ(SikinguriTable[r.index].Section, r.section);
    }
}

TEST_F(SikinguriTest, GeneralTableForEveryKindButOne)
{
    const Row expected[] = {
        {0, "0", "－", ""},
        {1, "11", "現金売上", ""},
        {8, "18", "その他の収入", "（経常収支）"},
        {17, "27", "販売費・一般管理費", ""},
        {20, "30", "その他の支出", "（経常収支）"},
        {22, "32", "その他の収入", "（設備等収支）"},
        {25, "35", "法人税等", ""},
        {26, "36", "その他の支出", "（設備等収支）"},
        {27, "37", "手形割引", ""},
        {32, "42", "その他の収入", "（財務収支）"},
        {37, "47", "その他の支出", "（財務収支）"},
        {38, "99", "流動性現預金", ""},
    };
    for (int kind : {0, 2, 3, -1}) {
        SCOPED_TRACE(kind);
        InitSikinguriTable(kind);
        ASSERT_EQ(SikinguriTable.size(), 39u);
        expectRows(expected);
    }
}

TEST_F(SikinguriTest, MedicalTableForKindOne)
{
    InitSikinguriTable(1);
    ASSERT_EQ(SikinguriTable.size(), 38u);
    const Row expected[] = {
        {0, "0", "－", ""},
        {1, "11", "窓口収入", ""},
        {7, "17", "その他の収入", "（経常収支）"},
        {8, "18", "給与費", ""},
        {20, "30", "その他の支出", "（経常収支）"},
        {25, "35", "その他の支出", "（設備等収支）"},
        {30, "40", "その他の収入", "（財務収支）"},
        {35, "45", "法人税等", ""},
        {36, "46", "その他の支出", "（財務収支）"},
        {37, "99", "流動性現預金", ""},
    };
    expectRows(expected);
}

TEST_F(SikinguriTest, BothTablesHaveUniqueAscendingCodesAndQualifyRepeatedNames)
{
    for (int kind : {0, 1}) {
        SCOPED_TRACE(kind);
        InitSikinguriTable(kind);
        int previous = -1;
        std::set<std::string> qualifiedNames;
        for (const TSikinguriRec& rec : SikinguriTable) {
            const int code = std::stoi(rec.Code);
            EXPECT_GT(code, previous) << rec.Code;
            previous = code;
            // Every text crosses to the database and to print as code page 932.
            EXPECT_TRUE(platform::codec::isRepresentable(rec.Name)) << rec.Name;
            EXPECT_TRUE(platform::codec::isRepresentable(rec.Section)) << rec.Section;
            // A name that occurs more than once is told apart by its section.
            EXPECT_TRUE(qualifiedNames.insert(rec.Name + rec.Section).second) << rec.Name << rec.Section;
        }
        // Codes 11 onwards are consecutive up to the liquid-cash line 99.
        for (std::size_t i = 1; i + 1 < SikinguriTable.size(); ++i)
            EXPECT_EQ(SikinguriTable[i].Code, std::to_string(10 + i));
    }
}

TEST_F(SikinguriTest, ASecondCallReplacesTheFirst)
{
    InitSikinguriTable(1);
    InitSikinguriTable(0);
    ASSERT_EQ(SikinguriTable.size(), 39u);
    EXPECT_EQ(SikinguriTable[1].Name, "現金売上");
    InitSikinguriTable(1);
    ASSERT_EQ(SikinguriTable.size(), 38u);
    EXPECT_EQ(SikinguriTable[1].Name, "窓口収入");
}

} // namespace
