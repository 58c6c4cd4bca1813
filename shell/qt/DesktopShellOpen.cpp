#include "shell/qt/DesktopShellOpen.h"

#include <QDesktopServices>
#include <QDir>
#include <QString>

namespace plenwick::shell {

QUrl TargetToUrl(const std::string& target) {
  const QString text = QString::fromUtf8(target.data(), static_cast<qsizetype>(target.size()));
  // An absolute path is always a local file, even when its name looks like an address.
  if (QDir::isAbsolutePath(text)) return QUrl::fromLocalFile(text);
  // Anything else is read as the user would type it; relative names resolve against the
  // working folder, like the shell's own "open".
  return QUrl::fromUserInput(text, QDir::currentPath(), QUrl::AssumeLocalFile);
}

void DesktopShellOpen::Open(const std::string& target) {
  (void)QDesktopServices::openUrl(TargetToUrl(target));
}

}  // namespace plenwick::shell
