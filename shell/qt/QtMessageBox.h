// Modal message boxes captioned with the application title.
#pragma once

#include <QString>
#include <string_view>

#include "shell/ShellServices.h"

namespace plenwick::shell {

// The object name of an open message box, so tests can find and dismiss it.
inline constexpr const char* kMessageBoxName = "PlenwickMessageBox";

// The least width of a message box whose title bar shows `title` whole.
int MessageBoxMinimumWidth(const QString& title);

class QtMessageBox final : public MessageBoxService {
 public:
  // Style kMsgInformation shows the information icon, kMsgWarning the warning icon; every other
  // style shows none. The box is owned by the active window, so it stays above it.
  void Show(std::string_view text, int style) override;
  // The details go in the box's informative text; the action is a button of its own.
  bool ShowWithAction(std::string_view text, std::string_view details, int style,
                      std::string_view action) override;
};

}  // namespace plenwick::shell
