#pragma once
// A sample root whose data list holds mixed rows: the sample company (row
// 1) and rows 2 to 9 of other kinds, versions and statuses, each with its
// own folder, plus helpers to start the list as the wizard does.

#include "dataselect/z5DataSentakuModel.h"

#include "registry_fixture.h"

#include "core/DataInfomation.h"
#include "platform/ini_file.h"

#include <cstdio>
#include <filesystem>

class DataSelectionList : public registry_fixture::RegistryTest {
protected:
    void SetUp() override
    {
        RegistryTest::SetUp();
        // Row 1 is the sample company (kind 1, version 13). The others:
        dataRow(2, "医療法人 13", 3, 13, 0, 1);
        dataRow(3, "個人 13", 2, 13, 0, 1);
        dataRow(4, "法人 12", 1, 12, 9, 1);
        dataRow(5, "使用中", 1, 13, 0, 2);
        dataRow(6, "状態なし", 1, 13, 0, 0);
        dataRow(7, "破損", 1, 13, 0, 10);
        dataRow(8, "消えたデータ", 1, 13, 0, -1);
        dataRow(9, "更新禁止", 1, 12, 0, 1);
        sql({"UPDATE DATALIST SET UPDATE_LOCK=1 WHERE REC=9"});
        ini(9, "DATASTS", "UPDATE_LOCK", "1");
    }

    std::string folderOf(int rec)
    {
        char n[8];
        std::snprintf(n, sizeof n, "%.4d", rec);
        return SysDef.SysDir + "/" + n;
    }

    // A named row with its folder: status -1 leaves the folder without a
    // database.
    void dataRow(int rec, const std::string& name, int kind, int major, int minor, int status)
    {
        const std::string folder = folderOf(rec);
        std::filesystem::create_directories(folder);
        if (status >= 0) {
            std::filesystem::copy_file(
                company.database, folder + "/tnacc.fdb", std::filesystem::copy_options::overwrite_existing);
            std::filesystem::copy_file(
                company.iniFile, folder + "/tnacc.ini", std::filesystem::copy_options::overwrite_existing);
            ini(rec, "DATASTS", "STATUS", std::to_string(status));
            if (status == 2) {
                ini(rec, "DATASTS", "OPCODE", std::to_string(SysDef.GroupID * 10000 + 4));
                ini(rec, "DATASTS", "OPERATOR", "鈴木");
            }
        }
        sql({"UPDATE DATALIST SET ENTTEXT=:P0, SHOUGOU=:P0, PASNAME=:P1, DATATYPE=" + std::to_string(kind)
                + ", CODETYPE=1, VER_MAJOR=" + std::to_string(major) + ", VER_MINOR1=" + std::to_string(minor)
                + ", VER_MINOR2=0, NENDO=3, KISHU='2024-04-01', KIMATU='2025-03-31' WHERE REC=" + std::to_string(rec)},
            {name, folder});
    }

    void ini(int rec, const char* section, const char* key, const std::string& value)
    {
        platform::IniFile(TDataInfomation::IniPath(folderOf(rec))).writeString(section, key, value);
    }

    // The model as the wizard starts the screen.
    void startAsWizard(TDataSentakuModel& model)
    {
        TDataKensakuRec initial;
        initial.OpCode = SysDef.OpCode;
        TDataSentakuParams params;
        ParseDataSentakuParams("SyoriType=3\rJyokenSet=1\rDataType=-13\rCodeType=0\rDataVerMajor=13", initial, params);
        model.SyoriType = params.SyoriType;
        model.Filter = params.Condition;
        model.FilterActive = params.JyokenSet;
    }

    std::vector<int> listed(const TDataSentakuModel& m)
    {
        std::vector<int> r;
        for (std::size_t i = 0; i < m.Grid.size(); ++i)
            r.push_back(m.Record(static_cast<std::int32_t>(i)).REC);
        return r;
    }
};
