// A shape's style names the theme's line, fill and effect formats by number (a:lnRef idx="2":
// the theme's second line style); what the shape's own properties leave unsaid comes from there.
// The result's theme is the first document's, so a later document's shape states what its own
// theme gave.
#pragma once

#include <pugixml.hpp>

namespace plenwick::word::engine {

// `shape` is any element holding a *:spPr and a *:style (wps:wsp, dsp:sp); `formats` is the
// document's own theme's a:fmtScheme. Placeholder colours (phClr) become the style reference's
// colour, as a reader resolves them. Fills that are pictures are left to the theme: a picture
// there belongs to the theme part.
void StateShapeStyle(pugi::xml_node shape, pugi::xml_node formats);

}  // namespace plenwick::word::engine
