#include "controls/z5MessageDlg2.h"

#include "controls/ColorUtil.h"
#include "controls/UrlOpener.h"
#include "controls/xEdit.h"
#include "controls/xPlButton.h"
#include "core/PlatformUtil.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QStyle>

#include <memory>

namespace {

constexpr int ClientWidth = 500;
constexpr int ClientHeight = 335;
constexpr int AgreeHeight = 32;
constexpr int BottomHeight = 38;
constexpr int LabelLeft = 80;
constexpr int LabelTop0 = 24;
constexpr int LabelStep = 24;
constexpr int IconSize = 41;

int labelTop(int index0)
{
    return LabelTop0 + LabelStep * index0;
}

} // namespace

void TMessageLineLabel::mouseReleaseEvent(QMouseEvent* e)
{
    QLabel::mouseReleaseEvent(e);
    emit clicked();
}

TMessageBox2::TMessageBox2(QWidget* owner)
    : QDialog(owner)
{
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
        | Qt::WindowStaysOnTopHint);
    setWindowTitle(QStringLiteral("警告"));
    setModal(true);
    // The system's message font; the stored layout's font otherwise.
    QFont messageFont = QApplication::font("QMessageBox");
    if (messageFont.family().isEmpty()) {
        messageFont = QFont(QStringLiteral("ＭＳ Ｐゴシック"));
        messageFont.setPixelSize(12);
    }
    setFont(messageFont);

    pnlClient_ = new QWidget(this);
    pnlClient_->setObjectName(QStringLiteral("pnlClient"));
    image1_ = new QLabel(pnlClient_);
    image1_->setObjectName(QStringLiteral("Image1"));
    image1_->setGeometry(24, 16, IconSize, IconSize);
    for (int i = 0; i < 10; ++i) {
        auto* label = new TMessageLineLabel(pnlClient_);
        label->setObjectName(QStringLiteral("Label%1").arg(i + 1));
        label->setProperty("Tag", i);
        label->move(LabelLeft, labelTop(i));
        connect(label, &TMessageLineLabel::clicked, this, [this, i] {
            const std::string& link = rec_.lines[static_cast<std::size_t>(i)].link;
            if (link.empty())
                return;
            controls::openUrl(link);
            QPalette pal = labels_[static_cast<std::size_t>(i)]->palette();
            pal.setColor(QPalette::WindowText, controls::toQColor(controls::clPurple));
            labels_[static_cast<std::size_t>(i)]->setPalette(pal);
        });
        labels_[static_cast<std::size_t>(i)] = label;
    }
    pnlAgree_ = new QWidget(this);
    pnlAgree_->setObjectName(QStringLiteral("pnlAgree"));
    btnAgree_ = new TxCheckBox(QStringLiteral("同意する"), pnlAgree_);
    btnAgree_->setObjectName(QStringLiteral("btnAgree"));
    btnAgree_->SetKeyStyles(ksEnter);
    connect(btnAgree_, &QCheckBox::toggled, this, [this] { btnAgreeClick(); });
    pnlBottom_ = new QWidget(this);
    pnlBottom_->setObjectName(QStringLiteral("pnlBottom"));
    for (int i = 0; i < 3; ++i) {
        auto* button = new TxPlButton(pnlBottom_);
        button->setObjectName(QStringLiteral("btnButton%1").arg(i + 1));
        button->setGeometry(0, 3, 75, 25);
        buttons_[static_cast<std::size_t>(i)] = button;
    }
    setFixedSize(ClientWidth, ClientHeight);
    pnlClient_->setGeometry(0, 0, ClientWidth, ClientHeight - AgreeHeight - BottomHeight);
    pnlAgree_->setGeometry(0, ClientHeight - AgreeHeight - BottomHeight, ClientWidth, AgreeHeight);
    pnlBottom_->setGeometry(0, ClientHeight - BottomHeight, ClientWidth, BottomHeight);

    // The form sees every key of its controls first (Esc, Ctrl+C).
    for (QWidget* child : findChildren<QWidget*>()) {
        child->installEventFilter(this);
    }
}

int TMessageBox2::scaled(int value) const
{
    const int ppi = logicalDpiX();
    return ppi <= 0 ? value : ScaleDPI(value, ppi, 96);
}

bool TMessageBox2::AgreeChecked() const
{
    return btnAgree_->isChecked();
}

void TMessageBox2::SetMessage(std::int32_t number, const TMessage2InfoRec& rec)
{
    number_ = number;
    rec_ = rec;
    LayoutBox();
}

