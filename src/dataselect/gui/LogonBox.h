#pragma once
// "ログイン": the operator login every run passes before any data is
// touched, or, for the companion program kinds 1-3, "パスワードの確認" of a
// fixed operator. The work is done by dataselect::TLogonOperations; the
// dialog gathers the entries and moves the focus.

#include "dataselect/LogonOperations.h"

#include <QDialog>

#include <memory>
#include <string>

class QGroupBox;
class QLabel;
class TAppIniCreateBox;
class TUpPasswordBox;
class TxEdit;
class TxPlButton;
class TxRadioButton;

class TLogonBox : public QDialog {
    Q_OBJECT
public:
    explicit TLogonBox(QWidget* parent = nullptr);
    ~TLogonBox() override;

    bool InitOK() const { return initOK_; }
    // 1 changes the stand-alone failure text; 2 puts the first focus on OK.
    int StartMode() const { return ops_.StartMode; }
    void SetStartMode(int mode) { ops_.StartMode = mode; }
    bool GroupMode() const { return ops_.GroupMode; }
    bool ConfirmMode() const { return confirmMode_; }

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* lblGroupID = nullptr;
    QLabel* lblOpCode = nullptr;
    QLabel* lblPassword = nullptr;
    TxEdit* txtGroupID = nullptr;
    TxEdit* txtOpCode = nullptr;
    TxEdit* txtPassword = nullptr;
    QGroupBox* grpConnect = nullptr;
    TxRadioButton* btnSA = nullptr;
    TxRadioButton* btnCS = nullptr;
    TxPlButton* btnServerSettei = nullptr;
    TxPlButton* btnUpPassword = nullptr;
    TxPlButton* OKBtn = nullptr;
    TxPlButton* CancelBtn = nullptr;

    TAppIniCreateBox* SettingsBox() const { return iniBox_; }

    void OKBtnClick();
    void ConfirmOKBtnClick();
    void btnSAClick();
    void btnServerSetteiClick();
    void btnUpPasswordClick();

protected:
    void showEvent(QShowEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void setUpLogin();
    void setUpConfirmation();
    void CMShowingChanged();
    void apply(const dataselect::TLogonOutcome& outcome);
    void placeButtons();

    dataselect::TLogonOperations ops_;
    bool initOK_ = false;
    bool confirmMode_ = false;
    int fixedCode_ = 0;
    bool passwordPresent_ = true;
    std::string storedPassword_;
    QWidget* topPanel_ = nullptr;
    QWidget* lowerPanel_ = nullptr;
    TAppIniCreateBox* iniBox_ = nullptr;
    TUpPasswordBox* passwordBox_ = nullptr;
};

namespace dataselect {

// Runs the login dialog modally: 1 when the operator logged in, 2 when the
// dialog was cancelled, ended by a failure or could not be set up. The
// program ends unless it answers 1.
int ExecuteLogonBox(QWidget* owner = nullptr, int startMode = 0);

} // namespace dataselect
