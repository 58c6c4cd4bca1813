// A filled rectangle with a one-pixel border, drawn inside its bounds; it takes no input.
#pragma once

#include <QColor>
#include <QWidget>

namespace plenwick::app {

class ShapeRect final : public QWidget {
  Q_OBJECT

 public:
  ShapeRect(QWidget* parent, QColor fill, QColor border);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor fill_;
  QColor border_;
};

}  // namespace plenwick::app
