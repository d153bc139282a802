#pragma once
// "パスワードの変更" / "パスワードの設定": asks for a new password (twice)
// and, when one exists, the current one. Checks the entries only; the
// caller stores the result.

#include <QDialog>

#include <string>

class QLabel;
class TxEdit;
class TxPlButton;

class TUpPasswordBox : public QDialog {
    Q_OBJECT
public:
    explicit TUpPasswordBox(QWidget* parent = nullptr);

    // Change mode when current is not empty, setting mode otherwise; empties
    // the fields and the result.
    void Prepare(const std::string& current);
    bool ChangeMode() const { return changeMode_; }
    // The new password after modal result 1.
    const std::string& NewPassword() const { return newPassword_; }

    TxEdit* txtPasswordNow = nullptr;
    TxEdit* txtPasswordNew1 = nullptr;
    TxEdit* txtPasswordNew2 = nullptr;
    TxPlButton* btnOk = nullptr;
    TxPlButton* btnCancel = nullptr;
    QLabel* Label1 = nullptr;

    void btnOkClick();
    // Only A-Z, a-z and 0-9 stay in a field, whether typed, pasted or dropped.
    static QString FilterPasswordText(const QString& text);

protected:
    void showEvent(QShowEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;

private:
    void refuse(const char* text, TxEdit* focus);

    QLabel* lblNow_ = nullptr;
    QLabel* lblNew1_ = nullptr;
    QLabel* lblNew2_ = nullptr;
    bool changeMode_ = false;
    std::string current_;
    std::string newPassword_;
};
