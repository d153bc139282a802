#pragma once
// The pages of the wizard form, one class each, laid out in code. The form
// knows a page by its TWizardPageId; the page raises what the user does as
// Qt signals and keeps no state of the run (the form does).

#include <QWidget>

#include <string>
#include <utility>
#include <vector>

class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;
class TxKikanPanel16;

// In the order of the form's layout; the form removes the pages this
// program does not use while it is created.
enum class TWizardPageId {
    Intro, // introduction
    DataChoice, // choice of the data set
    Conditions, // calculation period and tax mode
    StatementForm, // form of the business-overview statement
    MainItems, // item-to-account assignment of the main accounts (dormant)
    MonthItems, // item-to-account assignment of the monthly items (dormant)
    EquityChanges, // statement of changes in equity (dormant)
    EquityNotes, // notes of that statement (dormant)
    OutputFile, // output file (stand-alone only)
    Summary, // summary and finish
};

// The layout name of a page ("page1" ... "page10"), kept as the page
// widget's object name for logs and screenshots.
const char* WizardPageName(TWizardPageId id);

class TWizardPage : public QWidget {
    Q_OBJECT
public:
    TWizardPageId id() const { return id_; }

protected:
    TWizardPage(TWizardPageId id, QWidget* parent);

private:
    TWizardPageId id_;
};

class TIntroPage : public TWizardPage {
    Q_OBJECT
public:
    explicit TIntroPage(QWidget* parent = nullptr);
    QLabel* Memo1a; // what the wizard does
    QLabel* Memo1b; // what the user should do first
};

class TDataChoicePage : public TWizardPage {
    Q_OBJECT
public:
    explicit TDataChoicePage(QWidget* parent = nullptr);

    // The name/value list of the chosen data set; the header is its title
    // row, so an empty list "holds only its title row".
    void SetDataInfo(const std::vector<std::pair<std::string, std::string>>& rows);
    void ClearDataInfo();
    bool HasDataInfo() const;
    // The value of a row ("" when absent).
    std::string DataInfoValue(const std::string& name) const;

    QLabel* Label2a; // heading
    QPushButton* btnDataSentaku; // 「データ選択を開く」
    QTableWidget* listDataInfo;

signals:
    void selectRequested();
};

class TConditionsPage : public TWizardPage {
    Q_OBJECT
public:
    explicit TConditionsPage(QWidget* parent = nullptr);
    TxKikanPanel16* xKikanPanel3a;
    QRadioButton* RadioButton3a; // 税込み
    QRadioButton* RadioButton3b; // 税抜き

signals:
    // After every click in the period panel.
    void periodClicked();
};

class TStatementFormPage : public TWizardPage {
    Q_OBJECT
public:
    explicit TStatementFormPage(QWidget* parent = nullptr);
    QLabel* Label10a; // heading
    QLabel* Label10b; // lower label
    QGroupBox* GroupBox10; // the form choice (hidden for this kind)
    QRadioButton* rbtn10a; // old form
    QRadioButton* rbtn10b; // new form
};

// The assignment and equity pages of other export kinds: never shown in
// this program (the form removes them), kept so the layout is complete.
class TDormantPage : public TWizardPage {
    Q_OBJECT
public:
    TDormantPage(TWizardPageId id, QWidget* parent = nullptr);
};

class TOutputFilePage : public TWizardPage {
    Q_OBJECT
public:
    explicit TOutputFilePage(QWidget* parent = nullptr);
    QLabel* Label4a; // heading
    QLineEdit* Edit4a; // output file name
    QPushButton* BitBtn4a; // the save dialog

signals:
    void browseRequested();
};

class TSummaryPage : public TWizardPage {
    Q_OBJECT
public:
    explicit TSummaryPage(QWidget* parent = nullptr);
    QPlainTextEdit* Memo5b;
    // The summary's lines.
    std::vector<std::string> Lines() const;
    void SetLines(const std::vector<std::string>& lines);
};
