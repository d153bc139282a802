#pragma once
// The account-selection dialog of the item-to-account assignment pages: the
// accounts in use that meet an item's condition, those already assigned to
// the item selected. Only the assignment pages open it, and this program
// removes them; it is kept complete for the export kinds that use them.
//
// Text helpers for drawing the printed form replica: how far the first and
// last character of a text reach outside their cells.

#include <QDialog>

#include <string>
#include <vector>

class QFontMetrics;
class QLabel;
class QPushButton;
class QTreeWidget;

class TKamokuSentakuDialog : public QDialog {
    Q_OBJECT
public:
    // selected: account codes, one per line ("\r" between them); condition:
    // an SQL condition on KAMOKUMST from the item layout; itemName: the
    // item's name in the heading. Reads the accounts of the company
    // database connected by the data module.
    TKamokuSentakuDialog(
        QWidget* owner, const std::string& selected, const std::string& condition, const std::string& itemName);

    // The chosen account codes, each followed by "\r", after 確定.
    const std::string& Selected() const { return selected_; }
    // The accounts shown, as "code=user code" lines.
    const std::vector<std::string>& Codes() const { return codes_; }

    QLabel* Label1;
    QTreeWidget* ListView1;
    QPushButton* btnOK;
    QPushButton* btnCancel;

private:
    void load(const std::string& selected, const std::string& condition);
    void btnOKClick();

    std::vector<std::string> codes_;
    std::string selected_;
};

// How far the first character of text reaches left of its cell (0 when it
// does not), and the last one right of it, for the font of the metrics.
int LeftOverhang(const QFontMetrics& metrics, const std::string& text);
int RightOverhang(const QFontMetrics& metrics, const std::string& text);
