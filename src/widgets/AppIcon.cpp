// The application icon, loaded from the compiled-in SVG resource.
#include "widgets/AppIcon.h"

namespace pordane::widgets {

QIcon applicationIcon()
{
    // The SVG icon engine renders it afresh for every size the desktop asks for.
    return QIcon(QString::fromLatin1(AppIconResource));
}

} // namespace pordane::widgets
