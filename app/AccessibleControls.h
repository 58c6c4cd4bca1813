// The window's controls as a screen reader meets them: each with the role, name and description
// of the form's description (form/Form1Accessibility.h). Qt already exposes labels, the text box
// and buttons well; the link labels, the panel and the window itself need interfaces of our own.
#pragma once

#include <QWidget>

#include "form/Form1Accessibility.h"

namespace plenwick::app {

// Lets Qt find our interfaces; before the first control is made, since Qt may ask for a
// control's interface as soon as it has a text. Once is enough; later calls do nothing.
void InstallAccessibleInterfaces();

// Gives `widget` the accessible name and description of `text`, and the role that `role` names.
void MakeAccessible(QWidget* widget, const form::AccessibleText& text, form::AccessibleRole role);

}  // namespace plenwick::app