void TMessageBox2::LayoutBox()
{
    // 1. The record, or the catalogue entry of the message number.
    if (number_ != 0) {
        InitMessage2Info(msgkind::Information, rec_);
        controls::message2Catalogue(number_, rec_);
        rec_.id = number_;
    }
    agreeMode_ = rec_.agreeMode;
    agreeCaption_ = QString::fromStdString(rec_.agreeCaption);
    agreeTick_ = rec_.agreeChecked;

    // 2. Labels cleared.
    for (auto* label : labels_) {
        label->clear();
        label->unsetCursor();
        QPalette pal = label->palette();
        pal.setColor(QPalette::WindowText, controls::toQColor(controls::clWindowText));
        label->setPalette(pal);
        QFont f = font();
        label->setFont(f);
    }

    // 3. Caption and icon.
    setWindowTitle(QString::fromStdString(rec_.caption));
    const int iconSize = scaled(IconSize);
    image1_->setFixedSize(iconSize, iconSize);
    QStyle::StandardPixmap icon {};
    bool hasIcon = true;
    switch (rec_.kind) {
    case msgkind::Warning:
        icon = QStyle::SP_MessageBoxWarning;
        break;
    case msgkind::Error:
        icon = QStyle::SP_MessageBoxCritical;
        break;
    case msgkind::Information:
        icon = QStyle::SP_MessageBoxInformation;
        break;
    case msgkind::Confirmation:
        icon = QStyle::SP_MessageBoxQuestion;
        break;
    default:
        hasIcon = false;
        break;
    }
    if (hasIcon) {
        image1_->setPixmap(style()->standardIcon(icon, nullptr, this).pixmap(iconSize, iconSize));
    } else {
        image1_->clear();
    }
    image1_->setProperty("kindIcon", hasIcon ? static_cast<int>(icon) : -1);

    // 4. Lines.
    int lastLine = 0;
    for (std::size_t i = 0; i < rec_.lines.size(); ++i) {
        const TMessage2CaptionRec& line = rec_.lines[i];
        TMessageLineLabel* label = labels_[i];
        label->setText(QString::fromStdString(line.text));
        QPalette pal = label->palette();
        if (!line.link.empty()) {
            pal.setColor(QPalette::WindowText, controls::toQColor(controls::clBlue));
            QFont f = label->font();
            f.setUnderline(true);
            label->setFont(f);
            label->setCursor(Qt::PointingHandCursor);
        } else {
            pal.setColor(QPalette::WindowText, controls::toQColor(line.colour));
        }
        label->setPalette(pal);
        label->adjustSize();
        if (!line.text.empty()) {
            lastLine = static_cast<int>(i) + 1;
        }
    }

    // 5. Width from the widest line.
    int right = scaled(ClientWidth);
    for (auto* label : labels_) {
        if (!label->text().isEmpty()) {
            right = std::max(right, label->x() + label->width());
        }
    }
    const int width = right + scaled(30);

    // 6. Height: the text area ends one empty line below the last line that
    // holds text (sized by its position, so a gap between lines never pushes
    // a line out of the window). After a ninth line it ends where an
    // eleventh label would stand; after the tenth at the panel's height.
    const int clientPanelHeight = ClientHeight - AgreeHeight - BottomHeight;
    int textHeight = 0;
    if (lastLine <= 1) {
        textHeight = labelTop(2);
    } else if (lastLine <= 9) {
        textHeight = labelTop(lastLine + 1);
    } else {
        textHeight = clientPanelHeight;
    }

    // 7. Buttons.
    for (auto* button : buttons_) {
        button->hide();
        button->SetModalResult(modal::None);
    }
    int used = 0;
    for (int bit = 0; bit < msgbtn::Count && used < 3; ++bit) {
        if ((rec_.buttons & (1u << bit)) == 0)
            continue;
        TxPlButton* button = buttons_[static_cast<std::size_t>(used++)];
        button->CaptionA().SetCaption(controls::messageButtonCaption(bit));
        button->SetModalResult(core::messageButtonResult(bit));
        button->setEnabled(true);
        button->show();
    }
    const int gap = scaled(10);
    const int bw = buttons_[0]->width();
    if (used == 1) {
        buttons_[0]->move((width - bw) / 2, 3);
    } else if (used == 2) {
        buttons_[0]->move(width / 2 - gap - bw, 3);
        buttons_[1]->move(width / 2 + gap, 3);
    } else if (used == 3) {
        buttons_[1]->move((width - bw) / 2, 3);
        buttons_[0]->move(buttons_[1]->x() - gap - bw, 3);
        buttons_[2]->move(buttons_[1]->x() + bw + gap, 3);
    }

    // 8. Agree box.
    pnlAgree_->hide();
    if (agreeCaption_.trimmed().isEmpty()) {
        agreeMode_ = 0;
    }
    int height = textHeight + BottomHeight;
    if (agreeMode_ != 0) {
        btnAgree_->setText(agreeCaption_);
        btnAgree_->adjustSize();
        btnAgree_->move(LabelLeft, (AgreeHeight - btnAgree_->height()) / 2);
        {
            const QSignalBlocker block(btnAgree_);
            btnAgree_->setChecked(agreeTick_);
        }
        if (agreeMode_ == 1) {
            buttons_[0]->setEnabled(btnAgree_->isChecked());
        }
        height += AgreeHeight;
        pnlAgree_->show();
    }
    pnlClient_->setGeometry(0, 0, width, textHeight);
    pnlAgree_->setGeometry(0, textHeight, width, AgreeHeight);
    pnlBottom_->setGeometry(0, height - BottomHeight, width, BottomHeight);
    setFixedSize(width, height);
    setResult(modal::None);
}

