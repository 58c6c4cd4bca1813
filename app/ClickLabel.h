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
  // Does what a click does; for a screen reader's "press", which needs no mouse.
  void Click() {
    if (onClick_) onClick_();
  }
  // The address the link opens, for screen readers; empty for a link that acts instead.
  void SetTarget(QString target) { target_ = std::move(target); }
  const QString& target() const { return target_; }

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  std::function<void()> onClick_;
  QString target_;
  bool pressed_ = false;
};

}  // namespace plenwick::app
