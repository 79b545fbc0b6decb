// The tour of the demo: the shown window is driven through every page as a
// user would drive it, each step's result is checked, and the pages are saved
// as PNG files into a folder.
#pragma once

#include "views/Dialogs.h"

#include <QString>

#include <string>
#include <vector>

namespace pordane::app {
class TMainForm;
class TFormUpdate;
} // namespace pordane::app

namespace pordane::demo {

// Message boxes that wait for nobody: each message is printed to standard
// output as "mensaje: <text>" and kept; each question is printed and answered no.
class TourDialogs final : public views::Dialogs {
public:
    void showMessage(const std::string& text) override;
    bool askYesNo(const std::string& text) override;

    const std::vector<std::string>& messages() const { return m_messages; }

private:
    std::vector<std::string> m_messages;
};

// Runs the tour on the created and shown window; prints "tour: <step> OK" or
// "tour: <step> FALLO: <why>" per step. Returns 0 when every step passed, 1
// otherwise. Meant to run from the event loop (a zero timer), like a click.
int runTour(app::TMainForm& form, TourDialogs& dialogs, const QString& dir);

// The update window as the start-up check shows it, saved as
// "actualizacion.png"; prints "tour: actualización OK <caption>" or a failure.
void photographUpdateWindow(app::TFormUpdate& window, const QString& dir);

} // namespace pordane::demo
