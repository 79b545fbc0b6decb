// The dialogs an update run shows when its control file asks for them. The
// run itself stays plain C++; the window supplies Qt boxes, tests record.
#pragma once

#include <string>

namespace pordane::views {

// A what's-new or licence text as the run hands it over: UTF-8, already read
// from RTF when it came as RTF.
struct UpdateText {
    std::string caption;
    std::string text;
    bool rich = false; // the source was RTF
};

struct WhatsNewDialog {
    UpdateText page;
    std::string okButton;     // "Ok" unless the control file names one
    std::string cancelButton; // "Cancel" likewise
};

struct LicenceDialog {
    UpdateText page;
    std::string okButton;  // "Ok"
    std::string accept;    // "I accept"
    std::string notAccept; // "I do not accept", selected at first
};

class UpdateDialogs {
public:
    virtual ~UpdateDialogs() = default;
    // Modal information box with an OK button.
    virtual void showMessage(const std::string& text) = 0;
    // Modal information-type box with Yes and No; true for Yes.
    virtual bool askYesNo(const std::string& text) = 0;
    // A fetched HTML page shown modally; `address` is where it came from.
    virtual void showHtmlPage(const std::string& address, const std::string& html) = 0;
    // 400 x 400, centred, read-only and word-wrapped; true when OK was pressed.
    virtual bool showWhatsNew(const WhatsNewDialog& dialog) = 0;
    // Same size; true only when "accept" is selected as the dialog closes.
    virtual bool showLicence(const LicenceDialog& dialog) = 0;
};

} // namespace pordane::views
