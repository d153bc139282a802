// The database layer against the embedded engine: connections, texts in
// code page 932, named parameters, typed fields, transactions, blobs.

#include "platform/codec.h"
#include "platform/firebird/firebird.h"
#include "support/sample_root.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fb = platform::firebird;
using namespace std::chrono;

namespace {

const char* const kSchema[] = {
    "CREATE TABLE KAISHA (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(60), KANA VARCHAR(40), "
    "CODE CHAR(6), KINGAKU NUMERIC(18,4), RATE NUMERIC(5,2), BIG NUMERIC(18,6), RATIO DOUBLE PRECISION, "
    "SMALLV SMALLINT, HIZUKE DATE, STAMP TIMESTAMP, MEMO BLOB SUB_TYPE TEXT, PIC BLOB SUB_TYPE BINARY)",
    "CREATE PROCEDURE LIST_KAISHA (MIN_ID INTEGER, SUFFIX VARCHAR(10)) RETURNS (ID INTEGER, LABEL VARCHAR(80)) AS "
    "BEGIN FOR SELECT ID, NAME || :SUFFIX FROM KAISHA WHERE ID >= :MIN_ID ORDER BY ID INTO :ID, :LABEL DO SUSPEND; END",
    "CREATE PROCEDURE DOUBLE_IT (X INTEGER) RETURNS (Y INTEGER) AS BEGIN Y = X * 2; END",
};

class FirebirdDatabase : public ::testing::Test {
protected:
    void SetUp() override
    {
        path_ = folder_.file("test.fdb");
        db_.setDatabaseName(path_);
        db_.addParam("user_name=TOLVAN");
        db_.addParam("password=vulmok");
        db_.addParam("lc_ctype=SJIS_0208");
        db_.createDatabase();
        for (const char* ddl : kSchema)
            db_.executeImmediate(ddl);
        tr_.addParam("read_committed");
        tr_.addParam("rec_version");
        tr_.addParam("nowait");
        db_.setDefaultTransaction(&tr_);
    }

    void insert(int id, const std::string& name)
    {
        fb::Query q(&db_);
        q.sql().add("INSERT INTO KAISHA (ID, NAME)");
        q.sql().add("VALUES (:ID, :NAME)");
        q.paramByName("ID").setInteger(id);
        q.paramByName("NAME").setString(name);
        q.execSQL();
    }

    int countRows()
    {
        fb::Query q(&db_);
        q.sql().add("SELECT COUNT(*) AS CNT FROM KAISHA");
        const bool own = !tr_.inTransaction();
        if (own)
            tr_.startTransaction();
        q.open();
        const int n = q.fieldByName("CNT").asInteger();
        q.close();
        if (own)
            tr_.commit();
        return n;
    }

