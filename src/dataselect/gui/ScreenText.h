#pragma once
// Small pieces the data-selection screens share: UTF-8 texts as QString and
// the plain information box.

#include "core/MessageService.h"

#include <QString>

#include <string>

namespace dataselect::gui {

inline QString qs(const std::string& s)
{
    return QString::fromUtf8(s.c_str(), static_cast<int>(s.size()));
}

// An information box with the text as its first line.
inline void ShowInformation(const std::string& text)
{
    TMessage2InfoRec m;
    InitMessage2Info(msgkind::Information, m);
    m.lines[0].text = text;
    ShowMessage2(m);
}

} // namespace dataselect::gui
