// Document settings: the first document's become the result's (its compatibility options decide
// how every page is laid out), minus what ties them to the source: templates, mail merge data,
// protection, note separators of its own.
#include "word/engine/Settings.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "word/ChildOrder.h"
#include "word/engine/AnnotationView.h"
#include "word/engine/Append.h"
#include "word/engine/DocumentWide.h"
#include "word/engine/Xml.h"

namespace plenwick::word::engine {
namespace {

constexpr const char* kSettingsOrder[] = {"w:writeProtection",
                                          "w:view",
                                          "w:zoom",
                                          "w:removePersonalInformation",
                                          "w:removeDateAndTime",
                                          "w:doNotDisplayPageBoundaries",
                                          "w:displayBackgroundShape",
                                          "w:printPostScriptOverText",
                                          "w:printFractionalCharacterWidth",
                                          "w:printFormsData",
                                          "w:embedTrueTypeFonts",
                                          "w:embedSystemFonts",
                                          "w:saveSubsetFonts",
                                          "w:saveFormsData",
                                          "w:mirrorMargins",
                                          "w:alignBordersAndEdges",
                                          "w:bordersDoNotSurroundHeader",
                                          "w:bordersDoNotSurroundFooter",
                                          "w:gutterAtTop",
                                          "w:hideSpellingErrors",
                                          "w:hideGrammaticalErrors",
                                          "w:activeWritingStyle",
                                          "w:proofState",
                                          "w:formsDesign",
                                          "w:attachedTemplate",
                                          "w:linkStyles",
                                          "w:stylePaneFormatFilter",
                                          "w:stylePaneSortMethod",
                                          "w:documentType",
                                          "w:mailMerge",
                                          "w:revisionView",
                                          "w:trackRevisions",
                                          "w:doNotTrackMoves",
                                          "w:doNotTrackFormatting",
                                          "w:documentProtection",
                                          "w:autoFormatOverride",
                                          "w:styleLockTheme",
                                          "w:styleLockQFSet",
                                          "w:defaultTabStop",
                                          "w:autoHyphenation",
                                          "w:consecutiveHyphenLimit",
                                          "w:hyphenationZone",
                                          "w:doNotHyphenateCaps",
                                          "w:showEnvelope",
                                          "w:summaryLength",
                                          "w:clickAndTypeStyle",
                                          "w:defaultTableStyle",
                                          "w:evenAndOddHeaders",
                                          "w:bookFoldRevPrinting",
                                          "w:bookFoldPrinting",
                                          "w:bookFoldPrintingSheets",
                                          "w:drawingGridHorizontalSpacing",
                                          "w:drawingGridVerticalSpacing",
                                          "w:displayHorizontalDrawingGridEvery",
                                          "w:displayVerticalDrawingGridEvery",
                                          "w:doNotUseMarginsForDrawingGridOrigin",
                                          "w:drawingGridHorizontalOrigin",
                                          "w:drawingGridVerticalOrigin",
                                          "w:doNotShadeFormData",
                                          "w:noPunctuationKerning",
                                          "w:characterSpacingControl",
                                          "w:printTwoOnOne",
                                          "w:strictFirstAndLastChars",
                                          "w:noLineBreaksAfter",
                                          "w:noLineBreaksBefore",
                                          "w:savePreviewPicture",
                                          "w:doNotValidateAgainstSchema",
                                          "w:saveInvalidXml",
                                          "w:ignoreMixedContent",
                                          "w:alwaysShowPlaceholderText",
                                          "w:doNotDemarcateInvalidXml",
                                          "w:saveXmlDataOnly",
                                          "w:useXSLTWhenSaving",
                                          "w:saveThroughXslt",
                                          "w:showXMLTags",
                                          "w:alwaysMergeEmptyNamespace",
                                          "w:updateFields",
                                          "w:hdrShapeDefaults",
                                          "w:footnotePr",
                                          "w:endnotePr",
                                          "w:compat",
                                          "w:docVars",
                                          "w:rsids",
                                          "m:mathPr",
                                          "w:attachedSchema",
                                          "w:themeFontLang",
                                          "w:clrSchemeMapping",
                                          "w:doNotIncludeSubdocsInStats",
                                          "w:doNotAutoCompressPictures",
                                          "w:forceUpgrade",
                                          "w:captions",
                                          "w:readModeInkLockDown",
                                          "w:smartTagType",
                                          "sl:schemaLibrary",
                                          "w:shapeDefaults",
                                          "w:doNotEmbedSmartTags",
                                          "w:decimalSymbol",
                                          "w:listSeparator"};

bool HasRelAttribute(pugi::xml_node root) {
  bool found = false;
  WalkElements(root, [&found](pugi::xml_node node) {
    for (pugi::xml_attribute a = node.first_attribute(); a && !found; a = a.next_attribute()) {
      found = std::string_view(a.name()).starts_with("r:");
    }
    return !found;
  });
  return found;
}

}  // namespace

void AdoptSettings(AppendContext& ctx) {
  const Relationship* rel = ctx.src.RelOfKind(ctx.src.mainPart(), "settings");
  if (rel == nullptr || rel->part.empty() || !ctx.src.Has(rel->part)) return;
  XmlPart& part = ctx.src.Xml(rel->part);
  pugi::xml_node root = part.doc->document_element();
  if (std::string_view(root.name()) != "w:settings") return;
  for (pugi::xml_node c = root.first_child(); c;) {
    pugi::xml_node next = c.next_sibling();
    std::string_view name = c.name();
    if (name == "w:attachedTemplate" || name == "w:mailMerge" || name == "w:documentProtection" ||
        name == "w:writeProtection" || name == "w:evenAndOddHeaders" ||
        name == "w:saveThroughXslt" || HasRelAttribute(c)) {
      root.remove_child(c);
    } else if (name == "w:footnotePr" || name == "w:endnotePr") {
      // The separators these name are the result's own, which need no naming here.
      RemoveChildren(c, name == "w:footnotePr" ? "w:footnote" : "w:endnote");
      if (!c.first_child()) root.remove_child(c);
    } else if (name == "w:zoom" && !c.attribute("w:percent")) {
      // Some writers leave out the percentage the schema requires; Word shows 100 %.
      c.append_attribute("w:percent").set_value("100");
    } else if (name == "w:clickAndTypeStyle" || name == "w:defaultTableStyle") {
      std::string mapped = ctx.styles.Map(c.attribute("w:val").value());
      if (mapped.empty()) {
        root.remove_child(c);
      } else {
        c.attribute("w:val").set_value(mapped.c_str());
      }
    }
    c = next;
  }
  // Other writers put some settings out of order (pandoc its zoom last), which Word refuses.
  KeepChildOrder(root, kSettingsOrder);
  ResetRootNamespaces(root, part);
  ctx.out.settings = std::make_unique<pugi::xml_document>();
  ctx.out.settings->append_copy(root);
}

void PlaceEndnotesAtSectionEnds(pugi::xml_document& settings) {
  static constexpr const char* kOrder[] = {"w:pos", "w:numFmt", "w:numStart", "w:numRestart",
                                           "w:endnote"};
  pugi::xml_node pr = EnsureOrdered(settings.document_element(), "w:endnotePr", kSettingsOrder);
  pugi::xml_node pos = EnsureOrdered(pr, "w:pos", kOrder);
  if (!pos.attribute("w:val")) pos.append_attribute("w:val");
  pos.attribute("w:val").set_value("sectEnd");
}

void ApplyEvenAndOddHeaders(pugi::xml_document& settings, bool on) {
  pugi::xml_node root = settings.document_element();
  pugi::xml_node existing = root.child("w:evenAndOddHeaders");
  if (on && !existing) InsertOrdered(root, "w:evenAndOddHeaders", kSettingsOrder);
  if (!on && existing) root.remove_child(existing);
}

void ApplyDocumentWide(pugi::xml_document& settings, const DocumentWideIndex& index) {
  pugi::xml_node root = settings.document_element();
  // Every gutter is stated in its section's margins, where its position no longer matters.
  RemoveChildren(root, "w:gutterAtTop");
  RemoveChildren(root, "w:mirrorMargins");
  if (index.mirrored) InsertOrdered(root, "w:mirrorMargins", kSettingsOrder);
}

void ApplyAnnotationView(pugi::xml_document& settings, const AnnotationViewIndex& index) {
  pugi::xml_node root = settings.document_element();
  RemoveChildren(root, "w:revisionView");
  const std::pair<const char*, bool> kinds[] = {{"w:comments", index.comments.value_or(true)},
                                                {"w:insDel", index.insDel.value_or(true)},
                                                {"w:formatting", index.formatting.value_or(true)},
                                                {"w:inkAnnotations", index.ink}};
  pugi::xml_node view;
  for (const auto& [name, shows] : kinds) {
    if (shows) continue;
    if (!view) view = InsertOrdered(root, "w:revisionView", kSettingsOrder);
    view.append_attribute(name).set_value("0");
  }
}

void OpenInPrintLayout(pugi::xml_document& settings) {
  pugi::xml_node root = settings.document_element();
  RemoveChildren(root, "w:view");
}

void AskToUpdateFields(pugi::xml_document& settings, bool on) {
  pugi::xml_node root = settings.document_element();
  pugi::xml_node existing = root.child("w:updateFields");
  if (on && !existing) {
    InsertOrdered(root, "w:updateFields", kSettingsOrder)
        .append_attribute("w:val")
        .set_value("true");
  }
  if (!on && existing) root.remove_child(existing);
}

void AskForEmbeddedFonts(pugi::xml_document& settings) {
  pugi::xml_node root = settings.document_element();
  pugi::xml_node embed = root.child("w:embedTrueTypeFonts");
  if (!embed) embed = InsertOrdered(root, "w:embedTrueTypeFonts", kSettingsOrder);
  if (pugi::xml_attribute val = embed.attribute("w:val")) embed.remove_attribute(val);
}

}  // namespace plenwick::word::engine

