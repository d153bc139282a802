#include "print/MarginDialog.h"

#include "controls/xEdit.h"
#include "platform/plain_text.h"
#include "platform/xdg_folders.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace print {

char16_t FilterNumericKey(const std::u16string& text, char16_t key, int kind, bool whole)
{
    const bool digit = key >= u'0' && key <= u'9';
    const char16_t bs = 8;
    const auto valueIsZero = [&] {
        const std::string t(text.begin(), text.end());
        return platform::text::toIntOr(t, 0) == 0;
    };
    switch (kind) {
    case 0:
        if (!digit)
            return 0;
        return key == u'0' && valueIsZero() ? 0 : key;
    case 1:
        if (key == bs)
            return key;
        if (!digit)
            return 0;
        return key == u'0' && valueIsZero() ? 0 : key;
    case 2:
        if (key == bs)
            return key;
        if (digit)
            return key == u'0' && text == u"0" && !whole ? 0 : key;
        if (key == u'.' && !text.empty() && text.find(u'.') == std::u16string::npos)
            return key;
        return 0;
    case 3:
    case 4:
        if (key == bs)
            return key;
        if (digit) {
            if (key == u'0' && !whole && (text == u"0" || text == u"-"))
                return 0;
            if (kind == 4 && key == u'0' && !whole && !text.empty() && text.back() == u'.')
                return 0;
            return key;
        }
        if (key == u'-')
            return text.empty() || whole ? key : 0;
        if (kind == 4 && key == u'.' && !text.empty() && text.find(u'.') == std::u16string::npos)
            return key;
        return 0;
    default:
        return 0;
    }
}

int SplitFields(const std::string& text, char sep, std::vector<std::string>& pieces)
{
    pieces.clear();
    const std::string t = text.substr(0, text.find("//"));
    if (t.empty())
        return 0;
    int separators = 0;
    std::string cur;
    for (char c : t) {
        if (c == sep && separators < 100) {
            pieces.push_back(cur);
            cur.clear();
            ++separators;
        } else {
            cur.push_back(c);
        }
    }
    pieces.push_back(cur);
    return separators;
}

std::string NthField(const std::string& text, char sep, int n)
{
    std::vector<std::string> pieces;
    SplitFields(text, sep, pieces);
    if (n < 0 || n >= static_cast<int>(pieces.size()))
        return {};
    std::string p = pieces[static_cast<std::size_t>(n)];
    const auto b = p.find_first_not_of(' ');
    if (b == std::string::npos)
        return {};
    return p.substr(b, p.find_last_not_of(' ') - b + 1);
}

double SafeStrToFloat(const std::string& text)
{
    try {
        std::size_t used = 0;
        const double v = std::stod(text, &used);
        return used == text.size() ? v : 0.0;
    } catch (const std::exception&) {
        return 0.0;
    }
}

std::string GetSpecialFolder()
{
    const std::string dir = platform::xdg_folders::documentsDir();
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    return dir;
}

namespace {

TxEdit* numberField(QWidget* parent, const char* name, QPoint at)
{
    auto* e = new TxEdit(parent);
    e->setObjectName(name);
    e->setGeometry(at.x(), at.y(), 30, 20);
    e->setMaxLength(4); // three digits and a sign
    e->setText(QStringLiteral("0"));
    e->setAlignment(Qt::AlignRight);
    e->setFrame(false);
    e->setAttribute(Qt::WA_InputMethodEnabled, false);
    return e;
}

// Up and down buttons beside a field, stepping its number.
void upDown(QWidget* parent, TxEdit* edit, int step, const std::function<int()>& limit)
{
    const auto make = [&](const QString& text, int dir, int dy) {
        auto* b = new QToolButton(parent);
        b->setText(text);
        b->setGeometry(edit->x() + 31, edit->y() + dy, 14, 10);
        QObject::connect(b, &QToolButton::clicked, edit, [edit, step, dir, limit] {
            const int lim = limit();
            const int v = platform::text::toIntOr(edit->text().toStdString(), 0) + dir * step;
            edit->setText(QString::number(std::clamp(v, -lim, lim)));
        });
    };
    make(QStringLiteral("▲"), 1, 0);
    make(QStringLiteral("▼"), -1, 10);
}

} // namespace

