#include "demo/Screenshots.h"

#include "app/MainForm.h"
#include "widgets/NavBar.h"

#include <QDir>
#include <QPixmap>
#include <QToolButton>

namespace pordane::demo {

bool writeScreenshots(app::TMainForm& form, const QString& dir)
{
    QDir().mkpath(dir);
    const QDir out(dir);
    bool ok = form.grab().save(out.filePath(QStringLiteral("inicio.png")));
    // Choose "Permisos" the way a user does, through the navigation bar.
    form.NavBar1()->button(0, 1)->click();
    ok = form.grab().save(out.filePath(QStringLiteral("opciones.png"))) && ok;
    return ok;
}

} // namespace pordane::demo
