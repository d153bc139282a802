#include "wizard/ug16.h"

void TGaikyosyoDataExport::InitItems() {}

void TGaikyosyoDataExport::FreeItems() {}

void TGaikyosyoDataExport::WriteData(TXmlSaveDoc& doc)
{
    if (!figures_)
        throw EDataExportError("科目の集計処理に失敗しました。", "WriteData", 1);
    WriteDataNode(doc, figures_(*this));
}
