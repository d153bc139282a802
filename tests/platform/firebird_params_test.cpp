#include "platform/firebird/fb_query.h"

#include <gtest/gtest.h>

using platform::firebird::EIBError;
using platform::firebird::parseNamedParams;

namespace {

struct ParseCase {
    const char* sql;
    const char* expected;
    std::vector<std::string> names;
};

class NamedParamParse : public ::testing::TestWithParam<ParseCase> { };

TEST_P(NamedParamParse, ReplacesMarkersOutsideQuotesAndComments)
{
    const auto& c = GetParam();
    const auto parsed = parseNamedParams(c.sql);
    EXPECT_EQ(parsed.sql, c.expected);
    EXPECT_EQ(parsed.names, c.names);
}

INSTANTIATE_TEST_SUITE_P(Cases, NamedParamParse,
    ::testing::Values(ParseCase {"SELECT * FROM T WHERE A=:A", "SELECT * FROM T WHERE A=?", {"A"}},
        ParseCase {"WHERE (SCODE=:scode) AND (KCODE=:KCODE) OR (R_KCODE=:KCODE)",
            "WHERE (SCODE=?) AND (KCODE=?) OR (R_KCODE=?)", {"SCODE", "KCODE", "KCODE"}},
        ParseCase {"SELECT ':NOT' FROM T WHERE X=:X", "SELECT ':NOT' FROM T WHERE X=?", {"X"}},
        ParseCase {"SELECT 'it''s :no' FROM T", "SELECT 'it''s :no' FROM T", {}},
        ParseCase {"SELECT \"A:B\" FROM T", "SELECT \"A:B\" FROM T", {}},
        ParseCase {"SELECT 1 -- :COMMENT\nFROM T WHERE Y=:Y", "SELECT 1 -- :COMMENT\nFROM T WHERE Y=?", {"Y"}},
        ParseCase {"SELECT /* :C */ 1 FROM T", "SELECT /* :C */ 1 FROM T", {}},
        ParseCase {"SELECT WBOOL FROM FILEOPERATION(:MODE,:FILEPATH1,:FILEPATH2)",
            "SELECT WBOOL FROM FILEOPERATION(?,?,?)", {"MODE", "FILEPATH1", "FILEPATH2"}},
        ParseCase {"WHERE N='：全角' AND M=:M_1", "WHERE N='：全角' AND M=?", {"M_1"}}));

TEST(NamedParamParseErrors, UnterminatedQuoteOrCommentIsRefused)
{
    for (const char* sql : {"SELECT 'abc FROM T", "SELECT \"abc FROM T", "SELECT /* x FROM T"}) {
        try {
            parseNamedParams(sql);
            ADD_FAILURE() << sql;
        } catch (const EIBError& e) {
            EXPECT_EQ(e.iscErrorCode(), 0);
        }
    }
}

} // namespace
