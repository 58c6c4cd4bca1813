// Theme colours resolved against the theme of the document that named them. A colour stated by
// its writer next to the theme colour is what the document showed and is kept; one left out (or
// "auto") is worked out from the theme, with the tint or shade applied to its lightness.
#include "word/engine/ThemeColours.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace plenwick::word::engine {
namespace {

// A scheme index as the settings' mapping names it ("dark1"), as the theme names it ("dk1").
std::string_view SchemeIndex(std::string_view name) {
  if (name == "dark1") return "dk1";
  if (name == "light1") return "lt1";
  if (name == "dark2") return "dk2";
  if (name == "light2") return "lt2";
  if (name == "hyperlink") return "hlink";
  if (name == "followedHyperlink") return "folHlink";
  return name;  // accent1..accent6 are the same in both
}

std::array<double, 3> ToHsl(unsigned rgb) {
  const double r = ((rgb >> 16) & 0xFF) / 255.0, g = ((rgb >> 8) & 0xFF) / 255.0,
               b = (rgb & 0xFF) / 255.0;
  const double hi = std::max({r, g, b}), lo = std::min({r, g, b});
  const double l = (hi + lo) / 2;
  if (hi == lo) return {0, 0, l};
  const double d = hi - lo;
  const double s = l > 0.5 ? d / (2 - hi - lo) : d / (hi + lo);
  double h = hi == r ? (g - b) / d + (g < b ? 6 : 0) : hi == g ? (b - r) / d + 2 : (r - g) / d + 4;
  return {h / 6, s, l};
}

double Channel(double p, double q, double t) {
  if (t < 0) t += 1;
  if (t > 1) t -= 1;
  if (t < 1.0 / 6) return p + (q - p) * 6 * t;
  if (t < 0.5) return q;
  if (t < 2.0 / 3) return p + (q - p) * (2.0 / 3 - t) * 6;
  return p;
}

unsigned FromHsl(const std::array<double, 3>& hsl) {
  const auto [h, s, l] = hsl;
  double r = l, g = l, b = l;
  if (s > 0) {
    const double q = l < 0.5 ? l * (1 + s) : l + s - l * s;
    const double p = 2 * l - q;
    r = Channel(p, q, h + 1.0 / 3);
    g = Channel(p, q, h);
    b = Channel(p, q, h - 1.0 / 3);
  }
  auto byte = [](double v) {
    return static_cast<unsigned>(std::lround(std::clamp(v, 0.0, 1.0) * 255));
  };
  return (byte(r) << 16) | (byte(g) << 8) | byte(b);
}

bool Hex(std::string_view text, unsigned& value) {
  if (text.empty()) return false;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
  return ec == std::errc() && end == text.data() + text.size();
}

std::string Rgb(unsigned rgb) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "%06X", rgb & 0xFFFFFFu);
  return buffer;
}

// Whether a colour attribute already says what was shown.
bool Stated(pugi::xml_attribute colour) {
  std::string_view v = colour.value();
  return colour && !v.empty() && v != "auto";
}

void Replace(pugi::xml_node node, const char* colourAttr, const char* theme, const char* tint,
             const char* shade, const std::string& resolved) {
  pugi::xml_attribute colour = node.attribute(colourAttr);
  if (!Stated(colour) && !resolved.empty()) {
    if (!colour) colour = node.append_attribute(colourAttr);
    colour.set_value(resolved.c_str());
  } else if (!colour) {
    node.append_attribute(colourAttr).set_value("auto");
  }
  node.remove_attribute(theme);
  node.remove_attribute(tint);
  node.remove_attribute(shade);
}

}  // namespace

