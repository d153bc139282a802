#include "print/z5PrnColorSet.h"

#include "controls/xPlButton.h"
#include "core/DataModuleSysDef.h"
#include "core/MessageService.h"
#include "core/uAccRecord.h"
#include "platform/plain_text.h"

#include <QColorDialog>
#include <QEvent>
#include <QFrame>
#include <QLabel>

#include <cstdio>

namespace {
constexpr const char* kCustomStyle = "Pallet_CustomColor";
using controls::fromQColor;
using controls::toQColor;
} // namespace

TPrnColorSetBox::TPrnColorSetBox(QWidget* parent)
    : TBSDI(parent)
{
    setObjectName("PrnColorSetBox");
    setWindowTitle(QStringLiteral("帳票色の選択"));
    resize(333, 231);
    RunLog = false;
    SizeMemory = false;
    const char* labels[] = {"枠線:", "縦横線:", "見出し行:", "合計行:"};
    const char* panelNames[] = {"pnlLineColor1", "pnlLineColor2", "pnlNetColor1", "pnlNetColor2"};
    const char* buttonNames[] = {"btnLineColor1", "btnLineColor2", "btnNetColor1", "btnNetColor2"};
    for (int i = 0; i < 4; ++i) {
        auto* l = new QLabel(QString::fromUtf8(labels[i]), this);
        l->setGeometry(24, 20 + i * 36, 80, 20);
        auto* panel = new QFrame(this);
        panel->setObjectName(panelNames[i]);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setAutoFillBackground(true);
        panel->setGeometry(110, 20 + i * 36, 105, 20);
        panels_[static_cast<std::size_t>(i)] = panel;
        auto* b = new TxPlButton(this);
        b->setObjectName(buttonNames[i]);
        b->CaptionA().SetCaption(QStringLiteral("変更"));
        b->setGeometry(230, 17 + i * 36, 70, 26);
        connect(b, &TxPlButton::OnClick, this, [this, i] { btnLineColor1Click(i); });
        changeButtons[static_cast<std::size_t>(i)] = b;
    }
    lblKankyoColor = new QLabel(QStringLiteral("環境設定の色に戻す"), this);
    lblKankyoColor->setObjectName("lblKankyoColor");
    lblKankyoColor->setGeometry(24, 164, 160, 20);
    lblKankyoColor->setCursor(Qt::PointingHandCursor);
    lblKankyoColor->installEventFilter(this);
    btnOK = new TxPlButton(this);
    btnOK->setObjectName("btnOK");
    btnOK->CaptionA().SetCaption(QStringLiteral("OK"));
    btnOK->SetModalResult(QDialog::Accepted);
    btnOK->setGeometry(150, 195, 80, 26);
    connect(btnOK, &TxPlButton::OnClick, this, &TPrnColorSetBox::btnOKClick);
    btnCancel = new TxPlButton(this);
    btnCancel->setObjectName("btnCancel");
    btnCancel->CaptionA().SetCaption(QStringLiteral("キャンセル"));
    btnCancel->setGeometry(240, 195, 80, 26);
    connect(btnCancel, &TxPlButton::OnClick, this, &QDialog::reject);
    DefaultButton = btnOK;
    LineColor1 = static_cast<TColorValue>(SysDef.PLineColor1);
    LineColor2 = static_cast<TColorValue>(SysDef.PLineColor2);
    NetColor1 = static_cast<TColorValue>(SysDef.NetColor1);
    NetColor2 = static_cast<TColorValue>(SysDef.NetColor2);
    InitOK = true;
}

void TPrnColorSetBox::paint(int tag, TColorValue c)
{
    shown_[static_cast<std::size_t>(tag)] = c;
    QFrame* p = panels_[static_cast<std::size_t>(tag)];
    QPalette pal = p->palette();
    pal.setColor(QPalette::Window, toQColor(c));
    p->setPalette(pal);
}

TColorValue TPrnColorSetBox::PanelColor(int tag) const
{
    return shown_[static_cast<std::size_t>(tag)];
}

void TPrnColorSetBox::SetLineColor1(TColorValue c)
{
    LineColor1 = c;
    paint(0, c);
}
void TPrnColorSetBox::SetLineColor2(TColorValue c)
{
    LineColor2 = c;
    paint(1, c);
}
void TPrnColorSetBox::SetNetColor1(TColorValue c)
{
    NetColor1 = c;
    paint(2, c);
}
void TPrnColorSetBox::SetNetColor2(TColorValue c)
{
    NetColor2 = c;
    paint(3, c);
}

