// The application icon, from the compiled-in resources.
#include "widgets/AppIcon.h"

#include <QDirIterator>
#include <QFile>

namespace pordane::widgets {

QIcon applicationIcon()
{
    // The SVG icon engine renders it afresh for every size the desktop asks for.
    if (QFile::exists(QString::fromLatin1(AppIconResource)))
        return QIcon(QString::fromLatin1(AppIconResource));
    // Builds without the SVG module carry the pictures rendered at build time.
    QIcon icon;
    QDirIterator it(QStringLiteral(":/pordane/icons"), {QStringLiteral("*.png")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        icon.addFile(it.next());
    return icon;
}

} // namespace pordane::widgets
