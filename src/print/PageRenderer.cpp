#include "print/PageRenderer.h"

#include "print/EngineLog.h"
#include "print/PageBook.h"

#include "platform/codec.h"
#include "platform/plain_text.h"

#include <QFontMetricsF>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QPen>

#include <cmath>
#include <filesystem>
#include <map>
#include <stdexcept>

namespace print {

using platform::text::upperAscii;

int roundEven(double v)
{
    return static_cast<int>(std::nearbyint(v));
}

int mulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    const long long n = static_cast<long long>(a) * b;
    const long long q = (2 * std::llabs(n) + std::llabs(c)) / (2 * std::llabs(c));
    return static_cast<int>(((n < 0) != (c < 0)) ? -q : q);
}

std::string resolveFontName(const std::string& name)
{
    if (name.empty())
        return "ＭＳ 明朝";
    if (name == "OCR-B") {
        if (fontInstalled("OCR-B"))
            return "OCR-B";
        if (fontInstalled("OCRB"))
            return "OCRB";
        return "ＭＳ ゴシック";
    }
    return name;
}

QString qtFontFamily(const std::string& engineName)
{
    std::string n = engineName;
    if (!n.empty() && n[0] == '@')
        n.erase(0, 1); // the vertical variant: same face here
    struct Sub {
        const char* from;
        const char* to;
    };
    static const Sub kSubs[] = {
        {"ＭＳ 明朝", "IPAexMincho"},
        {"MS 明朝", "IPAexMincho"},
        {"MS Mincho", "IPAexMincho"},
        {"ＭＳ ゴシック", "IPAexGothic"},
        {"MS ゴシック", "IPAexGothic"},
        {"MS Gothic", "IPAexGothic"},
        {"ＭＳ Ｐ明朝", "IPAPMincho"},
        {"MS P明朝", "IPAPMincho"},
        {"MS PMincho", "IPAPMincho"},
        {"ＭＳ Ｐゴシック", "IPAPGothic"},
        {"MS Pゴシック", "IPAPGothic"},
        {"MS PGothic", "IPAPGothic"},
        {"ＭＳ ＵＩゴシック", "IPAPGothic"},
        {"OCR-B", "OCR-B"},
        {"OCRB", "OCRB"},
        {"System", "IPAexGothic"},
    };
    for (const Sub& s : kSubs) {
        if (n == s.from) {
            if (std::string(s.to).rfind("OCR", 0) == 0)
                return fontInstalled(s.to) ? QString(s.to) : QString("IPAexGothic");
            return QString::fromUtf8(s.to);
        }
    }
    // "JAN" (bar codes) and unknown faces: the face itself when installed,
    // else the gothic stand-in.
    if (fontInstalled(n))
        return QString::fromStdString(n);
    return QStringLiteral("IPAexGothic");
}

