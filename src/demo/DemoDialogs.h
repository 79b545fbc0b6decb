// Dialogs for runs nobody watches: no modal box may wait for a click.
#pragma once

#include "views/Dialogs.h"
#include "views/UpdateDialogs.h"

namespace pordane::demo {

// The screenshot run's: messages go to standard error, questions are answered no.
class UnattendedDialogs final : public views::Dialogs {
public:
    void showMessage(const std::string& text) override;
    bool askYesNo(const std::string& text) override;
};

// The update tour's: every question answered yes, every text accepted, logged.
class AcceptingUpdateDialogs final : public views::UpdateDialogs {
public:
    void showMessage(const std::string& text) override;
    bool askYesNo(const std::string& text) override;
    void showHtmlPage(const std::string& address, const std::string& html) override;
    bool showWhatsNew(const views::WhatsNewDialog& dialog) override;
    bool showLicence(const views::LicenceDialog& dialog) override;
};

} // namespace pordane::demo
