#include "app/Form1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QUrl>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "app/AccessibleControls.h"
#include "app/Artwork.h"
#include "app/ClickLabel.h"
#include "app/ShapeRect.h"
#include "app/TahomaFont.h"
#include "form/DroppedFolder.h"
#include "form/Form1Accessibility.h"
#include "form/Form1Layout.h"
#include "shell/FolderPath.h"
#include "shell/modMain.h"

namespace plenwick::app {
namespace {

QByteArray Text(std::string_view text) {
  return {text.data(), static_cast<qsizetype>(text.size())};
}

// Qt lays out in logical pixels and scales them with the screen's device pixel ratio itself.
QRect PixelRect(const form::Rect& twips) {
  const form::Rect pixels = form::Pixels(twips);
  return {pixels.left, pixels.top, pixels.width, pixels.height};
}

QColor Colour(form::Rgb rgb) {
  return {rgb.red, rgb.green, rgb.blue};
}

QFont ControlFont(form::Font description) {
  QFont font(QString::fromUtf8(Text(form::kFontFamily)));
  if (description.points > 0) font.setPointSizeF(description.points);
  font.setBold(description.bold);
  font.setItalic(false);
  font.setUnderline(false);
  font.setStrikeOut(false);
  return font;
}

void SetForeground(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
  QPalette palette = widget->palette();
  palette.setColor(role, colour);
  widget->setPalette(palette);
}

// Labels draw one unwrapped line from their top edge, on the window's background, in their own
// colour or else the platform's button-text colour.
template <typename Label = QLabel>
Label* AddLabel(QWidget* parent, const form::Control& control, QRect geometry, const QFont& font) {
  auto* label = new Label(parent);
  label->setTextFormat(Qt::PlainText);
  label->setText(QString::fromUtf8(Text(control.caption)));
  label->setWordWrap(false);
  const Qt::Alignment horizontal =
      control.align == form::Align::Centre ? Qt::AlignHCenter : Qt::AlignLeft;
  label->setAlignment(horizontal | Qt::AlignTop);
  label->setFont(font);
  label->setFocusPolicy(Qt::NoFocus);
  label->setGeometry(geometry);
  SetForeground(
      label, QPalette::WindowText,
      control.text ? Colour(*control.text) : parent->palette().color(QPalette::ButtonText));
  return label;
}

// Pictures are shown at their natural size, which the geometry repeats.
QLabel* AddPicture(QWidget* parent, const form::Control& control, QRect geometry) {
  auto* label = new QLabel(parent);
  label->setPixmap(Picture(control.picture, geometry.size()));
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setFocusPolicy(Qt::NoFocus);
  label->setGeometry(geometry);
  return label;
}

}  // namespace

Form1::Form1(Form1Services services)
    : QWidget(nullptr), Form1Behaviour(services, [] { QCoreApplication::exit(0); }) {
  Form_Initialize();
  InstallAccessibleInterfaces();
  const form::Window& window = form::Form1Window();
  setObjectName(QString::fromUtf8(Text(window.name)));
  setWindowTitle(QString::fromUtf8(Text(window.title)));
  // A fixed frame with a close button and no minimize or maximize button.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                 Qt::MSWindowsFixedSizeDialogHint);
  setFixedSize(PixelRect(window.clientTwips).size());
  setWindowIcon(ProgramIcon());
  MakeAccessible(this, *form::FindAccessible(window.name), form::AccessibleRole::Frame);
  // A folder dropped anywhere on the window is a source folder.
  setAcceptDrops(true);
  CreateControls();
}

Form1::~Form1() = default;

// Before anything of the window exists: make sure its font is there. The controls' look is the
// platform's current style, which Qt applies without being asked.
void Form1::Form_Initialize() {
  const Status font = EnsureTahoma();
  if (!font) qWarning("Plenwick: %s", font.error().message.c_str());
}

void Form1::CreateControls() {
  // Created from the back to the front: later siblings are stacked above earlier ones.
  for (const form::Control& control : form::Form1Controls()) {
    const QRect geometry = PixelRect(control.twips);
    const QFont font = ControlFont(control.font);
    QWidget* widget = nullptr;
    switch (control.kind) {
      case form::Kind::Picture:
        widget = AddPicture(this, control, geometry);
        break;
      case form::Kind::Label:
        widget = AddLabel(this, control, geometry, font);
        break;
      case form::Kind::LinkLabel: {
        auto* link = AddLabel<ClickLabel>(this, control, geometry, font);
        link->setCursor(HandCursor());
        link->SetTarget(QString::fromStdString(form::LinkTarget(control.name)));
        widget = link;
        break;
      }
      case form::Kind::TextBox: {
        auto* box = new QLineEdit(this);
        box->setReadOnly(true);
        // The text can still be selected and copied, so the pointer stays the text beam that Qt
        // drops for read-only boxes.
        box->setCursor(Qt::IBeamCursor);
        box->setFont(font);
        if (control.text) SetForeground(box, QPalette::Text, Colour(*control.text));
        widget = box;
        break;
      }
      case form::Kind::CommandButton: {
        auto* button = new QPushButton(QString::fromUtf8(Text(control.caption)), this);
        // Neither button is pressed by Enter or Esc.
        button->setAutoDefault(false);
        button->setDefault(false);
        button->setFont(font);
        widget = button;
        break;
      }
      case form::Kind::Shape:
        widget = new ShapeRect(this, Colour(control.fill), Colour(control.border));
        break;
    }
    widget->setObjectName(QString::fromUtf8(Text(control.name)));
    if (const form::AccessibleText* accessible = form::FindAccessible(control.name)) {
      MakeAccessible(widget, *accessible, form::RoleOf(control.kind));
    }
    widget->setGeometry(geometry);
    if (!control.visible) widget->hide();
    widget->setEnabled(control.enabled);
  }

  Image2 = Child<QLabel>("Image2");
  Label4 = Child<QLabel>("Label4");
  txtvCFPath = Child<QLineEdit>("txtvCFPath");
  CmdBrowse = Child<QPushButton>("CmdBrowse");
  Image1 = Child<QLabel>("Image1");
  Label1 = Child<QLabel>("Label1");
  LblStatusHead = Child<QLabel>("LblStatusHead");
  ImgStatusArrow = Child<QLabel>("ImgStatusArrow");
  LblProgessCurrent = Child<QLabel>("LblProgessCurrent");
  CmdSplit = Child<QPushButton>("CmdSplit");
  ImgRMsg = Child<QLabel>("ImgRMsg");
  LblRMsg = Child<QLabel>("LblRMsg");
  Shape1 = Child<ShapeRect>("Shape1");
  Image3 = Child<QLabel>("Image3");
  Image4 = Child<QLabel>("Image4");
  LblProductHelp = Child<ClickLabel>("LblProductHelp");
  Image6 = Child<QLabel>("Image6");
  LblWebsite = Child<ClickLabel>("LblWebsite");
  Image7 = Child<QLabel>("Image7");
  LblClose = Child<ClickLabel>("LblClose");

  LblProductHelp->SetOnClick([this] { Dispatch(&Form1::LblProductHelp_Click); });
  LblWebsite->SetOnClick([this] { Dispatch(&Form1::LblWebsite_Click); });
  LblClose->SetOnClick([this] { Dispatch(&Form1::LblClose_Click); });
  connect(CmdBrowse, &QPushButton::clicked, this, [this] { Dispatch(&Form1::CmdBrowse_Click); });
  connect(CmdSplit, &QPushButton::clicked, this, [this] { Dispatch(&Form1::CmdSplit_Click); });

  const auto tabOrder = form::Form1TabOrder();
  for (std::size_t i = 1; i < tabOrder.size(); ++i) {
    setTabOrder(ChildWidget(tabOrder[i - 1]), ChildWidget(tabOrder[i]));
  }
  ChildWidget(tabOrder.front())->setFocus(Qt::OtherFocusReason);
}

QWidget* Form1::ChildWidget(std::string_view name) const {
  auto* child = findChild<QWidget*>(QString::fromUtf8(Text(name)), Qt::FindDirectChildrenOnly);
  Q_ASSERT(child != nullptr);
  return child;
}

void Form1::ShowCentred() {
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect client(QPoint(0, 0), size());
    client.moveCenter(screen->availableGeometry().center());
    setGeometry(client);
  }
  show();
  activateWindow();
}

