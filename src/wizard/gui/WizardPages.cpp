#include "wizard/gui/WizardPages.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "controls/xKikanPanel.h"

namespace {

QString q(const char* s)
{
    return QString::fromUtf8(s);
}
QString q(const std::string& s)
{
    return QString::fromUtf8(s.c_str());
}

QLabel* wrappedLabel(QWidget* parent, const char* name)
{
    auto* l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setWordWrap(true);
    l->setTextFormat(Qt::PlainText);
    return l;
}

} // namespace

const char* WizardPageName(TWizardPageId id)
{
    switch (id) {
    case TWizardPageId::Intro:
        return "page1";
    case TWizardPageId::DataChoice:
        return "page2";
    case TWizardPageId::Conditions:
        return "page3";
    case TWizardPageId::StatementForm:
        return "page10";
    case TWizardPageId::MainItems:
        return "page6";
    case TWizardPageId::MonthItems:
        return "page7";
    case TWizardPageId::EquityChanges:
        return "page9";
    case TWizardPageId::EquityNotes:
        return "page8";
    case TWizardPageId::OutputFile:
        return "page4";
    case TWizardPageId::Summary:
        return "page5";
    }
    return "";
}

TWizardPage::TWizardPage(TWizardPageId id, QWidget* parent)
    : QWidget(parent)
    , id_(id)
{
    setObjectName(QString::fromLatin1(WizardPageName(id)));
}

TIntroPage::TIntroPage(QWidget* parent)
    : TWizardPage(TWizardPageId::Intro, parent)
{
    Memo1a = wrappedLabel(this, "Memo1a");
    Memo1b = wrappedLabel(this, "Memo1b");
    QFont f = Memo1a->font();
    f.setBold(true);
    Memo1a->setFont(f);
    auto* box = new QVBoxLayout(this);
    box->addWidget(Memo1a);
    box->addSpacing(16);
    box->addWidget(Memo1b);
    box->addStretch();
}

TDataChoicePage::TDataChoicePage(QWidget* parent)
    : TWizardPage(TWizardPageId::DataChoice, parent)
{
    Label2a = wrappedLabel(this, "Label2a");
    btnDataSentaku = new QPushButton(q("データ選択を開く"), this);
    btnDataSentaku->setObjectName("btnDataSentaku");
    listDataInfo = new QTableWidget(0, 2, this);
    listDataInfo->setObjectName("listDataInfo");
    listDataInfo->setHorizontalHeaderLabels({q("項目"), q("内容")});
    listDataInfo->verticalHeader()->hide();
    listDataInfo->horizontalHeader()->setStretchLastSection(true);
    listDataInfo->setColumnWidth(0, 120);
    listDataInfo->setEditTriggers(QAbstractItemView::NoEditTriggers);
    listDataInfo->setSelectionMode(QAbstractItemView::NoSelection);
    listDataInfo->setFocusPolicy(Qt::NoFocus);

    auto* row = new QHBoxLayout;
    row->addWidget(btnDataSentaku);
    row->addStretch();
    auto* box = new QVBoxLayout(this);
    box->addWidget(Label2a);
    box->addLayout(row);
    box->addWidget(listDataInfo, 1);
    connect(btnDataSentaku, &QPushButton::clicked, this, &TDataChoicePage::selectRequested);
}

void TDataChoicePage::SetDataInfo(const std::vector<std::pair<std::string, std::string>>& rows)
{
    listDataInfo->setRowCount(static_cast<int>(rows.size()));
    for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
        listDataInfo->setItem(i, 0, new QTableWidgetItem(q(rows[static_cast<std::size_t>(i)].first)));
        listDataInfo->setItem(i, 1, new QTableWidgetItem(q(rows[static_cast<std::size_t>(i)].second)));
    }
}

void TDataChoicePage::ClearDataInfo()
{
    listDataInfo->setRowCount(0);
}

bool TDataChoicePage::HasDataInfo() const
{
    return listDataInfo->rowCount() > 0;
}

std::string TDataChoicePage::DataInfoValue(const std::string& name) const
{
    for (int i = 0; i < listDataInfo->rowCount(); ++i)
        if (listDataInfo->item(i, 0)->text() == q(name))
            return listDataInfo->item(i, 1)->text().toStdString();
    return {};
}