namespace {

QColor toQColor(Colour c)
{
    return QColor(redOf(c), greenOf(c), blueOf(c));
}

Qt::PenStyle qtPenStyle(PenStyle s)
{
    switch (s) {
    case PenStyle::Dash:
        return Qt::DashLine;
    case PenStyle::Dot:
        return Qt::DotLine;
    case PenStyle::DashDot:
        return Qt::DashDotLine;
    case PenStyle::DashDotDot:
        return Qt::DashDotDotLine;
    case PenStyle::None:
        return Qt::NoPen;
    default:
        return Qt::SolidLine;
    }
}

Qt::BrushStyle qtBrushStyle(BrushStyle s)
{
    switch (s) {
    case BrushStyle::None:
        return Qt::NoBrush;
    case BrushStyle::Horizontal:
        return Qt::HorPattern;
    case BrushStyle::Vertical:
        return Qt::VerPattern;
    case BrushStyle::FDiagonal:
        return Qt::FDiagPattern; // "\": down from left to right
    case BrushStyle::BDiagonal:
        return Qt::BDiagPattern; // "/": up from left to right
    case BrushStyle::Cross:
        return Qt::CrossPattern;
    case BrushStyle::DiagCross:
        return Qt::DiagCrossPattern;
    default:
        return Qt::SolidPattern;
    }
}

QPen makePen(int widthDev, PenStyle style, QColor colour)
{
    if (style == PenStyle::None)
        return QPen(Qt::NoPen);
    QPen pen(colour);
    pen.setStyle(qtPenStyle(style));
    if (widthDev <= 1) {
        pen.setWidth(0); // one device pixel whatever the scale
        return pen;
    }
    pen.setWidth(widthDev);
    const bool solid = style == PenStyle::Solid || style == PenStyle::InsideFrame;
    pen.setCapStyle(solid ? Qt::RoundCap : Qt::FlatCap);
    pen.setJoinStyle(solid ? Qt::RoundJoin : Qt::MiterJoin);
    return pen;
}

// GDI excludes the right and bottom edge of rectangles and ellipses.
QRect gdiRect(int x1, int y1, int x2, int y2)
{
    return QRect(QPoint(std::min(x1, x2), std::min(y1, y2)), QPoint(std::max(x1, x2) - 1, std::max(y1, y2) - 1));
}

// Splits a UTF-8 text into characters with their code page 932 byte count.
std::vector<std::pair<QString, int>> characters(const std::string& utf8)
{
    std::vector<std::pair<QString, int>> out;
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const char32_t cp = platform::codec::nextCodePoint(utf8, pos);
        out.emplace_back(QString::fromUcs4(&cp, 1), static_cast<int>(platform::codec::sjisCharWidth(cp)));
    }
    return out;
}

} // namespace

struct PageRenderer::State {
    Layer layer = Layer::Data;
    int F = 0, E = 0;
    int originX = 0, originY = 0;
    int entryLeft = 0, entryTop = 0;
    int left = 0, top = 0;
    QPointF penPos;
    QPen pen;
    // conversion factors of this layer (0 = none)
    double hRatio = 0, vRatio = 0;
    int hs(double d) const { return hRatio != 0 ? roundEven(d * hRatio * 0.001) : roundEven(d); }
    int vs(double d) const { return vRatio != 0 ? roundEven(d * vRatio * 0.001) : roundEven(d); }
    int fontHeight = 0; // logical units
    std::map<int, int> uses; // values printed through each variable on this page
};

PageRenderer::PageRenderer(RenderSettings settings, EngineLog& log)
    : s_(std::move(settings))
    , log_(log)
{
}

Colour PageRenderer::resolveColour(std::string_view field, Layer layer) const
{
    if ((layer == Layer::Form || layer == Layer::SubForm) && !s_.job.PrintFom) {
        return field == "白" ? rgb(255, 255, 255) : rgb(230, 230, 230);
    }
    return applyGreyScale(colourFromField(field, s_.job.Colours), s_.job.GrayScale);
}

LayerResult PageRenderer::render(Layer layer, const std::vector<std::string_view>& lines, bool closedByPageEnd,
    QPainter& painter, int originX, int originY)
{
    LayerResult result;
    result.reachedEnd = !closedByPageEnd;
    std::vector<std::string> own;
    std::vector<std::string_view> page;
    if (layer == Layer::Data && s_.job.PageBango.Switch
        && (s_.job.PageBango.PageNoCount == 1 || s_.job.PageBango.PageNoCount == 2) && s_.pageNumber > 0) {
        if (auto text = formatPageNumber(s_.job.PageBango.Format, s_.pageNumber, s_.numberedTotal)) {
            for (char& c : *text) {
                if (c == ';')
                    c = ':';
            }
            own.push_back("TEXT;" + std::to_string(s_.job.PageBango.Left) + ";" + std::to_string(s_.job.PageBango.Top)
                + ";" + *text + ";" + s_.job.PageBango.FontName + ";" + std::to_string(s_.job.PageBango.FontSize)
                + ";;黒;OFF;" + std::to_string(s_.job.PageBango.Alignment) + ";0;0;*AUTO*");
        }
    }
    page.reserve(lines.size() + own.size());
    for (const auto& l : own)
        page.emplace_back(l);
    page.insert(page.end(), lines.begin(), lines.end());

    painter.save();
    painter.scale(s_.zoom / 10.0, s_.zoom / 10.0);
    drawLayer(layer, page, painter, originX, originY, result);
    painter.restore();
    return result;
}

