#include "dataselect/z5DataPlaceMan.h"

#include "core/DbOperation.h"

#include "core/AppInfo.h"
#include "core/DataModule.h"
#include "core/InputDlgService.h"
#include "core/MessageService.h"
#include "core/TextRoutines.h"
#include "platform/codec.h"
#include "platform/firebird/firebird.h"

#include <cstdio>
#include <stdexcept>

using namespace core;
namespace fb = platform::firebird;

namespace {

TDM& dm()
{
    if (DM == nullptr)
        throw std::logic_error("TDataPlaceBox: no data module");
    return *DM;
}

void box(std::uint8_t kind, std::initializer_list<std::string> lines, std::uint16_t buttons = msgbtn::OK,
    int* result = nullptr)
{
    TMessage2InfoRec m;
    InitMessage2Info(kind, m);
    m.buttons = buttons;
    std::size_t i = 0;
    for (const auto& l : lines)
        m.lines[i++].text = l;
    const int r = ShowMessage2(m);
    if (result)
        *result = r;
}

// Asks for a place name; empty when cancelled.
bool askName(const char* caption, const char* prompt, const char* help, std::string& name)
{
    TInputDlgRequest r;
    r.caption = caption;
    r.prompt = prompt;
    r.text = name;
    r.help = help;
    r.maxLength = 20;
    r.imeMode = 1;
    if (ShowInputDlg(r) != modal::Ok)
        return false;
    name = TrimZenkaku(r.text);
    if (name.empty()) {
        box(msgkind::Information, {"名称が入力されていません。"});
        return false;
    }
    return true;
}

} // namespace

bool TDataPlaceMan::LoadDataPlaces(bool namedOnly)
{
    List.clear();
    TDM& d = dm();
    // A list that cannot be read is empty; its caller says so.
    const bool read
        = RunDbOperation(d.IBTransactionDEF, DbPolicy("TDataPlaceMan.LoadDataPlaces").with(DbReport::Quiet), [&] {
              fb::Query q(&d.IBDatabaseDEF, &d.IBTransactionDEF);
              q.sql().add("SELECT COUNT(REC) AS RECCNT FROM DATAPLACEMAN");
              q.open();
              const int count = q.field(0).asInteger();
              q.close();
              if (count == 0) {
                  q.sql().clear();
                  q.sql().add("INSERT INTO DATAPLACEMAN(REC,ORDERKBN,NAME,PATH)");
                  q.sql().add("VALUES(:REC,:ORDERKBN,:NAME,:PATH)");
                  for (int rec = 0; rec < 100; ++rec) {
                      char suffix[8];
                      std::snprintf(suffix, sizeof suffix, "%.2d", rec);
                      q.paramByName("REC").setInteger(rec);
                      q.paramByName("ORDERKBN").setInteger(rec + 1);
                      q.paramByName("NAME").setString(rec != 0                  ? std::string()
                              : platform::codec::sjisWidth(SysDef.SysDir) <= 40 ? SysDef.SysDir
                                                                                : "標準の場所");
                      q.paramByName("PATH").setString(rec == 0 ? SysDef.SysDir : SysDef.SysDir + suffix);
                      q.execSQL();
                  }
              }
              q.sql().clear();
              q.sql().add("SELECT REC,ORDERKBN,NAME,PATH FROM DATAPLACEMAN");
              if (namedOnly)
                  q.sql().add("WHERE NAME<>''");
              q.sql().add("ORDER BY ORDERKBN,REC");
              for (q.open(); !q.eof(); q.next()) {
                  TDataPlaceRec r;
                  r.REC = q.fieldByName("REC").asInteger();
                  r.ORDERKBN = q.fieldByName("ORDERKBN").asInteger();
                  r.NAME = q.fieldByName("NAME").asString();
                  r.PATH = q.fieldByName("PATH").asString();
                  List.push_back(std::move(r));
              }
              q.close();
          });
    if (!read)
        List.clear();
    return read;
}

void TDataPlaceMan::SaveDataPlaces()
{
    TDM& d = dm();
    RunDbOperation(d.IBTransactionDEF, DbPolicy("TDataPlaceMan.SaveDataPlaces").with(DbReport::Raise), [&] {
        fb::Query q(&d.IBDatabaseDEF, &d.IBTransactionDEF);
        for (const auto& e : List) {
            if (e.State <= 0)
                continue;
            q.close();
            q.sql().clear();
            q.sql().add("UPDATE DATAPLACEMAN SET ORDERKBN=:ORDERKBN,NAME=:NAME");
            q.sql().add("WHERE REC=:REC");
            q.paramByName("ORDERKBN").setInteger(e.ORDERKBN);
            q.paramByName("NAME").setString(e.NAME);
            q.paramByName("REC").setInteger(e.REC);
            q.execSQL();
            if (e.State == 1) {
                q.sql().clear();
                q.sql().add("SELECT REC FROM SP_DATALIST_INSERT(:REC,:PATH,:MAXCNT)");
                q.paramByName("REC").setInteger(e.REC);
                q.paramByName("PATH").setString(e.PATH);
                q.paramByName("MAXCNT").setInteger(AppInfo.Varov.DataListCnt);
                for (q.open(); !q.eof(); q.next()) { }
                q.close();
            } else if (e.State == 9) {
                q.sql().clear();
                q.sql().add("DELETE FROM DATALIST_EX");
                q.sql().add("WHERE DATAPLACEREC=:REC");
                q.paramByName("REC").setInteger(e.REC);
                q.execSQL();
            }
        }
        q.close();
    });
    for (auto& e : List)
        e.State = 0;
}

