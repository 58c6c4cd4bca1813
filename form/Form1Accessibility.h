// What the main window tells a screen reader about itself and each control: a role, a name and a
// description, and for the link labels what they open. Both windows take them from here, so a
// person who cannot see the window hears the same on Linux and on Windows.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "form/Form1Layout.h"

namespace plenwick::form {

enum class AccessibleRole {
  Frame,    // the window
  Picture,  // artwork: a meaning of its own, or only decoration
  Label,    // static text
  Link,     // a link label: opens its target, or acts (LblClose)
  TextBox,  // read-only single-line text
  Button,
  Panel,  // the shape behind the links
};

// The role a control of this kind has.
AccessibleRole RoleOf(Kind kind);

struct AccessibleText {
  std::string_view control;  // a control of Form1Controls(), or the window's name
  // What a screen reader calls it. Empty: the control's caption as it stands, so a reader hears
  // the counter's current count rather than a fixed name.
  std::string_view name;
  std::string_view description;
  // Pictures and shapes that only adorn the window; their name says what they show.
  bool decoration = false;
};

// The window's own entry first, then every control of Form1Controls() in the same order.
std::span<const AccessibleText> Form1Accessible();

// The entry of the control (or the window) called `control`, or nullptr.
const AccessibleText* FindAccessible(std::string_view control);

// The name a screen reader hears for `control` when its caption is `caption`.
std::string_view AccessibleName(const AccessibleText& text, std::string_view caption);

// What a screen reader hears as `control`'s description: a link's also says the address it opens,
// since screen readers do not all show a link's target.
std::string AccessibleDescription(const AccessibleText& text);

// The address a link label opens; "" for LblClose, which ends the program instead, and for every
// control that is no link.
std::string LinkTarget(std::string_view control);

}  // namespace plenwick::form
