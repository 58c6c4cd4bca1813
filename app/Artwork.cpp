#include "app/Artwork.h"

#include <QFile>
#include <QString>
#include <QtGlobal>

#include "plenwick/Art.h"

namespace plenwick::app {
namespace {

QString ResourcePath(std::string_view name) {
  return QStringLiteral(":/plenwick/") +
         QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

}  // namespace

QPixmap Picture(std::string_view name, QSize fallbackSize) {
  QPixmap picture(ResourcePath(name));
  if (!picture.isNull()) return picture;
  qWarning("Plenwick: the picture %s is missing from the program's resources",
           qUtf8Printable(ResourcePath(name)));
  QPixmap placeholder(fallbackSize);
  placeholder.fill(Qt::transparent);
  return placeholder;
}

QCursor HandCursor() {
  const QPixmap hand(ResourcePath("hand.png"));
  if (hand.isNull()) {
    qWarning("Plenwick: the hand cursor is missing; using the system's pointing hand");
    return QCursor(Qt::PointingHandCursor);
  }
  return QCursor(hand, art::kHandHotSpotX, art::kHandHotSpotY);
}

QIcon ProgramIcon() {
  QIcon icon;
  for (const char* name : {"icon-16.png", "icon-32.png", "icon-48.png"}) {
    const QString path = ResourcePath(name);
    if (QFile::exists(path)) icon.addFile(path);
  }
  return icon;
}

}  // namespace plenwick::app
