#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "controls/open_file_dialog.h"
#include "controls/password_prompt.h"
#include "platform/info_box.h"
#include "text/gbk.h"

namespace ardentis::forms {

// Records every message shown and question asked; answers with the next scripted answer
// (none left: No).
class MemoryInfoBox final : public platform::InfoBox {
  public:
    void showInfo(const text::Gbk& message) override { shown.push_back(message); }
    [[nodiscard]] bool askYesNo(const text::Gbk& message) override {
        asked.push_back(message);
        if (answers.empty()) {
            return false;
        }
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::vector<text::Gbk> shown;
    std::vector<text::Gbk> asked;
    std::deque<bool> answers;
};

// Answers each prompt with the next scripted answer (nothing = cancelled).
class MemoryPasswordPrompt final : public PasswordPrompt {
  public:
    std::optional<text::Gbk> ask(const text::Gbk& caption, const text::Gbk& prompt) override {
        asked.emplace_back(caption, prompt);
        if (whileAsking) {
            whileAsking();  // what the window thread handles while the prompt is up
        }
        if (answers.empty()) {
            return std::nullopt;
        }
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::deque<std::optional<text::Gbk>> answers;
    std::vector<std::pair<text::Gbk, text::Gbk>> asked;
    std::function<void()> whileAsking;
};

class MemoryOpenFileDialog final : public OpenFileDialog {
  public:
    std::optional<text::Gbk> run(const text::Gbk& title, const text::Gbk& filter) override {
        runs.emplace_back(title, filter);
        if (answers.empty()) {
            return std::nullopt;
        }
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::deque<std::optional<text::Gbk>> answers;
    std::vector<std::pair<text::Gbk, text::Gbk>> runs;
};

}  // namespace ardentis::forms
