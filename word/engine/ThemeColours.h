// A document's theme colours, for stating them as plain colours where the result's theme is
// another document's.
#pragma once

#include <map>
#include <string>
#include <string_view>

#include <pugixml.hpp>

namespace plenwick::word::engine {

class ThemeColours {
 public:
  // `scheme` is a theme look's colour list ("a:dk1=000000;a:lt1=FFFFFF;..."), `mapping` the
  // settings' w:clrSchemeMapping (which scheme colours text and background stand for).
  void Load(std::string_view scheme, pugi::xml_node mapping);
  // A text theme colour (w:themeColor's value: "accent1", "text1"...) with its tint and shade
  // (hexadecimal 00-FF, empty when none) as RRGGBB; empty when the theme does not have it.
  std::string Resolve(std::string_view name, std::string_view tint, std::string_view shade) const;
  // A drawing's scheme colour (a:schemeClr's value: "accent1", "tx1"...) as RRGGBB.
  std::string ResolveDrawing(std::string_view name) const;
  // Turns the theme colours an element names (text colour, shading, border, underline, drawing
  // scheme colour) into the colours they stood for in this theme.
  void StateOwn(pugi::xml_node node) const;

 private:
  std::string SchemeColour(std::string_view index) const;
  // The scheme index a text or background colour stands for by the settings' mapping; any other
  // name as it is.
  std::string Mapped(std::string_view name) const;
  std::map<std::string, std::string, std::less<>> scheme_;   // "dk1" -> "000000"
  std::map<std::string, std::string, std::less<>> mapping_;  // "t1" -> "dark1"
};

}  // namespace plenwick::word::engine
