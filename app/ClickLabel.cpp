#include "app/ClickLabel.h"

#include <QMouseEvent>

namespace plenwick::app {

void ClickLabel::mousePressEvent(QMouseEvent* event) {
  pressed_ = event->button() == Qt::LeftButton;
  event->accept();
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* event) {
  const bool click =
      pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
  pressed_ = false;
  event->accept();
  // The handler may end the program; nothing of this label is touched after it.
  if (click && onClick_) onClick_();
}

}  // namespace plenwick::app