void ThemeColours::Load(std::string_view scheme, pugi::xml_node mapping) {
  scheme_.clear();
  mapping_.clear();
  while (!scheme.empty()) {
    std::string_view entry = scheme.substr(0, scheme.find(';'));
    scheme.remove_prefix(std::min(scheme.size(), entry.size() + 1));
    const std::size_t eq = entry.find('=');
    if (eq == std::string_view::npos) continue;
    std::string_view name = entry.substr(0, eq);
    if (name.starts_with("a:")) name.remove_prefix(2);
    scheme_.emplace(std::string(name), std::string(entry.substr(eq + 1)));
  }
  for (pugi::xml_attribute a = mapping.first_attribute(); a; a = a.next_attribute()) {
    std::string_view name = a.name();
    if (name.starts_with("w:")) name.remove_prefix(2);
    mapping_.emplace(std::string(name), a.value());
  }
}

std::string ThemeColours::SchemeColour(std::string_view index) const {
  auto found = scheme_.find(SchemeIndex(index));
  return found == scheme_.end() ? std::string() : found->second;
}

std::string ThemeColours::Mapped(std::string_view name) const {
  // Text and background, by their names in Word's markup and in drawings.
  struct Mapping {
    std::string_view word, drawing;
    const char* key;       // in the settings' mapping
    const char* fallback;  // without one
  };
  static constexpr Mapping kMapped[] = {{"text1", "tx1", "t1", "dark1"},
                                        {"background1", "bg1", "bg1", "light1"},
                                        {"text2", "tx2", "t2", "dark2"},
                                        {"background2", "bg2", "bg2", "light2"}};
  for (const Mapping& m : kMapped) {
    if (name != m.word && name != m.drawing) continue;
    auto found = mapping_.find(m.key);
    return found != mapping_.end() ? found->second : m.fallback;
  }
  return std::string(name);
}

std::string ThemeColours::Resolve(std::string_view name, std::string_view tint,
                                  std::string_view shade) const {
  unsigned rgb = 0;
  if (!Hex(SchemeColour(Mapped(name)), rgb)) return {};
  unsigned amount = 0;
  if (Hex(tint, amount) && amount < 255) {
    std::array<double, 3> hsl = ToHsl(rgb);
    hsl[2] = hsl[2] * amount / 255.0 + (1 - amount / 255.0);
    rgb = FromHsl(hsl);
  } else if (Hex(shade, amount) && amount < 255) {
    std::array<double, 3> hsl = ToHsl(rgb);
    hsl[2] = hsl[2] * amount / 255.0;
    rgb = FromHsl(hsl);
  }
  return Rgb(rgb);
}

std::string ThemeColours::ResolveDrawing(std::string_view name) const {
  return SchemeColour(Mapped(name));
}

void ThemeColours::StateOwn(pugi::xml_node node) const {
  std::string_view name = node.name();
  // A drawing's colour keeps its own adjustments (lighter, darker, transparent), which a plain
  // colour takes as well. Text effects (an outline, a gradient fill of the letters) name theme
  // colours the same way, with qualified attributes.
  const bool drawing = name == "a:schemeClr";
  if (drawing || name == "w14:schemeClr") {
    pugi::xml_attribute val = node.attribute(drawing ? "val" : "w14:val");
    std::string resolved = ResolveDrawing(val.value());
    if (resolved.empty()) return;  // phClr: the colour of the style that holds it
    node.set_name(drawing ? "a:srgbClr" : "w14:srgbClr");
    val.set_value(resolved.c_str());
    return;
  }
  if (pugi::xml_attribute theme = node.attribute("w:themeColor")) {
    std::string resolved = Resolve(theme.value(), node.attribute("w:themeTint").value(),
                                   node.attribute("w:themeShade").value());
    // A run's colour is its value; a border's, a shading's pattern and an underline's are
    // their colour.
    Replace(node, name == "w:color" ? "w:val" : "w:color", "w:themeColor", "w:themeTint",
            "w:themeShade", resolved);
  }
  if (pugi::xml_attribute fill = node.attribute("w:themeFill")) {
    std::string resolved = Resolve(fill.value(), node.attribute("w:themeFillTint").value(),
                                   node.attribute("w:themeFillShade").value());
    Replace(node, "w:fill", "w:themeFill", "w:themeFillTint", "w:themeFillShade", resolved);
  }
}

}  // namespace plenwick::word::engine
