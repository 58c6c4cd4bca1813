#include "form/Form1Layout.h"

#include <array>
#include <cmath>

namespace plenwick::form {
namespace {

constexpr Rgb kNavy{0, 0, 128};
constexpr Rgb kLinkBlue{0, 0, 192};
constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kWhite{255, 255, 255};

constexpr Font kSmall{8.25, false};
constexpr Font kSmallBold{8.25, true};
constexpr Font kLink{9.75, false};
constexpr Font kLinkBold{9.75, true};
constexpr Font kNone{};

constexpr Control Picture(std::string_view name, Rect twips, std::string_view picture,
                          bool visible = true) {
  Control control;
  control.name = name;
  control.kind = Kind::Picture;
  control.twips = twips;
  control.picture = picture;
  control.visible = visible;
  return control;
}

constexpr Control Label(std::string_view name, Rect twips, std::string_view caption, Font font,
                        std::optional<Rgb> text, bool visible = true, Align align = Align::Left) {
  Control control;
  control.name = name;
  control.kind = Kind::Label;
  control.twips = twips;
  control.caption = caption;
  control.font = font;
  control.text = text;
  control.align = align;
  control.visible = visible;
  return control;
}

constexpr Control Link(std::string_view name, Rect twips, std::string_view caption, Font font,
                       Rgb text) {
  Control control = Label(name, twips, caption, font, text);
  control.kind = Kind::LinkLabel;
  return control;
}

constexpr Control Shape(std::string_view name, Rect twips, Rgb fill, Rgb border) {
  Control control;
  control.name = name;
  control.kind = Kind::Shape;
  control.twips = twips;
  control.fill = fill;
  control.border = border;
  return control;
}

constexpr Control TextBox(std::string_view name, Rect twips, Font font, Rgb text) {
  Control control;
  control.name = name;
  control.kind = Kind::TextBox;
  control.twips = twips;
  control.font = font;
  control.text = text;
  return control;
}

// Buttons draw their caption in the platform's button-text colour.
constexpr Control Button(std::string_view name, Rect twips, std::string_view caption, Font font,
                         bool enabled = true) {
  Control control;
  control.name = name;
  control.kind = Kind::CommandButton;
  control.twips = twips;
  control.caption = caption;
  control.font = font;
  control.enabled = enabled;
  return control;
}

constexpr Window kWindow{"Form1", "Tarvik Plenwick", {0, 0, 8970, 6030}, {255, 228, 142}};

constexpr std::array kControls = {
    Picture("Image2", {0, 0, 9000, 1515}, "banner.png"),
    // The platform's default label colour.
    Label("Label4", {120, 1680, 8535, 255},
          "Select folder having Word documents (.doc/.docx) file(s)", kSmall, std::nullopt),
    Picture("ImgStatusArrow", {240, 3015, 150, 165}, "arrow-right.png", false),
    Label("LblProgessCurrent", {480, 3000, 8055, 255}, "(0) Documents Combined", kSmall, kBlack,
          false),
    Label("LblStatusHead", {120, 2760, 8535, 255}, "Merging Documents...", kSmallBold, kNavy,
          false),
    Shape("Shape1", {-120, 4350, 9135, 1695}, kWhite, kNavy),
    Picture("Image3", {120, 4680, 720, 720}, "helpbook.png"),
    Picture("Image4", {1080, 4560, 150, 165}, "arrow-right.png"),
    Link("LblProductHelp", {1440, 4560, 8055, 255}, "Read Step-by-Step Product Guide", kLink,
         kLinkBlue),
    Link("LblWebsite", {1440, 5280, 8055, 255}, "Visit Product Website", kLink, kLinkBlue),
    Picture("Image6", {1080, 5280, 150, 165}, "arrow-right.png"),
    Link("LblClose", {1440, 5640, 8055, 255}, "Close this Application", kLinkBold, kBlack),
    Picture("Image7", {1080, 5640, 150, 165}, "arrow-right.png"),
    // The prompt's arrow sits under the middle of "Join Documents"; its tip lies behind the prompt.
    Picture("ImgRMsg", {4440, 3840, 180, 165}, "arrow-up.png", false),
    Label("LblRMsg", {0, 3960, 9015, 255}, "Click Here to Start Combining Documents", kLinkBold,
          Rgb{192, 0, 0}, false, Align::Centre),
    Label("Label1", {480, 2400, 8535, 255},
          "Supports MS Word 2010, 2007, 2003, 2000 (.doc/.docx) documents", kSmall, Rgb{0, 0, 255}),
    Picture("Image1", {120, 2400, 240, 240}, "worddoc.png"),
    TextBox("txtvCFPath", {120, 1920, 7095, 375}, kLink, kNavy),
    Button("CmdBrowse", {7320, 1920, 1520, 375}, "Browse...", kSmall),
    // Waits for a source folder.
    Button("CmdSplit", {3000, 3240, 3015, 495}, "Join Documents", Font{14.25, true}, false),
};

constexpr std::array<std::string_view, 3> kTabOrder = {"txtvCFPath", "CmdBrowse", "CmdSplit"};

constexpr std::array<std::string_view, 5> kShownBySourceFolder = {
    "LblStatusHead", "LblProgessCurrent", "ImgStatusArrow", "ImgRMsg", "LblRMsg"};

}  // namespace

int Pixels(int twips) {
  return static_cast<int>(std::lround(twips / static_cast<double>(kTwipsPerPixel)));
}

Rect Pixels(const Rect& twips) {
  return {Pixels(twips.left), Pixels(twips.top), Pixels(twips.width), Pixels(twips.height)};
}

const Window& Form1Window() {
  return kWindow;
}

std::span<const Control> Form1Controls() {
  return kControls;
}

const Control* FindControl(std::string_view name) {
  for (const Control& control : kControls) {
    if (control.name == name) return &control;
  }
  return nullptr;
}

std::span<const std::string_view> Form1TabOrder() {
  return kTabOrder;
}

std::span<const std::string_view> ShownBySourceFolder() {
  return kShownBySourceFolder;
}

}  // namespace plenwick::form
