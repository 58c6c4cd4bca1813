// The platform services the program uses, as small interfaces with no Qt in them, so the walker,
// the join run and the tests can use them (and tests can replace them).
#pragma once

#include <string>
#include <string_view>

#include "base/Result.h"

namespace plenwick::shell {

// The application title: the caption of every message box.
inline constexpr std::string_view kAppTitle = "Plenwick";

// Message box styles: 0 is an OK button without icon, 64 an OK button with the information icon,
// 48 an OK button with the warning icon (for a run that ended without the output it promised).
inline constexpr int kMsgOk = 0;
inline constexpr int kMsgWarning = 48;
inline constexpr int kMsgInformation = 64;

// Opaque handle of a window that owns a modal dialog (a QWidget* on the Qt side).
using WindowHandle = void*;

// Shows a modal message box captioned kAppTitle and waits until it is dismissed.
class MessageBoxService {
 public:
  virtual ~MessageBoxService() = default;
  virtual void Show(std::string_view text, int style) = 0;
  // Shows text with details (a path, say: selectable, so it can be copied) below it, and one more
  // button captioned `action` beside OK. True when that button closed the box. Where a platform
  // has no such box, the details are added to the text and there is no extra button.
  virtual bool ShowWithAction(std::string_view text, std::string_view details, int style,
                              std::string_view action) {
    (void)action;
    Show(std::string(text) + "\n\n" + std::string(details), style);
    return false;
  }
};

// Asks the desktop to open a path or web address with its registered program. It waits only as
// long as it takes to learn that nothing could open the target, which it then reports.
class ShellOpenService {
 public:
  virtual ~ShellOpenService() = default;
  virtual Status Open(const std::string& target) = 0;
};

// A modal folder dialog; returns the chosen folder (no trailing separator except the root) or "".
// It opens at startFolder when that is an existing folder, else at the user's home.
class FolderPickerService {
 public:
  virtual ~FolderPickerService() = default;
  virtual std::string Pick(WindowHandle owner, const std::string& title,
                           const std::string& startFolder) = 0;
  // The answer to the question `title` was given another way (a folder dropped on the window):
  // a picker that remembers answers keeps this one as if picked. Others ignore it.
  virtual void Remember(const std::string& title, const std::string& folder) {
    (void)title;
    (void)folder;
  }
};

// A few texts kept between runs of the program, per user (the platform's settings store).
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // "" when nothing is stored under key.
  virtual std::string Read(std::string_view key) = 0;
  virtual void Write(std::string_view key, const std::string& value) = 0;
};

// Processes the window events that are pending, once. Returns false when the program is ending
// (the window was closed meanwhile): the caller must then unwind at once, releasing what it holds.
class YieldService {
 public:
  virtual ~YieldService() = default;
  virtual bool Yield() = 0;
};

}  // namespace plenwick::shell
