#pragma once
// TVDBPrint: the device settings of the selected printer (paper, copies,
// collation, colour, duplex, quality, orientation) over QPrinter and
// QPrinterInfo, in the engine's paper codes (the Windows paper numbers Qt
// knows as QPageSize::windowsId). Errors never leave an operation: they
// are logged as "Vdb.<operation>" and the operation answers its default.

#include "print/Lumen808.h"

#include <string>
#include <vector>

class QPrinter;

namespace print {

class EngineLog;

struct PaperEntry {
    std::string name;
    int code = 0;
    int width = 0; // 0.1 mm
    int length = 0; // 0.1 mm
};

// The papers a printer offers (every size Qt knows for a PDF printer).
std::vector<PaperEntry> papersOf(const QPrinter& printer);

class TVDBPrint {
public:
    // noDefaultPrinter: the system has no default printer; every operation
    // then answers its default. papers: the driver's paper list.
    TVDBPrint(QPrinter& printer, bool noDefaultPrinter, std::vector<PaperEntry> papers, EngineLog& log);
    // Over the installed printers: the flag from QPrinterInfo.
    static TVDBPrint forPrinter(QPrinter& printer, EngineLog& log);

    bool noDefaultPrinter() const { return noDefault_; }

    // Exact name first, then the first paper within 10 units (< 1 mm) in both
    // directions, else the default (0 with no default printer).
    int GetPaperNumber(const std::string& name, int length, int defaultCode, int width);
    int GetPaper(); // 9 with no default printer or on error
    void SetPaper(int code);
    void SetTTOption(int value); // no meaning with Qt's printing; kept as a no-op
    void SetUserPaperSize(int length, int width);
    void ResetUserPaperSize();
    void GetDevMode(TP808DEF& job);
    void SetDevMode(const TP808DEF& job);

    static constexpr int kCollateField = 0x8000;

private:
    QPrinter& printer_;
    bool noDefault_;
    std::vector<PaperEntry> papers_;
    EngineLog& log_;
    int fields_ = 0;
};

} // namespace print
