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

// Children of w:style.
inline constexpr const char* kStyleOrder[] = {"w:name",          "w:aliases",
                                              "w:basedOn",       "w:next",
                                              "w:link",          "w:autoRedefine",
                                              "w:hidden",        "w:uiPriority",
                                              "w:semiHidden",    "w:unhideWhenUsed",
                                              "w:qFormat",       "w:locked",
                                              "w:personal",      "w:personalCompose",
                                              "w:personalReply", "w:rsid",
                                              "w:pPr",           "w:rPr",
                                              "w:tblPr",         "w:trPr",
                                              "w:tcPr",          "w:tblStylePr"};

// Children of w:tblPr.
inline constexpr const char* kTablePropertyOrder[] = {"w:tblStyle",
                                                      "w:tblpPr",
                                                      "w:tblOverlap",
                                                      "w:bidiVisual",
                                                      "w:tblStyleRowBandSize",
                                                      "w:tblStyleColBandSize",
                                                      "w:tblW",
                                                      "w:jc",
                                                      "w:tblCellSpacing",
                                                      "w:tblInd",
                                                      "w:tblBorders",
                                                      "w:shd",
                                                      "w:tblLayout",
                                                      "w:tblCellMar",
                                                      "w:tblLook",
                                                      "w:tblCaption",
                                                      "w:tblDescription",
                                                      "w:tblPrChange"};

// Children of w:tcPr.
inline constexpr const char* kCellPropertyOrder[] = {
    "w:cnfStyle", "w:tcW",     "w:gridSpan", "w:hMerge",        "w:vMerge",    "w:tcBorders",
    "w:shd",      "w:noWrap",  "w:tcMar",    "w:textDirection", "w:tcFitText", "w:vAlign",
    "w:hideMark", "w:headers", "w:cellIns",  "w:cellDel",       "w:cellMerge", "w:tcPrChange"};

// Children of w:tblBorders, w:tcBorders, w:pBdr and of the cell margins w:tblCellMar and w:tcMar
// (each has only some of them; a side is named either by left/right or by start/end).
inline constexpr const char* kBorderOrder[] = {"w:top",     "w:left", "w:start",   "w:bottom",
                                               "w:right",   "w:end",  "w:between", "w:insideH",
                                               "w:insideV", "w:bar",  "w:tl2br",   "w:tr2bl"};

// Children of m:dPr, an equation's brackets.
inline constexpr const char* kMathDelimiterOrder[] = {"m:begChr", "m:sepChr", "m:endChr",
                                                      "m:grow",   "m:shp",    "m:ctrlPr"};

// Children of w:sdtPr: the properties every content control may have, then the one that says
// what kind it is (all of those share the last rank).
inline constexpr const char* kSdtPropertyOrder[] = {
    "w:rPr",       "w:alias",         "w:tag",         "w:id",    "w:lock",    "w:placeholder",
    "w:temporary", "w:showingPlcHdr", "w:dataBinding", "w:label", "w:tabIndex"};

}  // namespace plenwick::word
