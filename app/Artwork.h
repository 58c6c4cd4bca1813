// The window's pictures, the hand cursor of the link labels and the window icon, all from the
// program's compiled-in resources.
#pragma once

#include <QCursor>
#include <QIcon>
#include <QPixmap>
#include <string_view>

namespace plenwick::app {

// The picture ":/plenwick/<name>". A missing picture is reported on stderr and comes back as a
// transparent placeholder of `fallbackSize`, so the layout stays as designed.
QPixmap Picture(std::string_view name, QSize fallbackSize);

// The 32 x 32 pointing hand whose hot spot (12, 1) is the tip of the index finger.
QCursor HandCursor();

// The program icon in 16, 32 and 48 pixels.
QIcon ProgramIcon();

}  // namespace plenwick::app