void PageRenderer::drawLayer(
    Layer layer, const std::vector<std::string_view>& lines, QPainter& p, int originX, int originY, LayerResult& result)
{
    State st;
    st.layer = layer;
    st.originX = originX;
    st.originY = originY;
    // a sub-form of a job that does not print its forms is drawn unconverted
    const bool noRatio = layer == Layer::SubForm && !s_.job.PrintFom;
    st.hRatio = noRatio ? 0 : s_.hRatio;
    st.vRatio = noRatio ? 0 : s_.vRatio;
    st.entryLeft = st.left = s_.leftMargin;
    st.entryTop = st.top = s_.topMargin;
    st.penPos = QPointF(originX, originY);
    st.pen = QPen(Qt::black);
    st.pen.setWidth(0);
    st.fontHeight = mulDiv(10, s_.ppi, 72);

    const auto recompute = [&] {
        const int L = st.left + (s_.evenPage ? s_.job.EvenShift : 0);
        const int T = st.top;
        const bool form = st.layer == Layer::Form;
        const int fl = form ? s_.job.FormLeftMargin : 0;
        const int ft = form ? s_.job.FormTopMargin : 0;
        const int lc = s_.printer ? s_.job.LeftCorrect : 0;
        const int tc = s_.printer ? s_.job.TopCorrect : 0;
        st.F = roundEven(s_.scaleX * (L + fl + lc));
        st.E = roundEven(s_.scaleY * (T + tc + ft));
    };
    recompute();
    // A record that fails is logged and counted; the page goes on.
    const auto drawLogged = [&](const Record& r, auto&& draw) {
        try {
            draw();
        } catch (const std::exception& e) {
            log_.write(std::string("ImageOut.(") + r.kindText() + ")", e.what());
            ++result.failures;
        }
    };

    // Background fills first, so that they lie under everything else.
    for (std::string_view line : lines) {
        const Record r(line);
        if (r.kind() != RecordKind::FRect || r.number(6) != 1)
            continue;
        drawLogged(r, [&] { drawRecord(st, r, p, result); });
    }
    recompute();
    for (std::string_view line : lines) {
        const Record r(line);
        if (r.kind() == RecordKind::FRect && r.number(6) == 1)
            continue;
        drawLogged(r, [&] {
            if (r.kind() == RecordKind::LeftMargin || r.kind() == RecordKind::TopMargin) {
                const int n = r.number(1);
                if (n != 0) {
                    if (r.kind() == RecordKind::LeftMargin)
                        st.left = st.entryLeft + n;
                    else
                        st.top = st.entryTop + n;
                    recompute();
                }
                return;
            }
            drawRecord(st, r, p, result);
        });
    }
}

