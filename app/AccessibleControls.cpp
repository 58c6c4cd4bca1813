#include "app/AccessibleControls.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPointer>
#include <QVariant>

#include "app/ClickLabel.h"

namespace plenwick::app {
namespace {

// The dynamic property that carries a control's role from the description to the factory.
constexpr const char* kRoleProperty = "plenwickAccessibleRole";

QString Text(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QAccessible::Role QtRole(form::AccessibleRole role) {
  switch (role) {
    case form::AccessibleRole::Frame:
      return QAccessible::Window;  // a frame to AT-SPI and to Windows' UI Automation alike
    case form::AccessibleRole::Picture:
      return QAccessible::Graphic;
    case form::AccessibleRole::Label:
      return QAccessible::StaticText;
    case form::AccessibleRole::Link:
      return QAccessible::Link;
    case form::AccessibleRole::TextBox:
      return QAccessible::EditableText;
    case form::AccessibleRole::Button:
      return QAccessible::Button;
    case form::AccessibleRole::Panel:
      return QAccessible::Pane;
  }
  return QAccessible::Client;
}

// A link label: a link that names where it leads and can be followed without the mouse. The
// labels never take the keyboard focus (the window's keyboard order is fixed), so this action is
// how a screen reader's user follows them.
class AccessibleLink final : public QAccessibleWidget, public QAccessibleHyperlinkInterface {
 public:
  explicit AccessibleLink(ClickLabel* label) : QAccessibleWidget(label, QAccessible::Link) {}

  QString text(QAccessible::Text kind) const override {
    if (kind == QAccessible::Value) return Label()->target();
    return QAccessibleWidget::text(kind);
  }

  QAccessible::State state() const override {
    QAccessible::State state = QAccessibleWidget::state();
    state.linked = true;
    return state;
  }

  QStringList actionNames() const override { return {pressAction()}; }

  void doAction(const QString& action) override {
    if (action != pressAction()) return;
    // Later, from the event loop: the click may start a join that runs for long, and the screen
    // reader that asked must not wait for its end.
    QMetaObject::invokeMethod(
        Label(),
        [label = QPointer<ClickLabel>(Label())] {
          if (label) label->Click();
        },
        Qt::QueuedConnection);
  }

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::HyperlinkInterface) {
      return static_cast<QAccessibleHyperlinkInterface*>(this);
    }
    return QAccessibleWidget::interface_cast(type);
  }

  // The link is the whole label.
  QString anchor() const override { return Label()->text(); }
  QString anchorTarget() const override { return Label()->target(); }
  int startIndex() const override { return 0; }
  int endIndex() const override { return static_cast<int>(Label()->text().size()); }
  bool isValid() const override { return QAccessibleWidget::isValid(); }

 private:
  ClickLabel* Label() const { return static_cast<ClickLabel*>(widget()); }
};

QAccessibleInterface* Factory(const QString& /*className*/, QObject* object) {
  if (object == nullptr || !object->isWidgetType()) return nullptr;
  // Known by its class: Qt may ask for a label's interface as soon as its text is set, before
  // the description's role reaches it.
  if (auto* label = qobject_cast<ClickLabel*>(object)) return new AccessibleLink(label);
  const QVariant role = object->property(kRoleProperty);
  if (!role.isValid()) return nullptr;
  switch (static_cast<form::AccessibleRole>(role.toInt())) {
    case form::AccessibleRole::Frame:
    case form::AccessibleRole::Panel:
    case form::AccessibleRole::Picture:
      return new QAccessibleWidget(static_cast<QWidget*>(object),
                                   QtRole(static_cast<form::AccessibleRole>(role.toInt())));
    case form::AccessibleRole::Link:
    case form::AccessibleRole::Label:
    case form::AccessibleRole::TextBox:
    case form::AccessibleRole::Button:
      break;  // Qt's own interfaces for labels, line edits and buttons say all there is
  }
  return nullptr;
}

}  // namespace

void InstallAccessibleInterfaces() {
  static const bool installed = [] {
    QAccessible::installFactory(&Factory);
    return true;
  }();
  (void)installed;
}

void MakeAccessible(QWidget* widget, const form::AccessibleText& text, form::AccessibleRole role) {
  InstallAccessibleInterfaces();
  widget->setProperty(kRoleProperty, static_cast<int>(role));
  // An empty name lets Qt name the control by its text as it stands (the live counter).
  if (!text.name.empty()) widget->setAccessibleName(Text(text.name));
  widget->setAccessibleDescription(QString::fromStdString(form::AccessibleDescription(text)));
}

}  // namespace plenwick::app
