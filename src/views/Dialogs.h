// Every message box and question of the program goes through this seam, so
// tests can record and answer them.
#pragma once

#include <string>

namespace pordane::views {

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // A modal information box with the text exactly as given (UTF-8).
    virtual void showMessage(const std::string& text) = 0;
    // A modal yes/no question; true for yes.
    virtual bool askYesNo(const std::string& text) = 0;
};

} // namespace pordane::views