Tfmyohaku::Tfmyohaku(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("設定"));
    resize(260, 320);
    auto* margins = new QGroupBox(QStringLiteral("余白設定"), this);
    margins->setGeometry(8, 8, 244, 130);
    edtLeft = numberField(margins, "edtLeft", {88, 33});
    edtTop = numberField(margins, "edtTop", {28, 68});
    upDown(margins, edtLeft, 10, [this] { return leftLimit_; });
    upDown(margins, edtTop, 10, [this] { return topLimit_; });
    (new QLabel(QStringLiteral("(1/10)mm"), margins))->setGeometry(150, 68, 80, 20);
    (new QLabel(QStringLiteral("逆方向はマイナス （max=100）"), margins))->setGeometry(8, 100, 230, 20);
    auto* spacing = new QGroupBox(QStringLiteral("行間隔・文字間隔"), this);
    spacing->setGeometry(8, 146, 244, 110);
    spacingGroup_ = spacing;
    (new QLabel(QStringLiteral("縦補正"), spacing))->setGeometry(20, 25, 60, 20);
    (new QLabel(QStringLiteral("横補正"), spacing))->setGeometry(20, 49, 60, 20);
    edtVCorr = numberField(spacing, "edtVCorr", {89, 25});
    edtHCorr = numberField(spacing, "edtHCorr", {89, 49});
    upDown(spacing, edtVCorr, 1, [] { return 50; });
    upDown(spacing, edtHCorr, 1, [] { return 50; });
    (new QLabel(QStringLiteral("(1/10) ％"), spacing))->setGeometry(140, 37, 80, 20);
    (new QLabel(QStringLiteral("(max=50)"), spacing))->setGeometry(20, 78, 120, 20);
    auto* ok = new QPushButton(QStringLiteral("ＯＫ"), this);
    ok->setObjectName("OkButton");
    ok->setGeometry(90, 270, 80, 28);
    connect(ok, &QPushButton::clicked, this, &Tfmyohaku::OkClick);
    for (TxEdit* e : {edtLeft, edtTop, edtVCorr, edtHCorr})
        e->installEventFilter(this);
    setTabOrder(edtTop, edtLeft);
    setTabOrder(edtVCorr, edtHCorr);
}

int Tfmyohaku::limitOf(const TxEdit* edit) const
{
    if (edit == edtTop)
        return topLimit_;
    if (edit == edtLeft)
        return leftLimit_;
    return 50;
}

void Tfmyohaku::clampField(TxEdit* edit) const
{
    const int lim = limitOf(edit);
    const int v = platform::text::toIntOr(edit->text().toStdString(), 0);
    if (v > lim || v < -lim)
        edit->setText(QString::number(std::clamp(v, -lim, lim)));
}

// A margin beyond the usual ±100 is shown and kept as it is, so opening the
// dialog and pressing OK never changes a job's margins.
void Tfmyohaku::setTopMargin(int v)
{
    TopMargin = v;
    topLimit_ = std::max(100, std::abs(v));
    edtTop->setText(QString::number(v));
}
void Tfmyohaku::setLeftMargin(int v)
{
    LeftMargin = v;
    leftLimit_ = std::max(100, std::abs(v));
    edtLeft->setText(QString::number(v));
}
void Tfmyohaku::setVRatio(int v)
{
    VRatio = v;
    edtVCorr->setText(QString::number(v >= 950 && v <= 1050 ? v - 1000 : 0));
}
void Tfmyohaku::setHRatio(int v)
{
    HRatio = v;
    edtHCorr->setText(QString::number(v >= 950 && v <= 1050 ? v - 1000 : 0));
}

void Tfmyohaku::setSpacingVisible(bool on)
{
    spacingGroup_->setVisible(on);
    resize(width(), on ? 320 : 220);
}

bool Tfmyohaku::eventFilter(QObject* watched, QEvent* event)
{
    auto* edit = qobject_cast<TxEdit*>(watched);
    if (edit && event->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(event);
        const QString t = k->text();
        if (k->key() != Qt::Key_Return && k->key() != Qt::Key_Enter && t.size() == 1 && t[0].unicode() >= 8
            && (t[0].unicode() == 8 || t[0].unicode() >= 32)) {
            const bool whole = edit->hasSelectedText() && edit->selectedText() == edit->text();
            if (FilterNumericKey(edit->text().toStdU16String(), t[0].unicode(), 3, whole) == 0)
                return true;
        }
    } else if (edit && event->type() == QEvent::FocusOut) {
        clampField(edit);
    }
    return QDialog::eventFilter(watched, event);
}

void Tfmyohaku::OkClick()
{
    for (TxEdit* e : {edtLeft, edtTop, edtVCorr, edtHCorr})
        clampField(e);
    const auto num = [](const TxEdit* e) { return platform::text::toIntOr(e->text().toStdString(), 0); };
    TopMargin = num(edtTop);
    LeftMargin = num(edtLeft);
    VRatio = 1000 + num(edtVCorr);
    HRatio = 1000 + num(edtHCorr);
    accept();
}

} // namespace print
