// The start-up update check: ComprobarActualizacion, the update window
// TFormUpdate with its updater VexorUpdater, and the three flags they share.
#pragma once

#include "update/TUpdater.h"

#include <QWidget>

#include <functional>
#include <string>

class QLabel;
class QProgressBar;
class QPushButton;

namespace pordane::views {
class UpdateDialogs;
}

namespace pordane::app {

// Process-wide, false at start; ActualizacionRealizada is never reset.
extern bool OcultarMensajeExito;
extern bool OcultarVentana;
extern bool ActualizacionRealizada;

inline constexpr const char* ConfirmCancelText = "¿Está seguro que desea cancelar el proceso de actualización?";
inline constexpr const char* ConfirmCancelTitle = "Actualización";
inline constexpr const char* SuccessText = "Actualización realizada con éxito.";

class TFormUpdate final : public QWidget, private update::TUpdaterObserver {
public:
    TFormUpdate(update::TUpdaterSettings settings, update::TUpdaterSystem system, views::UpdateDialogs* dialogs);
    ~TFormUpdate() override;

    QLabel* Image1 = nullptr;
    QLabel* LabelInfo = nullptr;
    QProgressBar* Progress1 = nullptr;
    QPushButton* BotonCancel = nullptr;
    update::TUpdater VexorUpdater;

    void BotonCancelClick();
    void VexorUpdaterBeforeFileDownload(int FileIdx, const std::string& FileDescription, const std::string& URL);
    void VexorUpdaterFileProgress(const std::string& FileName, int64_t Pos, int64_t Size);
    void VexorUpdaterSuccess();
    void VexorUpdaterAppRestart(bool& Allow);
    void VexorUpdaterAppDoClose();

    // The cancel question; true for Yes. Tests answer it through the real box.
    static bool confirmCancel();

    // Called once, when the window is first shown.
    std::function<void(TFormUpdate&)> onShown;

private:
    void OnBeforeFileDownload(update::TUpdater&, int FileIdx, const std::string& FileDescription,
                              const std::string& URL) override;
    void OnFileProgress(update::TUpdater&, const std::string& FileName, int64_t Pos, int64_t Size) override;
    void OnSuccess(update::TUpdater&) override;
    bool OnAppRestart(update::TUpdater&, bool& Allow) override;
    bool OnAppDoClose(update::TUpdater&) override;
};

// What a check runs with; tests point it at their own server and folders.
struct UpdateCheckSetup {
    update::TUpdaterSettings settings = update::programUpdaterSettings();
    std::function<update::TUpdaterSystem(const update::TUpdaterSettings&)> system =
        [](const update::TUpdaterSettings& s) { return update::systemUpdaterSystem(s.TempDirectory); };
    views::UpdateDialogs* dialogs = nullptr;
    // Called with the window when it is first shown (the tour photographs it).
    std::function<void(TFormUpdate&)> onWindowShown;
};

// True only when an update run finished successfully during this call and
// no restart that it needed failed (then the program runs on).
bool ComprobarActualizacion(const std::string& AppName, const std::string& ControlFileURL, bool OcultarMensajeExito,
                            bool OcultarVentana, const UpdateCheckSetup& setup = {});

// The program's own call: skipped when the program's folder cannot be
// written (an installed package, a read-only share).
bool ComprobarActualizacionAtStartup(const UpdateCheckSetup& setup = {});

} // namespace pordane::app