void PageRenderer::drawRecord(State& st, const Record& r, QPainter& p, LayerResult& result)
{
    const auto hs = [&](double d) { return st.hs(d); };
    const auto vs = [&](double d) { return st.vs(d); };
    const auto X = [&](int x) { return hs(roundEven(x * s_.scaleX) + st.F + st.originX); };
    const auto Y = [&](int y) { return vs(roundEven(y * s_.scaleY) + st.E + st.originY); };
    const auto colour = [&](std::size_t n) { return toQColor(resolveColour(r.field(n), st.layer)); };
    // The pen of fields n (width), n + 1 (style) and n + 2 (colour).
    const auto penOf = [&](std::size_t n) {
        return makePen(roundEven(r.number(n) * s_.scaleX), penStyleFromNumber(r.number(n + 1)), colour(n + 2));
    };
    const auto brushColour = [&](std::size_t n) {
        return toQColor(applyGreyScale(colourFromField(r.field(n), s_.job.Colours), s_.job.GrayScale));
    };
    // Brush with the opaque white background behind hatches.
    const auto fillShape = [&](const QRect& rect, QColor c, BrushStyle bs, bool ellipse, int rx = 0, int ry = 0) {
        if (bs == BrushStyle::None)
            return;
        p.save();
        p.setPen(Qt::NoPen);
        const auto paint = [&](const QBrush& b) {
            p.setBrush(b);
            if (ellipse)
                p.drawEllipse(rect);
            else if (rx > 0 || ry > 0)
                p.drawRoundedRect(rect, rx, ry);
            else
                p.drawRect(rect);
        };
        if (bs != BrushStyle::Solid)
            paint(QBrush(Qt::white));
        paint(QBrush(c, qtBrushStyle(bs)));
        p.restore();
    };
    const auto strokeLine = [&](auto from, auto to) {
        p.save();
        p.setPen(st.pen);
        p.drawLine(from, to);
        p.restore();
    };
    const auto outline = [&](QRect rect, bool ellipse, int rx = 0, int ry = 0) {
        if (st.pen.style() == Qt::NoPen)
            return;
        p.save();
        p.setPen(st.pen);
        p.setBrush(Qt::NoBrush);
        if (st.pen.width() > 1 && r.number(6) == static_cast<int>(PenStyle::InsideFrame)) {
            const int half = st.pen.width() / 2;
            rect.adjust(half, half, -half, -half);
        }
        // a QRect outline covers one pixel more than its area
        rect.adjust(0, 0, -1, -1);
        if (ellipse)
            p.drawEllipse(rect);
        else if (rx > 0 || ry > 0)
            p.drawRoundedRect(rect, rx, ry);
        else
            p.drawRect(rect);
        p.restore();
    };

    switch (r.kind()) {
    case RecordKind::Unknown:
    case RecordKind::PageEnd:
    case RecordKind::Orientation:
    case RecordKind::VarDef:
    case RecordKind::TotalDef:
    case RecordKind::LeftMargin:
    case RecordKind::TopMargin:
        return;
    case RecordKind::Message:
        if (s_.printer)
            result.message = r.field(1);
        return;
    case RecordKind::Form:
        if (s_.job.PrintFom || !s_.printer)
            drawSubForm(st, r, p, result);
        return;
    case RecordKind::BP: {
        st.originX = roundEven(r.number(1) * s_.scaleX);
        st.originY = roundEven(r.number(2) * s_.scaleY);
        st.pen = penOf(3);
        st.penPos = QPointF(hs(st.F + st.originX), vs(st.E + st.originY));
        return;
    }
    case RecordKind::LineB: {
        const QPointF to(X(r.number(1)), Y(r.number(2)));
        strokeLine(st.penPos, to);
        st.penPos = to;
        return;
    }
    case RecordKind::Line:
    case RecordKind::ELine:
    case RecordKind::Box: {
        const int w = r.number(5, 1);
        const int dev = r.kind() == RecordKind::ELine ? roundEven(w * 0.1 * s_.scaleX) : roundEven(w * s_.scaleX);
        st.pen = makePen(dev, penStyleFromNumber(r.number(6)), colour(7));
        const int x1 = X(r.number(1)), y1 = Y(r.number(2)), x2 = X(r.number(3)), y2 = Y(r.number(4));
        if (r.kind() == RecordKind::Box) {
            const QRect rect = gdiRect(x1, y1, x2, y2);
            fillShape(rect, colour(8), brushStyleFromNumber(r.number(9)), false);
            outline(rect, false);
        } else {
            strokeLine(QPoint(x1, y1), QPoint(x2, y2));
        }
        st.penPos = QPointF(x2, y2);
        return;
    }
    case RecordKind::SLine: {
        const int count = r.number(4);
        if (count < 1)
            return;
        st.pen = penOf(5);
        QFont f(qtFontFamily(resolveFontName(r.field(8))));
        f.setPixelSize(std::max(1, mulDiv(r.number(9, 10), s_.ppi, 72)));
        const double D = QFontMetricsF(f, p.device()).horizontalAdvance(QStringLiteral("000"));
        p.save();
        p.setPen(st.pen);
        for (int k = 1; k <= count; ++k) {
            const int x = hs(roundEven(r.number(1) * s_.scaleX) + st.F + st.originX - (k * D + 1));
            p.drawLine(QPointF(x, Y(r.number(2))), QPointF(x, Y(r.number(3))));
        }
        p.restore();
        return;
    }
    case RecordKind::RRect: {
        st.pen = penOf(7);
        const auto px = [&](int x) { return hs(roundEven(x * s_.scaleX) + st.F); };
        const auto py = [&](int y) { return vs(roundEven(y * s_.scaleY) + st.E); };
        const QRect rect = gdiRect(px(r.number(1)), py(r.number(2)), px(r.number(3)), py(r.number(4)));
        const int cw = hs(roundEven(r.number(5) * s_.scaleX) + 1);
        const int ch = vs(roundEven(r.number(6) * s_.scaleY) + 1);
        fillShape(rect, brushColour(10), brushStyleFromNumber(r.number(11)), false, cw / 2, ch / 2);
        if (st.pen.style() != Qt::NoPen) {
            p.save();
            p.setPen(st.pen);
            p.setBrush(Qt::NoBrush);
            p.drawRoundedRect(rect, cw / 2.0, ch / 2.0);
            p.restore();
        }
        return;
    }
    case RecordKind::Circle: {
        st.pen = penOf(5);
        const QRect rect = gdiRect(X(r.number(1)), Y(r.number(2)), X(r.number(3)), Y(r.number(4)));
        fillShape(rect, brushColour(8), brushStyleFromNumber(r.number(9)), true);
        outline(rect, true);
        return;
    }
    case RecordKind::FRect: {
        const QRect rect = gdiRect(X(r.number(1)), Y(r.number(2)), X(r.number(3)), Y(r.number(4)));
        const int mode = r.number(6);
        p.save();
        if (mode == 2)
            p.setCompositionMode(QPainter::CompositionMode_Multiply);
        p.fillRect(rect, colour(5));
        p.restore();
        return;
    }
    case RecordKind::MaruMoji: {
        const std::string text = r.field(4);
        if (text.empty())
            return;
        QFont f(qtFontFamily(resolveFontName(r.field(5))));
        const FontStyle fs = styleFromCode(r.field(7));
        f.setPixelSize(std::max(1, mulDiv(r.number(6, 10), s_.ppi, 72)));
        f.setBold(fs.bold);
        f.setItalic(fs.italic);
        f.setUnderline(fs.underline);
        f.setStrikeOut(fs.strikeOut);
        const QColor c = colour(8);
        const QString qs = QString::fromStdString(text);
        const QFontMetricsF fm(f, p.device());
        const int cx = X(r.number(1)), cy = Y(r.number(2));
        p.save();
        p.setFont(f);
        p.setPen(c);
        const double w = fm.horizontalAdvance(qs);
        p.drawText(QPointF(cx - w / 2, cy - (fm.ascent() + fm.descent()) / 2 + fm.ascent()), qs);
        const int rad = roundEven(r.number(3) * 0.5 * s_.scaleY);
        QPen pen(c);
        const int pw = roundEven((upperAscii(r.field(7)) == "B" ? 2 : 1) * s_.scaleX);
        pen.setWidth(pw <= 1 ? 0 : pw);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPoint(cx, cy), rad, rad);
        p.restore();
        return;
    }
    case RecordKind::Image:
        drawImage(r, gdiRect(X(r.number(1)), Y(r.number(2)), X(r.number(3)), Y(r.number(4))), p);
        return;
    case RecordKind::Chart: {
        if (!s_.chartHost)
            throw std::runtime_error("チャートの表示元がありません");
        const double z = s_.zoom * 0.1;
        const auto cx = [&](int v) { return hs(roundEven(roundEven(v * s_.scaleX * z) + st.F + st.originX)); };
        const auto cy = [&](int v) { return vs(roundEven(roundEven(v * s_.scaleY * z) + st.E + st.originY)); };
        s_.chartHost->drawPanel(
            r.number(6), p, gdiRect(cx(r.number(2)), cy(r.number(3)), cx(r.number(4)), cy(r.number(5))));
        return;
    }
    case RecordKind::Memo:
        drawMemo(st, r, p);
        return;
    case RecordKind::Variable:
        drawVariable(st, r, p);
        return;
    case RecordKind::Text:
    case RecordKind::NText:
    case RecordKind::UText:
    case RecordKind::VText:
        drawText(st, r, p);
        return;
    }
}

