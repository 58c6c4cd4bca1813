#include "app/TahomaFont.h"

#include <QFontDatabase>
#include <QString>
#include <QStringList>
#include <array>
#include <string>

namespace plenwick::app {
namespace {

// The regular face only. fonts-wine's tahomabd.ttf calls itself "Tahoma Bold" but draws its
// letters with regular-weight strokes, so bold texts would not look bold; without it Qt emboldens
// the regular face, which looks like the bold Tahoma the window was drawn with.
constexpr std::array kWineTahomaFiles = {"/usr/share/wine/fonts/tahoma.ttf"};

bool HaveTahoma() {
  return QFontDatabase::families().contains(QString::fromLatin1(kTahoma), Qt::CaseInsensitive);
}

}  // namespace

Status EnsureTahoma() {
  if (HaveTahoma()) return Ok();
  std::string failed;
  for (const char* file : kWineTahomaFiles) {
    if (QFontDatabase::addApplicationFont(QString::fromLatin1(file)) < 0) {
      failed += failed.empty() ? file : std::string(", ") + file;
    }
  }
  if (HaveTahoma()) return Ok();
  return MakeError(errc::kNotFound,
                   "The font Tahoma is not installed and could not be loaded from " + failed +
                       " (Debian package fonts-wine); texts will not fit their places.");
}

}  // namespace plenwick::app
