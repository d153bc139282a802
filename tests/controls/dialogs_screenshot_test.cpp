// Writes pictures of the base form with its function-key bar, the progress
// window, the input dialog, the message dialog with detail lines, the date
// edit and the check list when CONTROLS_SCREENSHOT_DIR names a folder (run
// it on a real display, e.g. xvfb-run with QT_QPA_PLATFORM=xcb, to check
// the Japanese fonts).

#include "controls/SDI.h"
#include "controls/TolvanExDateEdit.h"
#include "controls/xAnimeProgressDialog.h"
#include "controls/xCheckedComboBox.h"
#include "controls/xEdit.h"
#include "controls/xPlButton.h"
#include "controls/z5InputDlg.h"
#include "controls/z5MessageDlg.h"
#include "core/DateTimeUtil.h"
#include "core/TolvanWarekiLib.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

namespace {

QString shotDir()
{
    return qEnvironmentVariable("CONTROLS_SCREENSHOT_DIR");
}

void save(QWidget* w, const QString& name)
{
    ASSERT_TRUE(w->grab().save(shotDir() + QLatin1Char('/') + name, "PNG")) << name.toStdString();
}

// A screen as the later ones look: fields, a help memo and the
// function-key bar along the bottom.
class TSampleScreen : public TBSDI {
public:
    TSampleScreen()
        : TBSDI(nullptr)
    {
        setWindowTitle(QStringLiteral("データの保存"));
        resize(760, 330);
        auto label = [this](const char* text, int y) {
            auto* l = new QLabel(QString::fromUtf8(text), this);
            l->move(20, y + 4);
        };
        label("会社名", 20);
        auto* name = new TxEdit(this);
        name->setGeometry(120, 20, 300, 24);
        name->setText(QStringLiteral("株式会社ミルザ商事"));
        controls::SetHint(name, QStringLiteral("会社名|保存するデータの会社名です。変更はできません。"));
        label("保存日", 56);
        date = new TTolvanExDateEdit(this);
        date->move(120, 56);
        date->SetGengoTable(GengoTable);
        date->SetDateTime(EncodeDate(2026, 12, 11));
        controls::SetHint(date, QStringLiteral("保存日|データを保存する日付を入力します。"));
        label("担当者", 92);
        auto* who = new TxCheckedComboBox(this);
        who->setGeometry(120, 92, 200, 22);
        who->SetItems({QStringLiteral("001:山田"), QStringLiteral("002:佐藤"), QStringLiteral("003:鈴木")});
        who->SetChecked(0, true);
        who->SetChecked(2, true);
        HintArea = new QPlainTextEdit(this);
        HintArea->setGeometry(20, 140, 720, 110);
        HintArea->setReadOnly(true);
        HelpMemo = HintArea;
        const char* keys[] = {"ESC:ｷｬﾝｾﾙ", "F1:ヘルプ", "F2:", "F3:", "F4:", "F5:", "F6:", "F7:", "F8:", "F12:保存"};
        int x = 8;
        for (const char* caption : keys) {
            auto* key = new TxPlButton(this);
            key->CaptionA().SetCaption(QString::fromUtf8(caption));
            key->setGeometry(x, 280, 72, 40);
            x += 75;
        }
        name->setFocus();
        SetupPeriodControls();
        date->SetGengoTable(GengoTable);
        date->SetGengo(rsWareki);
        date->SetDateTime(EncodeDate(2026, 12, 11));
        InitOK = true;
    }
    QPlainTextEdit* HintArea;
    TTolvanExDateEdit* date;
};

// Grabs the modal dialog once it is up, then closes it.
template <class Dialog> void grabModal(Dialog& dialog, const QString& name, std::function<void(Dialog&)> before = {})
{
    QTimer::singleShot(0, &dialog, [&dialog, name, before] {
        if (before)
            before(dialog);
        QCoreApplication::processEvents();
        save(&dialog, name);
        dialog.done(2);
    });
    dialog.ShowModal();
}

TEST(DialogsScreenshot, WritesPicturesWhenAsked)
{
    if (shotDir().isEmpty())
        GTEST_SKIP() << "set CONTROLS_SCREENSHOT_DIR to write the pictures";
    InitGengoTable();
    SysDef.Reserve4Bit10 = 1;

    TSampleScreen screen;
    screen.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&screen));
    screen.activateWindow();
    (void)QTest::qWaitForWindowActive(&screen);
    screen.findChild<TxEdit*>()->setFocus();
    TBSDI::ShowLongHint(screen.findChild<TxEdit*>(), screen.HintArea);
    QCoreApplication::processEvents();
    save(&screen, QStringLiteral("base-form.png"));

    TxAnimeProgressDialog progress;
    progress.SetCaption(QStringLiteral("データの保存中"));
    progress.SetCommonAVI(TCommonAVI::aviCopyFiles);
    progress.Show(&screen);
    progress.SetInfoLabel(QStringLiteral("データを保存しています…"));
    QCoreApplication::processEvents();
    save(progress.Form(), QStringLiteral("progress-window.png"));
    progress.Hide();

    TInputDlgBox input(&screen);
    input.InputCaption = QStringLiteral("フォルダ名の入力");
    input.InputMessage
        = QStringLiteral("新しいフォルダの名前を入力して下さい。\n次の文字は使用できません。\" * , / : ; < > ? \\ |");
    input.InputValue = QStringLiteral("決算2026年度");
    input.InputHint = QStringLiteral("フォルダ名|作成するフォルダの名前を入力します。");
    input.KeyFilter = inputfilter::PathName;
    input.InitDialog(true);
    grabModal<TInputDlgBox>(input, QStringLiteral("input-dialog.png"));

    TMessageBox message(&screen);
    message.BoxMode = 2;
    message.BoxCaption = QStringLiteral("データの削除");
    message.BoxMessage = QStringLiteral("次のデータを削除します。削除したデータは元に戻せません。");
    message.BoxColor = Qt::red;
    message.AgreeCaption = QStringLiteral("上記のデータを削除することに同意する");
    message.SetMessageLines({QStringLiteral("0001 株式会社ミルザ商事 第12期 (令和6年4月1日～令和7年3月31日)"),
        QStringLiteral("0002 高橋商事 第8期 (令和6年1月1日～令和6年12月31日)"),
        QStringLiteral("0003 医療法人 健生会 第21期 (令和6年4月1日～令和7年3月31日)")});
    message.InitDialog(true);
    grabModal<TMessageBox>(message, QStringLiteral("message-dialog-details.png"));

    // The date edits: era and Western forms, with time.
    QWidget dates;
    dates.setWindowTitle(QStringLiteral("日付時刻入力"));
    dates.resize(460, 150);
    auto* era = new TTolvanExDateEdit(&dates);
    era->move(12, 12);
    era->SetDateTime(EncodeDate(2019, 4, 30));
    auto* both = new TTolvanExDateEdit(&dates);
    both->move(12, 52);
    both->SetGengo(rsBoth);
    both->SetDateTime(EncodeDate(2026, 12, 11));
    auto* time = new TTolvanExDateEdit(&dates);
    time->move(12, 92);
    time->SetEditStyle(desYearMonthDayHMS);
    time->SetEditAmpm(true);
    time->SetDateTime(EncodeDate(2019, 5, 1));
    dates.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dates));
    save(&dates, QStringLiteral("date-edit.png"));

    // The check list dropped down, drawn under its control.
    QWidget list;
    list.resize(260, 60);
    auto* box = new TxCheckedComboBox(&list);
    box->setGeometry(12, 12, 220, 22);
    box->SetItems({QStringLiteral("001:山田太郎"), QStringLiteral("002:佐藤花子"), QStringLiteral("003:鈴木一郎"),
        QStringLiteral("004:高橋次郎"), QStringLiteral("005:田中三郎")});
    box->SetChecked(1, true);
    box->SetChecked(3, true);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    box->DropDown();
    QCoreApplication::processEvents();
    const QImage top = list.grab().toImage();
    const QImage drop = box->DropDownForm()->grab().toImage();
    QImage out(std::max(top.width(), drop.width() + 12), top.height() + drop.height(), QImage::Format_RGB32);
    out.fill(Qt::white);
    QPainter p(&out);
    p.drawImage(0, 0, top);
    p.drawImage(12, 12 + box->height(), drop);
    p.end();
    ASSERT_TRUE(out.save(shotDir() + QStringLiteral("/check-list.png"), "PNG"));
    box->CloseUp();
    ResetProcessState();
}

} // namespace
