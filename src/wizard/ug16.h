#pragma once
// The business-overview exporter: the export base with the DATA node of the
// business-overview statement.

#include <functional>
#include <memory>

#include "wizard/ComDataExp.h"
#include "wizard/IntermediateFile.h"
#include "wizard/ug16Settings.h"

class TGaikyosyoDataExport : public TComDataExport {
public:
    using TComDataExport::TComDataExport;

    // The computation of the figures for the open company; it raises
    // EDataExportError when the balances cannot be loaded.
    using TFiguresSource = std::function<TGaikyosyoFigures(const TGaikyosyoDataExport&)>;

    // Creates the main-account and monthly-sales settings objects, each
    // only when it does not exist yet (the wizard calls it right after the
    // constructor).
    void InitItems();
    // Frees both settings objects (the wizard calls it before it frees the
    // export object).
    void FreeItems();

    // The settings objects; nullptr before InitItems and after FreeItems.
    TSyuyouKamoku* SyuyouKamoku() const { return syuyouKamoku_.get(); }
    TTukibetuUriage* TukibetuUriage() const { return tukibetuUriage_.get(); }

    // The wizard's settings file VzRendo.ini (the work folder's unless set).
    std::string ItemSettingsFile() const { return itemSettingsFile_.empty() ? VzRendoIniFile() : itemSettingsFile_; }
    void SetItemSettingsFile(std::string file) { itemSettingsFile_ = std::move(file); }

    // The data page accepted: both layouts for the company's data type,
    // then the remembered form type. Needs InitItems.
    void PrepareItems(int dataType);
    // The form page accepted: the monthly form type (0 old, 1 new), its
    // layout again, then the stored assignments of both blocks.
    void AcceptFormType(int formType, int dataType);
    // The finish, before the export: both blocks written back. Throws
    // platform::IniError when the file cannot be written. Does nothing
    // until AcceptFormType has read the stored assignments, so lists never
    // read are not written over the stored ones.
    void SaveItemSettings();

    void SetFiguresSource(TFiguresSource source) { figures_ = std::move(source); }

    // Adds DATA. Without a figures source nothing can be summed, and the
    // export fails as a failed load does (code 1) rather than writing a file
    // without figures.
    void WriteData(TXmlSaveDoc& doc) override;

private:
    TFiguresSource figures_;
    std::unique_ptr<TSyuyouKamoku> syuyouKamoku_;
    std::unique_ptr<TTukibetuUriage> tukibetuUriage_;
    std::string itemSettingsFile_;
    bool itemsRead_ = false;
};
