#pragma once
// "データの詳細情報": what is known about one data set from its folder's
// settings file, the three settings the user may change (list name,
// update lock, journal-input lock), clearing a stuck status and the F7
// rebuild (a backup and restore of the company database over itself).

#include "controls/SDI.h"
#include "core/DataInfomation.h"
#include "dataselect/z5ComDataSentaku.h"

#include <array>
#include <functional>

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class TBackupRestoreThread;
class TTolvanEdit;
class TxCheckBox;
class TxPlButton;

class TDataSyosaiInfoBox : public TBSDI {
    Q_OBJECT
public:
    explicit TDataSyosaiInfoBox(QWidget* owner = nullptr);
    ~TDataSyosaiInfoBox() override;

    // Inputs.
    std::int32_t Source = 0; // 0 data list, 1 shared-server list
    TDataListRec* Row = nullptr;
    std::string DataFolder;
    std::string ListName;
    std::int32_t UpdateLock = 0;
    std::int32_t ReadOnly = 0;
    bool Editable = true;
    // Results.
    bool StatusClear = false;
    bool Rebuilt = false;

    void Prepare(bool flag);
    void FillDetails();
    void F1Click(int key);
    bool RebuildData();
    void btnOKClick();

    // Runs the rebuild worker to its end (replaceable for tests).
    std::function<void(TBackupRestoreThread&)> RunWorker;

    bool StatusClearAllowed() const { return statusClearAllowed_; }
    bool RebuildAllowed() const { return rebuildAllowed_; }
    const TDataInfomationRec& Info() const { return info_; }

    QLabel* lblStatus = nullptr;
    QLabel* lblCode = nullptr;
    QLabel* lblDataKbn = nullptr;
    QLabel* lblName = nullptr;
    QLabel* lblKana = nullptr;
    QLabel* lblNendo = nullptr;
    QLabel* lblKikan = nullptr;
    QLabel* lblTanto = nullptr;
    QLabel* lblBumonKanri = nullptr;
    QLabel* lblSitenKanri = nullptr;
    QLabel* lblSiwakeKensu = nullptr;
    QLabel* lblDataSeigenMessage = nullptr;
    QLabel* Image1 = nullptr;
    QPlainTextEdit* txtDataPath = nullptr;
    TxCheckBox* cboxStatusClear = nullptr;
    TxCheckBox* cboxDataUpdateLock = nullptr;
    TxCheckBox* cboxDataReadOnly = nullptr;
    TTolvanEdit* txtListName = nullptr;
    TxPlButton* btnOK = nullptr;
    TxPlButton* btnCancel = nullptr;
    std::array<TxPlButton*, 8> FKeys {}; // F1..F8

protected:
    void FormKeyUp(int& key, Qt::KeyboardModifiers shift) override;
    void FormClose(TCloseAction& action) override;
    void CMShowingChanged(bool visible) override;

private:
    void setHints();
    void setFunctionKeys();
    void setDataLock(bool lock);

    TDataInfomation reader_;
    TDataInfomationRec info_;
    bool statusClearAllowed_ = false;
    bool rebuildAllowed_ = false;
    QPlainTextEdit* hintArea_ = nullptr;
    QLabel* lblDataUpdateLock_ = nullptr;
    QLabel* lblDataReadOnly_ = nullptr;
};
