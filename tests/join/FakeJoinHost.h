// A window for the join run to talk to: the picker answers from a script, every call is recorded
// as an event, and a test can act at any yield (start a nested run, change the source folder) or
// end the program there.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "join/JoinHost.h"
#include "shell/ShellServices.h"

namespace plenwick::test {

class FakeJoinHost : public join::JoinHost {
 public:
  // Answers of the picker, in order; "" once they run out.
  std::deque<std::string> picks;
  // Runs at every yield with its number (1 for the first); its result is what Yield returns.
  std::function<bool(int)> onYield;
  std::vector<std::string> events;
  int yields = 0;
  bool ended = false;  // a yield returned false; the run must not touch the window again

  void Record(std::string event) {
    if (ended) event += " AFTER END";
    events.push_back(std::move(event));
  }

  std::string PickFolder(const std::string& title) override {
    Record("Pick " + title);
    if (picks.empty()) return "";
    std::string pick = picks.front();
    picks.pop_front();
    return pick;
  }

  bool Yield() override {
    Record("Yield");
    const int number = ++yields;
    const bool goOn = onYield ? onYield(number) : true;
    if (!goOn) ended = true;
    return goOn;
  }

  void ShowMessage(std::string_view text, int style) override {
    Record("Message " + std::to_string(style) + " " + std::string(text));
  }

  void SetVisible(join::Control control, bool visible) override {
    Record(std::string(visible ? "Show " : "Hide ") + Name(control));
  }

  void SetCaption(join::Control control, const std::string& caption) override {
    Record("Caption " + Name(control) + " " + caption);
  }

  // The events that are messages.
  std::vector<std::string> Messages() const {
    std::vector<std::string> messages;
    for (const std::string& event : events) {
      if (event.rfind("Message ", 0) == 0) messages.push_back(event);
    }
    return messages;
  }

  std::vector<std::string> Captions() const {
    std::vector<std::string> captions;
    for (const std::string& event : events) {
      if (event.rfind("Caption ", 0) == 0) captions.push_back(event);
    }
    return captions;
  }

  static std::string Name(join::Control control) {
    switch (control) {
      case join::Control::ImgRMsg:
        return "ImgRMsg";
      case join::Control::LblRMsg:
        return "LblRMsg";
      case join::Control::LblProgessCurrent:
        return "LblProgessCurrent";
    }
    return "?";
  }
};

// A message box that records what it was asked to show (the walker's permission message).
class RecordingMessages : public shell::MessageBoxService {
 public:
  std::vector<std::string> shown;
  void Show(std::string_view text, int style) override {
    shown.push_back(std::to_string(style) + " " + std::string(text));
  }
};

}  // namespace plenwick::test
