#pragma once
// The message dialog with detail lines: a main message in a colour, a
// read-only list of detail lines, an optional agree box and OK/Cancel.

#include "controls/SDI.h"

#include <QStringList>

#include <cstdint>
#include <string>
#include <vector>

class QLabel;
class QPlainTextEdit;
class TxCheckBox;
class TxPlButton;

// Window positions as the callers name them (poOwnerFormCenter 7, ...).
namespace boxpos {
constexpr std::uint8_t Designed = 0;
constexpr std::uint8_t ScreenCenter = 4;
constexpr std::uint8_t MainFormCenter = 6;
constexpr std::uint8_t OwnerFormCenter = 7;
} // namespace boxpos

struct TMessageInfoRec {
    std::int32_t mode = 0;
    std::uint8_t position = boxpos::OwnerFormCenter;
    std::string caption;
    std::string message;
    std::uint32_t colour = 255; // TColor
    std::vector<std::string> lines;
    std::string agreeCaption;
};

// Mode 0, empty texts, red, no lines, centred over the owner.
void InitMessageBoxInfo(TMessageInfoRec& rec);
// Shows the record in a TMessageBox over the main form and returns the
// modal result.
int ShowMessageBox(const TMessageInfoRec& rec);

class TMessageBox : public TBSDI {
    Q_OBJECT
public:
    explicit TMessageBox(QWidget* parent = nullptr);

    int BoxMode = 0;
    QString BoxCaption;
    QString BoxMessage;
    QColor BoxColor;
    QString AgreeCaption = QStringLiteral("同意する");
    bool AgreeChecked = false;
    std::uint8_t FocusButton = 3;
    bool AgreeVisible = false;

    void SetMessageLines(const QStringList& lines) { lines_ = lines; }
    const QStringList& MessageLines() const { return lines_; }
    void InitDialog(bool flag);
    void SetControls();

    QLabel* lblMain = nullptr;
    QPlainTextEdit* MessageArea = nullptr;
    TxCheckBox* cboxAgree = nullptr;
    TxPlButton* btnOK = nullptr;
    TxPlButton* btnCancel = nullptr;

protected:
    void FormClose(TCloseAction& action) override;
    void CMShowingChanged(bool visible) override;

private:
    QStringList lines_;
    QSize designSize_;
    bool initFlag_ = false;
};
