#include "app/Form1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <cmath>
#include <exception>
#include <string>

#include "app/Artwork.h"
#include "app/ClickLabel.h"
#include "app/ShapeRect.h"
#include "app/TahomaFont.h"
#include "shell/FolderPath.h"
#include "shell/modMain.h"

namespace plenwick::app {
namespace {

// Window geometry is drawn up in twips, 15 to a pixel at 96 dots per inch. Qt lays out in
// logical pixels and scales them with the screen's device pixel ratio itself.
int FromTwips(int twips) {
  return static_cast<int>(std::lround(twips / 15.0));
}

QRect Twips(int left, int top, int width, int height) {
  return {FromTwips(left), FromTwips(top), FromTwips(width), FromTwips(height)};
}

const QColor kBackground(255, 228, 142);

QFont ControlFont(double points, bool bold = false) {
  QFont font(QString::fromLatin1(kTahoma));
  font.setPointSizeF(points);
  font.setBold(bold);
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

// Labels draw one unwrapped line from their top edge, on the window's background.
template <typename Label = QLabel>
Label* AddLabel(QWidget* parent, const char* name, const char* text, QRect geometry,
                const QFont& font, Qt::Alignment alignment = Qt::AlignLeft) {
  auto* label = new Label(parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setTextFormat(Qt::PlainText);
  label->setText(QString::fromUtf8(text));
  label->setWordWrap(false);
  label->setAlignment(alignment | Qt::AlignTop);
  label->setFont(font);
  label->setFocusPolicy(Qt::NoFocus);
  label->setGeometry(geometry);
  return label;
}

// Pictures are shown at their natural size, which the geometry repeats.
QLabel* AddPicture(QWidget* parent, const char* name, std::string_view picture, QRect geometry) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setPixmap(Picture(picture, geometry.size()));
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setFocusPolicy(Qt::NoFocus);
  label->setGeometry(geometry);
  return label;
}

QPushButton* AddButton(QWidget* parent, const char* name, const char* caption, QRect geometry,
                       const QFont& font) {
  auto* button = new QPushButton(QString::fromUtf8(caption), parent);
  button->setObjectName(QString::fromLatin1(name));
  // Neither button is pressed by Enter or Esc.
  button->setAutoDefault(false);
  button->setDefault(false);
  button->setFont(font);
  button->setGeometry(geometry);
  return button;
}

}  // namespace

Form1::Form1(Form1Services services)
    : QWidget(nullptr), services_(services), end_([] { QCoreApplication::exit(0); }) {
  Form_Initialize();
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QString::fromUtf8(kWindowTitle));
  // A fixed frame with a close button and no minimize or maximize button.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                 Qt::MSWindowsFixedSizeDialogHint);
  setFixedSize(Twips(0, 0, 8970, 6030).size());
  setWindowIcon(ProgramIcon());
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
  const QColor navy(0, 0, 128);
  const QColor linkBlue(0, 0, 192);

  // Created from the back to the front: later siblings are stacked above earlier ones.
  Image2 = AddPicture(this, "Image2", "banner.png", Twips(0, 0, 9000, 1515));
  Label4 = AddLabel(this, "Label4", "Select folder having Word documents (.doc/.docx) file(s)",
                    Twips(120, 1680, 8535, 255), ControlFont(8.25));
  SetForeground(Label4, QPalette::WindowText, palette().color(QPalette::ButtonText));
  ImgStatusArrow =
      AddPicture(this, "ImgStatusArrow", "arrow-right.png", Twips(240, 3015, 150, 165));
  LblProgessCurrent = AddLabel(this, "LblProgessCurrent", "(0) Documents Combined",
                               Twips(480, 3000, 8055, 255), ControlFont(8.25));
  SetForeground(LblProgessCurrent, QPalette::WindowText, QColor(0, 0, 0));
  LblStatusHead = AddLabel(this, "LblStatusHead", "Merging Documents...",
                           Twips(120, 2760, 8535, 255), ControlFont(8.25, true));
  SetForeground(LblStatusHead, QPalette::WindowText, navy);
  Shape1 = new ShapeRect(this, QColor(255, 255, 255), navy);
  Shape1->setObjectName(QStringLiteral("Shape1"));
  Shape1->setGeometry(Twips(-120, 4350, 9135, 1695));
  Image3 = AddPicture(this, "Image3", "helpbook.png", Twips(120, 4680, 720, 720));
  Image4 = AddPicture(this, "Image4", "arrow-right.png", Twips(1080, 4560, 150, 165));
  LblProductHelp = AddLabel<ClickLabel>(this, "LblProductHelp", "Read Step-by-Step Product Guide",
                                        Twips(1440, 4560, 8055, 255), ControlFont(9.75));
  SetForeground(LblProductHelp, QPalette::WindowText, linkBlue);
  LblWebsite = AddLabel<ClickLabel>(this, "LblWebsite", "Visit Product Website",
                                    Twips(1440, 5280, 8055, 255), ControlFont(9.75));
  SetForeground(LblWebsite, QPalette::WindowText, linkBlue);
  Image6 = AddPicture(this, "Image6", "arrow-right.png", Twips(1080, 5280, 150, 165));
  LblClose = AddLabel<ClickLabel>(this, "LblClose", "Close this Application",
                                  Twips(1440, 5640, 8055, 255), ControlFont(9.75, true));
  SetForeground(LblClose, QPalette::WindowText, QColor(0, 0, 0));
  Image7 = AddPicture(this, "Image7", "arrow-right.png", Twips(1080, 5640, 150, 165));
  ImgRMsg = AddPicture(this, "ImgRMsg", "arrow-up.png", Twips(4440, 3840, 180, 165));
  LblRMsg = AddLabel(this, "LblRMsg", "Click Here to Start Combining Documents",
                     Twips(0, 3960, 9015, 255), ControlFont(9.75, true), Qt::AlignHCenter);
  SetForeground(LblRMsg, QPalette::WindowText, QColor(192, 0, 0));
  Label1 =
      AddLabel(this, "Label1", "Supports MS Word 2010, 2007, 2003, 2000 (.doc/.docx) documents",
               Twips(480, 2400, 8535, 255), ControlFont(8.25));
  SetForeground(Label1, QPalette::WindowText, QColor(0, 0, 255));
  Image1 = AddPicture(this, "Image1", "worddoc.png", Twips(120, 2400, 240, 240));