void TMessageBox2::btnAgreeClick()
{
    if (agreeMode_ == 1) {
        buttons_[0]->setEnabled(btnAgree_->isChecked());
    }
}

void TMessageBox2::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (agreeMode_ == 1) {
        btnAgree_->setFocus(Qt::OtherFocusReason);
    } else if (buttons_[0]->isEnabled() && buttons_[0]->isVisible()) {
        buttons_[0]->setFocus(Qt::OtherFocusReason);
    }
}

void TMessageBox2::reject()
{
    // Closing the box answers Cancel, as closing any modal form does.
    done(modal::Cancel);
}

QString TMessageBox2::ClipboardText() const
{
    return QString::fromStdString(core::messageAsText(rec_));
}

bool TMessageBox2::handleKey(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Escape) {
        if (e->type() == QEvent::KeyRelease && !e->isAutoRepeat()) {
            done(modal::Cancel);
        }
        e->accept();
        return true;
    }
    if (e->type() == QEvent::KeyPress && e->key() == Qt::Key_C && (e->modifiers() & Qt::ControlModifier) != 0) {
        QApplication::clipboard()->setText(ClipboardText());
        e->accept();
        return true;
    }
    return false;
}

bool TMessageBox2::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::KeyPress || e->type() == QEvent::KeyRelease) {
        if (handleKey(static_cast<QKeyEvent*>(e))) {
            return true;
        }
    }
    if (e->type() == QEvent::ShortcutOverride) {
        auto* ke = static_cast<QKeyEvent*>(e);
        if (ke->key() == Qt::Key_Escape) {
            ke->accept(); // Esc is the box's own key, not a shortcut's
        }
    }
    return QDialog::eventFilter(watched, e);
}

void TMessageBox2::keyPressEvent(QKeyEvent* e)
{
    if (!handleKey(e))
        QDialog::keyPressEvent(e);
}

void TMessageBox2::keyReleaseEvent(QKeyEvent* e)
{
    if (!handleKey(e))
        QDialog::keyReleaseEvent(e);
}

