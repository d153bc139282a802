#pragma once
// "データの場所の設定": lists the data places of the data server and names,
// renames, deletes and reorders them (every change is saved at once).

#include "controls/SDI.h"
#include "dataselect/z5DataPlaceMan.h"

class QPlainTextEdit;
class QTableWidget;
class TxPlButton;

// The list's hint: which row cannot be deleted, with the edition's data
// folder named.
std::string PlacesGridHint();

class TDataPlaceBox : public TBSDI {
    Q_OBJECT
public:
    explicit TDataPlaceBox(QWidget* owner = nullptr);

    // Fills the list and selects the operator's data place.
    void ShowPlaces(std::uint8_t mode);
    void F2Click();
    void F3Click();
    void F5Click();
    void F6Click();
    void F7Click();

    TDataPlaceMan& Places() { return places_; }
    QTableWidget* Grid() const { return grid_; }
    TxPlButton* F2 = nullptr;
    TxPlButton* F3 = nullptr;
    TxPlButton* F5 = nullptr;
    TxPlButton* F6 = nullptr;
    TxPlButton* F7 = nullptr;
    TxPlButton* btnOK = nullptr;
    TxPlButton* btnCancel = nullptr; // hidden
    TxPlButton* F1 = nullptr; // hidden

protected:
    void FormKeyUp(int& key, Qt::KeyboardModifiers shift) override;
    void FormClose(TCloseAction& action) override;
    void CMShowingChanged(bool visible) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void fillGrid(int current);
    void updateKeys();
    void paintRow(int row, bool focused);
    int row() const;

    TDataPlaceMan places_;
    std::uint8_t mode_ = 0;
    QTableWidget* grid_ = nullptr;
    QPlainTextEdit* hintArea_ = nullptr;
};
