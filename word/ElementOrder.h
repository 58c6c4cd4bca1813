// Child orders the WordprocessingML schema prescribes, for code that adds to or repairs
// property elements: Word refuses a file whose properties stand in another order.
#pragma once

namespace plenwick::word {

// Children of w:pPr.
inline constexpr const char* kParagraphPropertyOrder[] = {"w:pStyle",
                                                          "w:keepNext",
                                                          "w:keepLines",
                                                          "w:pageBreakBefore",
                                                          "w:framePr",
                                                          "w:widowControl",
                                                          "w:numPr",
                                                          "w:suppressLineNumbers",
                                                          "w:pBdr",
                                                          "w:shd",
                                                          "w:tabs",
                                                          "w:suppressAutoHyphens",
                                                          "w:kinsoku",
                                                          "w:wordWrap",
                                                          "w:overflowPunct",
                                                          "w:topLinePunct",
                                                          "w:autoSpaceDE",
                                                          "w:autoSpaceDN",
                                                          "w:bidi",
                                                          "w:adjustRightInd",
                                                          "w:snapToGrid",
                                                          "w:spacing",
                                                          "w:ind",
                                                          "w:contextualSpacing",
                                                          "w:mirrorIndents",
                                                          "w:suppressOverlap",
                                                          "w:jc",
                                                          "w:textDirection",
                                                          "w:textAlignment",
                                                          "w:textboxTightWrap",
                                                          "w:outlineLvl",
                                                          "w:divId",
                                                          "w:cnfStyle",
                                                          "w:rPr",
                                                          "w:sectPr",
                                                          "w:pPrChange"};

// Children of w:sdtPr: the properties every content control may have, then the one that says
// what kind it is (all of those share the last rank).
inline constexpr const char* kSdtPropertyOrder[] = {
    "w:rPr",       "w:alias",         "w:tag",         "w:id",    "w:lock",    "w:placeholder",
    "w:temporary", "w:showingPlcHdr", "w:dataBinding", "w:label", "w:tabIndex"};

}  // namespace plenwick::word
