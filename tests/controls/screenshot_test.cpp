// Writes a picture of the controls, a message box and the period panel when
// CONTROLS_SCREENSHOT names the PNG to write (run it on a real display, e.g.
// xvfb-run with QT_QPA_PLATFORM=xcb, to check the Japanese fonts).
#include "controls/TolvanEdit.h"
#include "controls/xEdit.h"
#include "controls/xKikanPanel.h"
#include "controls/xPlButton.h"
#include "controls/z5MessageDlg2.h"
#include "core/DateTimeUtil.h"

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QTest>

namespace {

TEST(ControlsScreenshot, WritesPictureWhenAsked)
{
    const QString target = qEnvironmentVariable("CONTROLS_SCREENSHOT");
    if (target.isEmpty()) {
        GTEST_SKIP() << "set CONTROLS_SCREENSHOT to write the picture";
    }
    QWidget form;
    form.setWindowTitle(QStringLiteral("入力部品の確認"));
    form.resize(520, 300);
    auto label = [&form](const char* text, int y) {
        auto* l = new QLabel(QString::fromUtf8(text), &form);
        l->move(12, y + 4);
    };
    label("会社名", 12);
    auto* name = new TxEdit(&form);
    name->setGeometry(110, 12, 240, 24);
    name->setText(QStringLiteral("株式会社ﾐﾙｻﾞ商事　①"));
    label("金額", 44);
    auto* amount = new TTolvanEdit(&form);
    amount->setGeometry(110, 44, 160, 24);
    amount->SetAlignment(taRightJustify);
    amount->SetEditStyle(esNumericMinus);
    amount->SetOutputFormat(QStringLiteral("#,##0"));
    amount->SetComma(true);
    label("科目", 76);
    auto* combo = new TxComboBox(&form);
    combo->setGeometry(110, 76, 240, 24);
    combo->setEditable(true);
    combo->addItems({QStringLiteral("01:現金"), QStringLiteral("02:普通預金"), QStringLiteral("03:売掛金")});
    combo->setCurrentIndex(1);
    auto* check = new TxCheckBox(QStringLiteral("0円の明細を省略する"), &form);
    check->move(110, 108);
    check->setChecked(true);
    auto* taxIn = new TxRadioButton(QStringLiteral("税込"), &form);
    taxIn->move(110, 136);
    taxIn->setChecked(true);
    auto* taxOut = new TxRadioButton(QStringLiteral("税抜"), &form);
    taxOut->move(190, 136);
    label("計算期間", 168);
    auto* panel = new TxKikanPanel16(&form);
    panel->setGeometry(110, 168, 16 * 22 + 8, 24); // wide enough for this font's "12"
    panel->SetKikanInfo(99, EncodeDate(2024, 4, 1), EncodeDate(2025, 3, 31), EncodeDate(2024, 4, 1));
    panel->SetStno(0);
    panel->SetEdno(6);
    auto* ok = new TxPlButton(&form);
    ok->setGeometry(300, 250, 90, 28);
    ok->CaptionA().SetCaption(QStringLiteral("F12:実行"));
    auto* cancel = new TxPlButton(&form);
    cancel->setGeometry(400, 250, 90, 28);
    cancel->SetButtonStyle(TxPlButtonStyle::bsRoundRect);
    cancel->CaptionA().SetCaption(QStringLiteral("Esc:閉じる"));
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    amount->setFocus();
    QTest::keyClicks(amount, QStringLiteral("1234567"));

    TMessage2InfoRec rec;
    InitMessage2Info(msgkind::Confirmation, rec);
    rec.lines[0].text = "会計データと連動する項目を「自動取得」に切り替えます。";
    rec.lines[1].text = "よろしいですか？";
    rec.lines[2].text = "注意）上書き入力した項目は、会計データの集計値により書き換えられます。";
    rec.lines[2].colour = 255;
    rec.lines[3].text = "操作説明を開く";
    rec.lines[3].link = "https://example.invalid/manual";
    rec.agreeMode = 1;
    rec.agreeCaption = "同意する";
    rec.agreeChecked = true;
    TMessageBox2 box;
    box.SetMessage(0, rec);
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));

    const QImage top = form.grab().toImage();
    const QImage bottom = box.grab().toImage();
    const int gap = 28;
    QImage out(
        std::max(top.width(), bottom.width()) + 16, top.height() + bottom.height() + 2 * gap + 8, QImage::Format_RGB32);
    out.fill(QColor(0x60, 0x70, 0x80));
    QPainter p(&out);
    p.setPen(Qt::white);
    p.drawText(8, 18, form.windowTitle());
    p.drawImage(8, gap, top);
    p.drawText(8, gap + top.height() + 18, box.windowTitle());
    p.drawImage(8, 2 * gap + top.height(), bottom);
    p.end();
    ASSERT_TRUE(out.save(target, "PNG"));
}

} // namespace
