#pragma once
// The business-overview exporter: the export base with the DATA node of the
// business-overview statement.

#include <functional>

#include "wizard/ComDataExp.h"
#include "wizard/IntermediateFile.h"
#include "wizard/ug16Settings.h"

#include <memory>

class TGaikyosyoDataExport : public TComDataExport {
public:
    using TComDataExport::TComDataExport;

    // The computation of the figures for the open company; it raises
    // EDataExportError when the balances cannot be loaded.
    using TFiguresSource = std::function<TGaikyosyoFigures(const TGaikyosyoDataExport&)>;

    // Creates / releases the item objects of the statement's settings.
    void InitItems();
    void FreeItems();
    // The item objects; InitItems must have run (std::logic_error otherwise).
    TSyuyouKamoku& SyuyouKamoku();
    TTukibetuUriage& TukibetuUriage();

    void SetFiguresSource(TFiguresSource source) { figures_ = std::move(source); }

    // Adds DATA. Without a figures source nothing can be summed, and the
    // export fails as a failed load does (code 1) rather than writing a file
    // without figures.
    void WriteData(TXmlSaveDoc& doc) override;

private:
    TFiguresSource figures_;
    std::unique_ptr<TSyuyouKamoku> syuyouKamoku_;
    std::unique_ptr<TTukibetuUriage> tukibetuUriage_;
};
