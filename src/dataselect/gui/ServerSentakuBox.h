#pragma once
// "共有データの選択": the data areas of the shared server (a share root
// holding the share folder), from which the data-selection screen takes
// one for an empty local row. F2 copies and pastes an area, F4 adds one,
// F5 deletes one, F8 prints the list. The list and the operations are
// TServerSentakuCtl's; this class draws them and routes the keys.

#include "controls/SDI.h"
#include "dataselect/gui/DataSentakuBox.h"
#include "dataselect/z5ServerSentaku.h"

#include <array>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;
class QTimer;
class TxPlButton;

class TServerSentakuBox : public TBSDI {
    Q_OBJECT
public:
    enum Key { kESC = 0, kF1, kF2, kF3, kF4, kF5, kF6, kF7, kF8, kF12, kKeyCount };
    // Grid columns (the hidden ones carry the row's values).
    enum Col {
        cNo = 0,
        cCode,
        cCloud,
        cName,
        cNendo,
        cKikan,
        cFolder,
        cVersion,
        cShare,
        cShareValue,
        cVersion2,
        cUpdateLock,
        cGassan,
        cTop,
        cChild,
        cDamaged,
        cCloudValue,
        cReadOnly,
        kColCount
    };

    explicit TServerSentakuBox(QWidget* owner = nullptr);
    ~TServerSentakuBox() override;

    // In: the shared drive letter. Out (modal result 1): the letter, the
    // chosen server folder and its list name.
    std::string SharedDrive;
    std::string ChosenFolder;
    std::string ChosenName;
    bool AutoListUpdate = false;

    void Prepare(bool flag);
    void LoadScreen();
    void FillGrid();
    void SetFunctionKeys();
    void SortByColumn(int column);
    void cmbDriveChange(int index);
    void btnMountClick();
    void btnSearchClick(bool cancel);
    void btnDataInfoClick();
    void btnListUpdateClick();
    void ESCClick();
    void F2Click();
    void F4Click();
    void F5Click();
    void F8Click();
    void F12Click();
    // A function key as pressed or clicked (Key), with the focus and the
    // captions recomputed afterwards.
    void RunKey(int k);
    // Incremental search: a typed key (true when it was taken) and the
    // timer's end of the typing.
    bool IncSearchKey(int key, const QString& text);
    void IncSerchTimerTimer();

    TServerSentakuCtl& Ctl() { return *ctl_; }
    QTableWidget* Grid() const { return grid_; }
    QComboBox* DriveBox() const { return cmbDrive_; }
    TxPlButton* KeyButton(int k) const { return keys_[static_cast<std::size_t>(k)]; }
    QString KeyCaption(int k) const;
    int KeyState() const { return keyState_; }
    QPushButton* SearchCancelButton() const { return btnSearchCancel_; }
    const QString& IncSearchText() const { return incText_; }
    // The text of F4's input box, for tests (empty: the dialog is shown).
    std::function<bool(std::string& name)> AskAreaName;

protected:
    void FormClose(TCloseAction& action) override;
    void FormKeyUp(int& key, Qt::KeyboardModifiers shift) override;
    void CMShowingChanged(bool visible) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void scanDrives();
    void reload(bool rescan);
    int currentLine() const;
    void setCurrentLine(int line);
    void drawLine(int line);
    bool blank(int k) const;
    void afterKey();

    std::unique_ptr<TServerSentakuCtl> ctl_;
    std::unique_ptr<TDataKensakuIO> kensaku_;
    TDataKensakuRec stored_;
    std::vector<TShareDrive> drives_;
    int keyState_ = 0;
    QString incText_;

    QComboBox* cmbDrive_ = nullptr;
    QPushButton* btnMount_ = nullptr;
    QPushButton* btnSearch_ = nullptr;
    QPushButton* btnSearchCancel_ = nullptr;
    QPushButton* btnDataInfo_ = nullptr;
    QPushButton* btnListUpdate_ = nullptr;
    QCheckBox* cboxDataListUpdate_ = nullptr;
    QTableWidget* grid_ = nullptr;
    QPlainTextEdit* hintArea_ = nullptr;
    QLineEdit* txtIncSerch_ = nullptr;
    QTimer* incTimer_ = nullptr;
    std::array<TxPlButton*, kKeyCount> keys_ {};
};
