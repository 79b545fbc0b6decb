// Recording stand-ins for the window's views.
#pragma once

#include "views/Dialogs.h"
#include "views/PrepareView.h"

#include <string>
#include <vector>

namespace pordane::testing {

class RecordingDialogs : public views::Dialogs {
public:
    void showMessage(const std::string& text) override
    {
        messages.push_back(text);
        if (events)
            events->push_back("message:" + text);
    }
    bool askYesNo(const std::string& text) override
    {
        questions.push_back(text);
        return false;
    }
    std::vector<std::string> messages;
    std::vector<std::string> questions;
    std::vector<std::string>* events = nullptr; // shared call order, when set
};

class RecordingPrepareView : public views::PrepareView {
public:
    explicit RecordingPrepareView(std::vector<std::string>& log)
        : events(log)
    {
    }
    void setPanelVisible(bool visible) override { events.push_back(visible ? "show" : "hide"); }
    void setGauge(int position) override { events.push_back("gauge:" + std::to_string(position)); }
    void repaint() override { events.push_back("repaint"); }
    std::vector<std::string>& events;
};

} // namespace pordane::testing
