#include "print/z5PrintDlg.h"

#include "controls/xEdit.h"
#include "controls/xPlButton.h"
#include "core/DataModule.h"
#include "core/DataModuleSysDef.h"
#include "core/IBErrorProc.h"
#include "core/TextRoutines.h"
#include "core/uAccRecord.h"
#include "print/z5PrnColorSet.h"
#include "platform/plain_text.h"

#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>

namespace {

TxPlButton* plButton(QWidget* parent, const char* name, const QString& caption, int modalResult, QRect geometry)
{
    auto* b = new TxPlButton(parent);
    b->setObjectName(name);
    b->CaptionA().SetCaption(caption);
    b->SetModalResult(modalResult);
    b->setGeometry(geometry);
    return b;
}

// "name=value" lines: the value of a name, "" when missing.
std::string valueOf(const std::string& text, const std::string& name)
{
    for (const std::string& line : platform::text::splitLines(text)) {
        const auto eq = line.find('=');
        if (eq != std::string::npos && line.substr(0, eq) == name)
            return line.substr(eq + 1);
    }
    return {};
}

} // namespace

TPrintDlgBox::TPrintDlgBox(QWidget* parent)
    : TBSDI(parent)
{
    setObjectName("PrintDlgBox");
    setWindowTitle(QStringLiteral("科目情報の印刷"));
    resize(457, 174);
    HostMenuNotify = false;
    SkipProcCheck = true;
    SizeMemory = false;
    ActivateFlag = false;
    RunLog = false;

    lblMain = new QLabel(this);
    lblMain->setObjectName("lblMain");
    lblMain->setGeometry(24, 16, 405, 34);
    lblMain->setWordWrap(true);
    lblColor = new QLabel(QStringLiteral("色指定:"), this);
    lblColor->setGeometry(24, 60, 70, 20);
    grpColor = new QGroupBox(this);
    grpColor->setObjectName("grpColor");
    grpColor->setGeometry(100, 52, 200, 34);
    btnMono = new TxRadioButton(QStringLiteral("白黒印刷"), grpColor);
    btnMono->setObjectName("btnMono");
    btnMono->setGeometry(8, 8, 90, 20);
    btnMono->setChecked(true);
    btnColor = new TxRadioButton(QStringLiteral("カラー印刷"), grpColor);
    btnColor->setObjectName("btnColor");
    btnColor->setGeometry(100, 8, 95, 20);
    btnColorSelect = plButton(this, "btnColorSelect", QStringLiteral("色選択"), 0, QRect(310, 56, 75, 26));
    connect(btnColorSelect, &TxPlButton::OnClick, this, &TPrintDlgBox::btnColorSelectClick);
    lblStartPage = new QLabel(QStringLiteral("開始ﾍﾟｰｼﾞ:"), this);
    lblStartPage->setGeometry(24, 96, 70, 20);
    txtStartPage = new TxEdit(this);
    txtStartPage->setObjectName("txtStartPage");
    txtStartPage->setGeometry(100, 94, 50, 22);
    txtStartPage->setAlignment(Qt::AlignRight);
    txtStartPage->setAttribute(Qt::WA_InputMethodEnabled, false);
    txtStartPage->setText(QStringLiteral("1"));
    chkBoth = new TxCheckBox(QStringLiteral("両面印刷用に余白を調整する"), this);
    chkBoth->setObjectName("chkBoth");
    chkBoth->setGeometry(100, 122, 250, 20);
    HintArea = new QPlainTextEdit(this);
    HintArea->setObjectName("HintArea");
    HintArea->setReadOnly(true);
    HintArea->setGeometry(0, 140, 457, 34);
    btnPreview = plButton(this, "btnPreview", QStringLiteral("プレビュー"), QDialog::Accepted, QRect(120, 100, 80, 26));
    btnCopy = plButton(this, "btnCopy", QStringLiteral("コピー"), QDialog::Accepted, QRect(205, 100, 70, 26));
    btnOK = plButton(this, "btnOK", QStringLiteral("OK"), QDialog::Accepted, QRect(280, 100, 75, 26));
    btnCancel = plButton(this, "btnCancel", QStringLiteral("キャンセル"), QDialog::Rejected, QRect(360, 100, 80, 26));
    for (TxPlButton* b : {btnPreview, btnCopy, btnOK}) {
        connect(b, &TxPlButton::OnClick, this, [this, b] { btnOKClick(b); });
    }
    connect(btnCancel, &TxPlButton::OnClick, this, [this] { btnCancelClick(); });
    HelpMemo = HintArea;
    DefaultButton = btnOK;
    InitOK = true;
}

