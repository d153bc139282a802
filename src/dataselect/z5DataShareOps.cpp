#include "dataselect/z5DataShareOps.h"

#include "core/DataInfomation.h"
#include "core/DataModule.h"
#include "core/DataModuleSysDef.h"
#include "core/DateTexts.h"
#include "core/IBErrorProc.h"
#include "core/MessageService.h"
#include "core/ProgressService.h"
#include "dataselect/z5CloudShareComm.h"
#include "dataselect/z5DataCopyPaste.h"
#include "platform/plain_text.h"

#include <cstdio>

using namespace core;

namespace {

void writeShareStatus(const std::string& folder, std::uint8_t status)
{
    TDataInfomation info;
    try {
        info.WriteShareStatus(folder, status);
    } catch (const std::exception& e) {
        ErrorMessageEx("共有データの状態を更新できませんでした。",
            std::string("TDataSentakuBox.SetShareLockMark\r") + folder + "\r" + e.what());
    }
}

// The grid row of a top-level row (-1 when it is not shown).
std::int32_t gridRowOfTop(const TDataSentakuModel& model, std::int32_t top)
{
    for (std::size_t i = 0; i < model.Grid.size(); ++i)
        if (model.Grid[i].Top == top && model.Grid[i].Child < 0)
            return static_cast<std::int32_t>(i);
    return -1;
}

} // namespace

TDataShareOps::TDataShareOps(TDataSentakuModel& model)
    : model_(model)
{
}

TDataSentakuRec& TDataShareOps::topOf(std::int32_t gridRow)
{
    return model_.Rows.at(static_cast<std::size_t>(model_.Grid.at(static_cast<std::size_t>(gridRow)).Top));
}

std::int32_t TDataShareOps::KyoyuDataGet(std::int32_t gridRow, bool automatic)
{
    if (gridRow < 0 || static_cast<std::size_t>(gridRow) >= model_.Grid.size())
        return 0;
    if (!automatic
        && ShowLines(msgkind::Confirmation, {"共有データの取得を行います。よろしいですか？"}, msgbtn::Yes | msgbtn::No)
            != modal::Yes)
        return 0;
    const std::int32_t topIndex = model_.Grid[static_cast<std::size_t>(gridRow)].Top;
    TDataSentakuRec& top = topOf(gridRow);
    ReportProgress("共有データから受信中…");
    const std::int32_t result = model_.Registry().KyoyuDataLock(top, automatic ? 1 : 0);
    if (result != 1)
        writeShareStatus(model_.Registry().MakeLocalPath(top.Data), 1);
    model_.DataListRefresh(gridRow);
    CurrentAfter = gridRowOfTop(model_, topIndex);
    return result;
}

std::int32_t TDataShareOps::KyoyuDataStore(std::int32_t gridRow, bool automatic)
{
    if (gridRow < 0 || static_cast<std::size_t>(gridRow) >= model_.Grid.size())
        return 0;
    TDataSentakuRec& top = topOf(gridRow);
    const std::string local = model_.Registry().MakeLocalPath(top.Data);
    if (DM != nullptr && DM->CheckDataDamage(SysDef.HostName, local, 0, 0) == 0) {
        top.Data.DATA_STATUS = 1;
        return 0;
    }
    if (IsConsolidatedKind(top.Data.GASSAN)) {
        bool damaged = false;
        for (auto& child : top.Children) {
            const std::string folder = child.LocalPath.empty() ? child.PASNAME : child.LocalPath;
            if (child.DATA_STATUS == 1 || (DM != nullptr && DM->CheckDataDamage(SysDef.HostName, folder, 1, 0) == 0)) {
                child.DATA_STATUS = 1;
                damaged = true;
            }
        }
        if (damaged) {
            if (!automatic)
                ShowLines(msgkind::Information,
                    {"合算・分散データに破損したデータが存在するため、共有データの保管を中止します。",
                        "データのバックアップを行っている場合は、適正な方法で破損前の状態へ戻して下さい。",
                        "ご不明な点がございましたら、お問い合わせ先をご確認の上ご連絡下さい。"});
            return 0;
        }
    }
    if (!automatic
        && ShowLines(msgkind::Confirmation, {"共有データの保管を行います。よろしいですか？"}, msgbtn::Yes | msgbtn::No)
            != modal::Yes)
        return 0;
    ReportProgress("共有データへ送信中…");
    return model_.Registry().KyoyuDataUnlock(top, automatic ? 1 : 0);
}

