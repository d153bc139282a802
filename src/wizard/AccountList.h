#pragma once
// The accounts in use of the open company, for the account-selection
// dialog: read here so the screen runs no statement itself.

#include <string>
#include <vector>

namespace wizard {

struct TAccountListRow {
    std::string Code; // KCODE
    std::string UserCode; // USERCODE
    std::string Name; // KNAME
};

struct TAccountList {
    std::vector<TAccountListRow> Rows;
    // Empty when the list was read; else the box's caption and text.
    std::string ErrorCaption;
    std::string ErrorText;
};

// Accounts with USE>0 in group and user-code order; condition (a fixed text
// of the item layout, never user input) narrows them when not empty.
TAccountList LoadAccountList(const std::string& condition);

} // namespace wizard
