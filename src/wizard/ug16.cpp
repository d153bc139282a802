#include "wizard/ug16.h"

#include <stdexcept>

#include "platform/ini_file.h"

void TGaikyosyoDataExport::InitItems()
{
    if (!syuyouKamoku_)
        syuyouKamoku_ = std::make_unique<TSyuyouKamoku>();
    if (!tukibetuUriage_)
        tukibetuUriage_ = std::make_unique<TTukibetuUriage>();
}

void TGaikyosyoDataExport::FreeItems()
{
    syuyouKamoku_.reset();
    tukibetuUriage_.reset();
    itemsRead_ = false;
}

namespace {

template <class T>
T& items(const std::unique_ptr<T>& p)
{
    if (!p)
        throw std::logic_error("TGaikyosyoDataExport: the item settings are not initialised (InitItems)");
    return *p;
}

} // namespace

void TGaikyosyoDataExport::PrepareItems(int dataType)
{
    items(syuyouKamoku_).LoadLayout(dataType);
    items(tukibetuUriage_).LoadLayout(dataType);
    tukibetuUriage_->ReadFormType(platform::IniFile(ItemSettingsFile()));
}

void TGaikyosyoDataExport::AcceptFormType(int formType, int dataType)
{
    items(tukibetuUriage_).FormType = formType == 0 ? 0 : 1;
    tukibetuUriage_->LoadLayout(dataType);
    const platform::IniFile ini(ItemSettingsFile());
    items(syuyouKamoku_).ReadSettings(ini);
    tukibetuUriage_->ReadSettings(ini);
    itemsRead_ = true;
}

void TGaikyosyoDataExport::SaveItemSettings()
{
    if (!itemsRead_)
        return;
    platform::IniFile ini(ItemSettingsFile());
    items(syuyouKamoku_).WriteSettings(ini);
    items(tukibetuUriage_).WriteSettings(ini);
}

void TGaikyosyoDataExport::WriteData(TXmlSaveDoc& doc)
{
    if (!figures_)
        throw EDataExportError("科目の集計処理に失敗しました。", "", 1); // as a failed load: no detail
    WriteDataNode(doc, figures_(*this));
}