  // The text box and the buttons lie above everything else.
  txtvCFPath = new QLineEdit(this);
  txtvCFPath->setObjectName(QStringLiteral("txtvCFPath"));
  txtvCFPath->setReadOnly(true);
  // The text can still be selected and copied, so the pointer stays the text beam that Qt
  // drops for read-only boxes.
  txtvCFPath->setCursor(Qt::IBeamCursor);
  txtvCFPath->setFont(ControlFont(9.75));
  txtvCFPath->setGeometry(Twips(120, 1920, 7095, 375));
  SetForeground(txtvCFPath, QPalette::Text, navy);
  CmdBrowse =
      AddButton(this, "CmdBrowse", "Browse...", Twips(7320, 1920, 1520, 375), ControlFont(8.25));
  CmdSplit = AddButton(this, "CmdSplit", "Join Documents", Twips(3000, 3240, 3015, 495),
                       ControlFont(14.25, true));

  // The initial state: the status area and the prompt wait for a source folder.
  for (QWidget* waiting :
       {static_cast<QWidget*>(LblStatusHead), static_cast<QWidget*>(LblProgessCurrent),
        static_cast<QWidget*>(ImgStatusArrow), static_cast<QWidget*>(ImgRMsg),
        static_cast<QWidget*>(LblRMsg)}) {
    waiting->hide();
  }
  CmdSplit->setEnabled(false);

  const QCursor hand = HandCursor();
  for (ClickLabel* link : {LblProductHelp, LblWebsite, LblClose}) link->setCursor(hand);
  LblProductHelp->SetOnClick([this] { Dispatch(&Form1::LblProductHelp_Click); });
  LblWebsite->SetOnClick([this] { Dispatch(&Form1::LblWebsite_Click); });
  LblClose->SetOnClick([this] { Dispatch(&Form1::LblClose_Click); });
  connect(CmdBrowse, &QPushButton::clicked, this, [this] { Dispatch(&Form1::CmdBrowse_Click); });
  connect(CmdSplit, &QPushButton::clicked, this, [this] { Dispatch(&Form1::CmdSplit_Click); });

  setTabOrder(txtvCFPath, CmdBrowse);
  setTabOrder(CmdBrowse, CmdSplit);
  txtvCFPath->setFocus(Qt::OtherFocusReason);
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

void Form1::Dispatch(Status (Form1::*handler)()) {
  if (end_.ending()) return;
  const ProgramEnd::Running running(end_);
  Status status;
  try {
    status = (this->*handler)();
  } catch (const std::exception& failure) {
    status = MakeError(errc::kGeneric, failure.what());
  }
  // A failure that reaches here was not handled by the handler: say so and carry on, like a
  // handler that ended early. Nothing is said once the program is ending.
  if (!status && !end_.ending()) {
    services_.messages.Show("Run-time error '" + std::to_string(status.error().code) + "':\n\n" +
                                status.error().message,
                            shell::kMsgOk);
  }
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

void Form1::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.fillRect(rect(), kBackground);
}

std::string Form1::PickFolder(const std::string& title) {
  return shell::PickFolder(services_.picker, static_cast<QWidget*>(this), title);
}

bool Form1::Yield() {
  if (end_.ending()) return false;
  const bool goOn = services_.yield.Yield();
  return goOn && !end_.ending();
}

void Form1::ShowMessage(std::string_view text, int style) {
  services_.messages.Show(text, style);
}

void Form1::ShowCompletion(std::string_view text, int style, const std::string& outputPath) {
  const bool open = services_.messages.ShowWithAction(
      text, "The joined document is saved as:\n" + outputPath, style, kOpenFolderCaption);
  if (open) OpenFolder(shell::ParentFolder(outputPath));
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