void Form1::EndProgram() {
  // Modal dialogs opened by running handlers close as if cancelled, so their handlers can unwind.
  for (int attempts = 0; attempts < 32; ++attempts) {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || modal == this) break;
    if (auto* dialog = qobject_cast<QDialog*>(modal)) {
      dialog->reject();
    } else {
      modal->close();
    }
  }
  end_.Request();
}

void Form1::closeEvent(QCloseEvent* event) {
  // Closing the only window unloads it and ends the program, whoever asked.
  event->accept();
  EndProgram();
}

namespace {

// The folder a drag carries, if any: local folders only, the first of them.
std::optional<std::string> DraggedFolder(const QMimeData* data) {
  if (data == nullptr || !data->hasUrls()) return std::nullopt;
  std::vector<std::string> items;
  for (const QUrl& url : data->urls()) {
    if (url.isLocalFile()) items.push_back(url.toLocalFile().toStdString());
  }
  return form::DroppedFolder(items, [](const std::string& path) {
    return QFileInfo(QString::fromStdString(path)).isDir();
  });
}

}  // namespace

// Only a drag that carries a folder is offered a drop, so the pointer tells beforehand whether
// letting go will do anything.
void Form1::dragEnterEvent(QDragEnterEvent* event) {
  if (DraggedFolder(event->mimeData())) {
    event->acceptProposedAction();
  } else {
    event->ignore();
  }
}

void Form1::dragMoveEvent(QDragMoveEvent* event) {
  if (DraggedFolder(event->mimeData())) {
    event->acceptProposedAction();
  } else {
    event->ignore();
  }
}

void Form1::dropEvent(QDropEvent* event) {
  std::optional<std::string> folder = DraggedFolder(event->mimeData());
  if (!folder) {
    event->ignore();
    return;
  }
  event->acceptProposedAction();
  // Taken once the drop is over, so the file manager is not kept waiting on our handler.
  QMetaObject::invokeMethod(
      this,
      [this, folder = std::move(*folder)] {
        Dispatch([this, &folder] { return Form_FolderDropped(folder); });
      },
      Qt::QueuedConnection);
}

void Form1::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.fillRect(rect(), Colour(form::Form1Window().background));
}

QWidget* Form1::ControlWidget(join::Control control) const {
  switch (control) {
    case join::Control::ImgRMsg:
      return ImgRMsg;
    case join::Control::LblRMsg:
      return LblRMsg;
    case join::Control::LblProgessCurrent:
      return LblProgessCurrent;
  }
  return nullptr;
}

void Form1::SetVisible(join::Control control, bool visible) {
  if (QWidget* widget = ControlWidget(control)) widget->setVisible(visible);
}

void Form1::SetCaption(join::Control control, const std::string& caption) {
  // Only the labels have a caption; the picture has none to set.
  if (auto* label = qobject_cast<QLabel*>(ControlWidget(control)); label && label != ImgRMsg) {
    label->setText(QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())));
  }
}

}  // namespace plenwick::app
