#include "shell/qt/DesktopShellOpen.h"

#include <QDesktopServices>
#include <QDir>
#include <QStandardPaths>
#include <QString>

#include "shell/qt/XdgOpen.h"

namespace plenwick::shell {

QUrl TargetToUrl(const std::string& target) {
  const QString text = QString::fromUtf8(target.data(), static_cast<qsizetype>(target.size()));
  // An absolute path is always a local file, even when its name looks like an address.
  if (QDir::isAbsolutePath(text)) return QUrl::fromLocalFile(text);
  // Anything else is read as the user would type it; relative names resolve against the
  // working folder, like the shell's own "open".
  return QUrl::fromUserInput(text, QDir::currentPath(), QUrl::AssumeLocalFile);
}

Status DesktopShellOpen::Open(const std::string& target) {
  const QUrl url = TargetToUrl(target);
  // Through xdg-open where the desktop has it, because it says when nothing can open the target;
  // Qt's own opener reports only whether it found something to start.
  const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
  if (!opener.isEmpty()) {
    const QString argument =
        url.isLocalFile() ? url.toLocalFile() : url.toString(QUrl::FullyEncoded);
    return RunXdgOpen(opener.toStdString(), argument.toStdString());
  }
  if (QDesktopServices::openUrl(url)) return Ok();
  return MakeError(errc::kGeneric, "no program is set up to open it");
}

}  // namespace plenwick::shell
