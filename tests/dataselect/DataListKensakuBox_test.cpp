// The search-condition dialog on a sample system database, and the data
// selection screen's search and search-cancel buttons.

#include "dataselect/gui/DataListKensakuBox.h"
#include "dataselect/gui/DataSentakuBox.h"

#include "mixed_rows_fixture.h"
#include "search_dialog_answer.h"

#include "controls/xEdit.h"
#include "controls/xPlButton.h"
#include "core/DataModuleSysDef.h"
#include "support/scripted_messages.h"

#include <QApplication>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

namespace {
class SearchDialog : public DataSelectionList { };
} // namespace

TEST_F(SearchDialog, EveryControlHasItsHint)
{
    TDataListKensakuBox box;
    box.Prepare(true);
    for (QWidget* w : std::initializer_list<QWidget*> {box.txtCode, box.cmbDataKbn, box.txtListName, box.cmbTanto,
             box.cmbDataVer, box.cboxYukou, box.btnOK, box.btnCancel}) {
        const QString hint = controls::Hint(w);
        EXPECT_EQ(hint.count(QLatin1Char('|')), 1) << w->metaObject()->className() << " " << hint.toStdString();
    }
    EXPECT_EQ(controls::Hint(box.cmbDataKbn).section(QLatin1Char('|'), 0, 0).toStdString(),
        "選択した区分に該当するデータを抽出して表示します。");
    EXPECT_EQ(box.txtCode->ImeMode(), imDisable);
}

TEST_F(SearchDialog, FieldsRoundTripAndAStalePersonShowsNone)
{
    ScriptedMessages messages;
    TDataListKensakuBox box;
    box.Rec.DataType = 3;
    box.Rec.CodeType = 9;
    box.Rec.DataCode = "C0";
    box.Rec.ListName = "医療";
    box.Rec.Tanto = 987654; // no longer an operator
    box.Rec.JyokenUse = 1;
    box.Prepare(true);
    EXPECT_EQ(box.cmbDataKbn->currentText().toStdString(), "医療法人");
    EXPECT_EQ(box.cmbTanto->currentText().toStdString(), "選択なし");
    EXPECT_TRUE(box.cboxYukou->isChecked());
    box.cmbDataKbn->setCurrentIndex(3);
    box.txtCode->setText(QStringLiteral("X9"));
    box.btnOKClick();
    EXPECT_EQ(box.result(), 1);
    EXPECT_EQ(box.Rec.DataType, 2);
    EXPECT_EQ(box.Rec.CodeType, 2);
    EXPECT_EQ(box.Rec.DataCode, "X9");
    EXPECT_EQ(box.Rec.Tanto, 0);
    EXPECT_EQ(messages.count(), 0u);
}

TEST_F(SearchDialog, ScreenSearchFiltersStoresAndCancelShowsAllAgain)
{
    ScriptedMessages messages;
    const std::string chosen = SysDef.DataDir;
    ASSERT_TRUE(core::fnGetSysDef());
    SysDef.DataDir = chosen;
    TDataSentakuBox screen;
    screen.SetParams({"SyoriType=0"});
    screen.PrepareShow();
    EXPECT_EQ(screen.Grid()->rowCount(), 120);
    AnswerNextSearchWithDataKind(4); // 医療法人
    screen.SearchButton()->click();
    EXPECT_EQ(screen.Grid()->rowCount(), 1);
    EXPECT_TRUE(screen.SearchCancelButton()->isEnabled());
    EXPECT_EQ(value("KENSAKUJYOKEN", "DATATYPE", "OPCODE=" + std::to_string(SysDef.OpCode)), "3");
    screen.SearchCancelButton()->click();
    EXPECT_EQ(screen.Grid()->rowCount(), 120);
    EXPECT_FALSE(screen.SearchCancelButton()->isEnabled());
    EXPECT_EQ(value("KENSAKUJYOKEN", "DATATYPE", "OPCODE=" + std::to_string(SysDef.OpCode)), "3")
        << "the stored condition stays";
}