void PageRenderer::drawText(State& st, const Record& r, QPainter& p)
{
    const auto hs = [&](double d) { return st.hs(d); };
    const auto vs = [&](double d) { return st.vs(d); };
    const int x = r.number(1), y = r.number(2);
    const std::string text = r.field(3);
    const int size = r.number(5, 10);
    const FontStyle fs = styleFromCode(r.field(6));
    const QColor colour = toQColor(resolveColour(r.field(7), st.layer));
    std::optional<Colour> bg = backgroundFromField(r.field(8), s_.job.Colours);
    if (bg)
        *bg = applyGreyScale(*bg, s_.job.GrayScale);
    const Alignment align = alignmentFromField(r.field(9));
    const int width = r.number(10);
    const bool vcentre = r.number(11) == 1;

    if (size > 0) {
        st.fontHeight = (s_.vRatio != 0 && s_.vRatio != 1000)
            ? static_cast<int>(std::trunc(roundEven(size * s_.ppi * s_.vRatio * 0.001) / 72.0))
            : mulDiv(size, s_.ppi, 72);
    }
    const std::string fontName = resolveFontName(r.field(4));
    QFont font(qtFontFamily(fontName));
    font.setPixelSize(std::max(1, st.fontHeight));
    font.setBold(fs.bold);
    font.setItalic(fs.italic);
    font.setUnderline(fs.underline);
    font.setStrikeOut(fs.strikeOut);
    const QFontMetricsF fm(font, p.device());
    const double cellH = fm.ascent() + fm.descent();
    const int voff = vcentre ? roundEven(std::abs(st.fontHeight) * 0.5 - 0.55) : 0;

    const auto chars = characters(text);
    const QString qtext = QString::fromStdString(text);

    p.save();
    p.setFont(font);
    p.setPen(colour);
    // Draws at a top-left corner; answers the advance.
    const auto put = [&](QPointF topLeft, const QString& s) {
        const double w = fm.horizontalAdvance(s);
        if (bg)
            p.fillRect(QRectF(topLeft.x(), topLeft.y(), w, cellH), toQColor(*bg));
        p.drawText(QPointF(topLeft.x(), topLeft.y() + fm.ascent()), s);
        return w;
    };

    const QString firstLine = qtext.section(QChar('\t'), 0, 0);
    double P = hs(roundEven(x * s_.scaleX));
    const double textW
        = fm.horizontalAdvance(r.kind() == RecordKind::VText && !chars.empty() ? chars[0].first : firstLine);
    if (align == Alignment::Center)
        P -= roundEven(textW / 2);
    else if (align == Alignment::Right)
        P -= roundEven(textW);
    else if (vcentre && !chars.empty())
        P -= roundEven(0.5 * fm.horizontalAdvance(chars[0].first));
    const double X = hs(st.originX + st.F) + P;
    const auto Yof = [&](double yy) { return vs(roundEven(yy * s_.scaleY) + st.originY + st.E - voff); };

    bool done = false;
    if (r.kind() == RecordKind::UText && chars.size() >= 2 && width > 0) {
        const int bytes = static_cast<int>(platform::codec::sjisWidth(text));
        const auto& last = chars.back();
        const double pitch = (width - fm.horizontalAdvance(last.first) / s_.scaleX) / (bytes - last.second);
        if (pitch > 0) {
            double xi = x;
            for (const auto& [ch, b] : chars) {
                st.penPos = QPointF(hs(roundEven(xi * s_.scaleX) + st.originX + st.F), Yof(y));
                const double w = put(st.penPos, ch);
                st.penPos.rx() += w;
                xi += pitch * b;
            }
            done = true;
        }
    } else if (r.kind() == RecordKind::VText && !chars.empty()) {
        const double h = cellH;
        const int n = static_cast<int>(chars.size());
        const int pitch = n < 3 ? width - roundEven(h / s_.scaleY) : roundEven((width - h / s_.scaleY) / (n - 1));
        if (pitch >= 1) {
            int yi = y;
            for (const auto& [ch, b] : chars) {
                const QPointF at(X, Yof(yi));
                if (ch == QStringLiteral("ー")) {
                    // the long-vowel mark of vertical writing: "一" turned, one point smaller
                    QFont small = font;
                    small.setPixelSize(std::max(1, mulDiv(std::max(1, size - 1), s_.ppi, 72)));
                    const QFontMetricsF sm(small, p.device());
                    const QString bar = QStringLiteral("一");
                    const double w = sm.horizontalAdvance(bar);
                    p.save();
                    p.setFont(small);
                    p.translate(at.x() + w / 2, at.y() + cellH / 2);
                    p.rotate(90);
                    p.drawText(QPointF(-w / 2, -(sm.ascent() + sm.descent()) / 2 + sm.ascent()), bar);
                    p.restore();
                } else {
                    put(at, ch);
                }
                yi += pitch;
            }
            st.penPos = QPointF(X, Yof(yi));
            done = true;
        }
    }
    if (!done) {
        const QStringList pieces = qtext.split(QChar('\t'));
        if (pieces.size() > 1) {
            double top = Yof(y);
            for (const QString& piece : pieces) {
                st.penPos = QPointF(X, top);
                st.penPos.rx() += put(st.penPos, piece);
                top += cellH;
            }
        } else {
            const double px = x == 0 ? st.penPos.x() : X;
            const double py = y == 0 ? st.penPos.y() : Yof(y);
            if (fs.doubleUnderline) {
                const int bytes = static_cast<int>(platform::codec::sjisWidth(text));
                if (bytes >= 1 && bytes <= 126) {
                    p.drawText(QPointF(px, py + roundEven(4 * s_.scaleY) + fm.ascent()), QString(bytes, QChar(' ')));
                }
            }
            const double w = put(QPointF(px, py), qtext);
            st.penPos = QPointF(px + w, py);
        }
    }
    p.restore();
}