namespace controls {

QString messageButtonCaption(int bit)
{
    static const char* captions[msgbtn::Count] = {"はい(&Y)", "いいえ(&N)", "OK(&O)", "ｷｬﾝｾﾙ(&C)", "中断(&A)",
        "再試行(&R)", "無視(&I)", "すべて(&A)", "すべていいえ", "すべてはい", "ヘルプ(&H)"};
    if (bit < 0 || bit >= msgbtn::Count)
        return {};
    return QString::fromUtf8(captions[bit]);
}

bool message2Catalogue(std::int32_t number, TMessage2InfoRec& rec)
{
    struct Line {
        const char* text;
        TColorValue colour;
    };
    auto fill
        = [&rec](std::uint8_t kind, const char* caption, std::uint16_t buttons, std::initializer_list<Line> lines) {
              rec.kind = kind;
              rec.caption = caption;
              rec.buttons = buttons;
              std::size_t i = 0;
              for (const Line& l : lines) {
                  rec.lines[i].text = l.text;
                  rec.lines[i].colour = l.colour;
                  rec.lines[i].link.clear();
                  ++i;
              }
              return true;
          };
    constexpr std::uint16_t ok = msgbtn::OK;
    constexpr std::uint16_t okCancel = msgbtn::OK | msgbtn::Cancel;
    constexpr TColorValue red = clRed;
    const char* deleteLine1 = "選択行の内訳を削除します、よろしいですか？";
    const char* deleteLine3
        = "一時的に内訳書より削除したい場合は、残高を0円に訂正して印刷方法の[0円の明細を省略する]にチェックを";
    const char* deleteLine4 = "入れてください。";
    switch (static_cast<std::uint32_t>(number)) {
    case 0x1010:
        return fill(3, "確認", okCancel,
            {{"このデータはお使いのプログラムより新しいプログラムでデータ更新が行われています。", 0},
                {"データを使用するにはプログラムのバージョンアップが必要となります。", 0},
                {"続行してもよろしいですか？", 0},
                {"（ウィルス対策ソフトをご利用中の場合は、該当ソフトを終了してください。）", 0}});
    case 0x1011:
        return fill(2, "情報", ok,
            {{"このデータは「データの更新」処理を行うことが禁止されています。", 0},
                {"データを選択したい場合は、「データ選択」画面の[情報]ボタンを押し「データの詳細情報」画面を開き", 0},
                {"[データの更新: 禁止する]項目のチェックを外してください。", 0},
                {"または、過去バージョンのプログラムを起動し選択してください。", 0}});
    case 0x1012:
        return fill(2, "情報", ok,
            {{"このデータは「仕訳の入力」が禁止されています。", 0},
                {"仕訳を入力するには、「データ選択」画面の[情報]ボタンを押し「データの詳細情報」画面を開き", 0},
                {"[仕訳の入力: 禁止する]項目のチェックを外してください。", 0}});
    case 0x1020:
        return fill(2, "情報", ok,
            {{"このデータは現金出納帳システムと通信しています。マスター情報の変更は、事前に現金出納帳システムから", 0},
                {"送られた最新のデータを受信し、現金出納帳システム側の処理をストップさせてから行ってください。", 0},
                {"マスター情報の変更後には必ず「現金出納帳マスター送信」を実行してください。", 0}});
    case 0x1030:
        return fill(3, "エラー", ok,
            {{"データ使用後検証の結果、このデータは破損している恐れがあります。", 0},
                {"データのバックアップを行っている場合は、適正な方法で破損前の状態へ戻して下さい。", 0},
                {"ご不明な点がございましたら、お問い合わせ先をご確認の上ご連絡下さい。", 0}});
    case 0x2014:
        return fill(2, "情報", ok,
            {{"過年度明細の取り込みが行われていません。", 0},
                {"このデータに対して過年度明細を取り込むには以下の方法があります。", 0},
                {"１）「過年度残高登録」の[仕訳取込]より過年度明細を取り込みます。", 0},
                {"２）「繰越残高調整」で過年度明細を繰り越します。（前期のみ）", 0}});
    case 0x10001010:
        return fill(2, "情報", ok, {{"振替形式で作成された仕訳のため、訂正・削除を行うことはできません。", 0}});
    case 0x10001011:
        return fill(
            2, "情報", ok, {{"この仕訳は他処理で作成された自動仕訳のため、自科目訂正を行うことはできません。", 0}});
    case 0x10001012:
        return fill(
            2, "情報", ok, {{"振替形式で作成された仕訳が含まれているため、訂正・削除を行うことはできません。", 0}});
    case 0x10002010:
        return fill(3, "確認", okCancel,
            {{"会計データと連動する項目を「上書き入力」に切り替えます。", 0}, {"よろしいですか？", 0}});
    case 0x10002011:
        return fill(3, "確認", okCancel,
            {{"会計データと連動する項目を「自動取得」に切り替えます。", 0}, {"よろしいですか？", 0},
                {"注意）上書き入力した項目は、会計データの集計値により書き換えられます。", red}});
    case 0x10003010:
        return fill(3, "内訳書の削除", okCancel,
            {{deleteLine1, 0},
                {"注意）削除を行うと、内訳に記述してある名称などの情報は科目情報を取り込んでも記述されません。", red},
                {deleteLine3, red}, {deleteLine4, red}});
    case 0x10003011:
        return fill(3, "内訳書の削除", okCancel,
            {{deleteLine1, 0},
                {"注意）削除を行うと、内訳に記述してある金融機関名などの情報は科目情報を取り込んでも記述されません。",
                    red},
                {deleteLine3, red}, {deleteLine4, red}});
    case 0x10003012:
        return fill(3, "内訳書の削除", okCancel,
            {{deleteLine1, 0},
                {"注意）削除を行うと、内訳に記述してある借入先などの情報は科目情報を取り込んでも記述されません。", red},
                {deleteLine3, red}, {deleteLine4, red}});
    case 0x10004010:
        return fill(2, "情報", ok,
            {{"「基本設定」の「消費税＞一括税抜処理区分」に[処理する]が選択されているため、消費税処理区分を[税込]"
              "へは変更出来ません。",
                0}});
    default:
        return false;
    }
}

int showMessageBox2(TMessage2InfoRec& rec)
{
    QWidget* owner = QApplication::activeModalWidget();
    if (owner == nullptr)
        owner = QApplication::activeWindow();
    // Freed on every path, failures included.
    auto box = std::make_unique<TMessageBox2>(owner);
    box->SetMessage(rec.id, rec);
    box->LayoutBox();
    const int result = box->exec();
    rec.agreeChecked = box->AgreeChecked();
    return result;
}

core::MessageHandler installMessageBoxHandler()
{
    return core::setMessageHandler(showMessageBox2);
}

} // namespace controls