bool TDataShareOps::AutoShareRoundTrip(std::int32_t gridRow)
{
    if (ConnectMode != 0 || gridRow < 0 || static_cast<std::size_t>(gridRow) >= model_.Grid.size())
        return true;
    const TDataListRec& top = topOf(gridRow).Data;
    if (top.NETDRIVE != 1 || top.KYOYULOCK == 1)
        return true;
    const std::int32_t topIndex = model_.Grid[static_cast<std::size_t>(gridRow)].Top;
    if (KyoyuDataGet(gridRow, true) < 1)
        return false;
    const std::int32_t row = gridRowOfTop(model_, topIndex);
    return KyoyuDataStore(row >= 0 ? row : gridRow, true) > 0;
}

void TDataShareOps::SetShareLockMark(bool taken, TDataSentakuRec& rec)
{
    const std::uint8_t status = taken ? 2 : 1;
    auto mark = [&](TDataListRec& r) {
        r.KYOYULOCK = taken ? 1 : 0;
        model_.Registry().UpdateDataListRecord(r, 0, true);
        writeShareStatus(model_.Registry().MakeLocalPath(r), status);
        writeShareStatus(r.PASNAME, status);
    };
    mark(rec.Data);
    if (IsConsolidatedKind(rec.Data.GASSAN))
        for (auto& child : rec.Children)
            mark(child);
}

void TDataShareOps::StoreAfterChange(std::int32_t gridRow)
{
    if (ConnectMode != 0 || gridRow < 0 || static_cast<std::size_t>(gridRow) >= model_.Grid.size())
        return;
    TDataSentakuRec& top = topOf(gridRow);
    if (top.Data.NETDRIVE != 1 || top.Data.KYOYULOCK != 1)
        return;
    if (KyoyuDataStore(gridRow, true) == 1)
        SetShareLockMark(true, top);
}

void TDataShareOps::btnKyoyuDataDownClick(std::int32_t gridRow)
{
    CurrentAfter = gridRow;
    if (gridRow < 0 || static_cast<std::size_t>(gridRow) >= model_.Grid.size())
        return;
    TDataSentakuRec& top = topOf(gridRow);
    if (top.Data.NETDRIVE == 1) {
        KyoyuDataGet(gridRow, false);
        return;
    }
    if (!top.Data.ENTTEXT.empty()) {
        ShowLines(msgkind::Information, {"選択したフォルダには既にデータが登録されています。\r"});
        return;
    }
    if (!ChooseSharedData) {
        ErrorMessageEx(
            "共有データの選択画面はこのプログラムでは利用できません。", "TDataSentakuBox.btnKyoyuDataDownClick");
        return;
    }
    std::string folder, name;
    std::string letter = platform::text::trimBlanks(SysDef.ZenkaiDrive);
    if (!ChooseSharedData(folder, name, letter))
        return;
    ReportProgress("共有データから受信中…");
    SysDef.ZenkaiDrive = letter;
    fnPutSysDef();
    top.Data.NETDRIVE = 1;
    top.Data.PASNAME = folder;
    top.Data.ENTTEXT = name;
    top.Data.DispName = name;
    top.Data.LocalPath = model_.Registry().MakeLocalPath(top.Data);
    if (model_.Registry().KyoyuDataLock(top, 0) != 1)
        writeShareStatus(top.Data.LocalPath, 1);
    model_.Registry().GetDataListRecordByPath(folder, top);
    model_.BuildGrid();
    CurrentAfter = gridRowOfTop(model_, model_.Grid[static_cast<std::size_t>(gridRow)].Top);
}

void TDataShareOps::btnKyoyuDataUpClick(std::int32_t gridRow)
{
    CurrentAfter = gridRow;
    KyoyuDataStore(gridRow, false);
    if (gridRow >= 0 && static_cast<std::size_t>(gridRow) < model_.Grid.size())
        model_.DataListRefresh(gridRow);
}

