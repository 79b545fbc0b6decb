// Screenshot mode of the run command: with PORDANE_SCREENSHOT_DIR set, the
// shown window grabs its start page and options page to PNG files and quits.
#pragma once

#include <QString>

namespace pordane::app {

class TMainForm;

// Writes dir/inicio.png (start page) and dir/opciones.png (options page after
// choosing "Permisos"). Returns false when a file could not be written.
bool writeScreenshots(TMainForm& form, const QString& dir);

} // namespace pordane::app
