#include "shell/qt/QtSettingsStore.h"

#include <QSettings>
#include <QString>

namespace plenwick::shell {
namespace {

QString Key(std::string_view key) {
  return QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size()));
}

}  // namespace

std::string QtSettingsStore::Read(std::string_view key) {
  return QSettings().value(Key(key)).toString().toStdString();
}

void QtSettingsStore::Write(std::string_view key, const std::string& value) {
  QSettings settings;
  settings.setValue(Key(key), QString::fromStdString(value));
  // Written now rather than at exit: "Close this Application" may end the program at once.
  settings.sync();
}

}  // namespace plenwick::shell