TConditionsPage::TConditionsPage(QWidget* parent)
    : TWizardPage(TWizardPageId::Conditions, parent)
{
    auto* heading = wrappedLabel(this, "Label3a");
    heading->setText(q("計算対象期間と消費税の計算区分を指定します。"));
    auto* periodBox = new QGroupBox(q("計算対象期間"), this);
    xKikanPanel3a = new TxKikanPanel16(periodBox);
    xKikanPanel3a->setObjectName("xKikanPanel3a");
    xKikanPanel3a->SetKikanMove(false);
    xKikanPanel3a->setMinimumHeight(28);
    auto* pb = new QVBoxLayout(periodBox);
    pb->addWidget(xKikanPanel3a);

    auto* taxBox = new QGroupBox(q("消費税計算区分"), this);
    RadioButton3a = new QRadioButton(q("税込み"), taxBox);
    RadioButton3a->setObjectName("RadioButton3a");
    RadioButton3b = new QRadioButton(q("税抜き"), taxBox);
    RadioButton3b->setObjectName("RadioButton3b");
    RadioButton3a->setChecked(true);
    auto* tb = new QHBoxLayout(taxBox);
    tb->addWidget(RadioButton3a);
    tb->addWidget(RadioButton3b);
    tb->addStretch();

    auto* box = new QVBoxLayout(this);
    box->addWidget(heading);
    box->addWidget(periodBox);
    box->addWidget(taxBox);
    box->addStretch();
    connect(xKikanPanel3a, &TxKikanPanelBase::OnMouseUp, this, [this] { emit periodClicked(); });
}

TStatementFormPage::TStatementFormPage(QWidget* parent)
    : TWizardPage(TWizardPageId::StatementForm, parent)
{
    Label10a = wrappedLabel(this, "Label10a");
    Label10b = wrappedLabel(this, "Label10b");
    GroupBox10 = new QGroupBox(q("法人事業概況説明書の様式"), this);
    GroupBox10->setObjectName("GroupBox10");
    rbtn10a = new QRadioButton(q("旧様式"), GroupBox10);
    rbtn10a->setObjectName("rbtn10a");
    rbtn10b = new QRadioButton(q("新様式"), GroupBox10);
    rbtn10b->setObjectName("rbtn10b");
    rbtn10b->setChecked(true);
    auto* gb = new QVBoxLayout(GroupBox10);
    gb->addWidget(rbtn10a);
    gb->addWidget(rbtn10b);

    auto* box = new QVBoxLayout(this);
    box->addWidget(Label10a);
    box->addWidget(GroupBox10);
    box->addWidget(Label10b);
    box->addStretch();
}

TDormantPage::TDormantPage(TWizardPageId id, QWidget* parent)
    : TWizardPage(id, parent)
{
    auto* box = new QVBoxLayout(this);
    box->addStretch();
}

TOutputFilePage::TOutputFilePage(QWidget* parent)
    : TWizardPage(TWizardPageId::OutputFile, parent)
{
    Label4a = wrappedLabel(this, "Label4a");
    auto* caption = new QLabel(q("中間ファイル名"), this);
    Edit4a = new QLineEdit(this);
    Edit4a->setObjectName("Edit4a");
    BitBtn4a = new QPushButton(q("参照..."), this);
    BitBtn4a->setObjectName("BitBtn4a");
    auto* row = new QHBoxLayout;
    row->addWidget(Edit4a, 1);
    row->addWidget(BitBtn4a);
    auto* box = new QVBoxLayout(this);
    box->addWidget(Label4a);
    box->addSpacing(12);
    box->addWidget(caption);
    box->addLayout(row);
    box->addStretch();
    connect(BitBtn4a, &QPushButton::clicked, this, &TOutputFilePage::browseRequested);
}

TSummaryPage::TSummaryPage(QWidget* parent)
    : TWizardPage(TWizardPageId::Summary, parent)
{
    auto* heading = wrappedLabel(this, "Label5a");
    heading->setText(q("以下の内容で中間ファイルを作成します。[完了]をクリックしてください。"));
    Memo5b = new QPlainTextEdit(this);
    Memo5b->setObjectName("Memo5b");
    Memo5b->setReadOnly(true);
    // The summary lines are aligned by character columns.
    QFont fixed(QStringLiteral("IPAGothic"));
    fixed.setStyleHint(QFont::TypeWriter);
    fixed.setPointSize(Memo5b->font().pointSize());
    Memo5b->setFont(fixed);
    auto* box = new QVBoxLayout(this);
    box->addWidget(heading);
    box->addWidget(Memo5b, 1);
}

std::vector<std::string> TSummaryPage::Lines() const
{
    std::vector<std::string> out;
    for (const QString& l : Memo5b->toPlainText().split('\n'))
        out.push_back(l.toStdString());
    return out;
}

void TSummaryPage::SetLines(const std::vector<std::string>& lines)
{
    QStringList l;
    for (const auto& s : lines)
        l << q(s);
    Memo5b->setPlainText(l.join('\n'));
}
