// Test doubles for the shell services, free of Qt: a picker that answers from a script, and an
// opener and a message box that record.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "shell/ShellServices.h"

namespace plenwick::testing {

class ScriptedPicker final : public shell::FolderPickerService {
 public:
  struct Call {
    shell::WindowHandle owner;
    std::string title;
    std::string startFolder;
  };

  void Answer(std::string path) { answers_.push_back(std::move(path)); }

  // Answers in order; a picker with no answer left behaves like a cancel.
  std::string Pick(shell::WindowHandle owner, const std::string& title,
                   const std::string& startFolder) override {
    calls.push_back({owner, title, startFolder});
    if (answers_.empty()) return {};
    std::string answer = std::move(answers_.front());
    answers_.pop_front();
    return answer;
  }

  void Remember(const std::string& title, const std::string& folder) override {
    remembered.push_back({title, folder});
  }

  std::vector<Call> calls;
  struct Remembered {
    std::string title;
    std::string folder;
    friend bool operator==(const Remembered&, const Remembered&) = default;
  };
  std::vector<Remembered> remembered;

 private:
  std::deque<std::string> answers_;
};

class RecordingOpener final : public shell::ShellOpenService {
 public:
  Status Open(const std::string& target) override {
    opened.push_back(target);
    if (failure) return *failure;
    return Ok();
  }
  std::vector<std::string> opened;
  std::optional<Error> failure;  // what every Open reports when set
};

class RecordingMessages final : public shell::MessageBoxService {
 public:
  struct Message {
    std::string text;
    int style;
  };
  void Show(std::string_view text, int style) override {
    shown.push_back({std::string(text), style});
  }
  // Recorded in `shown` like Show, the details and action in `actions`; pressing the action is
  // what pressAction says.
  bool ShowWithAction(std::string_view text, std::string_view details, int style,
                      std::string_view action) override {
    shown.push_back({std::string(text), style});
    actions.push_back({std::string(details), std::string(action)});
    return pressAction;
  }
  struct Action {
    std::string details;
    std::string caption;
  };
  std::vector<Message> shown;
  std::vector<Action> actions;
  bool pressAction = false;
};

}  // namespace plenwick::testing