    test_support::TempFolder folder_ {"fb-db"};
    std::string path_;
    fb::Database db_;
    fb::Transaction tr_ {&db_};
};

TEST_F(FirebirdDatabase, JapaneseTextsComeBackExactlyAfterReconnect)
{
    const std::vector<std::string> texts = {
        "株式会社テスト㈱", // ㈱ is an NEC extension
        "①第一営業部②", // circled digits
        "ｶﾌﾞｼｷｶﾞｲｼｬ ﾃﾞｰﾀ", // half-width katakana incl. voiced marks
        "髙橋商店", // IBM extension
        "ＡＢ－～ｱ\\~", // full-width minus/tilde, yen-sign byte, tilde
        "",
    };
    tr_.startTransaction();
    for (std::size_t i = 0; i < texts.size(); ++i)
        insert(static_cast<int>(i + 1), texts[i]);
    tr_.commit();
    db_.disconnect();

    db_.connect();
    tr_.startTransaction();
    fb::Query q(&db_);
    q.sql().add("SELECT ID, NAME, OCTET_LENGTH(NAME) AS BYTES FROM KAISHA ORDER BY ID");
    q.open();
    fb::Field& name = q.fieldByName("name");
    fb::Field& bytes = q.fieldByName("BYTES");
    for (const auto& expected : texts) {
        ASSERT_FALSE(q.eof());
        EXPECT_EQ(name.asString(), expected);
        EXPECT_EQ(static_cast<std::size_t>(bytes.asInteger()), platform::codec::sjisWidth(expected)) << expected;
        q.next();
    }
    EXPECT_TRUE(q.eof());
    tr_.commit();
}

TEST_F(FirebirdDatabase, TextOutsideCodePage932IsRefusedBeforeReachingTheDatabase)
{
    tr_.startTransaction();
    fb::Query q(&db_);
    q.sql().add("INSERT INTO KAISHA (ID, NAME) VALUES (1, :NAME)");
    EXPECT_THROW(q.paramByName("NAME").setString("café €"), fb::EIBError);
    tr_.rollback();
}

TEST_F(FirebirdDatabase, NamedParameterUsedTwiceTakesOneValue)
{
    tr_.startTransaction();
    insert(1, "甲");
    insert(2, "乙");
    insert(3, "丙");
    fb::Query q(&db_);
    q.sql().add("SELECT COUNT(*) AS CNT FROM KAISHA");
    q.sql().add("WHERE (ID = :K) OR (ID = :K + 1) OR (NAME = :NAME)");
    EXPECT_EQ(q.paramCount(), 2u);
    q.paramByName("k").setInteger(1);
    q.paramByName("NAME").setString("丙");
    q.open();
    EXPECT_EQ(q.fieldByName("CNT").asInteger(), 3);
    q.close();
    // Values stay set between executions; one changed parameter re-runs.
    q.paramByName("K").setInteger(2);
    q.open();
    EXPECT_EQ(q.fieldByName("CNT").asInteger(), 2);
    tr_.commit();
}

TEST_F(FirebirdDatabase, TypedValuesRoundTrip)
{
    tr_.startTransaction();
    fb::Query ins(&db_);
    ins.sql().add("INSERT INTO KAISHA (ID, CODE, KINGAKU, RATE, BIG, RATIO, SMALLV, HIZUKE, STAMP)");
    ins.sql().add("VALUES (:ID, :CODE, :KINGAKU, :RATE, :BIG, :RATIO, :SMALLV, :HIZUKE, :STAMP)");
    ins.paramByName("ID").setInteger(1);
    ins.paramByName("CODE").setString("AB");
    ins.paramByName("KINGAKU").setCurrency(-1234567891234); // -123,456,789.1234
    ins.paramByName("RATE").setString("8.5"); // the engine converts text
    ins.paramByName("BIG").setCurrency(15); // 0.0015
    ins.paramByName("RATIO").setDouble(0.25);
    ins.paramByName("SMALLV").setInt64(-7);
    ins.paramByName("HIZUKE").setDate(2024y / February / 29);
    ins.paramByName("STAMP").setTimestamp(local_days {2019y / May / 1} + 13h + 5min + 9s + 250ms);
    ins.execSQL();
    EXPECT_EQ(ins.rowsAffected(), 1);
    ins.paramByName("ID").setInteger(2);
    for (const char* n : {"CODE", "KINGAKU", "RATE", "BIG", "RATIO", "SMALLV", "HIZUKE", "STAMP"})
        ins.paramByName(n).clear();
    ins.execSQL();

    fb::Query q(&db_);
    q.sql().add("SELECT * FROM KAISHA ORDER BY ID");
    q.open();
    EXPECT_EQ(q.fieldByName("CODE").asString(), "AB"); // CHAR without its padding
    EXPECT_EQ(q.fieldByName("KINGAKU").asCurrency(), -1234567891234);
    EXPECT_EQ(q.fieldByName("KINGAKU").asString(), "-123456789.1234");
    EXPECT_EQ(q.fieldByName("RATE").asCurrency(), 85000);
    EXPECT_EQ(q.fieldByName("RATE").asString(), "8.50");
    EXPECT_EQ(q.fieldByName("BIG").asCurrency(), 15);
    EXPECT_DOUBLE_EQ(q.fieldByName("RATIO").asDouble(), 0.25);
    EXPECT_EQ(q.fieldByName("RATIO").asCurrency(), 2500);
    EXPECT_EQ(q.fieldByName("SMALLV").asInteger(), -7);
    EXPECT_EQ(q.fieldByName("SMALLV").asCurrency(), -70000);
    EXPECT_EQ(q.fieldByName("HIZUKE").asDate(), 2024y / February / 29);
    EXPECT_EQ(q.fieldByName("HIZUKE").asString(), "2024/02/29");
    EXPECT_EQ(q.fieldByName("STAMP").asTimestamp(), local_days {2019y / May / 1} + 13h + 5min + 9s + 250ms);
    EXPECT_EQ(q.fieldByName("STAMP").asString(), "2019/05/01 13:05:09");
    EXPECT_EQ(q.fieldByName("STAMP").asDate(), 2019y / May / 1);
    EXPECT_FALSE(q.fieldByName("KINGAKU").isNull());
    q.next();
    ASSERT_FALSE(q.eof());
    for (const char* n : {"CODE", "KINGAKU", "HIZUKE", "STAMP", "MEMO"}) {
        EXPECT_TRUE(q.fieldByName(n).isNull()) << n;
        EXPECT_EQ(q.fieldByName(n).asString(), "") << n;
    }
    EXPECT_EQ(q.fieldByName("KINGAKU").asCurrency(), 0);
    EXPECT_FALSE(q.fieldByName("HIZUKE").asDate().ok());
    q.next();
    EXPECT_TRUE(q.eof());
    tr_.commit();
}

TEST_F(FirebirdDatabase, CurrencyFromEveryScaleRoundsHalfAwayFromZero)
{
    tr_.startTransaction();
    fb::Query q(&db_);
    q.sql().add("SELECT CAST(1.23456 AS NUMERIC(18,5)) AS A, CAST(-1.23455 AS NUMERIC(18,5)) AS B,");
    q.sql().add("CAST(12 AS INTEGER) AS C, CAST(3.5 AS NUMERIC(9,1)) AS D, CAST('1,234.5' AS VARCHAR(10)) AS E");
    q.sql().add("FROM RDB$DATABASE");
    q.open();
    EXPECT_EQ(q.fieldByName("A").asCurrency(), 12346);
    EXPECT_EQ(q.fieldByName("B").asCurrency(), -12346);
    EXPECT_EQ(q.fieldByName("C").asCurrency(), 120000);
    EXPECT_EQ(q.fieldByName("D").asCurrency(), 35000);
    EXPECT_EQ(q.fieldByName("E").asCurrency(), 12345000);
    EXPECT_EQ(q.fieldByName("D").asInteger(), 4);
    tr_.commit();
}

TEST_F(FirebirdDatabase, EngineErrorSurfacesAsEIBErrorWithItsCodes)
{
    tr_.startTransaction();
    insert(1, "A");
    try {
        insert(1, "B");
        FAIL() << "duplicate key accepted";
    } catch (const fb::EIBError& e) {
        EXPECT_EQ(e.iscErrorCode(), 335544665); // unique key violation
        EXPECT_EQ(e.sqlCode(), -803);
        EXPECT_NE(e.message().find("KAISHA"), std::string::npos) << e.message();
        EXPECT_NE(std::string(e.what()).find("INSERT INTO KAISHA"), std::string::npos) << e.what();
    }
    tr_.rollback();

    fb::Database missing;
    missing.setDatabaseName(folder_.file("nothere.fdb"));
    missing.addParam("user_name=TOLVAN");
    try {
        missing.connect();
        FAIL() << "missing file opened";
    } catch (const fb::EIBError& e) {
        EXPECT_EQ(e.iscErrorCode(), 335544344); // I/O error: missing rather than damaged
        EXPECT_EQ(e.sqlCode(), -902);
    }
}

TEST_F(FirebirdDatabase, MisuseIsReportedNotIgnored)
{
    fb::Query q(&db_);
    q.sql().add("SELECT ID FROM KAISHA WHERE ID = :ID");
    EXPECT_THROW(q.open(), fb::EIBError); // no active transaction
    tr_.startTransaction();
    EXPECT_THROW(q.paramByName("NOPE"), fb::EIBError);
    EXPECT_THROW(q.fieldByName("NOPE"), fb::EIBError);
    EXPECT_EQ(q.fieldIndex("NOPE"), -1);
    EXPECT_THROW(tr_.startTransaction(), fb::EIBError);
    tr_.commit();
    EXPECT_THROW(tr_.commit(), fb::EIBError);
    fb::Transaction bad(&db_);
    bad.addParam("read_consistency");
    EXPECT_THROW(bad.startTransaction(), fb::EIBError);
}

TEST_F(FirebirdDatabase, RollbackLeavesDataUnchanged)
{
    tr_.startTransaction();
    insert(1, "残る");
    tr_.commit();

    tr_.startTransaction();
    insert(2, "消える");
    fb::Query upd(&db_);
    upd.sql().add("UPDATE KAISHA SET NAME = :NAME WHERE ID = 1");
    upd.paramByName("NAME").setString("変更");
    upd.execSQL();
    tr_.rollback();

    tr_.startTransaction();
    fb::Query q(&db_);
    q.sql().add("SELECT ID, NAME FROM KAISHA");
    q.open();
    ASSERT_FALSE(q.eof());
    EXPECT_EQ(q.fieldByName("NAME").asString(), "残る");
    q.next();
    EXPECT_TRUE(q.eof());
    tr_.commit();

    // Disconnecting with a transaction still open does not commit its work.
    tr_.startTransaction();
    insert(3, "未確定");
    db_.disconnect();
    EXPECT_FALSE(tr_.inTransaction());
    db_.connect();
    EXPECT_EQ(countRows(), 1);
}

TEST_F(FirebirdDatabase, CommitClosesOpenCursorsAndStatementsStayPrepared)
{
    tr_.startTransaction();
    insert(1, "A");
    insert(2, "B");
    fb::Query q(&db_);
    q.sql().add("SELECT NAME FROM KAISHA ORDER BY ID");
    q.open();
    EXPECT_TRUE(q.active());
    tr_.commit();
    EXPECT_FALSE(q.active());
    EXPECT_TRUE(q.prepared());
    tr_.startTransaction();
    q.open();
    EXPECT_EQ(q.fieldByName("NAME").asString(), "A");
    // A new text re-prepares; the old parameters are gone.
    q.sql().clear();
    q.sql().add("SELECT NAME FROM KAISHA WHERE ID = :ID");
    q.paramByName("ID").setInteger(2);
    q.open();
    EXPECT_EQ(q.fieldByName("NAME").asString(), "B");
    tr_.commit();
}

TEST_F(FirebirdDatabase, StoredProceduresSelectableAndExecutable)
{
    tr_.startTransaction();
    insert(1, "一");
    insert(2, "二");
    insert(3, "三");
    fb::Query q(&db_);
    q.sql().add("SELECT ID, LABEL FROM LIST_KAISHA(:MIN_ID, :SUFFIX)");
    q.paramByName("MIN_ID").setInteger(2);
    q.paramByName("SUFFIX").setString("㈱");
    q.open();
    std::vector<std::string> labels;
    for (; !q.eof(); q.next())
        labels.push_back(q.fieldByName("LABEL").asString());
    EXPECT_EQ(labels, (std::vector<std::string> {"二㈱", "三㈱"}));

    fb::Query e(&db_);
    e.sql().add("EXECUTE PROCEDURE DOUBLE_IT(:X)");
    e.paramByName("X").setInteger(21);
    e.execQuery();
    ASSERT_FALSE(e.eof());
    EXPECT_EQ(e.fieldByName("Y").asInteger(), 42);
    e.next();
    EXPECT_TRUE(e.eof());
    tr_.commit();
}

TEST_F(FirebirdDatabase, BlobsFromAndToFilesAndTexts)
{
    std::string binary;
    for (int i = 0; i < 100000; ++i)
        binary.push_back(static_cast<char>(i * 7 % 256)); // larger than one segment, every byte value
    const std::string source = folder_.file("in.bin");
    std::ofstream(source, std::ios::binary).write(binary.data(), static_cast<std::streamsize>(binary.size()));
    const std::string memo = "一行目㈱\r\n二行目ｶﾅ①\r\n";

    tr_.startTransaction();
    fb::Query ins(&db_);
    ins.sql().add("INSERT INTO KAISHA (ID, MEMO, PIC) VALUES (1, :MEMO, :PIC)");
    ins.paramByName("MEMO").setString(memo);
    ins.paramByName("PIC").loadFromFile(source);
    ins.execSQL();
    tr_.commit();

    tr_.startTransaction();
    fb::Query q(&db_);
    q.sql().add("SELECT MEMO, PIC FROM KAISHA WHERE ID = 1");
    q.open();
    EXPECT_EQ(q.fieldByName("MEMO").asString(), memo);
    EXPECT_EQ(q.fieldByName("MEMO").asBytes(), platform::codec::toSjis(memo));
    const std::string target = folder_.file("out.bin");
    q.fieldByName("PIC").saveToFile(target);
    tr_.commit();
    std::ifstream in(target, std::ios::binary);
    const std::string back((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(back, binary);
    EXPECT_THROW(ins.paramByName("PIC").loadFromFile(folder_.file("missing.bin")), fb::EIBError);
}

TEST_F(FirebirdDatabase, DropDatabaseRemovesTheFile)
{
    ASSERT_TRUE(std::filesystem::exists(path_));
    db_.dropDatabase();
    EXPECT_FALSE(db_.connected());
    EXPECT_FALSE(std::filesystem::exists(path_));
}

} // namespace
