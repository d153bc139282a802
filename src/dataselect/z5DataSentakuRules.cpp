#include "dataselect/z5DataSentakuRules.h"

#include "core/DataInfomation.h"
#include "core/DataModule.h"
#include "core/IBErrorProc.h"
#include "core/MessageService.h"
#include "core/TextRoutines.h"
#include "platform/paths.h"
#include "platform/plain_text.h"

#include <stdexcept>

using namespace core;

namespace {

const char* const kFullCaptions[fkey::Count] = {"ESC:ｷｬﾝｾﾙ", "F1:ヘルプ", "F2:コピー", "F3:新規作成", "F4:割当解除",
    "F5:ﾃﾞｰﾀ削除", "F6:保存", "F7:復元", "F8:印刷", "F12:選択"};
const char* const kLabels[fkey::Count] = {"ESC:", "F1:", "F2:", "F3:", "F4:", "F5:", "F6:", "F7:", "F8:", "F12:"};

// Blanks and control characters off both ends.
std::string trimmed(const std::string& s)
{
    std::size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ')
        ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ')
        --e;
    return s.substr(b, e - b);
}

bool isArea(const std::string& name)
{
    return name == kFreeAreaName || name == kNewAreaName;
}

std::string fullWidthUpper(const std::string& text)
{
    return ZenkakuAlphaUpper(MapStringLocale(LCMAP_FULLWIDTH, text));
}

void splitVersion(const std::string& text, int& major, int& minor)
{
    const auto dot = text.find('.');
    major = platform::text::toIntOr(text.substr(0, dot), 0);
    minor = dot == std::string::npos ? 0 : platform::text::toIntOr(text.substr(dot + 1), 0);
}

} // namespace

// --- Start parameters -------------------------------------------------------------

void ParseDataSentakuParams(const std::string& text, const TDataKensakuRec& initial, TDataSentakuParams& p)
{
    p.Condition = initial;
    p.OnlySAMode = 0;
    p.OnlySABackupPath.clear();
    std::vector<std::pair<std::string, std::string>> values;
    for (const auto& line : platform::text::splitLines(text)) {
        const auto eq = line.find('=');
        if (eq != std::string::npos)
            values.emplace_back(line.substr(0, eq), line.substr(eq + 1));
    }
    auto find = [&](const std::string& key) -> const std::string* {
        for (const auto& [k, v] : values)
            if (k == key)
                return &v;
        return nullptr;
    };
    auto number
        = [](const std::string* v, int fallback) { return v ? platform::text::toIntOr(*v, fallback) : fallback; };

    const int type = number(find("SyoriType"), -1);
    if (type > 5)
        throw std::invalid_argument("処理タイプに範囲外の値が設定されました。");
    if (type >= 0)
        p.SyoriType = static_cast<std::uint8_t>(type);
    p.FormStyle = number(find("FormStyle"), 0);
    p.JyokenSet = find("JyokenSet") != nullptr;
    if (p.JyokenSet) {
        p.Condition.JyokenUse = 1;
        p.Condition.DataType = number(find("DataType"), 0);
        p.Condition.CodeType = number(find("CodeType"), 0);
        const char* const keys[] = {"DataVer", "DataVerMajor", "DataVerMore"};
        for (int mode = 0; mode < 3; ++mode) {
            if (const std::string* v = find(keys[mode])) {
                p.Condition.DataVer = *v;
                p.Condition.VerMode = mode;
            }
        }
        if (const std::string* v = find("ManualFree"))
            p.ManualFree = *v == "1";
    }
    if (p.SyoriType == 5) {
        if (const std::string* v = find("OnlySA_Syori"))
            p.OnlySAMode = *v == "Restore" ? 1 : 0;
        if (const std::string* v = find("OnlySA_BackupPath"))
            p.OnlySABackupPath = *v;
    }
}

// --- The list filter ----------------------------------------------------------------

bool RowPassesFilter(const TDataKensakuRec& f, const TDataListRec& row)
{
    if (f.DataType > 0) {
        if (f.CodeType != 0) {
            if (std::to_string(f.DataType) + std::to_string(f.CodeType)
                != std::to_string(row.DATATYPE) + std::to_string(row.CODETYPE))
                return false;
        } else if (f.DataType != row.DATATYPE) {
            return false;
        }
    } else if (f.DataType == -13 && row.DATATYPE != 1 && row.DATATYPE != 3) {
        return false;
    }
    if (!f.ListName.empty() && fullWidthUpper(row.ENTTEXT).find(fullWidthUpper(f.ListName)) == std::string::npos)
        return false;
    if (f.Tanto != 0 && f.Tanto != row.TANTOU)
        return false;
    if (!f.DataVer.empty()) {
        int major = 0, minor = 0;
        splitVersion(f.DataVer, major, minor);
        switch (f.VerMode) {
        case 1:
            if (row.VER_MAJOR != major)
                return false;
            break;
        case 2:
            if (row.VER_MAJOR < major || (row.VER_MAJOR == major && row.VER_MINOR1 < minor))
                return false;
            break;
        default:
            if (std::to_string(row.VER_MAJOR) + "." + std::to_string(row.VER_MINOR1) != f.DataVer)
                return false;
        }
    }
    const std::string code = trimmed(f.DataCode);
    if (!code.empty()) {
        std::string rowCode = row.DATACODE.substr(0, std::min(row.DATACODE.size(), code.size()));
        rowCode.resize(code.size(), ' ');
        if (platform::text::upperAscii(rowCode) != platform::text::upperAscii(f.DataCode))
            return false;
    }
    return true;
}