std::int32_t TDataShareOps::btnCloudShareClick(std::int32_t gridRow)
{
    CurrentAfter = gridRow;
    if (!model_.CloudShareEnabled || gridRow < 0 || static_cast<std::size_t>(gridRow) >= model_.Grid.size())
        return -1;
    if (!ServerFolderHoldsData(model_, gridRow))
        return -1;
    const std::string folder = model_.GetRowDataPath(gridRow);
    TDataListRec& rec = model_.Record(gridRow);
    char version[48];
    std::snprintf(version, sizeof version, "%d.%d.%d", rec.VER_MAJOR, rec.VER_MINOR1, rec.VER_MINOR2);
    if (!VersionGreater(version, "11.0.0")) {
        ShowLines(msgkind::Information,
            {"データバージョンが \"Ver11.0.1\" に達していないため、クラウドシェアはご利用できません。",
                "クラウドシェアを利用するには、データを選択しデータ更新をおこなってください。"});
        return -1;
    }
    const bool isChild = model_.Grid[static_cast<std::size_t>(gridRow)].Child >= 0;
    if (isChild || IsConsolidatedKind(rec.GASSAN) || rec.GASSAN == 10) {
        ShowLines(msgkind::Information, {"合算・分散データはクラウドシェアの設定はおこなえません。"});
        return -1;
    }
    if (rec.NETDRIVE == 1 && rec.KYOYULOCK == 0) {
        ShowLines(msgkind::Information,
            {"共有保管データはクラウドシェアの設定はおこなえません。",
                "[共有取得]ボタンを押してデータを取得してください。",
                "※[共有データの取得と保管を自動化する]にチェックがある場合は、チェックを外すと[共有取得]"
                "ボタンが有効になります。"});
        return -1;
    }
    if (!AutoShareRoundTrip(gridRow))
        return -1;
    if (DM != nullptr && DM->CheckDataDamage(SysDef.HostName, folder, 0, 0) == 0) {
        model_.Record(gridRow).DATA_STATUS = 1;
        return -1;
    }
    if (AppKind == 0) {
        if (!SetJobControl("QzTusinSettei", "SyoriType=1")) {
            ShowLines(msgkind::Warning,
                {"ログインしたオペレータの処理レベルでは起動が認められていません。",
                    "一度、データを選択し、「拡張機能」＞「オペレータ登録」より「処理レベル設定」を開き、",
                    "当該レベルの「通信設定」メニューの起動を許可してください。"});
            return -1;
        }
        TDataInfomation info;
        info.Mode = ConnectMode;
        if (!info.IsDataPasswordAuth(folder) || !info.IsDataSiyouKengen(folder))
            return -1;
    }
    // The settings screen may be opened again after a failed send.
    std::int32_t area = 0;
    for (;;) {
        bool sendNow = false;
        std::int32_t result = 1;
        if (CloudShareSettings)
            result = CloudShareSettings(folder, area, sendNow);
        else
            ErrorMessageEx("通信設定を起動できませんでした。", "TDataSentakuBox.btnCloudShareClick\rQzTusinSettei");
        if (result != 0) {
            model_.DataListRefresh(gridRow);
            CurrentAfter = model_.FindRowOfFolder(folder);
            return result;
        }
        if (area <= 0 || AppKind != 0 || !sendNow)
            break;
        if (EnablePanels)
            EnablePanels(false);
        const std::int32_t sent = CloudShareSend(folder, "", 0);
        if (EnablePanels)
            EnablePanels(true);
        if (sent == 0)
            break;
        if (sent < 1 || sent > 9) {
            // Nothing reached the cloud area: the row is not marked.
            model_.DataListRefresh(gridRow);
            CurrentAfter = model_.FindRowOfFolder(folder);
            return -1;
        }
        ShowLines(msgkind::Warning, {"クラウドシェア送信処理でエラーが発生しました。設定画面を開きます。"});
    }
    std::int32_t row = model_.FindRowOfFolder(folder);
    if (row < 0)
        row = gridRow;
    TDataListRec& marked = model_.Record(row);
    marked.CLOUD = area > 0 ? 1 : 0;
    try {
        TDataInfomation info;
        info.Mode = ConnectMode;
        info.WriteIniValue(folder, "DATAINFO", true, marked.CLOUD == 1 ? "1" : "0", "CLOUD_SHARE");
    } catch (const std::exception& e) {
        ErrorMessageEx("クラウドシェアの設定に失敗しました。",
            std::string("TDataSentakuBox.btnCloudShareClick\r") + folder + "\r" + e.what());
    }
    model_.Registry().UpdateDataListRecord(marked, 0, true);
    model_.DataListRefresh(row);
    row = model_.FindRowOfFolder(folder);
    StoreAfterChange(row >= 0 ? row : gridRow);
    row = model_.FindRowOfFolder(folder);
    if (row >= 0)
        model_.DataListRefresh(row);
    CurrentAfter = model_.FindRowOfFolder(folder);
    return 0;
}
