#pragma once
// What the shared-area tests read back: an area's data ini and the text of
// every message shown.

#include "core/DataInfomation.h"
#include "core/MessageService.h"
#include "support/scripted_messages.h"

#include <string>

namespace area_helpers {

inline TDataInfomationRec iniOf(const std::string& folder)
{
    TDataInfomation di;
    TDataInfomationRec rec;
    di.ReadDataIni(folder, rec);
    return rec;
}

inline std::string shownText(const ScriptedMessages& m)
{
    std::string text;
    for (const auto& r : m.shown())
        text += core::messageAsText(r);
    return text;
}

} // namespace area_helpers