TPrintDlgBox::~TPrintDlgBox() = default;

std::string TPrintDlgBox::StyleName() const
{
    const std::string name = PrintRec ? PrintRec->StyleName : std::string();
    return "020-" + TrimZenkaku(FixLeftStr(platform::text::upperAscii(name), 40));
}

void TPrintDlgBox::InitDialog(bool flag)
{
    flag_ = flag;
    SetHints();
    SetControls();
    AlwaysPlace = false;
}

void TPrintDlgBox::SetControls()
{
    PressedButton = 0;
    setWindowTitle(QString::fromStdString(PrintCaption));
    lblMain->setText(QString::fromStdString(PrintMessage));
    if (PrintColor.isValid()) {
        QPalette pal = lblMain->palette();
        pal.setColor(QPalette::WindowText, PrintColor);
        lblMain->setPalette(pal);
    }
    lblColor->setVisible(ColorVisible);
    grpColor->setVisible(ColorVisible);
    btnColorSelect->setVisible(ColorVisible);
    lblStartPage->setVisible(StartPageVisible);
    txtStartPage->setVisible(StartPageVisible);
    chkBoth->setVisible(BothVisible);
    btnPreview->setVisible(PreviewVisible);
    btnCopy->setVisible(CopyVisible);
    if (AlwaysPlace) {
        if (ColorVisible)
            resize(width(), 250);
        if (StartPageVisible)
            resize(width(), 300);
        if (BothVisible)
            resize(width(), 300);
    }
    GetStyleColorRec();
    ScreenValues("Fukugen");
}

void TPrintDlgBox::SetHints()
{
    controls::SetHint(btnMono, QStringLiteral("白黒で印刷する場合に選択します。|白黒で印刷する場合に選択します。"));
    controls::SetHint(btnColor,
        QStringLiteral("色付きで印刷する場合に選択します。|色付きで印刷する場合に選択します。\r\n"
                       "「色選択」ﾎﾞﾀﾝを押すと好みの色に変更できます。"));
    controls::SetHint(btnColorSelect,
        QStringLiteral("「色選択」画面を開きます。|「色選択」画面を開きます。\r\n"
                       "「ｶﾗｰ印刷」を行う場合の色を指定します。"));
    controls::SetHint(
        txtStartPage, QStringLiteral("1ﾍﾟｰｼﾞ目のﾍﾟｰｼﾞ番号を指定します。|1ﾍﾟｰｼﾞ目のﾍﾟｰｼﾞ番号を指定します。"));
    controls::SetHint(chkBoth,
        QStringLiteral("偶数ﾍﾟｰｼﾞの余白を右側に取る場合にﾁｪｯｸします。|偶数ﾍﾟｰｼﾞの余白を右側に取る場合にﾁｪｯｸします。\r\n"
                       "両面への印刷は「印刷」ﾎﾞﾀﾝ押下後に表示する「印刷」画面で「ﾌﾟﾛﾊﾟﾃｨ」ﾎﾞﾀﾝを押して設定します。"));
    controls::SetHint(
        btnPreview, QStringLiteral("帳票の印刷ｲﾒｰｼﾞを画面に表示します。|帳票の印刷ｲﾒｰｼﾞを画面に表示します。"));
    controls::SetHint(btnCopy,
        QStringLiteral("帳票の情報をｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰします。|帳票の情報をｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰします。\r\n"
                       "ｺﾋﾟｰした情報はﾜｰﾌﾟﾛｿﾌﾄ、表計算ｿﾌﾄで貼り付けられます。"));
    controls::SetHint(btnOK, QStringLiteral("帳票を印刷します。|帳票を印刷します。"));
    controls::SetHint(btnCancel, QStringLiteral("印刷を取り止めます。|印刷を取り止めます。"));
}

void TPrintDlgBox::ScreenValues(const std::string& action)
{
    if (!PrintRec)
        return;
    const std::string a = platform::text::upperAscii(action);
    if (a == "HOZON") {
        work_.clear();
        if (ColorVisible && PrintRec->ColorMode == 1)
            work_.push_back("C010=1");
        if (BothVisible && PrintRec->BothSides)
            work_.push_back("C020=1");
        PrintRec->ScreenValues = platform::text::joinLines(work_);
    } else if (a == "FUKUGEN") {
        work_ = platform::text::splitLines(PrintRec->ScreenValues);
        if (ColorVisible && valueOf(PrintRec->ScreenValues, "C010") == "1") {
            PrintRec->ColorMode = 1;
            btnColor->setChecked(true);
        }
        if (BothVisible && valueOf(PrintRec->ScreenValues, "C020") == "1") {
            PrintRec->BothSides = true;
            chkBoth->setChecked(true);
        }
    }
}