void PageRenderer::drawVariable(State& st, const Record& r, QPainter& p)
{
    if (!s_.vars || !s_.slot || r.field(1).empty())
        return; // no such variable: nothing printed
    const int slot = *s_.slot;
    const int entry = s_.vars->lookup(slot, r.field(1));
    if (entry == 0)
        return;
    const TDataField& v = s_.vars->field(slot, entry);
    int& used = st.uses[entry];
    if (v.once == 1 && used > 0)
        return;
    int y = v.y;
    const int pitch = s_.vars->field(slot, 0).width;
    if (pitch > 0) {
        y = std::min(v.y + used * pitch, (s_.paperHeightMM - 10) * 10);
        ++used;
    }
    const int size = r.number(3) != 0 ? r.number(3) : v.fontSize;
    // "@" styles keep their case: a lower-case code is plain
    std::string style = v.style;
    if (!r.field(4).empty())
        style = upperAscii(r.field(4)) == r.field(4) ? r.field(4) : std::string("-");
    const Record text(std::string(v.width > 0 ? "UTEXT;" : "TEXT;") + std::to_string(v.x) + ";" + std::to_string(y)
        + ";" + r.field(2) + ";" + v.fontName + ";" + std::to_string(size) + ";" + style + ";" + v.colour + ";"
        + v.background + ";" + v.alignment + ";" + std::to_string(v.width) + ";" + std::to_string(v.vcentre) + ";");
    drawText(st, text, p);
}

