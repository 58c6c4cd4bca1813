// A link label: an ordinary label that reports a click (press and release over it with the left
// button). Plain labels ignore clicks, so only the labels made of this class respond.
#pragma once

#include <QLabel>
#include <functional>

namespace plenwick::app {

class ClickLabel final : public QLabel {
  Q_OBJECT

 public:
  explicit ClickLabel(QWidget* parent) : QLabel(parent) {}
  void SetOnClick(std::function<void()> onClick) { onClick_ = std::move(onClick); }

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  std::function<void()> onClick_;
  bool pressed_ = false;
};

}  // namespace plenwick::app
