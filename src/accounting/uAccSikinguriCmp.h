#pragma once
// Cash-flow items (資金繰り): the fixed list of items under which the cash
// movements of accounts and journal sides are classified. Two built-in
// versions exist, one for general companies and one for medical
// corporations; the data module refills the process-wide table whenever a
// data set is opened.

#include <string>
#include <vector>

// One item: code (decimal digits), name, and the section the item belongs
// to where its name occurs in more than one section (empty otherwise).
struct TSikinguriRec {
    std::string Code;
    std::string Name;
    std::string Section;
};

// The process-wide table. Row 0 ("0", "－") stands for no item; the last row
// (code "99") is the liquid cash and deposits line.
extern std::vector<TSikinguriRec> SikinguriTable;

// Empties the table and fills it with the medical version for kind 1 and
// with the general version for any other kind.
void InitSikinguriTable(int dataKind);
