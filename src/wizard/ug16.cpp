#include "wizard/ug16.h"

#include <stdexcept>

void TGaikyosyoDataExport::InitItems()
{
    syuyouKamoku_ = std::make_unique<TSyuyouKamoku>();
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
        throw EDataExportError("科目の集計処理に失敗しました。", "WriteData", 1);
    WriteDataNode(doc, figures_(*this));
}