std::string TPrnColorSetBox::CustomColorsText(const std::array<TColorValue, 16>& colours)
{
    std::vector<std::string> lines;
    for (int i = 0; i < 16; ++i) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "Color%c=%06X", 'A' + i,
            static_cast<unsigned>(colours[static_cast<std::size_t>(i)] & 0xFFFFFF));
        lines.emplace_back(buf);
    }
    return platform::text::joinLines(lines);
}

std::array<TColorValue, 16> TPrnColorSetBox::CustomColorsFrom(const std::string& text)
{
    std::array<TColorValue, 16> out;
    out.fill(0xFFFFFF);
    for (const std::string& line : platform::text::splitLines(text)) {
        if (line.size() < 8 || line.compare(0, 5, "Color") != 0 || line[6] != '=')
            continue;
        const int i = line[5] - 'A';
        if (i < 0 || i >= 16)
            continue;
        try {
            out[static_cast<std::size_t>(i)] = static_cast<TColorValue>(std::stoul(line.substr(7), nullptr, 16));
        } catch (const std::exception&) {
        }
    }
    return out;
}

void TPrnColorSetBox::InitDialog(bool flag)
{
    flag_ = flag;
    SetControls();
    AlwaysPlace = false;
}

void TPrnColorSetBox::SetControls()
{
    paint(0, LineColor1);
    paint(1, LineColor2);
    paint(2, NetColor1);
    paint(3, NetColor2);
    QPalette pal = lblKankyoColor->palette();
    pal.setColor(QPalette::WindowText, toQColor(0xFF0000)); // blue
    lblKankyoColor->setPalette(pal);
    QFont f = lblKankyoColor->font();
    f.setUnderline(true);
    lblKankyoColor->setFont(f);
    lblKankyoColor->setVisible(PerStyle);
    std::string text;
    core::GetStyleColorStr(SysDef.OpCode, kCustomStyle, text);
    CustomColors = CustomColorsFrom(text);
}

void TPrnColorSetBox::btnLineColor1Click(int tag)
{
    std::optional<TColorValue> chosen;
    if (PickColour) {
        chosen = PickColour(PanelColor(tag));
    } else {
        for (int i = 0; i < 16; ++i)
            QColorDialog::setCustomColor(i, toQColor(CustomColors[static_cast<std::size_t>(i)]));
        const QColor c = QColorDialog::getColor(toQColor(PanelColor(tag)), this, windowTitle());
        for (int i = 0; i < 16; ++i)
            CustomColors[static_cast<std::size_t>(i)] = fromQColor(QColorDialog::customColor(i));
        if (c.isValid())
            chosen = fromQColor(c);
    }
    if (chosen)
        paint(tag, *chosen);
}

bool TPrnColorSetBox::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == lblKankyoColor && e->type() == QEvent::MouseButtonRelease) {
        lblKankyoColorClick();
        return true;
    }
    return TBSDI::eventFilter(watched, e);
}

void TPrnColorSetBox::lblKankyoColorClick()
{
    if (ShowMessageLines(
            msgkind::Confirmation, {"帳票の色を環境設定の色に戻します。", "よろしいですか？"}, msgbtn::Yes | msgbtn::No)
        != modal::Yes)
        return;
    QPalette pal = lblKankyoColor->palette();
    pal.setColor(QPalette::WindowText, toQColor(0x800080));
    lblKankyoColor->setPalette(pal);
    paint(0, static_cast<TColorValue>(SysDef.PLineColor1));
    paint(1, static_cast<TColorValue>(SysDef.PLineColor2));
    paint(2, static_cast<TColorValue>(SysDef.NetColor1));
    paint(3, static_cast<TColorValue>(SysDef.NetColor2));
}

void TPrnColorSetBox::btnOKClick()
{
    LineColor1 = shown_[0];
    LineColor2 = shown_[1];
    NetColor1 = shown_[2];
    NetColor2 = shown_[3];
    if (!PerStyle) {
        SysDef.PLineColor1 = static_cast<int>(LineColor1);
        SysDef.PLineColor2 = static_cast<int>(LineColor2);
        SysDef.NetColor1 = static_cast<int>(NetColor1);
        SysDef.NetColor2 = static_cast<int>(NetColor2);
        core::fnPutSysDef();
    }
    setResult(QDialog::Accepted);
}

void TPrnColorSetBox::FormClose(TCloseAction& action)
{
    TBSDI::FormClose(action);
    action = TCloseAction::caHide;
    core::PutStyleColorStr(SysDef.OpCode, kCustomStyle, CustomColorsText(CustomColors));
}
