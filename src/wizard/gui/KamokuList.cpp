#include "wizard/gui/KamokuList.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <set>

#include "core/MessageService.h"
#include "platform/plain_text.h"
#include "wizard/AccountList.h"

namespace {

QString q(const std::string& s)
{
    return QString::fromUtf8(s.c_str());
}

void showError(const std::string& head, const std::string& text)
{
    ShowMessageLines(msgkind::Error, {head, text});
}

} // namespace

TKamokuSentakuDialog::TKamokuSentakuDialog(
    QWidget* owner, const std::string& selected, const std::string& condition, const std::string& itemName)
    : QDialog(owner)
{
    setWindowTitle(q("集計科目の設定"));
    Label1 = new QLabel(q("[" + itemName + "]欄に集計する科目を選択してください。"), this);
    ListView1 = new QTreeWidget(this);
    ListView1->setObjectName("ListView1");
    ListView1->setColumnCount(2);
    ListView1->setHeaderLabels({q("科目ｺｰﾄﾞ"), q("科目名")});
    ListView1->setColumnWidth(0, 70);
    ListView1->setColumnWidth(1, 200);
    ListView1->setRootIsDecorated(false);
    ListView1->setSelectionMode(QAbstractItemView::MultiSelection);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    btnOK = new QPushButton(q("確定"), this);
    btnOK->setObjectName("btnOK");
    btnCancel = new QPushButton(q("ｷｬﾝｾﾙ"), this);
    btnCancel->setObjectName("btnCancel");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto* box = new QVBoxLayout(this);
    box->addWidget(Label1);
    box->addWidget(ListView1, 1);
    box->addLayout(buttons);
    resize(330, 420);
    connect(btnOK, &QPushButton::clicked, this, &TKamokuSentakuDialog::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    load(selected, condition);
}

void TKamokuSentakuDialog::load(const std::string& selected, const std::string& condition)
{
    const std::vector<std::string> lines = platform::text::splitLines(selected);
    const std::set<std::string> chosen(lines.begin(), lines.end());
    const wizard::TAccountList list = wizard::LoadAccountList(condition);
    // Rows read before a failure are not shown: the list is all or nothing.
    for (const auto& row : list.Rows) {
        auto* item = new QTreeWidgetItem(ListView1, {q(row.UserCode), q(row.Name)});
        item->setData(0, Qt::UserRole, q(row.Code));
        item->setSelected(chosen.count(row.Code) > 0);
        codes_.push_back(row.Code + "=" + row.UserCode);
    }
    if (!list.ErrorCaption.empty())
        showError(list.ErrorCaption, list.ErrorText);
}

void TKamokuSentakuDialog::btnOKClick()
{
    std::string out;
    for (int i = 0; i < ListView1->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = ListView1->topLevelItem(i);
        if (item->isSelected())
            out += item->data(0, Qt::UserRole).toString().toStdString() + "\r";
    }
    if (out.empty()) {
        if (ShowMessageLines(msgkind::Confirmation, {"科目が選択されていません。", "画面を閉じてもよろしいですか？"},
                msgbtn::Yes | msgbtn::No)
            != modal::Yes)
            return;
    }
    selected_ = out;
    accept();
}

int LeftOverhang(const QFontMetrics& metrics, const std::string& text)
{
    const QString s = q(text);
    if (s.isEmpty())
        return 0;
    const int a = metrics.leftBearing(s.at(0));
    return a < 0 ? -a : 0;
}

int RightOverhang(const QFontMetrics& metrics, const std::string& text)
{
    const QString s = q(text);
    if (s.isEmpty())
        return 0;
    const int c = metrics.rightBearing(s.at(s.size() - 1));
    return c < 0 ? -c : 0;
}
