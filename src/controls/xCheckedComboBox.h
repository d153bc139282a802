#pragma once
// The drop-down check list: looks like a drop-down list, drops a check list
// below it, and shows the ticked items or how many are ticked.

#include <QFrame>
#include <QStringList>
#include <QWidget>

class QLabel;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QAction;

enum class TCHBQuoteStyle { qsNone, qsSingle, qsDouble };
enum class TCHBDispStyle { dsKensu, dsItems };

// The four looks of the drop-down button.
enum class TDropDownLook { Normal, Hot, Press, Gray };

class TxCheckedComboBox;

class TxCheckListDropDown : public QFrame {
    Q_OBJECT
public:
    explicit TxCheckListDropDown(TxCheckedComboBox* owner);
    QListWidget* List = nullptr;
    QAction* SelectAll = nullptr;
    QAction* DeSelectAll = nullptr;

protected:
    void hideEvent(QHideEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    TxCheckedComboBox* owner_;
};

class TxCheckedComboBox : public QWidget {
    Q_OBJECT
public:
    explicit TxCheckedComboBox(QWidget* parent = nullptr);

    const QStringList& Items() const { return items_; }
    void SetItems(const QStringList& items);
    QString CapSelectAll = QStringLiteral("&全て選択");
    QString CapDeSelectAll = QStringLiteral("&選択解除");
    bool Sorted() const { return sorted_; }
    void SetSorted(bool on);
    TCHBQuoteStyle QuoteStyle = TCHBQuoteStyle::qsNone;
    int Columns() const { return columns_; }
    void SetColumns(int columns);
    int DropDownLines() const { return dropDownLines_; }
    void SetDropDownLines(int lines);
    QString EmptyValue() const { return emptyValue_; }
    void SetEmptyValue(const QString& text);
    bool SortDisplay = false;
    int DropDownWidth = 120;
    TCHBDispStyle DispStyle() const { return dispStyle_; }
    void SetDispStyle(TCHBDispStyle s);
    QString KensuValueFormat = QStringLiteral("%d件選択");
    bool KeyUse = false;
    int KeyLength = 0;
    QString KeyDelimiter = QStringLiteral(":");
    QString Version() const { return QStringLiteral("1.0.3"); }
    bool MultiSelect() const { return multiSelect_; }
    void SetMultiSelect(bool on);

    // The ticked items joined by "," in ticking order, and their count.
    QString CheckedText() const { return checked_.join(QLatin1Char(',')); }
    int CheckedCount() const { return static_cast<int>(checked_.size()); }
    bool IsChecked(int index) const;
    // The text the closed control shows.
    QString DisplayText() const;

    // Ticks or unticks an item as a click in the list does.
    void SetChecked(int index, bool on);
    void CheckAll();
    void UnCheckAll();

    void DropDown();
    void CloseUp();
    bool IsDroppedDown() const;
    TxCheckListDropDown* DropDownForm() const { return dropDown_; }
    TDropDownLook ButtonLook() const { return look_; }
    // Lines the list drops down with.
    int DropLines() const;

signals:
    void OnChange();
    void OnCloseUp();
    void OnClickCheck();
    void OnPanelClick();
    void OnButtonClick();

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    friend class TxCheckListDropDown;
    void itemToggled(QListWidgetItem* item);
    void refresh();
    void relayout();
    QRect buttonRect() const;
    void setLook(TDropDownLook look);

    QStringList items_;
    QStringList checked_;
    bool sorted_ = false;
    int columns_ = 0;
    int dropDownLines_ = 15;
    QString emptyValue_ = QStringLiteral("未選択");
    TCHBDispStyle dispStyle_ = TCHBDispStyle::dsKensu;
    bool multiSelect_ = true;
    bool closedOverButton_ = false;
    TDropDownLook look_ = TDropDownLook::Normal;
    QLabel* panel_ = nullptr;
    TxCheckListDropDown* dropDown_ = nullptr;
    bool syncing_ = false;
};
