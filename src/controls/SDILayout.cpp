#include "controls/SDILayout.h"

#include "accounting/uAccTaxCmp.h"
#include "controls/xPlButton.h"
#include "core/uAccRecord.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QTableView>
#include <QTreeView>
#include <QWidget>

#include <cstdlib>

namespace controls {

namespace {

// Windows font families of the settings are not installed here; these are
// the Gothic faces that show Japanese text.
const QStringList kFallbackFamilies
    = {QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans CJK JP")};

QFont fontFrom(const TFontSpec& spec, int points)
{
    QFont f;
    QStringList families;
    const QString name = QString::fromUtf8(spec.Name);
    if (!name.isEmpty() && QFontDatabase::hasFamily(name))
        families << name;
    families << kFallbackFamilies;
    f.setFamilies(families);
    f.setPointSize(points);
    f.setBold(spec.Style & 1);
    f.setItalic(spec.Style & 2);
    return f;
}

// A widget whose geometry a layout manages must not be moved by hand.
bool laidOut(const QWidget* w)
{
    const QWidget* parent = w->parentWidget();
    return parent && parent->layout() && parent->layout()->indexOf(const_cast<QWidget*>(w)) >= 0;
}

bool insidePanelNamed(const QWidget* w)
{
    for (const QWidget* p = w->parentWidget(); p && !p->isWindow(); p = p->parentWidget()) {
        if (p->objectName() == QLatin1String("pnlSwkInA") || p->objectName() == QLatin1String("pnlChoseiNasi"))
            return true;
    }
    return false;
}

int scaleDpi(int value, int ppi)
{
    return ppi == 96 ? value : static_cast<int>(static_cast<long long>(value) * ppi / 96);
}

} // namespace

int MulDiv(int a, int b, int c)
{
    if (c == 0)
        return 0;
    const long long p = static_cast<long long>(a) * b;
    const long long q = (std::llabs(p) * 2 + std::llabs(c)) / (2LL * std::llabs(c));
    return static_cast<int>(((p < 0) != (c < 0)) ? -q : q);
}

int FontScalePercent(int screenFontPoints, int baseFontPoints, int ppi)
{
    const int a = MulDiv(screenFontPoints, ppi, 96);
    const int b = MulDiv(baseFontPoints, ppi, 96);
    if (b == 0)
        return 100;
    return static_cast<int>(100LL * a / b);
}

int ScaledPixelsPerInch(int ppi, int baseFontPoints, int percent)
{
    const int d = baseFontPoints == 10 ? ppi : 96;
    // d * percent / 100 as an amount with four decimals, rounded half away
    // from zero to whole units.
    const Currency amount = static_cast<Currency>(d) * percent * (CurrencyScale / 100);
    return static_cast<int>(HasuSyori(1, amount) / CurrencyScale);
}

int FrameShift(int sizingFrameWidth)
{
    return sizingFrameWidth > 4 ? (sizingFrameWidth - 4) * 2 : 0;
}

std::string FacilityCaption(const std::string& caption)
{
    auto replaceAll = [](std::string s, const std::string& from, const std::string& to) {
        for (std::size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
            s.replace(at, from.size(), to);
        return s;
    };
    return replaceAll(replaceAll(caption, "本・支店", "施設"), "支店", "施設");
}

int BaseFontPoints()
{
    return SysDef.ScreenFont.Size > 0 ? SysDef.ScreenFont.Size : 10;
}
int ScreenFontPoints()
{
    return SysDef.GridFont.Size > 0 ? SysDef.GridFont.Size : BaseFontPoints();
}

QFont BaseFormFont()
{
    TFontSpec spec = SysDef.ScreenFont;
    if (spec.Name.empty())
        spec.Name = "ＭＳ Ｐゴシック";
    return fontFrom(spec, BaseFontPoints());
}

QFont OperatorScreenFont()
{
    TFontSpec spec = SysDef.GridFont;
    if (spec.Name.empty())
        spec = SysDef.ScreenFont;
    return fontFrom(spec, ScreenFontPoints());
}

void CompensateFrame(QWidget* form, int shift)
{
    if (shift <= 0)
        return;
    for (QWidget* w : form->findChildren<QWidget*>()) {
        if (w->isWindow() || laidOut(w) || qobject_cast<QGroupBox*>(w->parentWidget()) || insidePanelNamed(w))
            continue;
        w->move(std::max(0, w->x() - shift), w->y());
    }
}

TDesignLayout RecordDesignLayout(QWidget* form, bool facilityLabels)
{
    TDesignLayout layout;
    for (QWidget* w : form->findChildren<QWidget*>()) {
        if (w->isWindow())
            continue;
        TDesignLayout::Entry entry;
        entry.widget = w;
        if (auto* label = qobject_cast<QLabel*>(w); label && facilityLabels)
            label->setText(QString::fromStdString(FacilityCaption(label->text().toStdString())));
        if (auto* table = qobject_cast<QTableView*>(w)) {
            entry.defaultRowHeight = table->verticalHeader()->defaultSectionSize();
            if (table->model())
                for (int c = 0; c < table->model()->columnCount(); ++c)
                    entry.columnWidths.push_back(table->columnWidth(c));
        } else if (auto* tree = qobject_cast<QTreeView*>(w)) {
            if (tree->model())
                for (int c = 0; c < tree->model()->columnCount(); ++c)
                    entry.columnWidths.push_back(tree->columnWidth(c));
        }
        layout.entries.push_back(std::move(entry));
    }
    return layout;
}

void ScaleForm(QWidget* form, int n, int d, const TDesignLayout& layout, const QFont& screenFont)
{
    form->setUpdatesEnabled(false);
    struct Unlock {
        QWidget* w;
        ~Unlock() { w->setUpdatesEnabled(true); }
    } unlock {form};

    if (n != d && d != 0) {
        for (QWidget* w : form->findChildren<QWidget*>()) {
            if (w->isWindow())
                continue;
            if (!laidOut(w)) {
                const QRect g = w->geometry();
                w->setGeometry(
                    MulDiv(g.x(), n, d), MulDiv(g.y(), n, d), MulDiv(g.width(), n, d), MulDiv(g.height(), n, d));
            }
            if (w->testAttribute(Qt::WA_SetFont)) {
                QFont f = w->font();
                if (f.pointSizeF() > 0)
                    f.setPointSizeF(f.pointSizeF() * n / d);
                w->setFont(f);
            }
        }
        form->resize(MulDiv(form->width(), n, d), MulDiv(form->height(), n, d));
    }
    for (const auto& entry : layout.entries) {
        QWidget* w = entry.widget.data();
        if (!w)
            continue;
        if (auto* table = qobject_cast<QTableView*>(w)) {
            table->verticalHeader()->setDefaultSectionSize(scaleDpi(entry.defaultRowHeight, n));
            const int columns = table->model() ? table->model()->columnCount() : 0;
            for (int c = 0; c < columns && c < static_cast<int>(entry.columnWidths.size()); ++c)
                table->setColumnWidth(c, scaleDpi(entry.columnWidths[static_cast<std::size_t>(c)], n));
        } else if (auto* tree = qobject_cast<QTreeView*>(w)) {
            const int columns = tree->model() ? tree->model()->columnCount() : 0;
            for (int c = 0; c < columns && c < static_cast<int>(entry.columnWidths.size()); ++c)
                tree->setColumnWidth(c, scaleDpi(entry.columnWidths[static_cast<std::size_t>(c)], n));
        } else if (auto* button = qobject_cast<TxPlButton*>(w); button && !button->Image().HasPicture()) {
            button->SetCaptionVertCenter(true);
            button->Image().SetVertCenter(true);
        }
    }
    form->setFont(screenFont);
    // Heights designed for another font must not clip the real one.
    for (QWidget* w : form->findChildren<QWidget*>()) {
        if (w->isWindow() || laidOut(w))
            continue;
        const bool textWidget = qobject_cast<QLabel*>(w) || qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w)
            || qobject_cast<QAbstractButton*>(w);
        if (!textWidget)
            continue;
        if (auto* label = qobject_cast<QLabel*>(w); label && label->wordWrap())
            continue;
        const int needed = w->sizeHint().height();
        if (needed > w->height())
            w->resize(w->width(), needed);
    }
}

std::optional<QPoint> PlaceForm(const TPlacement& p)
{
    const int right = p.workArea.x() + p.workArea.width();
    const int bottom = p.workArea.y() + p.workArea.height();
    const int w = p.form.width();
    const int h = p.form.height();
    if (!p.alwaysPlace && p.form.x() > 0 && p.form.x() < right && p.form.y() > 0 && p.form.y() < bottom)
        return std::nullopt;
    int left = 0;
    int top = 0;
    if (p.kind == 1 && p.mainShowing) {
        left = p.mainForm.x() + 2 * p.frameWidth + p.a + p.c / 2 - w / 2;
        top = p.mainForm.y() + 2 * p.frameWidth + 2 * p.captionHeight + p.menuHeight + p.b + p.d / 2 - h / 2;
    } else if (p.kind == 2 && p.mainShowing) {
        left = p.mainForm.x() + (p.mainForm.width() - w) / 2;
        top = p.mainForm.y() + (p.mainForm.height() - h) / 2;
    } else {
        // The screen centre (what the framework does for a centred form).
        left = p.workArea.x() + (p.workArea.width() - w) / 2;
        top = p.workArea.y() + (p.workArea.height() - h) / 2;
    }
    left = std::max(left, 0);
    top = std::max(top, 0);
    if (left + w > right)
        left = right - w;
    if (top + h > bottom)
        top = bottom - h;
    if (p.dialogStyle) {
        left = std::max(left, 0);
        top = std::max(top, 0);
    }
    return QPoint(left, top);
}

} // namespace controls
