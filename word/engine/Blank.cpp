#include "word/engine/Blank.h"

#include <array>
#include <cstdlib>
#include <ctime>
#include <string_view>

#include "base/CalendarTime.h"
#include "word/engine/Xml.h"

namespace plenwick::word::engine {
namespace {

constexpr std::string_view kDecl =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";

std::string Root(std::string_view name) {
  return std::string("<") + std::string(name) + StandardNamespaceDeclarations() +
         " mc:Ignorable=\"" + StandardIgnorable() + "\">";
}

const char* Env(const char* name) {
  const char* v = std::getenv(name);
  return (v != nullptr && *v != '\0') ? v : nullptr;
}

}  // namespace

Paper PaperForLocaleName(const std::string& locale) {
  // "en_US.UTF-8@euro" -> "US"
  auto underscore = locale.find('_');
  if (underscore == std::string::npos) return Paper::kA4;
  std::string territory = locale.substr(underscore + 1, 2);
  static constexpr std::array<std::string_view, 14> kLetter = {
      "US", "CA", "MX", "PH", "CL", "CO", "CR", "GT", "NI", "PA", "PR", "SV", "VE", "DO"};
  for (std::string_view t : kLetter) {
    if (territory == t) return Paper::kLetter;
  }
  return Paper::kA4;
}

Paper PaperForLocale() {
  const char* name = Env("LC_ALL");
  if (name == nullptr) name = Env("LC_PAPER");
  if (name == nullptr) name = Env("LANG");
  return name == nullptr ? Paper::kA4 : PaperForLocaleName(name);
}

namespace blank {

std::string SectionProperties(Paper paper) {
  const bool letter = paper == Paper::kLetter;
  return std::string("<w:sectPr><w:pgSz w:w=\"") + (letter ? "12240" : "11906") + "\" w:h=\"" +
         (letter ? "15840" : "16838") +
         "\"/><w:pgMar w:top=\"1440\" w:right=\"1440\" w:bottom=\"1440\" w:left=\"1440\" "
         "w:header=\"720\" w:footer=\"720\" w:gutter=\"0\"/><w:cols w:space=\"720\"/>"
         "<w:docGrid w:linePitch=\"360\"/></w:sectPr>";
}

std::string Styles() {
  return std::string(kDecl) + Root("w:styles") +
         "<w:docDefaults><w:rPrDefault><w:rPr><w:rFonts w:asciiTheme=\"minorHAnsi\" "
         "w:eastAsiaTheme=\"minorHAnsi\" w:hAnsiTheme=\"minorHAnsi\" w:cstheme=\"minorBidi\"/>"
         "<w:kern w:val=\"2\"/><w:sz w:val=\"22\"/><w:szCs w:val=\"22\"/><w:lang w:val=\"en-US\" "
         "w:eastAsia=\"en-US\" w:bidi=\"ar-SA\"/></w:rPr></w:rPrDefault><w:pPrDefault><w:pPr>"
         "<w:spacing w:after=\"160\" w:line=\"259\" w:lineRule=\"auto\"/></w:pPr></w:pPrDefault>"
         "</w:docDefaults>"
         "<w:latentStyles w:defLockedState=\"0\" w:defUIPriority=\"99\" w:defSemiHidden=\"0\" "
         "w:defUnhideWhenUsed=\"0\" w:defQFormat=\"0\" w:count=\"376\"/>"
         "<w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\"><w:name "
         "w:val=\"Normal\"/><w:qFormat/></w:style>"
         "<w:style w:type=\"character\" w:default=\"1\" w:styleId=\"DefaultParagraphFont\">"
         "<w:name w:val=\"Default Paragraph Font\"/><w:uiPriority w:val=\"1\"/><w:semiHidden/>"
         "<w:unhideWhenUsed/></w:style>"
         "<w:style w:type=\"table\" w:default=\"1\" w:styleId=\"TableNormal\"><w:name "
         "w:val=\"Normal Table\"/><w:uiPriority w:val=\"99\"/><w:semiHidden/><w:unhideWhenUsed/>"
         "<w:tblPr><w:tblInd w:w=\"0\" w:type=\"dxa\"/><w:tblCellMar><w:top w:w=\"0\" "
         "w:type=\"dxa\"/><w:left w:w=\"108\" w:type=\"dxa\"/><w:bottom w:w=\"0\" "
         "w:type=\"dxa\"/><w:right w:w=\"108\" w:type=\"dxa\"/></w:tblCellMar></w:tblPr>"
         "</w:style>"
         "<w:style w:type=\"numbering\" w:default=\"1\" w:styleId=\"NoList\"><w:name "
         "w:val=\"No List\"/><w:uiPriority w:val=\"99\"/><w:semiHidden/><w:unhideWhenUsed/>"
         "</w:style></w:styles>";
}

std::string Settings() {
  return std::string(kDecl) + Root("w:settings") +
         "<w:zoom w:percent=\"100\"/><w:defaultTabStop w:val=\"720\"/>"
         "<w:characterSpacingControl w:val=\"doNotCompress\"/><w:compat><w:compatSetting "
         "w:name=\"compatibilityMode\" w:uri=\"http://schemas.microsoft.com/office/word\" "
         "w:val=\"15\"/><w:compatSetting w:name=\"overrideTableStyleFontSizeAndJustification\" "
         "w:uri=\"http://schemas.microsoft.com/office/word\" w:val=\"1\"/><w:compatSetting "
         "w:name=\"enableOpenTypeFeatures\" w:uri=\"http://schemas.microsoft.com/office/word\" "
         "w:val=\"1\"/><w:compatSetting w:name=\"doNotFlipMirrorIndents\" "
         "w:uri=\"http://schemas.microsoft.com/office/word\" w:val=\"1\"/><w:compatSetting "
         "w:name=\"differentiateMultirowTableHeaders\" "
         "w:uri=\"http://schemas.microsoft.com/office/word\" w:val=\"1\"/></w:compat>"
         "<m:mathPr><m:mathFont m:val=\"Cambria Math\"/><m:brkBin m:val=\"before\"/>"
         "<m:brkBinSub m:val=\"--\"/><m:smallFrac m:val=\"0\"/><m:dispDef/><m:lMargin "
         "m:val=\"0\"/><m:rMargin m:val=\"0\"/><m:defJc m:val=\"centerGroup\"/><m:wrapIndent "
         "m:val=\"1440\"/><m:intLim m:val=\"subSup\"/><m:naryLim m:val=\"undOvr\"/></m:mathPr>"
         "<w:themeFontLang w:val=\"en-US\"/><w:clrSchemeMapping w:bg1=\"light1\" w:t1=\"dark1\" "
         "w:bg2=\"light2\" w:t2=\"dark2\" w:accent1=\"accent1\" w:accent2=\"accent2\" "
         "w:accent3=\"accent3\" w:accent4=\"accent4\" w:accent5=\"accent5\" w:accent6=\"accent6\" "
         "w:hyperlink=\"hyperlink\" w:followedHyperlink=\"followedHyperlink\"/>"
         "<w:decimalSymbol w:val=\".\"/><w:listSeparator w:val=\",\"/></w:settings>";
}

std::string FontTable() {
  auto font = [](const char* name, const char* panose, const char* family, const char* pitch) {
    return std::string("<w:font w:name=\"") + name + "\"><w:panose1 w:val=\"" + panose +
           "\"/><w:charset w:val=\"00\"/><w:family w:val=\"" + family + "\"/><w:pitch w:val=\"" +
           pitch + "\"/></w:font>";
  };
  return std::string(kDecl) + Root("w:fonts") +
         font("Calibri", "020F0502020204030204", "swiss", "variable") +
         font("Times New Roman", "02020603050405020304", "roman", "variable") +
         font("Calibri Light", "020F0302020204030204", "swiss", "variable") + "</w:fonts>";
}

std::string Theme() {
  auto sys = [](const char* name, const char* val, const char* last) {
    return std::string("<a:") + name + "><a:sysClr val=\"" + val + "\" lastClr=\"" + last +
           "\"/></a:" + name + ">";
  };
  auto srgb = [](const char* name, const char* val) {
    return std::string("<a:") + name + "><a:srgbClr val=\"" + val + "\"/></a:" + name + ">";
  };
  auto fonts = [](const char* name, const char* latin) {
    return std::string("<a:") + name + "><a:latin typeface=\"" + latin +
           "\" panose=\"020F0502020204030204\"/><a:ea typeface=\"\"/><a:cs typeface=\"\"/></a:" +
           name + ">";
  };
  std::string solid = "<a:solidFill><a:schemeClr val=\"phClr\"/></a:solidFill>";
  std::string line = "<a:ln w=\"6350\" cap=\"flat\" cmpd=\"sng\" algn=\"ctr\">" + solid +
                     "<a:prstDash val=\"solid\"/><a:miter lim=\"800000\"/></a:ln>";
  return std::string(kDecl) +
         "<a:theme xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" "
         "name=\"Office Theme\"><a:themeElements><a:clrScheme name=\"Office\">" +
         sys("dk1", "windowText", "000000") + sys("lt1", "window", "FFFFFF") +
         srgb("dk2", "44546A") + srgb("lt2", "E7E6E6") + srgb("accent1", "4472C4") +
         srgb("accent2", "ED7D31") + srgb("accent3", "A5A5A5") + srgb("accent4", "FFC000") +
         srgb("accent5", "5B9BD5") + srgb("accent6", "70AD47") + srgb("hlink", "0563C1") +
         srgb("folHlink", "954F72") + "</a:clrScheme><a:fontScheme name=\"Office\">" +
         fonts("majorFont", "Calibri Light") + fonts("minorFont", "Calibri") +
         "</a:fontScheme><a:fmtScheme name=\"Office\"><a:fillStyleLst>" + solid + solid + solid +
         "</a:fillStyleLst><a:lnStyleLst>" + line + line + line +
         "</a:lnStyleLst><a:effectStyleLst><a:effectStyle><a:effectLst/></a:effectStyle>"
         "<a:effectStyle><a:effectLst/></a:effectStyle><a:effectStyle><a:effectLst/>"
         "</a:effectStyle></a:effectStyleLst><a:bgFillStyleLst>" +
         solid + solid + solid +
         "</a:bgFillStyleLst></a:fmtScheme></a:themeElements><a:objectDefaults/>"
         "<a:extraClrSchemeLst/></a:theme>";
}

std::string CoreProperties() {
  std::time_t now = std::time(nullptr);
  std::tm utc{};
  UtcCalendarTime(now, utc);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return std::string(kDecl) +
         "<cp:coreProperties "
         "xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/metadata/core-properties\" "
         "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
         "xmlns:dcterms=\"http://purl.org/dc/terms/\" "
         "xmlns:dcmitype=\"http://purl.org/dc/dcmitype/\" "
         "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"><dc:title></dc:title>"
         "<dc:creator></dc:creator><cp:revision>1</cp:revision>"
         "<dcterms:created xsi:type=\"dcterms:W3CDTF\">" +
         stamp + "</dcterms:created><dcterms:modified xsi:type=\"dcterms:W3CDTF\">" + stamp +
         "</dcterms:modified></cp:coreProperties>";
}

std::string AppProperties() {
  return std::string(kDecl) +
         "<Properties "
         "xmlns=\"http://schemas.openxmlformats.org/officeDocument/2006/extended-properties\" "
         "xmlns:vt=\"http://schemas.openxmlformats.org/officeDocument/2006/docPropsVTypes\">"
         "<Template>Normal.dotm</Template><Application>Plenwick</Application>"
         "<DocSecurity>0</DocSecurity><ScaleCrop>false</ScaleCrop>"
         "<LinksUpToDate>false</LinksUpToDate><SharedDoc>false</SharedDoc>"
         "<HyperlinksChanged>false</HyperlinksChanged><AppVersion>16.0000</AppVersion>"
         "</Properties>";
}

// The smallest paragraph a header can hold, so an empty header takes next to no room.
constexpr std::string_view kEmptyParagraph =
    "<w:p><w:pPr><w:spacing w:before=\"0\" w:after=\"0\" w:line=\"20\" w:lineRule=\"exact\"/>"
    "<w:rPr><w:sz w:val=\"2\"/><w:szCs w:val=\"2\"/></w:rPr></w:pPr></w:p>";

std::string EmptyHeader() {
  return std::string(kDecl) + Root("w:hdr") + std::string(kEmptyParagraph) + "</w:hdr>";
}

std::string EmptyFooter() {
  return std::string(kDecl) + Root("w:ftr") + std::string(kEmptyParagraph) + "</w:ftr>";
}

}  // namespace blank
}  // namespace plenwick::word::engine