void PageRenderer::drawMemo(State& st, const Record& r, QPainter& p)
{
    const int x1 = st.originX + roundEven(r.number(1) * s_.scaleX) + st.F;
    const int y1 = roundEven(r.number(2) * s_.scaleY) + st.originY + st.E;
    const int x2 = st.originX + roundEven(r.number(3) * s_.scaleX) + st.F;
    const int y2 = roundEven(r.number(4) * s_.scaleY) + st.originY + st.E;
    const int frame = r.number(6);
    QFont font(qtFontFamily(resolveFontName(r.field(7))));
    font.setPixelSize(std::max(1, mulDiv(r.number(8, 10), s_.ppi, 72)));
    const FontStyle fs = styleFromCode(r.field(9));
    font.setBold(fs.bold);
    font.setItalic(fs.italic);
    font.setUnderline(fs.underline);
    font.setStrikeOut(fs.strikeOut);
    const QColor colour = toQColor(resolveColour(r.field(10), st.layer));
    p.save();
    if (frame >= 0) {
        const int pw = roundEven(frame * s_.scaleX);
        QPen pen(colour);
        pen.setWidth(pw <= 1 ? 0 : pw);
        p.setPen(pen);
        p.setBrush(Qt::white);
        p.drawRect(QRect(QPoint(x1 - 5, y1 - 5), QPoint(x2 + 5, y2 + 5)));
    }
    p.setFont(font);
    p.setPen(colour);
    const QFontMetricsF fm(font, p.device());
    const double h = fm.ascent() + fm.descent();
    const double boxW = x2 - x1;
    QStringList pieces;
    for (const QString& line : QString::fromStdString(r.field(5)).split(QChar('\t'))) {
        QString cur;
        for (const QChar c : line) {
            if (!cur.isEmpty() && fm.horizontalAdvance(cur + c) > boxW) {
                pieces << cur;
                cur.clear();
            }
            cur += c;
        }
        pieces << cur;
    }
    const auto hs = [&](double d) { return st.hs(d); };
    const auto vs = [&](double d) { return st.vs(d); };
    for (int k = 0; k < pieces.size(); ++k) {
        // a piece is drawn only when it fits the rectangle entirely
        if (y1 + (k + 1) * h > y2)
            break;
        p.drawText(QPointF(hs(x1), vs(y1 + k * h) + fm.ascent()), pieces[k]);
    }
    p.restore();
}

