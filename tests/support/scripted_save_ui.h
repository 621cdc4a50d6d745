// A stand-in for the user at save time: answers Yes/No questions and the save
// dialog from scripts, and records every question, request and message.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "dialogs/save_ui.h"

namespace kalo {

class ScriptedSaveUi : public SaveUi {
 public:
  struct Question {
    std::string prompt, title;
  };

  // Answers in order; running out of answers is a test failure (the code
  // asked more than the test expected), reported through `overrun`.
  std::deque<bool> yes_no;
  std::deque<std::optional<std::string>> file_names;

  std::vector<Question> questions;
  std::vector<SaveFileRequest> requests;
  std::vector<std::string> errors;
  bool overrun = false;

  bool AskYesNo(const std::string& prompt, const std::string& title) override {
    questions.push_back({prompt, title});
    if (yes_no.empty()) {
      overrun = true;
      return false;
    }
    bool answer = yes_no.front();
    yes_no.pop_front();
    return answer;
  }

  std::optional<std::string> AskSaveFileName(const SaveFileRequest& request) override {
    requests.push_back(request);
    if (file_names.empty()) {
      overrun = true;
      return std::nullopt;
    }
    std::optional<std::string> answer = file_names.front();
    file_names.pop_front();
    return answer;
  }

  void ShowError(const std::string& text) override { errors.push_back(text); }
};

}  // namespace kalo
