#pragma once
// A fresh sample data root with the data module connected to its system
// database, SysDef filled as after the sample operator's login, and the
// sample company's folder as the selected data folder.

#include "core/DataModule.h"
#include "core/EasyEncode.h"
#include "core/uAccRecord.h"
#include "platform/firebird/firebird.h"
#include "support/sample_root.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace dataset_fixture {

namespace fb = platform::firebird;

class Root {
public:
    Root()
    {
        ResetProcessState();
        root = std::make_unique<test_support::SampleRoot>();
        const auto& info = root->info();
        SysDef.SysDir = info.sysDir;
        SysDef.WorkDir = info.tempDir;
        SysDef.LogDir = info.logDir;
        SysDef.ParentDir = info.dataRoot;
        SysDef.DBUser = "TOLVAN";
        SysDef.DBPassword = "vulmok";
        SysDef.GroupID = info.groupId;
        SysDef.LoginCode = info.operatorCode;
        SysDef.OpCode = info.groupId * 10000 + info.operatorCode;
        SysDef.OpName = info.operatorName;
        SysDef.PCName = "TESTPC";
        SysDef.SerialNo = "S-0001";
        company = info.companies.at(0).folder;
        companyDb = info.companies.at(0).database;
        SysDef.DataDir = company;
        dm = std::make_unique<core::TDM>();
        core::DM = dm.get();
        if (!dm->fnAccDefConnected())
            throw std::runtime_error("the sample system database does not open");
    }
    ~Root()
    {
        dm.reset();
        ResetProcessState();
    }

    // Runs one statement on a database file outside the data module.
    static void exec(const std::string& path, const std::string& sql)
    {
        fb::Database db;
        db.setDatabaseName(path);
        db.addParam("user_name=TOLVAN");
        db.addParam("password=vulmok");
        db.addParam("lc_ctype=SJIS_0208");
        db.connect();
        db.executeImmediate(sql);
        db.disconnect();
    }
    // First column of the first row as text ("" when no row).
    static std::string scalar(const std::string& path, const std::string& sql)
    {
        fb::Database db;
        db.setDatabaseName(path);
        db.addParam("user_name=TOLVAN");
        db.addParam("password=vulmok");
        db.addParam("lc_ctype=SJIS_0208");
        db.connect();
        std::string out;
        {
            fb::Transaction tr(&db);
            tr.startTransaction();
            fb::Query q(&db, &tr);
            q.sql().add(sql);
            q.open();
            if (!q.eof())
                out = q.field(0).asString();
            q.close();
            tr.commit();
        }
        db.disconnect();
        return out;
    }
    std::string systemDb() const { return root->info().systemDatabase; }

    std::unique_ptr<test_support::SampleRoot> root;
    std::string company;
    std::string companyDb;
    std::unique_ptr<core::TDM> dm;
};

// Scrambles plain as the program keeps the data password and stores it in
// the company database the data module has open.
inline void setDataPassword(const std::string& plain)
{
    core::TEasyEncodeInfo info;
    core::InitEasyEncodeInfo(info);
    info.KeyWord = core::kDataPasswordKey;
    info.PadLength = core::kDataPasswordLength;
    info.TextLength = core::kDataPasswordLength;
    info.PlainText = plain;
    ASSERT_TRUE(core::EasyEncode(info));
    fb::Transaction tr(&core::DM->IBDatabaseDAT);
    tr.addParam("write");
    tr.addParam("read_committed");
    tr.startTransaction();
    fb::Query q(&core::DM->IBDatabaseDAT, &tr);
    q.sql().add("UPDATE OR INSERT INTO ACCREG (AGROUP, ACODE, ATYPE, ATEXT) VALUES ('基本設定', :C, '文字', :V)");
    q.paramByName("C").setString("データパスワードV2");
    q.paramByName("V").setString(info.EncodeText);
    q.execSQL();
    tr.commit();
}

} // namespace dataset_fixture
