#include "app/ShapeRect.h"

#include <QPainter>

namespace plenwick::app {

ShapeRect::ShapeRect(QWidget* parent, QColor fill, QColor border)
    : QWidget(parent), fill_(fill), border_(border) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFocusPolicy(Qt::NoFocus);
}

void ShapeRect::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.fillRect(rect(), fill_);
  // A cosmetic pen is one device pixel wide at any scale; adjusted() keeps it inside the bounds.
  QPen pen(border_, 0);
  pen.setCosmetic(true);
  painter.setPen(pen);
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace plenwick::app