std::uint8_t SortKindOfColumn(std::int32_t column)
{
    switch (column) {
    case 1:
        return 7;
    case 3:
        return 2;
    case 4:
        return 3;
    case 5:
        return 4;
    case 6:
        return 5;
    case 7:
        return 6;
    default:
        return 1;
    }
}

// --- Function keys ------------------------------------------------------------------

bool TFunctionKeyState::IsBlank(int key) const
{
    return Captions[static_cast<std::size_t>(key)] == kLabels[key];
}

TFunctionKeyState UpdateFunctionKeys(const TFunctionKeyInput& in)
{
    TFunctionKeyState s;
    for (int k = 0; k < fkey::Count; ++k)
        s.Captions[static_cast<std::size_t>(k)] = kFullCaptions[k];
    auto blank = [&](std::initializer_list<int> keys) {
        for (int k : keys)
            s.Captions[static_cast<std::size_t>(k)] = kLabels[k];
    };
    auto set = [&](int key, const char* caption) { s.Captions[static_cast<std::size_t>(key)] = caption; };
    const bool server = in.ConnectKind == 1 || in.ConnectKind == 2;

    // 1. Connection kind and destination types.
    if (server)
        set(fkey::F4, "F4:領域追加");
    if (in.SyoriType == 2 || in.SyoriType == 4)
        blank({fkey::F3});

    // 2. The current row.
    const TDataListRec* row = in.GridActive ? in.Row : nullptr;
    if (row != nullptr) {
        s.KeyState = in.CopyPending ? 2 : 1;
        const bool pasting = s.KeyState == 2;
        if (pasting) {
            set(fkey::F2, "F2:貼り付け");
            s.PasteHint = true;
        }
        const bool empty = row->ENTTEXT.empty();
        const bool child = row->GASSAN == 10;
        if (in.CloudShareEnabled && row->CLOUD == 1)
            blank({fkey::F3});
        if (!server && row->NETDRIVE == 0) {
            blank({fkey::F4});
            if (empty) {
                if (!pasting)
                    blank({fkey::F2});
                blank({fkey::F5, fkey::F6});
            } else {
                blank({fkey::F3});
                if (row->GASSAN == 1)
                    set(fkey::F3, "F3:分散追加");
                else if (child && in.ParentGassan == 2)
                    blank({fkey::F5});
            }
        } else if (!server && row->KYOYULOCK == 0) {
            blank({fkey::F2, fkey::F3, fkey::F5, fkey::F7});
            if (child)
                blank({fkey::F2, fkey::F4, fkey::F5});
            if ((in.ProgramKind == 0 && in.AutoShareVisible && !in.AutoShareOn) || in.ProgramKind == 2
                || in.ProgramKind == 3)
                blank({fkey::F12});
        } else if (!server) {
            blank({fkey::F3, fkey::F4, fkey::F5});
            if ((row->ENTTEXT == kFreeAreaName && row->GASSAN <= 2) || row->ENTTEXT == kNewAreaName) {
                set(fkey::F3, "F3:新規作成");
                set(fkey::F4, "F4:割当解除");
            }
            if (row->GASSAN == 1)
                set(fkey::F3, "F3:分散追加");
            else if (child && in.ParentGassan == 1)
                set(fkey::F5, "F5:ﾃﾞｰﾀ削除");
        } else if (empty) {
            if (!pasting)
                blank({fkey::F2});
            blank({fkey::F5, fkey::F6});
        } else {
            blank({fkey::F3});
            if (in.ConnectKind == 1)
                set(fkey::F3, "F3:持ち出し");
        }
    }

    // 3. Shared-data and cloud buttons.
    if (s.KeyState == 1) {
        if (!in.AutoShareOn) {
            if (row->NETDRIVE == 0) {
                s.KyoyuDownEnabled = row->ENTTEXT.empty();
            } else if (!row->ENTTEXT.empty() && !isArea(row->ENTTEXT)) {
                s.KyoyuDownEnabled = row->KYOYULOCK == 0;
                s.KyoyuUpEnabled = row->KYOYULOCK == 1;
            }
        }
        s.CloudEnabled = true;
        if (row->DATA_STATUS != 0) {
            blank({fkey::F2, fkey::F3, fkey::F4, fkey::F6, fkey::F12});
            s.KyoyuUpEnabled = false;
            s.CloudEnabled = false;
        }
        if (row->VER_MAJOR == 0)
            s.CloudEnabled = false;
    } else {
        s.CloudEnabled = s.KeyState == 2;
    }

    // 4. A list busy with an operation.
    if (!in.GridEnabled) {
        s.KeyState = 0;
        blank({fkey::F8, fkey::F12});
    }

    // 5. Program kinds.
    const bool sharedRow = row != nullptr && row->NETDRIVE == 1;
    if (in.ProgramKind == 2 || in.ProgramKind == 3) {
        s.SharedControlsHidden = true;
        s.KyoyuDownEnabled = s.KyoyuUpEnabled = false;
    }
    if (in.ProgramKind == 2) {
        blank({fkey::F4, fkey::F6, fkey::F7});
        if (sharedRow)
            blank({fkey::F3});
    } else if (in.ProgramKind == 3) {
        s.SearchButtonsHidden = true;
        blank({fkey::F4});
        if (sharedRow || (row != nullptr && row->GASSAN == 1))
            blank({fkey::F3});
    }

    // 6. No row.
    if (s.KeyState == 0)
        blank({fkey::F2, fkey::F3, fkey::F4, fkey::F5, fkey::F6, fkey::F7});

    // 7. Processing types.
    if (in.SyoriType == 3 || in.SyoriType == 5) {
        blank({fkey::F1, fkey::F2, fkey::F3, fkey::F4, fkey::F5, fkey::F6, fkey::F7, fkey::F8});
        if (in.SyoriType == 3)
            s.SearchEnabled = false;
    } else if (in.SyoriType == 4) {
        blank({fkey::F1, fkey::F2, fkey::F3, fkey::F6, fkey::F7, fkey::F8});
    }
    return s;
}