void TPrintDlgBox::GetStyleColorRec()
{
    if (!UseStyleColor || !PrintRec || PrintRec->StyleName.empty() || !core::DM)
        return;
    core::TStyleColorRow row;
    if (!core::ReadStyleColorRow(SysDef.OpCode, StyleName(), row) || !row.Found)
        return;
    const auto take = [](int value, int& into) {
        if (value != -1)
            into = value;
    };
    take(row.LineColor1, PrintRec->LineColor1);
    take(row.LineColor2, PrintRec->LineColor2);
    take(row.NetColor1, PrintRec->NetColor1);
    take(row.NetColor2, PrintRec->NetColor2);
    PrintRec->ScreenValues = row.Text;
}

void TPrintDlgBox::PutStyleColorRec()
{
    if (!UseStyleColor || !PrintRec || PrintRec->StyleName.empty() || !core::DM)
        return;
    // -1 keeps a colour following the operator's default
    const auto own = [](int value, int operatorDefault) { return value != operatorDefault ? value : -1; };
    core::WriteStyleColorRow(SysDef.OpCode, StyleName(), PrintRec->ScreenValues,
        {own(PrintRec->LineColor1, SysDef.PLineColor1), own(PrintRec->LineColor2, SysDef.PLineColor2), -1, -1, -1,
            own(PrintRec->NetColor1, SysDef.NetColor1), own(PrintRec->NetColor2, SysDef.NetColor2)});
}

void TPrintDlgBox::FormClose(TCloseAction& action)
{
    TBSDI::FormClose(action);
    action = TCloseAction::caHide;
    PutStyleColorRec();
}

void TPrintDlgBox::btnOKClick(TxPlButton* sender)
{
    if (PrintRec) {
        PrintRec->ColorMode = btnColor->isChecked() ? 1 : 0;
        const int start = platform::text::toIntOr(txtStartPage->text().trimmed().toStdString(), 1);
        PrintRec->StartPage = start < 1 ? 1 : start;
        PrintRec->BothSides = chkBoth->isChecked();
    }
    ScreenValues("Hozon");
    PressedButton = sender == btnOK ? 1 : sender == btnPreview ? 2 : 3;
    setResult(QDialog::Accepted);
}

void TPrintDlgBox::btnCancelClick()
{
    reject();
}

void TPrintDlgBox::btnColorSelectClick()
{
    if (!PrintRec)
        return;
    TPrnColorSetBox box(this);
    box.PerStyle = UseStyleColor;
    if (ColourBoxHook)
        ColourBoxHook(box);
    box.SetLineColor1(static_cast<TColorValue>(PrintRec->LineColor1));
    box.SetLineColor2(static_cast<TColorValue>(PrintRec->LineColor2));
    box.SetNetColor1(static_cast<TColorValue>(PrintRec->NetColor1));
    box.SetNetColor2(static_cast<TColorValue>(PrintRec->NetColor2));
    if (QWidget* main = TBSDI::MainForm())
        box.SetFormPosition(main->x(), main->y(), main->width(), main->height(), 2);
    box.InitDialog(true);
    if (box.ShowModal() == QDialog::Accepted) {
        PrintRec->LineColor1 = static_cast<int>(box.LineColor1);
        PrintRec->LineColor2 = static_cast<int>(box.LineColor2);
        PrintRec->NetColor1 = static_cast<int>(box.NetColor1);
        PrintRec->NetColor2 = static_cast<int>(box.NetColor2);
        PutStyleColorRec();
    }
}

// ---------------------------------------------------------------------------

