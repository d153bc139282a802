#include "large_company.h"

#include "sample_data.h"

#include "platform/firebird/firebird.h"

#include <stdexcept>
#include <string>

namespace sample {

namespace fb = platform::firebird;

namespace {

// Group codes 2 that lie inside a summary line's range, in chart order, with
// the nature of an account there (1 debit, 3 credit).
struct GroupChoice {
    const char* group;
    int taishaku;
};
constexpr GroupChoice kGroups[] = {
    {"1110", 1},
    {"1130", 1},
    {"1210", 1},
    {"1310", 1},
    {"1510", 1},
    {"1610", 1},
    {"1710", 1},
    {"1810", 1},
    {"2110", 3},
    {"2210", 3},
    {"2310", 3},
    {"2910", 3},
    {"3110", 3},
    {"3220", 3},
    {"3320", 3},
    {"4110", 3},
    {"4500", 3},
    {"5110", 1},
    {"5450", 1},
    {"5950", 1},
    {"6050", 1},
    {"6150", 1},
    {"6500", 3},
    {"7250", 1},
    {"7500", 3},
    {"8250", 1},
    {"8300", 1},
};
constexpr int kGroupCount = int(sizeof kGroups / sizeof kGroups[0]);

// Inserts `lines` journal lines into `table` (periods 1-16, most in the
// months), numbering them from `firstRec`.
std::string journalBlock(
    const std::string& table, int lines, int accounts, int withSubs, unsigned seed, int firstRec, int year)
{
    const std::string n = std::to_string(accounts);
    return "EXECUTE BLOCK AS\n"
           "DECLARE I INTEGER = 0;\n"
           "DECLARE X BIGINT = "
        + std::to_string(seed % 2147483647u)
        + ";\n"
          "DECLARE A INTEGER; DECLARE B INTEGER; DECLARE P INTEGER; DECLARE HA VARCHAR(6); DECLARE HB VARCHAR(6);\n"
          "DECLARE AMT NUMERIC(18,4); DECLARE TAX NUMERIC(18,4); DECLARE PLA VARCHAR(1); DECLARE PLB VARCHAR(1);\n"
          "BEGIN\n"
          "  WHILE (I < "
        + std::to_string(lines)
        + ") DO BEGIN\n"
          "    X = MOD(X * 1103515245 + 12345, 2147483648); A = MOD(X / 7, "
        + n
        + ") + 1;\n"
          "    X = MOD(X * 1103515245 + 12345, 2147483648); B = MOD(X / 7, "
        + n
        + ") + 1;\n"
          "    IF (B = A) THEN B = MOD(A, "
        + n
        + ") + 1;\n"
          "    X = MOD(X * 1103515245 + 12345, 2147483648); P = MOD(X / 7, 16) + 1;\n"
          "    IF (MOD(P, 4) = 0 AND MOD(X, 5) <> 0) THEN P = P - 1;\n"
          "    X = MOD(X * 1103515245 + 12345, 2147483648);\n"
          "    HA = IIF(A <= "
        + std::to_string(withSubs)
        + ", LPAD(MOD(X / 3, 11), 2, '0'), '');\n"
          "    IF (HA = '00') THEN HA = '';\n"
          "    HB = IIF(B <= "
        + std::to_string(withSubs)
        + ", LPAD(MOD(X / 5, 11), 2, '0'), '');\n"
          "    IF (HB = '00') THEN HB = '';\n"
          "    AMT = MOD(X, 1000000) + 1000;\n"
          "    SELECT BPFLG FROM KAMOKUMST WHERE KCODE = 'L' || LPAD(:A, 3, '0') INTO :PLA;\n"
          "    SELECT BPFLG FROM KAMOKUMST WHERE KCODE = 'L' || LPAD(:B, 3, '0') INTO :PLB;\n"
          "    TAX = IIF(PLA = 'P' OR PLB = 'P', TRUNC(AMT / 11), 0);\n"
          "    INSERT INTO "
        + table
        + " (REC, DELFLG, TAISHAKU, HIZUKE, MNUM, SCODE, KCODE, HCODE, BCODE,\n"
          "        R_KCODE, R_HCODE, R_BCODE, KINGAKU, ZEIGAKU, TAXCODE, TEKTEXT)\n"
          "      VALUES ("
        + std::to_string(firstRec) + " + :I, IIF(MOD(:I, 97) = 0, 2, 0), 1, DATE '" + std::to_string(year)
        + "-04-01' + MOD(:I, 365), :P,\n"
          "        IIF(MOD(:I, 3) = 0, '02', '01'), 'L' || LPAD(:A, 3, '0'), :HA, IIF(MOD(:I, 2) = 0, '01', '02'),\n"
          "        'L' || LPAD(:B, 3, '0'), :HB, IIF(MOD(:I, 5) = 0, '01', '02'), :AMT, :TAX, 0, 'generated');\n"
          "    I = I + 1;\n"
          "  END\n"
          "END";
}

} // namespace

void makeLargeCompany(const std::string& databaseName, const LargeCompanyOptions& o)
{
    if (o.accounts < 2 || o.subAccounts < 0 || o.journalLines < 0 || o.priorYearLines < 0)
        throw std::invalid_argument("makeLargeCompany: the counts must be positive (at least two accounts)");
    createDatabaseFromScripts(databaseName, defaultSqlDir(), "company", o.user, o.password, false);

    fb::Database db;
    configureConnection(db, databaseName, o.user, o.password);
    db.connect();

    const int withSubs = (o.subAccounts + 9) / 10;
    std::string accounts = "EXECUTE BLOCK AS\nDECLARE I INTEGER = 1;\nDECLARE G VARCHAR(4);\nDECLARE T INTEGER;\n"
                           "DECLARE H INTEGER;\nDECLARE MADE INTEGER = 0;\nBEGIN\n  WHILE (I <= "
        + std::to_string(o.accounts) + ") DO BEGIN\n    G = CASE MOD(I, " + std::to_string(kGroupCount) + ")";
    for (int i = 0; i < kGroupCount; ++i)
        accounts += " WHEN " + std::to_string(i) + " THEN '" + kGroups[i].group + "'";
    accounts += " END;\n    T = CASE MOD(I, " + std::to_string(kGroupCount) + ")";
    for (int i = 0; i < kGroupCount; ++i)
        accounts += " WHEN " + std::to_string(i) + " THEN " + std::to_string(kGroups[i].taishaku);
    accounts
        += " END;\n"
           "    INSERT INTO KAMOKUMST (KCODE, USERCODE, KNAME, KANA, GROUPM0, GROUPM1, GROUPM2, TAISHAKU, HOJOSW,\n"
           "        BPFLG, EXT1_KS, EXT1_A4, EXT1_A3)\n"
           "      VALUES ('L' || LPAD(:I, 3, '0'), 'L' || LPAD(:I, 3, '0'), '科目' || :I, '', :G, :G, :G, :T,\n"
           "        IIF(:I <= "
        + std::to_string(withSubs)
        + ", 1, 0), IIF(:G < '4000', 'B', 'P'), 1000 + :I, 1000 + :I, 1000 + :I);\n"
          "    INSERT INTO HOJOMST (KCODE, HCODE, USERCODE, HNAME) VALUES ('L' || LPAD(:I, 3, '0'), ' ', '', '科目' || "
          ":I);\n"
          "    H = 1;\n"
          "    WHILE (I <= "
        + std::to_string(withSubs) + " AND H <= 10 AND MADE < " + std::to_string(o.subAccounts)
        + ") DO BEGIN\n"
          "      INSERT INTO HOJOMST (KCODE, HCODE, USERCODE, HNAME)\n"
          "        VALUES ('L' || LPAD(:I, 3, '0'), LPAD(:H, 2, '0'), :H, '補助' || :I || '-' || :H);\n"
          "      H = H + 1; MADE = MADE + 1;\n"
          "    END\n"
          "    IF (G < '4000') THEN\n"
          "      INSERT INTO ZANDAKA (NENDO, SCODE, BCODE, KCODE, HCODE, KAISIZAN)\n"
          "        SELECT N.N, '01', '01', 'L' || LPAD(:I, 3, '0'), '', 100000 * :I + N.N\n"
          "        FROM (SELECT 0 AS N FROM RDB$DATABASE UNION ALL SELECT 1 FROM RDB$DATABASE\n"
          "              UNION ALL SELECT 2 FROM RDB$DATABASE) N;\n"
          "    IF (MOD(I, 5) = 0) THEN\n"
          "      INSERT INTO YOSAN (SCODE, BCODE, KCODE, HCODE, YOSAN01, YOSAN02, YOSAN03, YOSAN201, YOSAN301)\n"
          "        VALUES ('01', '01', 'L' || LPAD(:I, 3, '0'), '', 1000 * :I, 1100 * :I, 1200 * :I, 900 * :I, 800 * "
          ":I);\n"
          "    I = I + 1;\n"
          "  END\n"
          "END";
    executeCommitted(db, accounts);
    // The branch counts are set once after the fill, not line by line.
    executeCommitted(db, "ALTER TRIGGER SIWAKE_BRANCH_COUNT INACTIVE");
    executeCommitted(db, journalBlock("SIWAKE", o.journalLines, o.accounts, withSubs, o.seed, 1000000, 2024));
    executeCommitted(
        db, journalBlock("KAKOSIWAKE1", o.priorYearLines, o.accounts, withSubs, o.seed + 1, 1000000, 2023));
    executeCommitted(
        db, journalBlock("KAKOSIWAKE2", o.priorYearLines, o.accounts, withSubs, o.seed + 2, 1000000, 2022));
    executeCommitted(db,
        "UPDATE SISETUMST S SET SIWAKECOUNT = (SELECT COUNT(*) FROM SIWAKE J"
        " WHERE J.SCODE = S.SCODE AND J.DELFLG = 0 AND J.TAISHAKU = 1)");
    executeCommitted(db, "ALTER TRIGGER SIWAKE_BRANCH_COUNT ACTIVE");
    // The optimizer chooses by the index statistics, which a fill leaves at
    // the values of the empty tables: recompute every index's.
    executeCommitted(db,
        "EXECUTE BLOCK AS\n"
        "DECLARE N VARCHAR(63);\n"
        "BEGIN\n"
        "  FOR SELECT TRIM(RDB$INDEX_NAME) FROM RDB$INDICES\n"
        "      WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0 AND COALESCE(RDB$INDEX_INACTIVE, 0) = 0\n"
        "        AND RDB$RELATION_NAME IN (SELECT RDB$RELATION_NAME FROM RDB$RELATIONS WHERE RDB$RELATION_TYPE = 0)\n"
        "      INTO :N\n"
        "  DO EXECUTE STATEMENT 'SET STATISTICS INDEX \"' || N || '\"';\n"
        "END");
    db.disconnect();
}

} // namespace sample
