#pragma once
// A fresh sample data root per test (system database with the 120 fixed
// data-list rows and one general company in data folder 0001), the data
// module connected to its system database, MIRUZA_HOME pointing at the
// root, and a few helpers to set up and inspect data-list rows directly.

#include "dataselect/z5ComDataSentaku.h"

#include "core/AppInfo.h"
#include "core/DataModule.h"
#include "platform/firebird/firebird.h"
#include "support/sample_root.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace registry_fixture {

namespace fb = platform::firebird;

// A connection of its own to a database file of the root.
inline void connectTo(fb::Database& db, const std::string& path)
{
    db.setDatabaseName(path);
    db.addParam("user_name=SYSDBA");
    db.addParam("lc_ctype=SJIS_0208");
    db.connect();
}

// The first column of the first row of a select, as text ("<none>" when no
// row comes back).
inline std::string scalarOf(const std::string& database, const std::string& select)
{
    fb::Database db;
    connectTo(db, database);
    fb::Transaction t(&db);
    t.startTransaction();
    fb::Query q(&db, &t);
    q.sql().add(select);
    q.open();
    const std::string v = q.eof() ? "<none>" : q.field(0).asString();
    q.close();
    t.commit();
    return v;
}

inline void execOn(const std::string& database, const std::string& statement)
{
    fb::Database db;
    connectTo(db, database);
    db.executeImmediate(statement);
    db.disconnect();
}

inline sample::SampleOptions rootOptions()
{
    sample::SampleOptions o;
    o.withMedical = false;
    o.withFileManager = false;
    return o;
}

class RegistryTest : public ::testing::Test {
protected:
    RegistryTest()
        : root(rootOptions())
        , home("MIRUZA_HOME", root.folder())
    {
    }

    void SetUp() override
    {
        ResetProcessState();
        const auto& info = root.info();
        SysDef.SysDir = info.sysDir;
        SysDef.LogDir = info.logDir;
        SysDef.WorkDir = info.tempDir;
        SysDef.DBUser = "TOLVAN";
        SysDef.GroupID = info.groupId;
        SysDef.OpCode = info.groupId + info.operatorCode;
        SysDef.OpName = info.operatorName;
        SysDef.SysVerMajor = 12;
        AppInfo.Varov.DataListCnt = 120;
        company = info.companies.front();
        SysDef.DataDir = company.folder;
        dm = std::make_unique<core::TDM>();
        core::DM = dm.get();
        ASSERT_TRUE(dm->fnAccDefConnected({}, 1));
    }
    void TearDown() override
    {
        dm.reset();
        ResetProcessState();
    }

    // Runs statements on the system database through a connection of its own.
    void sql(const std::vector<std::string>& statements, const std::vector<std::string>& params = {})
    {
        fb::Database db;
        connectTo(db, root.info().systemDatabase);
        fb::Transaction t(&db);
        t.startTransaction();
        for (const auto& s : statements) {
            fb::Query q(&db, &t);
            q.sql().add(s);
            for (std::size_t i = 0; i < params.size(); ++i)
                if (s.find(":P" + std::to_string(i)) != std::string::npos)
                    q.paramByName("P" + std::to_string(i)).setString(params[i]);
            q.execSQL();
        }
        t.commit();
    }

    // One column of one row, as text; nullopt when there is no such row.
    std::optional<std::string> value(const std::string& table, const std::string& column, const std::string& where)
    {
        const std::string v
            = scalarOf(root.info().systemDatabase, "SELECT " + column + " FROM " + table + " WHERE " + where);
        if (v == "<none>")
            return std::nullopt;
        return v;
    }

    // Names row rec of the data list.
    void name(int rec, const std::string& entText, int nendo, const std::string& kishu, const std::string& code = "",
        int major = 13)
    {
        sql({"UPDATE DATALIST SET ENTTEXT=:P0, SHOUGOU=:P0, NENDO=" + std::to_string(nendo) + ", KISHU='" + kishu
                + "', DATACODE=:P1, VER_MAJOR=" + std::to_string(major) + " WHERE REC=" + std::to_string(rec)},
            {entText, code});
    }

    test_support::SampleRoot root;
    test_support::ScopedEnv home;
    sample::SampleCompany company;
    std::unique_ptr<core::TDM> dm;
};

inline std::vector<int> recs(const TDataSentakuListCtl& ctl, std::size_t n)
{
    std::vector<int> r;
    for (std::size_t i = 0; i < n && i < ctl.Rows.size(); ++i)
        r.push_back(ctl.Rows[i].Data.REC);
    return r;
}

} // namespace registry_fixture