void PageRenderer::drawSubForm(State& st, const Record& r, QPainter& p, LayerResult& result)
{
    const std::string name = r.field(1);
    std::error_code ec;
    if (name.empty() || !std::filesystem::exists(name, ec))
        return;
    if (upperAscii(r.field(2)) == "TRUE") {
        if (!s_.vars)
            throw std::runtime_error("変数表がありません: " + name);
        s_.vars->load(name, r.number(3), r.number(4), log_);
    }
    const auto path = findFormFile(name);
    if (!path)
        return;
    const PageSplit form(readLines(*path));
    const auto lines = form.page(1);
    PageRenderer sub(s_, log_);
    sub.s_.pageNumber = 0;
    LayerResult subResult;
    sub.drawLayer(
        Layer::SubForm, lines, p, roundEven(r.number(3) * s_.scaleX), roundEven(r.number(4) * s_.scaleY), subResult);
    result.failures += subResult.failures;
    (void)st;
}

void PageRenderer::drawImage(const Record& r, const QRect& rect, QPainter& p)
{
    const std::string name = r.field(5);
    std::error_code ec;
    if (name.empty() || !std::filesystem::exists(name, ec))
        return;
    const std::string ext = upperAscii(std::filesystem::path(name).extension().string());
    if (ext == ".WMF" || ext == ".EMF")
        throw std::runtime_error(name + ": メタファイルは表示できません");
    if (ext != ".BMP" && ext != ".JPG")
        return;
    QImageReader reader(QString::fromStdString(name));
    const QImage img = reader.read();
    if (img.isNull())
        throw std::runtime_error(name + " ビットマップイメージの取得ができない　GETDIB()");
    p.save();
    if (r.number(6) != 0)
        p.setCompositionMode(QPainter::CompositionMode_Multiply);
    p.setRenderHint(QPainter::SmoothPixmapTransform, s_.printer);
    p.drawImage(rect, img);
    p.restore();
}

} // namespace print
