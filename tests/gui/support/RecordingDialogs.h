// A Dialogs that records every message and question instead of showing them;
// questions are answered from a queue (default: yes).
#pragma once

#include "views/Dialogs.h"

#include <deque>
#include <string>
#include <vector>

namespace pordane::testing {

class RecordingDialogs final : public views::Dialogs {
public:
    void showMessage(const std::string& text) override { messages.push_back(text); }
    bool askYesNo(const std::string& text) override
    {
        questions.push_back(text);
        if (answers.empty())
            return true;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }

    std::vector<std::string> messages;
    std::vector<std::string> questions;
    std::deque<bool> answers;
};

} // namespace pordane::testing
