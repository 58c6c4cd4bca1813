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

// Children of w:tcPr.
inline constexpr const char* kTableCellPropertyOrder[] = {
    "w:cnfStyle", "w:tcW",     "w:gridSpan", "w:hMerge",        "w:vMerge",    "w:tcBorders",
    "w:shd",      "w:noWrap",  "w:tcMar",    "w:textDirection", "w:tcFitText", "w:vAlign",
    "w:hideMark", "w:headers", "w:cellIns",  "w:cellDel",       "w:cellMerge", "w:tcPrChange"};

// Children of w:pBdr, w:tblBorders and w:tcBorders (a border has one of each pair of names).
inline constexpr const char* kParagraphBorderOrder[] = {"w:top",   "w:left",    "w:bottom",
                                                        "w:right", "w:between", "w:bar"};
inline constexpr const char* kTableBorderOrder[] = {"w:top", "w:start", "w:left",    "w:bottom",
                                                    "w:end", "w:right", "w:insideH", "w:insideV"};
inline constexpr const char* kCellBorderOrder[] = {"w:top",   "w:start", "w:left",    "w:bottom",
                                                   "w:end",   "w:right", "w:insideH", "w:insideV",
                                                   "w:tl2br", "w:tr2bl"};

// Children of m:dPr, an equation's brackets.
inline constexpr const char* kMathDelimiterOrder[] = {"m:begChr", "m:sepChr", "m:endChr",
                                                      "m:grow",   "m:shp",    "m:ctrlPr"};

// Children of w:sdtPr: the properties every content control may have, then the one that says
// what kind it is (all of those share the last rank).
inline constexpr const char* kSdtPropertyOrder[] = {
    "w:rPr",       "w:alias",         "w:tag",         "w:id",    "w:lock",    "w:placeholder",
    "w:temporary", "w:showingPlcHdr", "w:dataBinding", "w:label", "w:tabIndex"};

}  // namespace plenwick::word
