#include "shell/qt/QtMessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>

namespace plenwick::shell {

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
  (void)box.exec();
}

}  // namespace plenwick::shell
