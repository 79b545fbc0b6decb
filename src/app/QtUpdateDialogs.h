// The update run's dialogs as Qt boxes.
#pragma once

#include "views/UpdateDialogs.h"

class QDialog;

namespace pordane::app {

class QtUpdateDialogs final : public views::UpdateDialogs {
public:
    void showMessage(const std::string& text) override;
    bool askYesNo(const std::string& text) override;
    void showHtmlPage(const std::string& address, const std::string& html) override;
    bool showWhatsNew(const views::WhatsNewDialog& dialog) override;
    bool showLicence(const views::LicenceDialog& dialog) override;
};

} // namespace pordane::app
