#include "shell/qt/QtMessageBox.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>
#include <QString>

namespace plenwick::shell {

int MessageBoxMinimumWidth(const QString& title) {
  // Title bars draw their text larger and bold; their icon and buttons take about this much.
  QFont titleFont = QApplication::font();
  titleFont.setBold(true);
  titleFont.setPointSizeF(titleFont.pointSizeF() * 1.25);
  constexpr int kTitleBarChrome = 160;
  return QFontMetrics(titleFont).horizontalAdvance(title) + kTitleBarChrome;
}

namespace {

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Runs a box captioned with the application title; `action` adds a button. True when that
// button closed it.
bool Run(std::string_view text, std::string_view details, int style, std::string_view action) {
  const QMessageBox::Icon icon = style == kMsgInformation ? QMessageBox::Information
                                 : style == kMsgWarning   ? QMessageBox::Warning
                                                          : QMessageBox::NoIcon;
  QMessageBox box(icon, FromUtf8(kAppTitle), FromUtf8(text), QMessageBox::Ok,
                  QApplication::activeWindow());
  box.setObjectName(QString::fromLatin1(kMessageBoxName));
  box.setTextFormat(Qt::PlainText);
  if (!details.empty()) box.setInformativeText(FromUtf8(details));
  QPushButton* actionButton =
      action.empty() ? nullptr : box.addButton(FromUtf8(action), QMessageBox::ActionRole);
  box.setDefaultButton(QMessageBox::Ok);
  // Paths and addresses in a message can be selected and copied; a name holding "<" stays text.
  box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  if (auto* informative = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"))) {
    informative->setTextFormat(Qt::PlainText);
    informative->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  }
  // A box sized to a short text ("Completed !") is narrower than its title bar needs, and window
  // managers then cut the title to "...": keep room for the title and the bar's buttons.
  if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
    grid->addItem(new QSpacerItem(MessageBoxMinimumWidth(box.windowTitle()), 0,
                                  QSizePolicy::Minimum, QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
  }
  (void)box.exec();
  return actionButton != nullptr && box.clickedButton() == actionButton;
}

}  // namespace

void QtMessageBox::Show(std::string_view text, int style) {
  (void)Run(text, {}, style, {});
}

bool QtMessageBox::ShowWithAction(std::string_view text, std::string_view details, int style,
                                  std::string_view action) {
  return Run(text, details, style, action);
}

}  // namespace plenwick::shell
