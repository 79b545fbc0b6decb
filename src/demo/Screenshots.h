// The demo's screenshot run: the shown window grabs its start page and
// options page to PNG files.
#pragma once

#include <QString>

namespace pordane::app {
class TMainForm;
}

namespace pordane::demo {

// Writes dir/start.png (start page) and dir/options.png (options page after
// choosing "Permisos"). Returns false when a file could not be written.
bool writeScreenshots(app::TMainForm& form, const QString& dir);

} // namespace pordane::demo
