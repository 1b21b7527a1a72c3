#pragma once
// Texts between the node's 8-bit strings (UTF-8) and the widgets of the sheet.
#include "library/QvcString.h"

#include <QString>

namespace sheettext {

inline QString Q(const CQvcString& text) { return QString::fromStdString(text.Str()); }
inline CQvcString C(const QString& text) { return CQvcString(text.toStdString()); }

} // namespace sheettext
