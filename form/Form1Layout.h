// The main window as drawn up: the window itself and every control on it, with its kind, place,
// caption, font, colours and first state, the stacking and the keyboard order. Both windows (Qt on
// Linux, Win32 on Windows) are built from this one table, so they cannot drift apart. No toolkit
// types here: places are in twips, colours are RGB triples, texts are UTF-8.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace plenwick::form {

struct Rgb {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  friend constexpr bool operator==(Rgb, Rgb) = default;
};

// Window geometry is drawn up in twips, 15 to a pixel at 96 dots per inch, measured from the
// top-left corner of the window's client area.
inline constexpr int kTwipsPerPixel = 15;

struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  friend constexpr bool operator==(const Rect&, const Rect&) = default;
};

// Twips to pixels at 96 dots per inch, rounded to the nearest pixel.
int Pixels(int twips);
Rect Pixels(const Rect& twips);

enum class Kind {
  Picture,        // artwork at its natural size; takes no input
  Label,          // one unwrapped line on the window's background; takes no input
  LinkLabel,      // a label with the hand pointer whose click has a handler
  TextBox,        // read-only, single line: the text can be selected and copied
  CommandButton,  // never the default or cancel button
  Shape,          // a filled rectangle with a one-pixel border; takes no input
};

enum class Align { Left, Centre };

inline constexpr std::string_view kFontFamily = "Tahoma";

// Tahoma at `points`; never italic, underlined or struck out.
struct Font {
  double points = 0;  // 0: the control shows no text
  bool bold = false;
};

struct Control {
  std::string_view name;
  Kind kind = Kind::Label;
  Rect twips;
  std::string_view caption;  // labels and buttons; "" for the rest
  std::string_view picture;  // the artwork's file name (resources/art/) for pictures
  Font font;
  // The text colour; none means the platform's button-text colour.
  std::optional<Rgb> text;
  Align align = Align::Left;
  bool visible = true;  // at start
  bool enabled = true;  // at start
  Rgb fill;             // shapes
  Rgb border;           // shapes
};

struct Window {
  std::string_view name;
  std::string_view title;
  Rect clientTwips;  // the client area; the frame is fixed: it can't be resized
  // What the window's background shows everywhere: its background picture, one colour.
  Rgb background;
};

const Window& Form1Window();

// Every control of Form1, from the back to the front: later ones are drawn above earlier ones.
// The text box and the buttons come last, above everything else.
std::span<const Control> Form1Controls();

// The control called `name`, or nullptr.
const Control* FindControl(std::string_view name);

// The keyboard order; the first one has the focus when the window opens. Labels, pictures and
// the shape never take the focus.
std::span<const std::string_view> Form1TabOrder();

// What choosing a source folder reveals, and the button it enables.
std::span<const std::string_view> ShownBySourceFolder();
inline constexpr std::string_view kEnabledBySourceFolder = "CmdSplit";
// The text box that shows the chosen source folder.
inline constexpr std::string_view kSourceFolderBox = "txtvCFPath";

// The title of the source folder picker.
inline constexpr const char* kBrowseTitle = "Choose Folder Having Word Documents...";
// The extra button of the closing message of a run that saved its output.
inline constexpr const char* kOpenFolderCaption = "Open Folder";

// The link labels' pointer: the 32 x 32 hand of resources/art/, its hot spot given in
// plenwick/Art.h.
inline constexpr std::string_view kHandPicture = "hand.png";

}  // namespace plenwick::form
