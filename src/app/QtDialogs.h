// Production Dialogs: real Qt message boxes titled with the application title.
#pragma once

#include "views/Dialogs.h"

class QWidget;

namespace pordane::app {

class QtDialogs final : public views::Dialogs {
public:
    void showMessage(const std::string& text) override;
    bool askYesNo(const std::string& text) override;
};

} // namespace pordane::app