std::string TDataPlaceMan::GetPlaceNames()
{
    LoadDataPlaces(true);
    std::string names;
    for (const auto& e : List)
        names += e.NAME + "\r";
    return names;
}

std::int32_t TDataPlaceMan::GetPlaceRec(std::int32_t position) const
{
    return position >= 0 && static_cast<std::size_t>(position) < List.size()
        ? List[static_cast<std::size_t>(position)].REC
        : -1;
}

std::string TDataPlaceMan::GetPlacePath(std::int32_t position) const
{
    return position >= 0 && static_cast<std::size_t>(position) < List.size()
        ? List[static_cast<std::size_t>(position)].PATH
        : std::string();
}

std::int32_t TDataPlaceMan::FindPlaceIndex(std::int32_t rec) const
{
    for (std::size_t i = 0; i < List.size(); ++i)
        if (List[i].REC == rec)
            return static_cast<std::int32_t>(i);
    return -1;
}

std::string TDataPlaceMan::GetPlacePathByRec(std::int32_t rec) const
{
    return GetPlacePath(FindPlaceIndex(rec));
}

bool TDataPlaceMan::HasDataInPlace(std::int32_t rec)
{
    try {
        TDM& d = dm();
        std::vector<std::string> folders;
        RunDbOperation(d.IBTransactionDEF, DbPolicy("TDataPlaceMan.HasDataInPlace").with(DbReport::Raise), [&] {
            fb::Query q(&d.IBDatabaseDEF, &d.IBTransactionDEF);
            q.sql().add("SELECT PASNAME FROM DATALIST_EX");
            q.sql().add("WHERE (DATAPLACEREC=:REC)");
            q.sql().add("ORDER BY REC");
            q.paramByName("REC").setInteger(rec);
            for (q.open(); !q.eof(); q.next())
                folders.push_back(q.field(0).asString());
            q.close();
        });
        for (const auto& f : folders)
            if (!f.empty() && d.DExist(f, ConnectMode))
                return true;
        return false;
    } catch (const std::exception&) {
        return true;
    }
}

TDataPlaceMan::Keys TDataPlaceMan::UpdatePlaceKeys(std::int32_t row) const
{
    Keys k;
    if (row < 0 || static_cast<std::size_t>(row) >= List.size())
        return k;
    const auto& e = List[static_cast<std::size_t>(row)];
    if (e.REC != 0)
        k.F5 = "F5:削除";
    if (!e.NAME.empty()) {
        k.F3 = "F3:名称変更";
    } else {
        k.F2 = "F2:新規作成";
        k.F5 = "F5:";
    }
    k.UpEnabled = row > 0;
    k.DownEnabled = static_cast<std::size_t>(row) + 1 < List.size();
    return k;
}

bool TDataPlaceMan::NewPlace(std::int32_t row)
{
    if (UpdatePlaceKeys(row).F2 == "F2:")
        return false;
    auto& e = List[static_cast<std::size_t>(row)];
    std::string name;
    if (!askName("新規作成", "新しく作成するデータ管理フォルダの名称を入力して下さい。",
            "新しく作成するデータ管理フォルダの名称を入力します。", name))
        return false;
    TDM& d = dm();
    if (d.DExist(e.PATH, ConnectMode)) {
        box(msgkind::Information, {"既にデータサーバーにフォルダが作成されています。"});
    } else if (!d.MkDir(e.PATH, ConnectMode)) {
        box(msgkind::Information, {"データサーバーへフォルダの作成に失敗しました。"});
        return false;
    }
    return storeEntry(e, name, 1);
}

bool TDataPlaceMan::RenamePlace(std::int32_t row)
{
    if (UpdatePlaceKeys(row).F3 == "F3:")
        return false;
    auto& e = List[static_cast<std::size_t>(row)];
    std::string name = e.NAME;
    if (!askName("名称の変更", "データ管理フォルダの名称を入力して下さい。",
            "データ管理フォルダの管理名称を変更します。", name))
        return false;
    return storeEntry(e, name, 2);
}

bool TDataPlaceMan::DeletePlace(std::int32_t row)
{
    if (UpdatePlaceKeys(row).F5 == "F5:")
        return false;
    auto& e = List[static_cast<std::size_t>(row)];
    if (HasDataInPlace(e.REC)) {
        box(msgkind::Information,
            {"このフォルダ配下には会計データが存在しているため削除することが出来ません。",
                "どうしても削除を行いたい場合は、配下の会計データをすべて削除してから処理して下さい。"});
        return false;
    }
    int answer = 0;
    box(msgkind::Confirmation, {"[" + e.NAME + "]を削除します。よろしいですか？"}, msgbtn::OK | msgbtn::Cancel,
        &answer);
    if (answer != modal::Ok)
        return false;
    return storeEntry(e, {}, 9);
}

bool TDataPlaceMan::storeEntry(TDataPlaceRec& entry, const std::string& name, std::int32_t state)
{
    entry.NAME = name;
    entry.State = state;
    SaveDataPlaces();
    return true;
}

std::int32_t TDataPlaceMan::MovePlace(std::int32_t row, int direction)
{
    const std::int32_t target = row + direction;
    if (row < 0 || target < 0 || static_cast<std::size_t>(row) >= List.size()
        || static_cast<std::size_t>(target) >= List.size())
        return row;
    std::swap(List[static_cast<std::size_t>(row)], List[static_cast<std::size_t>(target)]);
    for (std::size_t i = 0; i < List.size(); ++i) {
        if (List[i].ORDERKBN != static_cast<std::int32_t>(i + 1)) {
            List[i].ORDERKBN = static_cast<std::int32_t>(i + 1);
            List[i].State = 2;
        }
    }
    SaveDataPlaces();
    return target;
}