TDataSentakuPrintDlg::TDataSentakuPrintDlg(QWidget* parent)
    : TPrintDlgBox(parent)
{
    setObjectName("DataSentakuPrintDlg");
    resize(width(), 219);
    auto* label = new QLabel(QStringLiteral("用紙向き:"), this);
    label->setGeometry(24, 60, 70, 20);
    auto* group = new QGroupBox(this);
    group->setObjectName("GroupBox1");
    group->setGeometry(100, 52, 160, 34);
    btnYousiTate = new TxRadioButton(QStringLiteral("縦"), group);
    btnYousiTate->setObjectName("btnYousiTate");
    btnYousiTate->setGeometry(8, 8, 60, 20);
    btnYousiTate->setChecked(true);
    btnYousiYoko = new TxRadioButton(QStringLiteral("横"), group);
    btnYousiYoko->setObjectName("btnYousiYoko");
    btnYousiYoko->setGeometry(80, 8, 60, 20);
    HelpMemo = HintArea;
    DefaultButton = btnOK;
}

void TDataSentakuPrintDlg::InitDialog(bool flag)
{
    ColorVisible = false;
    StartPageVisible = false;
    BothVisible = false;
    TPrintDlgBox::InitDialog(flag);
}

void TDataSentakuPrintDlg::SetControls()
{
    UseStyleColor = true;
    PaperOrientation = 0;
    btnYousiTate->setChecked(true);
    TPrintDlgBox::SetControls(); // restores the screen values, the orientation among them
}

void TDataSentakuPrintDlg::SetHints()
{
    TPrintDlgBox::SetHints();
    const QString orient = QStringLiteral("印刷帳票の用紙の向きを選択します。|印刷帳票の用紙の向きを選択します。\r\n"
                                          "[横]を選択したときに限り、帳票上にコード情報を出力します。");
    controls::SetHint(btnYousiTate, orient);
    controls::SetHint(btnYousiYoko, orient);
    const QString preview = QStringLiteral("|[ﾌﾟﾚﾋﾞｭｰ]ﾎﾞﾀﾝを押すと画面上に印刷ｲﾒｰｼﾞを出力します。");
    for (TxPlButton* b : {btnPreview, btnOK, btnCancel})
        controls::SetHint(b, preview);
}

void TDataSentakuPrintDlg::ScreenValues(const std::string& action)
{
    TPrintDlgBox::ScreenValues(action);
    if (!PrintRec)
        return;
    const std::string a = platform::text::upperAscii(action);
    if (a == "FUKUGEN") {
        RestoreScreenValue();
        PaperOrientation = platform::text::toIntOr(valueOf(PrintRec->ScreenValues, "P010"), 0);
        if (PaperOrientation == 1)
            btnYousiYoko->setChecked(true);
    } else if (a == "HOZON") {
        ScreenValue.clear();
        work_.push_back("P010=" + std::to_string(PaperOrientation));
        PrintRec->ScreenValues = platform::text::joinLines(work_);
        SaveScreenValue();
    }
}

void TDataSentakuPrintDlg::btnOKClick(TxPlButton* sender)
{
    PaperOrientation = btnYousiYoko->isChecked() ? 1 : 0;
    TPrintDlgBox::btnOKClick(sender);
}

// ---------------------------------------------------------------------------

bool PrintDisplayedList(QWidget* parent, std::uint8_t listKind, const TDataSentakuRecArray& rows,
    const TDataSentakuRecDispArray& disp, print::JobRunner* runner)
{
    TPrDataList list(runner);
    TPrintDlgBox::InitDefaultPrintRec(list.PrintRec);
    list.PrintRec.StyleName = "DataSentakuList";
    TDataSentakuPrintDlg dlg(parent);
    // The data list (0) and the shared-server list (1) name themselves.
    const bool shared = listKind == 1;
    dlg.PrintCaption = shared ? "共有データリストの印刷" : "データリストの印刷";
    dlg.PrintMessage = shared ? "共有データリストを印刷します。" : "データリストを印刷します。";
    dlg.PrintRec = &list.PrintRec;
    dlg.PreviewVisible = true;
    dlg.InitDialog(true);
    if (!shared) {
        const QString hint = QStringLiteral(
            "［OK］を押すとﾃﾞｰﾀ選択ﾘｽﾄの印刷を実行します。印刷ｲﾒｰｼﾞを確認する場合は［ﾌﾟﾚﾋﾞｭｰ］を押します。");
        controls::SetHint(&dlg, hint + QLatin1Char('|') + hint);
        dlg.HintArea->setPlainText(hint);
    }
    if (dlg.ShowModal() != QDialog::Accepted || dlg.PressedButton == 0)
        return false;
    list.ListKind = listKind;
    list.Rows = rows;
    list.DispRows = disp;
    list.Orientation = dlg.PaperOrientation;
    return list.PrintDataList(dlg.PressedButton == 1);
}
