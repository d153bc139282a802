#pragma once
// The file and folder choice dialogs: a list of recently used folders kept
// per purpose in an ini file, a browse button, an optional history delete,
// and (Ex1) the choice between a place the user picks and the program's
// default place.

#include "controls/SDI.h"

#include <QStringList>

class QLabel;
class QPlainTextEdit;
class TxComboBox;
class TxEdit;
class TxPlButton;
class TxRadioButton;

class TFileOperationBox : public TBSDI {
    Q_OBJECT
public:
    explicit TFileOperationBox(QWidget* parent = nullptr);

    int FileKind = 0; // 0 existing file, 1 file to write, 2 and 3 folder
    QString FileCaption;
    QString FileMessage;
    QColor FileColor;
    QString FolderLabel;
    QString InitialFolder;
    QString InitialFileName;
    QString FolderHint;
    QString FileNameHint;
    QString DefaultExt;
    QString FilterName;
    bool UseHistory = false;
    QString HistoryFolder;
    QString HistoryFile;
    QString HistorySection;
    QString ResultPath;

    virtual void InitDialog(bool flag);
    virtual void SetControls();
    virtual void SetHints();

    // The folder list as shown (most recent first).
    QStringList Folders() const;
    QString SelectedFolder() const;
    // Puts a folder at the top of the list (once) and selects it.
    void PutFolder(const QString& folder);

    QLabel* lblMain = nullptr;
    QLabel* lblFileSelect = nullptr;
    TxComboBox* cmbFileSelect = nullptr;
    TxPlButton* btnSansyo = nullptr;
    TxPlButton* btnHistDelete = nullptr;
    QLabel* lblFileName = nullptr;
    TxEdit* txtFileName = nullptr;
    QPlainTextEdit* HintArea = nullptr;
    TxPlButton* btnOK = nullptr;
    TxPlButton* btnCancel = nullptr;

protected:
    void FormClose(TCloseAction& action) override;
    void CMShowingChanged(bool visible) override;
    virtual void btnOKClick();
    void btnSansyoClick();
    void btnHistDeleteClick();
    // True when the base OK accepted (the dialog closes with OK).
    bool baseOK();

private:
    std::string historyPath() const;
    void saveHistory(const QStringList& folders);

    bool initFlag_ = false;
};

class TFileOperationBoxEx1 : public TFileOperationBox {
    Q_OBJECT
public:
    explicit TFileOperationBoxEx1(QWidget* parent = nullptr);

    int SelectKind = 1;

    void InitDialog(bool flag) override;
    void SetControls() override;
    void SetHints() override;
    void SetSelect1Caption(const QString& text);
    void SetSelect2Caption(const QString& text);
    void SetSelectKind(int kind);

    TxRadioButton* btnSelect1 = nullptr;
    TxRadioButton* btnSelect2 = nullptr;

protected:
    void btnOKClick() override;

private:
    void btnSelect1Click();
};
