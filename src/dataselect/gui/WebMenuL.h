#pragma once
// "ログインユーザー": the other operators logged on at this moment. A process
// screen (ID "WebMenuL"): started through ExecProc, it answers 1 when other
// operators are logged on, else 0.

#include "controls/ProcRegistry.h"
#include "dataselect/LoginUserList.h"
#include "controls/SDI.h"

#include <cstdint>
#include <string>
#include <vector>

class QPlainTextEdit;
class QTableWidget;
class TxPlButton;

class TfmWebMenuL : public TBSDI, public IProcScreen {
    Q_OBJECT
public:
    explicit TfmWebMenuL(QWidget* owner = nullptr);
    ~TfmWebMenuL() override;

    std::int32_t Execute(std::uint8_t modal) override;
    void SetParams(const std::vector<std::string>& params) override;
    virtual void SetMode(std::uint8_t value);

    // The number of other operators found by the latest load (shared by
    // every instance, as the screens of the process share it).
    static int EntryCount();

    enum class TFormStyle { MdiChild, MdiForm, Normal, StayOnTop };
    TFormStyle FormStyle() const { return formStyle_; }
    int SyoriType() const { return syoriType_; }
    std::uint8_t Mode() const { return mode_; }
    // False: the operator's own row only was found; the screen closes itself
    // as soon as it is shown.
    bool HasEntries() const { return !presetCancel_; }

    QTableWidget* PerfectGrid1 = nullptr;
    QPlainTextEdit* HintArea = nullptr;
    TxPlButton* F12 = nullptr;
    TxPlButton* ESC = nullptr;
    TxPlButton* F1 = nullptr;

protected:
    void FormShow() override;
    void FormClose(TCloseAction& action) override;
    void FormKeyUp(int& key, Qt::KeyboardModifiers shift) override;
    void done(int r) override;

private:
    void F1Click(TxPlButton* sender);
    void FillGrid();

    std::vector<dataselect::TLoginUserR> entries_;
    std::vector<std::string> params_;
    int syoriType_ = -1;
    TFormStyle formStyle_ = TFormStyle::MdiChild;
    std::uint8_t mode_ = 0;
    bool presetCancel_ = false;
};

namespace dataselect {

// Registers the process screens of data selection (before the main form).
void RegisterDataSelectProcs();

} // namespace dataselect
