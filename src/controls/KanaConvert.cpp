#include "controls/KanaConvert.h"

#include "platform/codec.h"

#include <QHash>

namespace controls {

namespace {

// Full-width katakana (and marks) -> half-width forms.
const QHash<QChar, QString>& halfKanaTable()
{
    static const QHash<QChar, QString> table = [] {
        QHash<QChar, QString> t;
        const char* pairs[][2] = {
            {"ァ", "ｧ"},
            {"ア", "ｱ"},
            {"ィ", "ｨ"},
            {"イ", "ｲ"},
            {"ゥ", "ｩ"},
            {"ウ", "ｳ"},
            {"ェ", "ｪ"},
            {"エ", "ｴ"},
            {"ォ", "ｫ"},
            {"オ", "ｵ"},
            {"カ", "ｶ"},
            {"ガ", "ｶﾞ"},
            {"キ", "ｷ"},
            {"ギ", "ｷﾞ"},
            {"ク", "ｸ"},
            {"グ", "ｸﾞ"},
            {"ケ", "ｹ"},
            {"ゲ", "ｹﾞ"},
            {"コ", "ｺ"},
            {"ゴ", "ｺﾞ"},
            {"サ", "ｻ"},
            {"ザ", "ｻﾞ"},
            {"シ", "ｼ"},
            {"ジ", "ｼﾞ"},
            {"ス", "ｽ"},
            {"ズ", "ｽﾞ"},
            {"セ", "ｾ"},
            {"ゼ", "ｾﾞ"},
            {"ソ", "ｿ"},
            {"ゾ", "ｿﾞ"},
            {"タ", "ﾀ"},
            {"ダ", "ﾀﾞ"},
            {"チ", "ﾁ"},
            {"ヂ", "ﾁﾞ"},
            {"ッ", "ｯ"},
            {"ツ", "ﾂ"},
            {"ヅ", "ﾂﾞ"},
            {"テ", "ﾃ"},
            {"デ", "ﾃﾞ"},
            {"ト", "ﾄ"},
            {"ド", "ﾄﾞ"},
            {"ナ", "ﾅ"},
            {"ニ", "ﾆ"},
            {"ヌ", "ﾇ"},
            {"ネ", "ﾈ"},
            {"ノ", "ﾉ"},
            {"ハ", "ﾊ"},
            {"バ", "ﾊﾞ"},
            {"パ", "ﾊﾟ"},
            {"ヒ", "ﾋ"},
            {"ビ", "ﾋﾞ"},
            {"ピ", "ﾋﾟ"},
            {"フ", "ﾌ"},
            {"ブ", "ﾌﾞ"},
            {"プ", "ﾌﾟ"},
            {"ヘ", "ﾍ"},
            {"ベ", "ﾍﾞ"},
            {"ペ", "ﾍﾟ"},
            {"ホ", "ﾎ"},
            {"ボ", "ﾎﾞ"},
            {"ポ", "ﾎﾟ"},
            {"マ", "ﾏ"},
            {"ミ", "ﾐ"},
            {"ム", "ﾑ"},
            {"メ", "ﾒ"},
            {"モ", "ﾓ"},
            {"ャ", "ｬ"},
            {"ヤ", "ﾔ"},
            {"ュ", "ｭ"},
            {"ユ", "ﾕ"},
            {"ョ", "ｮ"},
            {"ヨ", "ﾖ"},
            {"ラ", "ﾗ"},
            {"リ", "ﾘ"},
            {"ル", "ﾙ"},
            {"レ", "ﾚ"},
            {"ロ", "ﾛ"},
            {"ヮ", "ﾜ"},
            {"ワ", "ﾜ"},
            {"ヰ", "ｲ"},
            {"ヱ", "ｴ"},
            {"ヲ", "ｦ"},
            {"ン", "ﾝ"},
            {"ヴ", "ｳﾞ"},
            {"ヵ", "ｶ"},
            {"ヶ", "ｹ"},
            {"ヷ", "ﾜﾞ"},
            {"ヺ", "ｦﾞ"},
            {"ー", "ｰ"},
            {"・", "･"},
            {"「", "｢"},
            {"」", "｣"},
            {"、", "､"},
            {"。", "｡"},
            {"゛", "ﾞ"},
            {"゜", "ﾟ"},
        };
        for (const auto& p : pairs) {
            t.insert(QString::fromUtf8(p[0]).at(0), QString::fromUtf8(p[1]));
        }
        return t;
    }();
    return table;
}

} // namespace

QString toKatakana(const QString& text)
{
    QString out = text;
    for (QChar& c : out) {
        const char16_t u = c.unicode();
        if (u >= 0x3041 && u <= 0x3096) { // ぁ..ゖ
            c = QChar(static_cast<char16_t>(u + 0x60));
        } else if (u == 0x309D || u == 0x309E) { // ゝゞ
            c = QChar(static_cast<char16_t>(u + 0x60));
        }
    }
    return out;
}

QString toHalfWidth(const QString& text)
{
    const auto& table = halfKanaTable();
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0xFF01 && u <= 0xFF5E) {
            out += QChar(static_cast<char16_t>(u - 0xFF01 + 0x21));
        } else if (u == 0x3000) {
            out += QLatin1Char(' ');
        } else if (auto it = table.constFind(c); it != table.constEnd()) {
            out += it.value();
        } else {
            out += c;
        }
    }
    return out;
}

QString toFullWidthKatakana(const QString& text)
{
    static const QHash<QString, QChar> reverse = [] {
        QHash<QString, QChar> r;
        const auto& table = halfKanaTable();
        for (auto it = table.constBegin(); it != table.constEnd(); ++it) {
            // Keep the plain forms for the ambiguous half-width letters.
            const char16_t u = it.key().unicode();
            if (u == 0x30EE || u == 0x30F0 || u == 0x30F1 || u == 0x30F5 || u == 0x30F6) {
                continue;
            }
            r.insert(it.value(), it.key());
        }
        return r;
    }();
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (i + 1 < text.size()) {
            const QString two = text.mid(i, 2);
            if (auto it = reverse.constFind(two); it != reverse.constEnd()) {
                out += it.value();
                ++i;
                continue;
            }
        }
        const QString one = text.mid(i, 1);
        if (auto it = reverse.constFind(one); it != reverse.constEnd()) {
            out += it.value();
        } else {
            out += text.at(i);
        }
    }
    return out;
}

QString cutToSjisBytes(const QString& text, std::size_t maxBytes)
{
    const std::string utf8 = text.toStdString();
    if (platform::codec::sjisWidth(utf8) <= maxBytes) {
        return text;
    }
    return QString::fromStdString(platform::codec::cutToWidth(utf8, maxBytes));
}

} // namespace controls
