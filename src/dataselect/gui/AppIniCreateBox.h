#pragma once
// "データサーバーの設定": edits the data server's host and the system
// database's folder of the current connection kind in the connection
// settings file. The file operations themselves are in
// dataselect/AppIniFile.h; the dialog forwards to them.

#include <QDialog>

#include <string>

class QLabel;
class TxComboBox;
class TxEdit;
class TxPlButton;

class TAppIniCreateBox : public QDialog {
    Q_OBJECT
public:
    explicit TAppIniCreateBox(QWidget* parent = nullptr);

    bool InitOK = false;
    // 1: the dialog checks the data root when shown and closes itself after
    // OK or Cancel.
    int StartMode = 0;

    bool WriteIniFile(int mode);
    int ReadIniFile(int kind);
    int LoadConnectSettings(int kind);
    int ReadConnectKind();
    void WriteConnectKind(int kind);

    // The drive list: "/" (a data server whose folders have no drive
    // letter), then "C:" to "Z:".
    static QStringList DriveItems();
    // The item for a folder: its upper-cased drive letter, else "/" for a
    // POSIX folder, else the first item.
    static int DriveIndexOf(const std::string& folder);

    TxEdit* txtHostName = nullptr;
    TxPlButton* btnCompShow = nullptr;
    TxComboBox* cmbDrive = nullptr;
    TxEdit* txtDataPath = nullptr;
    TxEdit* txtUserName = nullptr;
    TxEdit* txtPassWord = nullptr;
    TxPlButton* btnOK = nullptr;
    TxPlButton* btnCancel = nullptr;

    void btnCompShowClick();
    void OKBtnClick();
    void btnCancelClick();

protected:
    void showEvent(QShowEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;

private:
    void CMShowingChanged();
    // Error box with a single Yes button.
    static void refuse(const std::string& text);

    int sectionKind_ = 1;
};
