#pragma once
// TPrnColorSetBox "帳票色の選択": the four colours of colour printing (frame
// lines, ruled lines, heading and total shading), for the operator's
// defaults or for one report style; the picker's sixteen custom colours are
// kept per operator.

#include "controls/ColorUtil.h"
#include "controls/SDI.h"

#include <functional>
#include <optional>
#include <string>

class QFrame;
class QLabel;
class TxPlButton;

class TPrnColorSetBox : public TBSDI {
    Q_OBJECT
public:
    explicit TPrnColorSetBox(QWidget* parent = nullptr);

    bool PerStyle = false;
    TColorValue LineColor1 = 0, LineColor2 = 0, NetColor1 = 0, NetColor2 = 0;
    void SetLineColor1(TColorValue c);
    void SetLineColor2(TColorValue c);
    void SetNetColor1(TColorValue c);
    void SetNetColor2(TColorValue c);
    TColorValue PanelColor(int tag) const;

    void InitDialog(bool flag);
    void SetControls();

    // The colour picker (tests replace it): the chosen colour, or nullopt.
    std::function<std::optional<TColorValue>(TColorValue current)> PickColour;
    std::array<TColorValue, 16> CustomColors {};

    // The stored text of the custom colours: "ColorA=FFFFFF" .. "ColorP=...".
    static std::string CustomColorsText(const std::array<TColorValue, 16>& colours);
    static std::array<TColorValue, 16> CustomColorsFrom(const std::string& text);

    QLabel* lblKankyoColor;
    std::array<TxPlButton*, 4> changeButtons {};
    TxPlButton* btnOK;
    TxPlButton* btnCancel;

public slots:
    void btnLineColor1Click(int tag);
    void lblKankyoColorClick();
    void btnOKClick();

protected:
    void FormClose(TCloseAction& action) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void paint(int tag, TColorValue c);
    std::array<QFrame*, 4> panels_ {};
    std::array<TColorValue, 4> shown_ {};
    bool flag_ = false;
};
