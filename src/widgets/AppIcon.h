// The program's icon, compiled in from packaging/pordane.svg (rendered to PNG
// where Qt has no SVG module): the window and
// the installed desktop icons show one picture, the start picture.
#pragma once

#include <QIcon>

namespace pordane::widgets {

// Resource path of the icon's SVG.
inline constexpr const char* AppIconResource = ":/pordane/pordane.svg";

QIcon applicationIcon();

} // namespace pordane::widgets
