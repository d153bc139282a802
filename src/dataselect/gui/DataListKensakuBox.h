#pragma once
// "検索条件の設定": edits the search condition of a data list (code, data
// kind, list name, person in charge, version, use every time). Storing it
// is TDataKensakuIO's; the caller stores the condition after OK.

#include "controls/SDI.h"
#include "core/SeihinVersionList.h"
#include "dataselect/z5DataListKensaku.h"

class QPlainTextEdit;
class TxCheckBox;
class TxComboBox;
class TxEdit;
class TxPlButton;

class TDataListKensakuBox : public TBSDI {
    Q_OBJECT
public:
    explicit TDataListKensakuBox(QWidget* owner = nullptr);
    ~TDataListKensakuBox() override;

    std::int32_t ListType = 0;
    TDataKensakuRec Rec;

    // Fills the fields from Rec.
    void Prepare(bool flag);
    // Reads the fields into Rec; modal result 1.
    void btnOKClick();

    TxEdit* txtCode = nullptr;
    TxComboBox* cmbDataKbn = nullptr;
    TxEdit* txtListName = nullptr;
    TxComboBox* cmbTanto = nullptr;
    TxComboBox* cmbDataVer = nullptr;
    TxCheckBox* cboxYukou = nullptr;
    TxPlButton* btnOK = nullptr;
    TxPlButton* btnCancel = nullptr;

protected:
    void FormClose(TCloseAction& action) override;
    void CMShowingChanged(bool visible) override;

private:
    TUserList users_;
    TSeihinVersionList versions_;
    QPlainTextEdit* hintArea_ = nullptr;
    bool prepared_ = false;
};
