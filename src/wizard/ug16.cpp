#include "wizard/ug16.h"

#include <stdexcept>

void TGaikyosyoDataExport::InitItems()
{
    // Each only when it does not exist yet: a second call keeps what the
    // wizard has read into them.
    if (!syuyouKamoku_)
        syuyouKamoku_ = std::make_unique<TSyuyouKamoku>();
    if (!tukibetuUriage_)
        tukibetuUriage_ = std::make_unique<TTukibetuUriage>();
}

void TGaikyosyoDataExport::FreeItems()
{
    syuyouKamoku_.reset();
    tukibetuUriage_.reset();
}

TSyuyouKamoku& TGaikyosyoDataExport::SyuyouKamoku()
{
    if (!syuyouKamoku_)
        throw std::logic_error("TGaikyosyoDataExport: item objects not created");
    return *syuyouKamoku_;
}

TTukibetuUriage& TGaikyosyoDataExport::TukibetuUriage()
{
    if (!tukibetuUriage_)
        throw std::logic_error("TGaikyosyoDataExport: item objects not created");
    return *tukibetuUriage_;
}

void TGaikyosyoDataExport::WriteData(TXmlSaveDoc& doc)
{
    if (!figures_)
        throw EDataExportError("科目の集計処理に失敗しました。", "", 1); // as a failed load: no detail
    WriteDataNode(doc, figures_(*this));
}
