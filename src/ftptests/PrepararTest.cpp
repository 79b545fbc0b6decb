#include "ftptests/PrepararTest.h"

#include "ftptests/TestFiles.h"
#include "platform/base/Pump.h"

#include <algorithm>
#include <thread>

namespace pordane::ftptests {

namespace {

// Waits without freezing the window: the pump runs between short slices.
void waitPumping(std::chrono::milliseconds duration)
{
    using clock = std::chrono::steady_clock;
    const auto deadline = clock::now() + duration;
    for (;;) {
        platform::pump();
        const auto now = clock::now();
        if (now >= deadline)
            return;
        std::this_thread::sleep_for(std::min<clock::duration>(deadline - now, std::chrono::milliseconds(10)));
    }
}

// Hides the panel however the preparation ends.
class PanelShown {
public:
    explicit PanelShown(views::PrepareView& view)
        : m_view(view)
    {
        m_view.setPanelVisible(true);
    }
    PanelShown(const PanelShown&) = delete;
    PanelShown& operator=(const PanelShown&) = delete;
    ~PanelShown() { m_view.setPanelVisible(false); }

private:
    views::PrepareView& m_view;
};

} // namespace

bool PrepararTest(views::PrepareView& view, views::Dialogs& dialogs, std::int32_t SizeTest,
                  const std::filesystem::path& dir)
{
    PanelShown panel(view);
    view.setGauge(0);
    view.repaint();
    try {
        CrearArchivoTXT(dir);
        view.setGauge(1);
        CrearArchivoJPG(dir);
        view.setGauge(2);
        CrearArchivoMDB(dir);
        view.setGauge(3);
        CrearArchivoSpeed(SizeTest, dir);
        view.setGauge(GaugePrepararTestMax);
        waitPumping(PrepararTestSettle);
    } catch (...) {
        dialogs.showMessage("Error preparando archivos de test. Compruebe sus permisos de usuario");
        return false;
    }
    return true;
}

} // namespace pordane::ftptests
