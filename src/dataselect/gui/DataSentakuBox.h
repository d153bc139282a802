#pragma once
// The data-selection screen "データ選択", process "QzDataSenkaku": the
// operator's data list, filtered as the caller asks, from which one data
// set is chosen (F12, Enter, double click) into SysDef. The list, keys and
// checks are TDataSentakuModel's and the rules'; this class draws them.

#include <functional>
#include "controls/ProcRegistry.h"
#include "controls/SDI.h"
#include "dataselect/z5DataPlaceMan.h"
#include "dataselect/z5DataSentakuModel.h"

#include <QColor>
#include <QPointer>

#include <array>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QTimer;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;
class QWidget;
class TxPlButton;
class TDataCopyPaste;
class TDataSaveRestore;
class TDataRowOps;
class TDataShareOps;
class TDataTakeOut;

// Prints the displayed rows of a data list (0 the data list, 1 the
// shared-server list): the print library sits above this one, so the
// program hands its entry point over at start. False when nothing printed.
using TDataListPrinter = std::function<bool(
    QWidget* parent, std::uint8_t listKind, const TDataSentakuRecArray& rows, const TDataSentakuRecDispArray& disp)>;
void SetDataListPrinter(TDataListPrinter printer);
const TDataListPrinter& DataListPrinter();

class TDataSentakuBox : public TBSDI, public IProcScreen {
    Q_OBJECT
public:
    explicit TDataSentakuBox(QWidget* owner = nullptr);
    ~TDataSentakuBox() override;

    std::int32_t Execute(std::uint8_t modal) override;
    void SetParams(const std::vector<std::string>& params) override;

    // Loads the list and the condition (run by Execute before showing).
    void PrepareShow();
    void UpdateFunctionKeys();
    // Prints the displayed list.
    void F8Click();
    void DisplayDataList();
    void F12Click();
    void ESCClick();
    // F2: marks the current row as the copy source, then pastes it onto the
    // row current at the second press.
    void F2Click();
    // F6 saves the current row's data set, F7 restores a backup over it.
    void F6Click();
    void F7Click();
    // F3 new data, distributed data (or take-out); F4 area or release; F5
    // delete.
    void F3Click();
    void F4Click();
    void F5Click();
    // The data-place list dropped down or changed: the list and the search
    // buttons rest; closed up or left: the chosen place's list is shown.
    void cmbDataManChange();
    void cmbDataManExit();
    void btnSearchCancelClick();
    void btnSearchClick();
    void btnDataInfoClick();
    void btnListUpdateClick();
    // Header click: sort by a column (0, 1, 3..7).
    void SortByColumn(int column);
    // Lock column (server kinds): takes or releases the row's data lock.
    void LockColumnClick(int row);
    // The pause after typing in the list: goes to the row whose code
    // begins with the typed text, then forgets the text.
    void IncSerchTimerTimer();

    TDataSentakuModel& Model() { return model_; }
    TDataCopyPaste& CopyPaste() { return *copyPaste_; }
    TDataSaveRestore& SaveRestore() { return *saveRestore_; }
    TDataRowOps& RowOps() { return *rowOps_; }
    TDataShareOps& ShareOps() { return *shareOps_; }
    TDataTakeOut& TakeOut() { return *takeOut_; }
    QPushButton* CloudShareButton() const { return btnCloudShare_; }
    QPushButton* KyoyuDownButton() const { return btnKyoyuDataDown_; }
    QPushButton* KyoyuUpButton() const { return btnKyoyuDataUp_; }
    QTableWidget* Grid() const { return grid_; }
    const TFunctionKeyState& Keys() const { return keys_; }
    TxPlButton* KeyButton(int key) const { return keyButtons_[static_cast<std::size_t>(key)]; }
    QPushButton* SearchButton() const { return btnSearch_; }
    QPushButton* SearchCancelButton() const { return btnSearchCancel_; }
    // Marked: the list is narrowed by a condition the caller gave or the
    // operator set on this screen; the button then shows pressed.
    bool SearchMarked() const { return searchMarked_; }
    QComboBox* DataPlaceCombo() const { return cmbDataMan_; }
    QLineEdit* IncSearchEdit() const { return txtIncSerch_; }
    QTimer* IncSearchTimer() const { return incSerchTimer_; }
    const std::string& IncSearchText() const { return incText_; }
    std::uint8_t SyoriType() const { return params_.SyoriType; }

protected:
    void FormClose(TCloseAction& action) override;
    void FormKeyUp(int& key, Qt::KeyboardModifiers shift) override;
    void CMShowingChanged(bool visible) override;
    void CMFocusChanged(QWidget* now) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void done(int r) override;

private:
    void buildControls();
    void loadPlaces();
    void operationNotBuilt(int key);
    std::string chooseBackupFolder(bool restore, bool& fromDataFolder);
    void afterRowOperation(int row);
    void drawRow(int gridRow);
    QColor rowTextColour(int gridRow);
    void paintRowText(int gridRow);
    int currentRow() const;
    QString gridHint() const;
    void LoadHints();
    void positionOnCurrentData();
    bool closeWithStartFolderCheck();
    void addIncSearchChar(char c);
    void restoreKyoyuAuto();
    void showPlaceList();
    void markSearch(bool marked);

    TDataSentakuParams params_;
    TDataSentakuModel model_;
    TDataPlaceMan places_;
    std::unique_ptr<TDataCopyPaste> copyPaste_;
    std::unique_ptr<TDataSaveRestore> saveRestore_;
    std::unique_ptr<TDataRowOps> rowOps_;
    std::unique_ptr<TDataShareOps> shareOps_;
    std::unique_ptr<TDataTakeOut> takeOut_;
    std::unique_ptr<TDataKensakuIO> kensaku_;
    TDataKensakuRec storedCondition_;
    TFunctionKeyState keys_;
    std::string startFolder_;
    bool escape_ = false;
    int closingResult_ = 2; // the result the screen is closing with
    // Processing type 2 stand-alone suspends automatic share while it runs.
    bool kyoyuAutoSuspended_ = false;
    int savedKyoyuAuto_ = 0;
    std::string incText_; // incremental search
    bool placeChanging_ = false; // the data-place list is open or changed
    bool searchMarked_ = false;

    QTableWidget* grid_ = nullptr;
    QPlainTextEdit* hintArea_ = nullptr;
    QWidget* pnlDataMan_ = nullptr;
    QComboBox* cmbDataMan_ = nullptr;
    QPushButton* btnDataMan_ = nullptr;
    QCheckBox* cboxKyoyuDataAuto_ = nullptr;
    QPushButton* btnCloudShare_ = nullptr;
    QPushButton* btnKyoyuDataUp_ = nullptr;
    QPushButton* btnKyoyuDataDown_ = nullptr;
    QPushButton* btnSearchCancel_ = nullptr;
    QPushButton* btnSearch_ = nullptr;
    QPushButton* btnDataInfo_ = nullptr;
    QPushButton* btnListUpdate_ = nullptr;
    QLineEdit* txtIncSerch_ = nullptr;
    QTimer* incSerchTimer_ = nullptr;
    std::array<TxPlButton*, fkey::Count> keyButtons_ {};
};

// Registers the screen under "QzDataSenkaku" (once).
void RegisterDataSentakuBox();
