#include "wizard/IntermediateFile.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <stdexcept>

const std::array<TMainItemKey, MainItemCount> MainItemKeys = {{
    {"URIAGE_SYUUNYUUDAKA", "010", "010"},
    {"KENGYOUURIAGE_SYUUNYUUDAKA", "020", "020"},
    {"URIAGE_SYUUNYUUGENKA", "030", "030"},
    {"KISYUTANAOROSIDAKA", "040", "040"},
    {"GENZAIRYOUHI_SIIREDAKA", "050", "050"},
    {"ROUMUHI", "060", "060"},
    {"GAICHUUHI", "070", "070"},
    {"KIMATUTANAOROSIDAKA", "080", "080"},
    {"GENKASYOUKYAKUHI_URIAGEGENKA", "090", "090"},
    {"TIDAIYATIN_SOZEIKOUKA_URIAGEGENKA", "100", ""},
    {"TIDAIYATIN_URIAGEGENKA", "", "100"},
    {"URIAGE_SYUUNYUUSOURIEKI", "110", "110"},
    {"YAKUINHOUSYUU", "120", "120"},
    {"JYUUGYOUINKYUURYOU", "130", "130"},
    {"KOUSAIHI", "140", "140"},
    {"GENKASYOUKYAKUHI_HANKANHI", "150", "150"},
    {"TIDAIYATIN_SOZEIKOUKA_HANKANHI", "160", ""},
    {"TIDAIYATIN_HANKANHI", "", "160"},
    {"EIGYOUSONEKI", "170", "170"},
    {"SIHARAIRISOKUWARIBIKIRYOU", "180", ""},
    {"TOKUBETURIEKI", "", "181"},
    {"TOKUBETUSONSITU", "", "182"},
    {"ZEIBIKIMAETOUKISONEKI", "190", "190"},
    {"SISANNOBU", "200", "200"},
    {"GENKINYOKIN", "210", "210"},
    {"UKETORITEGATA", "220", "220"},
    {"URIKAKEKIN", "230", "230"},
    {"TANAOROSISISAN", "240", "240"},
    {"KASITUKEKIN", "250", "250"},
    {"TATEMONO", "260", "260"},
    {"KIKAISOUTI", "270", "270"},
    {"SYARYOU_SENPAKU", "280", "280"},
    {"TOTI", "290", "290"},
    {"FUSAINOBU", "300", "300"},
    {"SIHARAITEGATA", "310", "310"},
    {"KAIKAKEKIN", "320", "320"},
    {"KOJINKARIIREKIN", "330", "330"},
    {"SONOTAKARIIREKIN", "340", "340"},
    {"SIHONNOBU", "350", "350"},
}};

const std::array<TMonthItemKey, MonthItemCount> MonthItemKeys = {{
    {"TUKIBETU", ""},
    {"URIAGESYUUNYUUKINGAKU1", "010"},
    {"URIAGESYUUNYUUKINGAKU2", "020"},
    {"SIIREKINGAKU1", "030"},
    {"SIIREKINGAKU2", "040"},
    {"GAICHUUHI", "050"},
    {"JINKENHI", "060"},
    {"GENSENTYOUSYUUZEIGAKU", "070"},
    {"YOBI1", "080"},
    {"YOBI2", ""},
}};

std::string AmountText(Currency amount)
{
    const Currency yen = amount / CurrencyScale; // C++ division truncates toward zero
    if (yen == 0)
        return {};
    return std::to_string(yen);
}

std::string DateText(TDateTime date)
{
    using namespace std::chrono;
    if (!std::isfinite(date) || date < -693593.0 || date > 2958465.0)
        throw std::out_of_range("DateText: day count " + std::to_string(date) + " is outside years 1 to 9999");
    const sys_days base = TDateTimeDayZero;
    const year_month_day ymd(base + days(static_cast<long>(std::trunc(date))));
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d%02u%02u", static_cast<int>(ymd.year()), static_cast<unsigned>(ymd.month()),
        static_cast<unsigned>(ymd.day()));
    return buf;
}

std::string MonthElementName(int stemIndex, int month)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "_%.2d", month);
    return std::string(MonthItemKeys.at(static_cast<std::size_t>(stemIndex)).Stem) + buf;
}

void WriteDataNode(TXmlSaveDoc& doc, const TGaikyosyoFigures& figures)
{
    if (figures.MonthsUsed < 0 || figures.MonthsUsed > MonthCount)
        throw std::out_of_range(
            "WriteDataNode: month count " + std::to_string(figures.MonthsUsed) + " is outside 0 to 12");
    auto data = doc.AddNode({}, "DATA");
    auto main = doc.AddNode(data, "SYUYOUKAMOKU");
    for (int i = 0; i < MainItemCount; ++i)
        doc.AddTextNode(main, MainItemKeys[static_cast<std::size_t>(i)].Element,
            AmountText(figures.Main[static_cast<std::size_t>(i)]));
    auto monthly = doc.AddNode(data, "TUKIBETUURIAGEDAKA");
    for (int m = 1; m <= MonthCount; ++m) {
        const bool used = m <= figures.MonthsUsed;
        const auto mi = static_cast<std::size_t>(m - 1);
        for (int s = 0; s < MonthItemCount; ++s) {
            std::string text;
            if (used && s == 0)
                text = std::to_string(figures.MonthLabel[mi]);
            else if (used && s >= 1 && s <= 8)
                text = AmountText(figures.Month[mi][static_cast<std::size_t>(s - 1)]);
            doc.AddTextNode(monthly, MonthElementName(s, m), text);
        }
    }
}
