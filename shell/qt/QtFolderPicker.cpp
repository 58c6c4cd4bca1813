#include "shell/qt/QtFolderPicker.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QPointer>
#include <QWidget>

namespace plenwick::shell {

QtFolderPicker::QtFolderPicker(QString homeFolder) : homeFolder_(std::move(homeFolder)) {}

std::string QtFolderPicker::Pick(WindowHandle owner, const std::string& title,
                                 const std::string& startFolder) {
  const QString given = QFile::decodeName(QByteArray::fromStdString(startFolder));
  const QString start = !given.isEmpty() && QFileInfo(given).isDir() ? given
                        : homeFolder_.isEmpty()                      ? QDir::homePath()
                                                                     : homeFolder_;
  // The dialog lives on this frame; the pointer only guards against it being destroyed while its
  // own event loop runs (the program ending underneath it).
  QFileDialog dialog(static_cast<QWidget*>(owner),
                     QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())), start);
  QPointer<QFileDialog> alive(&dialog);
  dialog.setObjectName(QString::fromLatin1(kFolderDialogName));
  // Qt's own dialog behaves the same on every desktop and can be driven in tests.
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  // Qt restores the places visited by earlier dialogs; start afresh instead.
  dialog.setHistory({});
  dialog.setWindowModality(Qt::ApplicationModal);

  if (dialog.exec() != QDialog::Accepted || alive.isNull()) return {};
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return {};
  const QFileInfo folder(chosen.constFirst());
  if (!folder.isDir()) return {};
  // cleanPath drops any trailing separator but keeps the root as "/".
  const QString path = QDir::cleanPath(folder.absoluteFilePath());
  // The file system's own bytes for the name, so the result names the folder that was chosen.
  return QFile::encodeName(path).toStdString();
}

}  // namespace plenwick::shell
