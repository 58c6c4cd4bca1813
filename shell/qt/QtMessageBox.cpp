#include "shell/qt/QtMessageBox.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
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

void QtMessageBox::Show(std::string_view text, int style) {
  const QMessageBox::Icon icon = style == kMsgInformation ? QMessageBox::Information
                                 : style == kMsgWarning   ? QMessageBox::Warning
                                                          : QMessageBox::NoIcon;
  QMessageBox box(icon,
                  QString::fromUtf8(kAppTitle.data(), static_cast<qsizetype>(kAppTitle.size())),
                  QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())),
                  QMessageBox::Ok, QApplication::activeWindow());
  box.setObjectName(QString::fromLatin1(kMessageBoxName));
  box.setTextFormat(Qt::PlainText);
  // Paths and addresses in a message can be selected and copied.
  box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  // A box sized to a short text ("Completed !") is narrower than its title bar needs, and window
  // managers then cut the title to "...": keep room for the title and the bar's buttons.
  if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
    grid->addItem(new QSpacerItem(MessageBoxMinimumWidth(box.windowTitle()), 0,
                                  QSizePolicy::Minimum, QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
  }
  (void)box.exec();
}

}  // namespace plenwick::shell
