#pragma once
// "データの持ち出し／持ち帰り": asks whether the selected data set of the
// data server is to be taken out onto this computer or brought back.

#include "controls/SDI.h"

#include <cstdint>

class QPlainTextEdit;
class TxPlButton;
class TxRadioButton;

class TWhichDataSetBox : public TBSDI {
    Q_OBJECT
public:
    explicit TWhichDataSetBox(QWidget* owner = nullptr);

    std::uint8_t Mode = 0;
    bool Mochikaeri = false; // in: preferred choice; out: true for bring back
    std::int32_t Mochidashi = 0; // 1 when the data set is taken out now

    // Prepares the choice; the caller then shows the dialog modally (1 OK).
    void ShowChoice(std::uint8_t mode);
    void btnOKClick();

    TxRadioButton* btnMochidashi = nullptr;
    TxRadioButton* btnMochikaeri = nullptr;
    TxPlButton* btnOK = nullptr;
    TxPlButton* btnCancel = nullptr;

protected:
    void FormKeyUp(int& key, Qt::KeyboardModifiers shift) override;
    void FormClose(TCloseAction& action) override;
    void CMShowingChanged(bool visible) override;

private:
    QPlainTextEdit* hintArea_ = nullptr;
};