// --- Checking a chosen folder -------------------------------------------------------

bool TDataFolderCheck::accepted(std::int32_t status) const
{
    return status == 1 || ((ConnectKind == 1 || ConnectKind == 2) && status == 2);
}

bool TDataFolderCheck::databaseExists(const std::string& folder) const
{
    const std::string file = platform::paths::join(folder, DataFile);
    return DM != nullptr ? DM->FExist(file, ConnectKind) : platform::paths::exists(file);
}

std::int32_t TDataFolderCheck::CheckFolderStatus(const std::string& folder, bool showMissing, bool showBusy)
{
    if (!databaseExists(folder)) {
        if (!showMissing)
            return 1;
        TMessage2InfoRec m;
        InitMessage2Info(msgkind::Warning, m);
        m.lines[0].text = "このフォルダには財務データがありません。\r";
        ShowMessage2(m);
        return 0;
    }
    TDataInfomation info;
    info.Mode = ConnectKind;
    TDataInfomationRec rec;
    info.ReadDataIni(folder, rec);
    const std::int32_t status = rec.STATUS;
    if (status == 0 || status == 10 || !showBusy || accepted(status))
        return status;
    TMessage2InfoRec m;
    InitMessage2Info(msgkind::Warning, m);
    m.caption = "選択データの状態";
    m.lines[0].text = "このデータは" + TDataSentakuListCtl::GetDataStatusName(status) + "のため処理が行えません。";
    if (status == 2)
        m.lines[0].text += "\r前回、異常終了した場合は情報ボタンを押してデータの状態を回復して下さい。";
    m.lines[0].colour = 255;
    const std::string detail[] = {"【データフォルダ】", "　" + folder, "", "【オペレータ】",
        "　" + std::to_string(LoginCodeOf(rec.OPCODE, SysDef.GroupID)), "", "【オペレータ名】", "　" + rec.OPERATOR};
    for (std::size_t i = 0; i < std::size(detail) && i + 1 < m.lines.size(); ++i)
        m.lines[i + 1].text = detail[i];
    ShowMessage2(m);
    return status;
}

std::int32_t TDataFolderCheck::CheckDataFolder(const std::string& folderIn)
{
    const std::string folder = trimmed(folderIn);
    if (folder.empty()) {
        if (SyoriType == 3)
            return -2;
        throw std::runtime_error("データフォルダパスが不正です。\r処理を中止します。");
    }
    const bool chooser = SyoriType == 0 || SyoriType == 1 || SyoriType == 3;
    auto refused = [] { return SysDef.DataDamaged != 0 ? -3 : -1; };
    if (ConnectKind == 0) {
        const std::int32_t status = SyoriType == 5 ? 1 : CheckFolderStatus(folder, chooser, chooser);
        if (!accepted(status))
            return refused();
        return databaseExists(folder) ? 1 : 0;
    }
    if (ConnectKind == 1 || ConnectKind == 2) {
        if (SyoriType == 5)
            return -1;
        if (!chooser)
            return databaseExists(folder) ? 1 : 0;
        const std::int32_t status = CheckFolderStatus(folder, true, true);
        if (!accepted(status))
            return refused();
        if (databaseExists(folder))
            return 1;
        TMessage2InfoRec m;
        InitMessage2Info(msgkind::Warning, m);
        m.lines[0].text = "このフォルダには財務データがありません。\r";
        ShowMessage2(m);
        return -1;
    }
    ErrorMessageEx("製品タイプ不整合のためデータを起動できませんでした。\r", "TDataSentakuBox.CheckDataFolder");
    return -1;
}
