// Production Dialogs: real Qt message boxes titled with the application title.
#pragma once

#include "views/Dialogs.h"

#include <QString>

#include <string>

class QWidget;

namespace pordane::app {

// The text as a box shows it: CR LF, a lone CR and LF each become one line break.
QString textWithBreaks(const std::string& text);

class QtDialogs final : public views::Dialogs {
public:
    void showMessage(const std::string& text) override;
    bool askYesNo(const std::string& text) override;
};

} // namespace pordane::app
