#pragma once
// Hands the data module the tables of this library that follow the open
// data set (trial-balance layout, cash-flow items, tax rates). The program
// calls it once at start, before any data set is opened.

void InstallOpenCompanyTables();
