#include "app/Screenshots.h"

#include "app/MainForm.h"
#include "widgets/NavBar.h"

#include <QDir>
#include <QPixmap>
#include <QToolButton>

namespace pordane::app {

bool writeScreenshots(TMainForm& form, const QString& dir)
{
    QDir().mkpath(dir);
    const QDir out(dir);
    bool ok = form.grab().save(out.filePath(QStringLiteral("inicio.png")));
    // Choose "Permisos" the way a user does, through the navigation bar.
    form.NavBar1()->button(0, 1)->click();
    ok = form.grab().save(out.filePath(QStringLiteral("opciones.png"))) && ok;
    return ok;
}

} // namespace pordane::app