namespace plenwick::word::engine {

// Settings that decide how text is laid out and hold for the whole document.
// The default tab stop is not among them: a document states its own where it differs. Nor is
// hyphenation: the result keeps the first document's, and a later document that did not
// hyphenate says so in its paragraphs.
constexpr const char* kLayoutSettings[] = {"w:noPunctuationKerning", "w:footnotePr", "w:compat",
                                           "w:decimalSymbol", "w:listSeparator"};
// Settings that hold for the whole document too but change only East Asian text: how its
// punctuation is compressed, and which characters may not begin or end a line. A document
// without East Asian text is the same under any of them.
constexpr const char* kEastAsianSettings[] = {"w:characterSpacingControl",
                                              "w:strictFirstAndLastChars", "w:noLineBreaksAfter",
                                              "w:noLineBreaksBefore"};
// Compatibility options Word applies to East Asian text alone; they go with the settings above
// rather than with the other compatibility options.
constexpr const char* kEastAsianCompatibility[] = {"w:spaceForUL",
                                                   "w:balanceSingleByteDoubleByteWidth",
                                                   "w:lineWrapLikeWord6",
                                                   "w:autoSpaceLikeWord95",
                                                   "w:doNotWrapTextWithPunct",
                                                   "w:doNotUseEastAsianBreakRules",
                                                   "w:useAltKinsokuLineBreakRules",
                                                   "w:displayHangulFixedWidth"};
// The compatibility options in schema order.
constexpr const char* kCompatibilityOrder[] = {"w:useSingleBorderforContiguousCells",
                                               "w:wpJustification",
                                               "w:noTabHangInd",
                                               "w:noLeading",
                                               "w:spaceForUL",
                                               "w:noColumnBalance",
                                               "w:balanceSingleByteDoubleByteWidth",
                                               "w:noExtraLineSpacing",
                                               "w:doNotLeaveBackslashAlone",
                                               "w:ulTrailSpace",
                                               "w:doNotExpandShiftReturn",
                                               "w:spacingInWholePoints",
                                               "w:lineWrapLikeWord6",
                                               "w:printBodyTextBeforeHeader",
                                               "w:printColBlack",
                                               "w:wpSpaceWidth",
                                               "w:showBreaksInFrames",
                                               "w:subFontBySize",
                                               "w:suppressBottomSpacing",
                                               "w:suppressTopSpacing",
                                               "w:suppressSpacingAtTopOfPage",
                                               "w:suppressTopSpacingWP",
                                               "w:suppressSpBfAfterPgBrk",
                                               "w:swapBordersFacingPages",
                                               "w:convMailMergeEsc",
                                               "w:truncateFontHeightsLikeWP6",
                                               "w:mwSmallCaps",
                                               "w:usePrinterMetrics",
                                               "w:doNotSuppressParagraphBorders",
                                               "w:wrapTrailSpaces",
                                               "w:footnoteLayoutLikeWW8",
                                               "w:shapeLayoutLikeWW8",
                                               "w:alignTablesRowByRow",
                                               "w:forgetLastTabAlignment",
                                               "w:adjustLineHeightInTable",
                                               "w:autoSpaceLikeWord95",
                                               "w:noSpaceRaiseLower",
                                               "w:doNotUseHTMLParagraphAutoSpacing",
                                               "w:layoutRawTableWidth",
                                               "w:layoutTableRowsApart",
                                               "w:useWord97LineBreakRules",
                                               "w:doNotBreakWrappedTables",
                                               "w:doNotSnapToGridInCell",
                                               "w:selectFldWithFirstOrLastChar",
                                               "w:applyBreakingRules",
                                               "w:doNotWrapTextWithPunct",
                                               "w:doNotUseEastAsianBreakRules",
                                               "w:useWord2002TableStyleRules",
                                               "w:growAutofit",
                                               "w:useFELayout",
                                               "w:useNormalStyleForList",
                                               "w:doNotUseIndentAsNumberingTabStop",
                                               "w:useAltKinsokuLineBreakRules",
                                               "w:allowSpaceOfSameStyleInTable",
                                               "w:doNotSuppressIndentation",
                                               "w:doNotAutofitConstrainedTables",
                                               "w:autofitToFirstFixedWidthCell",
                                               "w:underlineTabInNumList",
                                               "w:displayHangulFixedWidth",
                                               "w:splitPgBreakAndParaMark",
                                               "w:doNotVertAlignCellWithSp",
                                               "w:doNotBreakConstrainedForcedTable",
                                               "w:doNotVertAlignInTxbx",
                                               "w:useAnsiKerningPairs",
                                               "w:cachedColBalance",
                                               "w:compatSetting"};
constexpr char kSeparator = '\x1f';
constexpr long kCurrentCompatibilityMode = 15;

namespace {

pugi::xml_node SettingsRootOf(AppendContext& ctx) {
  const Relationship* rel = ctx.src.RelOfKind(ctx.src.mainPart(), "settings");
  if (rel == nullptr || rel->part.empty() || !ctx.src.Has(rel->part)) return {};
  return ctx.src.Xml(rel->part).doc->document_element();
}

bool IsEastAsianCompatibility(std::string_view name) {
  return std::find(std::begin(kEastAsianCompatibility), std::end(kEastAsianCompatibility), name) !=
         std::end(kEastAsianCompatibility);
}

// Takes the East Asian compatibility options out of compat, into a <w:compat> of their own
// when there are any.
std::string TakeEastAsianCompatibility(pugi::xml_node compat) {
  std::string taken;
  for (pugi::xml_node c = compat.first_child(); c;) {
    pugi::xml_node next = c.next_sibling();
    if (IsEastAsianCompatibility(c.name())) {
      taken += NodeToString(c);
      compat.remove_child(c);
    }
    c = next;
  }
  return taken.empty() ? taken : "<w:compat>" + taken + "</w:compat>";
}

// Puts the options of a <w:compat> taken by TakeEastAsianCompatibility into the result's.
void PutEastAsianCompatibility(pugi::xml_node root, const std::string& taken) {
  pugi::xml_document parsed;
  if (taken.empty() || !parsed.load_string(taken.c_str())) return;
  pugi::xml_node compat = EnsureOrdered(root, "w:compat", kSettingsOrder);
  for (pugi::xml_node c : parsed.document_element().children()) compat.append_copy(c);
  KeepChildOrder(compat, kCompatibilityOrder);
}

template <std::size_t N>
void ApplySignature(pugi::xml_document& settings, const char* const (&names)[N],
                    const std::string& signature) {
  pugi::xml_node root = settings.document_element();
  std::size_t begin = 0;
  for (const char* name : names) {
    std::size_t end = signature.find(kSeparator, begin);
    if (end == std::string::npos) break;
    std::string xml = signature.substr(begin, end - begin);
    begin = end + 1;
    RemoveChildren(root, name);
    pugi::xml_document parsed;
    if (xml.empty() || !parsed.load_string(xml.c_str())) continue;
    pugi::xml_node place = InsertOrdered(root, name, kSettingsOrder);
    root.insert_copy_after(parsed.document_element(), place);
    root.remove_child(place);
  }
}

}  // namespace

std::string EastAsianSettingsOf(AppendContext& ctx) {
  const pugi::xml_node root = SettingsRootOf(ctx);
  std::string signature;
  for (const char* name : kEastAsianSettings) {
    if (pugi::xml_node n = root.child(name)) signature += NodeToString(n);
    signature += kSeparator;
  }
  pugi::xml_document copy;
  if (pugi::xml_node compat = root.child("w:compat")) {
    signature += TakeEastAsianCompatibility(copy.append_copy(compat));
  }
  return signature + kSeparator;
}

void ApplyEastAsianSettings(pugi::xml_document& settings, const std::string& signature) {
  ApplySignature(settings, kEastAsianSettings, signature);
  // The last field: the East Asian compatibility options.
  const std::size_t end = signature.rfind(kSeparator);
  const std::size_t begin = end == std::string::npos || end == 0
                                ? std::string::npos
                                : signature.rfind(kSeparator, end - 1);
  if (begin == std::string::npos) return;
  pugi::xml_node root = settings.document_element();
  if (pugi::xml_node compat = root.child("w:compat")) TakeEastAsianCompatibility(compat);
  PutEastAsianCompatibility(root, signature.substr(begin + 1, end - begin - 1));
}

std::uint64_t EastAsianCharacters(std::string_view xml) {
  // Kana, CJK punctuation and ideographs, Hangul (U+3000-U+DFFF) and full-width forms
  // (U+FF00-U+FFEF) take three bytes in UTF-8, led by E3-ED or EF BC-BF; markup is ASCII, which
  // is passed over eight bytes at a time (this runs over every document's whole text).
  constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
  std::uint64_t count = 0;
  std::size_t i = 0;
  while (i + 1 < xml.size()) {
    std::uint64_t chunk = 0;
    if (i + sizeof chunk <= xml.size()) {
      std::memcpy(&chunk, xml.data() + i, sizeof chunk);
      if ((chunk & kHighBits) == 0) {
        i += sizeof chunk;
        continue;
      }
    }
    const auto lead = static_cast<unsigned char>(xml[i]);
    const auto next = static_cast<unsigned char>(xml[i + 1]);
    if ((lead >= 0xE3 && lead <= 0xED) || (lead == 0xEF && next >= 0xBC && next <= 0xBF)) {
      ++count;
      i += 3;
    } else {
      ++i;
    }
  }
  return count;
}

std::uint64_t TextBytes(std::string_view xml) {
  std::uint64_t count = 0;
  std::size_t at = xml.find("<w:t");
  while (at != std::string_view::npos) {
    at += 4;
    if (at < xml.size() && (xml[at] == '>' || xml[at] == ' ')) {
      const std::size_t open = xml.find('>', at);
      if (open == std::string_view::npos) break;
      at = open;
      if (xml[open - 1] != '/') {
        const std::size_t close = xml.find("</w:t>", open);
        if (close == std::string_view::npos) break;
        count += close - open - 1;
        at = close;
      }
    }
    at = xml.find("<w:t", at);
  }
  return count;
}

namespace {

constexpr std::string_view kCompatPrefix = "w:compat/";

// A document's layout settings by name: each setting LayoutSettingsOf takes, and each
// compatibility option apart (settings of w:compatSetting by their own name).
std::vector<std::pair<std::string, std::string>> SplitLayoutSettings(const std::string& signature) {
  std::vector<std::pair<std::string, std::string>> out;
  std::size_t begin = 0;
  for (const char* name : kLayoutSettings) {
    const std::size_t end = signature.find(kSeparator, begin);
    if (end == std::string::npos) break;
    const std::string slot = signature.substr(begin, end - begin);
    begin = end + 1;
    if (std::string_view(name) != "w:compat") {
      if (!slot.empty()) out.emplace_back(name, slot);
      continue;
    }
    pugi::xml_document parsed;
    if (!parsed.load_string(slot.c_str())) continue;
    for (pugi::xml_node c : parsed.document_element().children()) {
      if (c.type() != pugi::node_element) continue;
      std::string key = std::string(kCompatPrefix) + c.name();
      if (key == "w:compat/w:compatSetting")
        key += std::string("/") + c.attribute("w:name").value();
      // An option given twice holds as last given, as readers take the options in turn.
      auto given = std::find_if(out.begin(), out.end(),
                                [&key](const auto& option) { return option.first == key; });
      if (given != out.end()) {
        given->second = NodeToString(c);
      } else {
        out.emplace_back(std::move(key), NodeToString(c));
      }
    }
  }
  return out;
}

// Where a compatibility option goes in w:compat: the schema's order, with options it does not
// know after those it does and before the compatSetting elements.
int CompatibilityRank(std::string_view key) {
  std::string_view name = key.substr(kCompatPrefix.size());
  name = name.substr(0, name.find('/'));
  const auto known =
      std::find(std::begin(kCompatibilityOrder), std::end(kCompatibilityOrder), name);
  const auto settingAt = std::end(kCompatibilityOrder) - 1;  // w:compatSetting
  if (known == std::end(kCompatibilityOrder)) {
    return 2 * static_cast<int>(settingAt - std::begin(kCompatibilityOrder)) - 1;
  }
  return 2 * static_cast<int>(known - std::begin(kCompatibilityOrder));
}

}  // namespace

bool LayoutVote::Add(const std::string& signature, std::uint64_t weight, bool first) {
  const std::vector<std::pair<std::string, std::string>> own = SplitLayoutSettings(signature);
  total_ += weight;
  for (const auto& [name, value] : own) {
    auto [it, fresh] = settings_.try_emplace(name);
    if (fresh) {
      order_.push_back(name);
      if (name.starts_with(kCompatPrefix)) it->second.rank = CompatibilityRank(name);
    }
    it->second.weights[value] += weight;
    it->second.stated += weight;
  }
  bool changed = first;
  for (auto& [name, setting] : settings_) {
    std::string best;
    if (first) {
      const std::string& key = name;  // clang 14 cannot capture a structured binding
      auto mine =
          std::find_if(own.begin(), own.end(), [&key](const auto& o) { return o.first == key; });
      if (mine != own.end()) best = mine->second;
    } else {
      const std::uint64_t unstated = total_ - setting.stated;
      best = setting.value;
      std::uint64_t bestWeight = best.empty() ? unstated : setting.weights[best];
      if (unstated > bestWeight) {
        best.clear();
        bestWeight = unstated;
      }
      for (const auto& [value, w] : setting.weights) {
        if (w > bestWeight) {
          best = value;
          bestWeight = w;
        }
      }
    }
    if (best != setting.value) {
      setting.value = std::move(best);
      changed = true;
    }
  }
  if (!changed) return false;
  // The options in w:compat's order, those of one rank (the compatSetting elements) as first met.
  std::vector<const Setting*> options;
  for (const std::string& name : order_) {
    const Setting& setting = settings_[name];
    if (name.starts_with(kCompatPrefix) && !setting.value.empty()) options.push_back(&setting);
  }
  std::stable_sort(options.begin(), options.end(),
                   [](const Setting* a, const Setting* b) { return a->rank < b->rank; });
  result_.clear();
  for (const char* name : kLayoutSettings) {
    if (std::string_view(name) == "w:compat") {
      result_ += "<w:compat>";
      for (const Setting* option : options) result_ += option->value;
      result_ += "</w:compat>";
    } else {
      result_ += settings_[name].value;
    }
    result_ += kSeparator;
  }
  return true;
}

std::string LayoutSettingsOf(AppendContext& ctx) {
  const pugi::xml_node root = SettingsRootOf(ctx);
  std::string_view view = root.child("w:view").attribute("w:val").value();
  if (view != "none" && view != "print") ctx.out.view = view;
  std::string signature;
  for (const char* name : kLayoutSettings) {
    pugi::xml_node n = root.child(name);
    if (n && std::string_view(name) == "w:footnotePr") {
      // Where footnotes go (below the text or at the page bottom) holds for the whole result;
      // the rest of these settings each section states for itself.
      if (pugi::xml_node pos = n.child("w:pos")) {
        signature += "<w:footnotePr>" + NodeToString(pos) + "</w:footnotePr>";
      }
    } else if (std::string_view(name) == "w:compat") {
      // Whether the spaces after one paragraph and before the next add up is kept off in the
      // result; a document written with it on states the sums in its own paragraphs.
      pugi::xml_document copy;
      pugi::xml_node compat = n ? copy.append_copy(n) : copy.append_child("w:compat");
      if (pugi::xml_node sum = compat.child("w:doNotUseHTMLParagraphAutoSpacing")) {
        ctx.sumsParagraphSpacing = IsOn(sum);
        compat.remove_child(sum);
      }
      // The result is laid out as a current Word document; one written for an older Word
      // (no mode stated means Word 2007) keeps its tables where they were.
      long mode = 12;
      for (pugi::xml_node c = compat.first_child(); c;) {
        pugi::xml_node next = c.next_sibling();
        if (std::string_view(c.name()) == "w:compatSetting" &&
            std::string_view(c.attribute("w:name").value()) == "compatibilityMode") {
          mode = c.attribute("w:val").as_int(12);
          compat.remove_child(c);
        }
        c = next;
      }
      ctx.olderLayout = mode < kCurrentCompatibilityMode;
      TakeEastAsianCompatibility(compat);
      for (pugi::xml_node c : compat.children("w:compatSetting")) {
        if (std::string_view(c.attribute("w:name").value()) ==
            "overrideTableStyleFontSizeAndJustification") {
          ctx.defaultStyleYieldsToTableStyles = !IsOn(c.attribute("w:val"));
        }
      }
      pugi::xml_node current = compat.append_child("w:compatSetting");
      current.append_attribute("w:name").set_value("compatibilityMode");
      current.append_attribute("w:uri").set_value("http://schemas.microsoft.com/office/word");
      current.append_attribute("w:val").set_value(kCurrentCompatibilityMode);
      signature += NodeToString(compat);
    } else if (n) {
      signature += NodeToString(n);
    }
    signature += kSeparator;
  }
  return signature;
}

void ApplyLayoutSettings(pugi::xml_document& settings, const std::string& signature) {
  // The East Asian compatibility options the result has stay: they are voted apart.
  pugi::xml_node root = settings.document_element();
  std::string eastAsian;
  if (pugi::xml_node compat = root.child("w:compat"))
    eastAsian = TakeEastAsianCompatibility(compat);
  ApplySignature(settings, kLayoutSettings, signature);
  PutEastAsianCompatibility(root, eastAsian);
}

}  // namespace plenwick::word::engine
