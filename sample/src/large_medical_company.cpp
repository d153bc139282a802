#include "large_medical_company.h"

#include "sample_data.h"

#include "platform/firebird/firebird.h"

#include <stdexcept>
#include <string>

namespace sample {

namespace fb = platform::firebird;

namespace {

// Classification codes inside a total line's range of the medical layout,
// with the nature of an account there (1 debit, 3 credit).
struct MedicalGroup {
    const char* group;
    int taishaku;
};
constexpr MedicalGroup kMedicalGroups[] = {
    {"1110", 1},
    {"1130", 1},
    {"1210", 1},
    {"1510", 1},
    {"1610", 1},
    {"1710", 1},
    {"1810", 1},
    {"2110", 3},
    {"2710", 3},
    {"3110", 3},
    {"3210", 3},
    {"3310", 3},
    {"4210", 3},
    {"4310", 3},
    {"4410", 3},
    {"5110", 1},
    {"5210", 1},
    {"5310", 1},
    {"5410", 1},
    {"5610", 1},
    {"7110", 3},
    {"7210", 1},
    {"8110", 3},
    {"8210", 1},
    {"8310", 1},
};
constexpr int kMedicalGroupCount = int(sizeof kMedicalGroups / sizeof kMedicalGroups[0]);

std::string caseOf(const char* column)
{
    std::string s = "CASE MOD(I, " + std::to_string(kMedicalGroupCount) + ")";
    for (int i = 0; i < kMedicalGroupCount; ++i)
        s += " WHEN " + std::to_string(i) + " THEN "
            + (std::string(column) == "G" ? "'" + std::string(kMedicalGroups[i].group) + "'"
                                          : std::to_string(kMedicalGroups[i].taishaku));
    return s + " END";
}

// Journal lines of one year over the three facilities and the hospital's
// two departments: a linear congruential sequence picks the accounts,
// sub-accounts and periods.
std::string medicalJournal(const std::string& table, int lines, int accounts, int withSubs, unsigned seed, int year)
{
    const std::string n = std::to_string(accounts);
    const std::string subs = std::to_string(withSubs);
    return "EXECUTE BLOCK AS\n"
           "DECLARE I INTEGER = 0;\n"
           "DECLARE X BIGINT = "
        + std::to_string(seed % 2147483647u)
        + ";\n"
          "DECLARE A INTEGER; DECLARE B INTEGER; DECLARE P INTEGER; DECLARE S VARCHAR(6);\n"
          "DECLARE HA VARCHAR(6); DECLARE HB VARCHAR(6); DECLARE BA VARCHAR(6); DECLARE BB VARCHAR(6);\n"
          "DECLARE AMT NUMERIC(18,4);\n"
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
          "    S = CASE MOD(X / 11, 3) WHEN 0 THEN '00' WHEN 1 THEN '01' ELSE '02' END;\n"
          "    BA = IIF(S = '01', IIF(MOD(X / 13, 2) = 0, '10', '20'), '');\n"
          "    BB = IIF(S = '01' AND MOD(X / 17, 2) = 0, BA, '');\n"
          "    X = MOD(X * 1103515245 + 12345, 2147483648);\n"
          "    HA = IIF(A <= "
        + subs
        + ", LPAD(MOD(X / 3, 11), 2, '0'), '');\n"
          "    IF (HA = '00') THEN HA = '';\n"
          "    HB = IIF(B <= "
        + subs
        + ", LPAD(MOD(X / 5, 11), 2, '0'), '');\n"
          "    IF (HB = '00') THEN HB = '';\n"
          "    AMT = MOD(X, 1000000) + 1000;\n"
          "    INSERT INTO "
        + table
        + " (REC, DELFLG, TAISHAKU, HIZUKE, MNUM, SCODE, KCODE, HCODE, BCODE,\n"
          "        R_KCODE, R_HCODE, R_BCODE, KINGAKU, ZEIGAKU, TAXCODE, TEKTEXT)\n"
          "      VALUES (1000000 + :I, IIF(MOD(:I, 97) = 0, 2, 0), 1, DATE '"
        + std::to_string(year)
        + "-01-01' + MOD(:I, 365), :P, :S, 'M' || LPAD(:A, 3, '0'), :HA, :BA,\n"
          "        'M' || LPAD(:B, 3, '0'), :HB, :BB, :AMT, IIF(MOD(:I, 4) = 0, TRUNC(:AMT / 11), 0), 0, "
          "'generated');\n"
          "    I = I + 1;\n"
          "  END\n"
          "END";
}

} // namespace

void makeLargeMedicalCompany(const std::string& databaseName, const LargeMedicalOptions& o)
{
    if (o.accounts < 2 || o.subAccounts < 0 || o.journalLines < 0 || o.priorYearLines < 0)
        throw std::invalid_argument("makeLargeMedicalCompany: the counts must be positive (at least two accounts)");
    createDatabaseFromScripts(databaseName, defaultSqlDir(), "medical", o.user, o.password, false);

    fb::Database db;
    configureConnection(db, databaseName, o.user, o.password);
    db.connect();

    const int withSubs = (o.subAccounts + 9) / 10;
    const std::string accounts = "EXECUTE BLOCK AS\nDECLARE I INTEGER = 1;\nDECLARE G VARCHAR(4);\nDECLARE T INTEGER;\n"
                                 "DECLARE H INTEGER;\nDECLARE MADE INTEGER = 0;\nBEGIN\n  WHILE (I <= "
        + std::to_string(o.accounts) + ") DO BEGIN\n    G = " + caseOf("G") + ";\n    T = " + caseOf("T")
        + ";\n"
          "    INSERT INTO KAMOKUMST (KCODE, USERCODE, KNAME, KANA, GROUPM0, GROUPM1, GROUPM2, GROUPR1, GROUPR2, "
          "GROUPM3,\n"
          "        TAISHAKU, HOJOSW, BPFLG, EXT1_KS, EXT1_A4, EXT1_A3)\n"
          "      VALUES ('M' || LPAD(:I, 3, '0'), 'M' || LPAD(:I, 3, '0'), '科目' || :I, '', :G, :G, :G, :G, :G, :G, "
          ":T,\n"
          "        IIF(:I <= "
        + std::to_string(withSubs)
        + ", 1, 0), IIF(:G < '4000', 'B', 'P'), 1000 + :I, 1000 + :I,"
          " 1000 + :I);\n"
          "    INSERT INTO HOJOMST (KCODE, HCODE, USERCODE, HNAME) VALUES ('M' || LPAD(:I, 3, '0'), ' ', '', '科目' || "
          ":I);\n"
          "    H = 1;\n"
          "    WHILE (I <= "
        + std::to_string(withSubs) + " AND H <= 10 AND MADE < " + std::to_string(o.subAccounts)
        + ") DO BEGIN\n"
          "      INSERT INTO HOJOMST (KCODE, HCODE, USERCODE, HNAME)\n"
          "        VALUES ('M' || LPAD(:I, 3, '0'), LPAD(:H, 2, '0'), :H, '補助' || :I || '-' || :H);\n"
          "      H = H + 1; MADE = MADE + 1;\n"
          "    END\n"
          "    IF (G < '4000') THEN\n"
          "      INSERT INTO ZANDAKA (NENDO, SCODE, BCODE, KCODE, HCODE, KAISIZAN)\n"
          "        SELECT N.N, IIF(MOD(:I, 2) = 0, '01', '02'), '', 'M' || LPAD(:I, 3, '0'), '', 100000 * :I + N.N\n"
          "        FROM (SELECT 0 AS N FROM RDB$DATABASE UNION ALL SELECT 1 FROM RDB$DATABASE\n"
          "              UNION ALL SELECT 2 FROM RDB$DATABASE) N;\n"
          "    IF (MOD(I, 5) = 0) THEN\n"
          "      INSERT INTO YOSAN (SCODE, BCODE, KCODE, HCODE, YOSAN01, YOSAN02, YOSAN03, YOSAN201, YOSAN301)\n"
          "        VALUES ('01', '10', 'M' || LPAD(:I, 3, '0'), '', 1000 * :I, 1100 * :I, 1200 * :I, 900 * :I, 800 * "
          ":I);\n"
          "    I = I + 1;\n"
          "  END\n"
          "END";
    executeCommitted(db, accounts);
    executeCommitted(db, medicalJournal("SIWAKE", o.journalLines, o.accounts, withSubs, o.seed, 2024));
    executeCommitted(db, medicalJournal("KAKOSIWAKE1", o.priorYearLines, o.accounts, withSubs, o.seed + 1, 2023));
    executeCommitted(db, medicalJournal("KAKOSIWAKE2", o.priorYearLines, o.accounts, withSubs, o.seed + 2, 2022));
    db.disconnect();
}

} // namespace sample
