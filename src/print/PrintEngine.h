#pragma once
// The engine's own job runner: the preview window and the print loop on the
// installed printers (CUPS), used by TLumen808 unless a caller installs
// another runner.

#include "print/Lumen808.h"

namespace print {

class EngineRunner : public JobRunner {
public:
    int runPreview(TP808DEF& job) override;
    int runPrint(TP808DEF& job) override;
    int selectedPrinter() const override { return printer_; }
    int selectedCopies() const override { return copies_; }

private:
    int printer_ = -1;
    int copies_ = 1;
};

EngineRunner& engineRunner();

} // namespace print
