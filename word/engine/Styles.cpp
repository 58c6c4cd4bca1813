// Styles: the first document's styles become the result's; a later document's style is shared
// when the result has one of that name with the same definition, and kept apart (fresh id and
// name) when it differs. Only styles the text uses are taken, with what they are based on.
#include <algorithm>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "word/ElementOrder.h"
#include "word/engine/Append.h"
#include "word/engine/StyleNameKey.h"
#include "word/engine/TableConditions.h"
#include "word/engine/Xml.h"

namespace plenwick::word::engine {

namespace {

const char* const kNs = "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"";

// Some writers state a style's property twice (LibreOffice 5 its headings' outline level); a
// property may be stated once. The last one is kept, as a reader reading in order ends with it.
void DropRepeatedProperties(pugi::xml_node properties) {
  for (pugi::xml_node c = properties.first_child(); c;) {
    pugi::xml_node next = c.next_sibling();
    if (c.type() == pugi::node_element && c.next_sibling(c.name())) properties.remove_child(c);
    c = next;
  }
}

std::string DefaultsKey(pugi::xml_node docDefaults) {
  return docDefaults ? NodeToString(docDefaults) : std::string();
}

// Paragraph defaults that say what Word takes when nothing is said, and that LibreOffice reads
// as more: automatic spacing switched off (it lays out every later document's lists and table
// cells tighter) and borders that are all none (it drops the cell margins of every later table
// that names its table style). The result's defaults leave them out.
void LeaveOutWhatWordTakesAnyway(pugi::xml_node pPr) {
  pugi::xml_node spacing = pPr.child("w:spacing");
  for (const char* automatic : {"w:beforeAutospacing", "w:afterAutospacing"}) {
    pugi::xml_attribute a = spacing.attribute(automatic);
    if (a && !IsOn(a)) spacing.remove_attribute(a);
  }
  if (pugi::xml_node borders = pPr.child("w:pBdr")) {
    bool drawn = false;
    for (pugi::xml_node side : borders.children()) {
      std::string_view kind = side.attribute("w:val").value();
      drawn = drawn || (kind != "none" && kind != "nil");
    }
    if (!drawn) pPr.remove_child(borders);
  }
}

// Whether the defaults name theme fonts or colours (w:asciiTheme, w:cstheme, w:themeColor...).
bool NamesTheTheme(pugi::xml_node docDefaults) {
  bool names = false;
  WalkElements(docDefaults, [&names](pugi::xml_node node) {
    for (pugi::xml_attribute a = node.first_attribute(); a && !names; a = a.next_attribute()) {
      std::string_view n = a.name();
      names =
          n.find("Theme") != std::string_view::npos || n.starts_with("w:theme") || n == "w:cstheme";
    }
    return !names;
  });
  return names;
}

// Attributes that set one property between them: a font by name or from the theme, an indent
// side by its left-to-right or its bidirectional name, in twips or in characters, and the first
// line indented or hanging. Stating one of a group next to another makes an indent that readers
// take differently: LibreOffice reads a carried first-line indent of 0 next to a document's own
// hanging indent as no hanging indent at all.
bool SetsSame(pugi::xml_node element, std::string_view attr) {
  static constexpr std::array<std::array<std::string_view, 4>, 7> kGroups = {{
      {"w:ascii", "w:asciiTheme", "", ""},
      {"w:hAnsi", "w:hAnsiTheme", "", ""},
      {"w:eastAsia", "w:eastAsiaTheme", "", ""},
      {"w:cs", "w:cstheme", "", ""},
      {"w:left", "w:start", "w:leftChars", "w:startChars"},
      {"w:right", "w:end", "w:rightChars", "w:endChars"},
      {"w:firstLine", "w:hanging", "w:firstLineChars", "w:hangingChars"},
  }};
  for (const auto& group : kGroups) {
    if (std::find(group.begin(), group.end(), attr) == group.end()) continue;
    for (std::string_view member : group) {
      if (!member.empty() && element.attribute(std::string(member).c_str())) return true;
    }
    return false;
  }
  return bool(element.attribute(std::string(attr).c_str()));
}

// Whether an element's attributes are properties of their own (space before, after, line; each
// side of an indent; a font or language per script). Any other element is one property with its
// attributes: a toggle stated without a value is on, and a colour stated plainly means no theme
// colour, so a value or a theme colour carried into it from the defaults would change it.
bool AttributesApart(std::string_view element) {
  return element == "w:spacing" || element == "w:ind" || element == "w:rFonts" ||
         element == "w:lang";
}

// Adds to `target` every property of `defaults` it does not set itself.
void MergeProperties(pugi::xml_node target, pugi::xml_node defaults,
                     std::span<const char* const> order) {
  for (pugi::xml_node d : defaults.children()) {
    if (d.type() != pugi::node_element) continue;
    if (pugi::xml_node own = target.child(d.name())) {
      if (!AttributesApart(d.name())) continue;
      for (pugi::xml_attribute a : d.attributes()) {
        if (SetsSame(own, a.name())) continue;
        own.append_attribute(a.name()).set_value(a.value());
      }
      continue;
    }
    pugi::xml_node placeholder =
        order.empty() ? target.append_child(d.name()) : InsertOrdered(target, d.name(), order);
    target.insert_copy_after(d, placeholder);
    target.remove_child(placeholder);
  }
}

// What a word processor uses for a property nobody sets.
std::string NeutralValue(std::string_view name) {
  static const std::map<std::string, std::string, std::less<>> kNeutral = {
      {"w:spacing", "<w:spacing w:before=\"0\" w:after=\"0\" w:line=\"240\" w:lineRule=\"auto\"/>"},
      {"w:ind", "<w:ind w:left=\"0\" w:right=\"0\" w:firstLine=\"0\"/>"},
      {"w:jc", "<w:jc w:val=\"left\"/>"},
      {"w:contextualSpacing", "<w:contextualSpacing w:val=\"0\"/>"},
      {"w:keepNext", "<w:keepNext w:val=\"0\"/>"},
      {"w:keepLines", "<w:keepLines w:val=\"0\"/>"},
      {"w:widowControl", "<w:widowControl w:val=\"0\"/>"},
      {"w:rFonts",
       "<w:rFonts w:ascii=\"Times New Roman\" w:hAnsi=\"Times New Roman\" "
       "w:eastAsia=\"Times New Roman\" w:cs=\"Times New Roman\"/>"},
      {"w:sz", "<w:sz w:val=\"20\"/>"},
      {"w:szCs", "<w:szCs w:val=\"20\"/>"},
      {"w:b", "<w:b w:val=\"0\"/>"},
      {"w:i", "<w:i w:val=\"0\"/>"},
      {"w:color", "<w:color w:val=\"auto\"/>"},
      {"w:kern", "<w:kern w:val=\"0\"/>"},
  };
  auto neutral = kNeutral.find(name);
  return neutral == kNeutral.end() ? std::string() : neutral->second;
}

// Gives `mine` the neutral value of every property `other` sets and `mine` leaves alone.
// Spacing and indents are several properties in one element and are filled attribute by
// attribute: a document that sets only the space after still means single lines. Fonts stay
// whole: their theme and explicit halves go together.
void FillUnset(pugi::xml_node mine, pugi::xml_node other, bool ordered) {
  for (pugi::xml_node c : other.children()) {
    if (c.type() != pugi::node_element) continue;
    std::string neutralXml = NeutralValue(c.name());
    if (neutralXml.empty()) continue;
    pugi::xml_document value;
    value.load_string(("<x " + std::string(kNs) + ">" + neutralXml + "</x>").c_str());
    pugi::xml_node v = value.document_element().first_child();
    if (pugi::xml_node own = mine.child(c.name())) {
      if (std::string_view(c.name()) == "w:rFonts" || !AttributesApart(c.name())) continue;
      for (pugi::xml_attribute a : c.attributes()) {
        pugi::xml_attribute known = v.attribute(a.name());
        if (!known || SetsSame(own, a.name())) continue;
        own.append_attribute(a.name()).set_value(known.value());
      }
      continue;
    }
    pugi::xml_node place = ordered ? InsertOrdered(mine, c.name(), ParagraphPropertyOrder())
                                   : mine.append_child(c.name());
    mine.insert_copy_after(v, place);
    mine.remove_child(place);
  }
}

// The settings of spacing and indent a paragraph style may leave to the defaults below it, each
// made of attributes that go together, with the value a word processor uses when none is set.
struct StatedLayoutGroup {
  const char* element;
  std::array<std::string_view, 4> members;
  std::array<std::pair<const char*, const char*>, 2> neutral;
};
constexpr StatedLayoutGroup kStatedLayoutGroups[] = {
    {"w:spacing", {"w:before", "w:beforeLines", "w:beforeAutospacing", ""}, {{{"w:before", "0"}}}},
    {"w:spacing", {"w:after", "w:afterLines", "w:afterAutospacing", ""}, {{{"w:after", "0"}}}},
    {"w:spacing", {"w:line", "w:lineRule", "", ""}, {{{"w:line", "240"}, {"w:lineRule", "auto"}}}},
    {"w:ind", {"w:left", "w:start", "w:leftChars", "w:startChars"}, {{{"w:left", "0"}}}},
    {"w:ind", {"w:right", "w:end", "w:rightChars", "w:endChars"}, {{{"w:right", "0"}}}},
    {"w:ind",
     {"w:firstLine", "w:hanging", "w:firstLineChars", "w:hangingChars"},
     {{{"w:firstLine", "0"}}}},
};

bool SetsGroup(pugi::xml_node properties, const StatedLayoutGroup& group) {
  pugi::xml_node element = properties.child(group.element);
  for (std::string_view member : group.members) {
    if (!member.empty() && element.attribute(std::string(member).c_str())) return true;
  }
  return false;
}

// One bit for each of kStatedLayoutGroups that paragraph properties set.
unsigned LayoutGroupsSetBy(pugi::xml_node pPr) {
  unsigned groups = 0;
  for (std::size_t g = 0; g < std::size(kStatedLayoutGroups); ++g) {
    if (SetsGroup(pPr, kStatedLayoutGroups[g])) groups |= 1u << g;
  }
  return groups;
}

// A paragraph style based on no other takes what it leaves unset from the defaults alone, in Word.
// LibreOffice, for a paragraph that states only one half of its spacing or indent, looks for the
// other half in the style's chain and the defaults, and where neither sets it, takes a value its
// import holds from elsewhere: the result's default paragraph style's space after reached a later
// document's paragraphs. So such a style states, of what the result's default style sets, what it
// takes from its own defaults, and Word sees the same. `owner` holds the paragraph properties: a
// style, or the defaults' w:pPrDefault.
void StateWhatTheDefaultsGive(pugi::xml_node owner, pugi::xml_node defaultsPPr, unsigned groups) {
  for (std::size_t g = 0; g < std::size(kStatedLayoutGroups); ++g) {
    const StatedLayoutGroup& group = kStatedLayoutGroups[g];
    if ((groups & (1u << g)) == 0 || SetsGroup(owner.child("w:pPr"), group)) continue;
    pugi::xml_node pPr = EnsureOrdered(owner, "w:pPr", word::kStyleOrder);
    pugi::xml_node own = pPr.child(group.element);
    if (!own) own = InsertOrdered(pPr, group.element, ParagraphPropertyOrder());
    if (SetsGroup(defaultsPPr, group)) {
      for (pugi::xml_attribute a : defaultsPPr.child(group.element).attributes()) {
        if (std::find(group.members.begin(), group.members.end(), a.name()) != group.members.end())
          own.append_copy(a);
      }
      continue;
    }
    for (const auto& [name, value] : group.neutral) {
      if (name != nullptr) own.append_attribute(name).set_value(value);
    }
  }
}

// LibreOffice gives a paragraph that states only one side of its spacing the other side from
// the defaults, and where the result's defaults leave that side unset, it takes it from the style
// of an earlier paragraph ending a section: a later document's paragraphs took another
// document's space after. The result's defaults state none before and after where the first
// document sets nothing, which is what Word takes when nothing is set.
void StateNoSpaceUnlessSet(pugi::xml_node pPrDefault) {
  StateWhatTheDefaultsGive(pPrDefault, pugi::xml_node(), 0b11);  // the space before and after
}

// A document without a default paragraph style lays out the paragraphs that name no style with
// its defaults alone, as under an empty Normal style. Joined after another document they would
// take the result's default paragraph style, the other document's, with its font and spacing;
// an empty default style of their own keeps them as they were. The parsed part may be shared by
// several documents and is indexed once, so the style is added before any index is made and
// only where none is yet.
void GiveUnstyledParagraphsAStyle(pugi::xml_node styles) {
  pugi::xml_node named;  // a paragraph style called Normal, not marked as the default
  for (pugi::xml_node s : styles.children("w:style")) {
    std::string_view type = s.attribute("w:type").value();
    if (type != "paragraph" && !type.empty()) continue;
    if (s.attribute("w:default").as_bool()) return;
    // Older LibreOffice names its default "Normal" without marking it: that one is meant.
    std::string_view name = s.child("w:name").attribute("w:val").value();
    if (!named && (std::string_view(s.attribute("w:styleId").value()) == "Normal" ||
                   name == "Normal" || name == "normal")) {
      named = s;
    }
  }
  if (named) {
    // Marked, so that the paragraphs naming no style keep it after another document too.
    pugi::xml_attribute marked = named.attribute("w:default");
    if (!marked) marked = named.append_attribute("w:default");
    marked.set_value("1");
    return;
  }
  pugi::xml_node style = styles.append_child("w:style");
  style.append_attribute("w:type").set_value("paragraph");
  style.append_attribute("w:default").set_value("1");
  style.append_attribute("w:styleId").set_value("Normal");
  style.append_child("w:name").append_attribute("w:val").set_value("Normal");
}

}  // namespace

void StyleMapper::Load() {
  const Relationship* rel = ctx_.src.RelOfKind(ctx_.src.mainPart(), "styles");
  if (rel == nullptr || rel->part.empty() || !ctx_.src.Has(rel->part)) return;
  XmlPart& part = ctx_.src.Xml(rel->part, ctx_.result.sharedStyles);
  part_ = &part;
  stylesRoot_ = part.doc->document_element();
  if (std::string_view(stylesRoot_.name()) != "w:styles") {
    stylesRoot_ = pugi::xml_node();
    return;
  }
  GiveUnstyledParagraphsAStyle(stylesRoot_);
  index_ = ctx_.result.styleIndexes.For(part.doc, stylesRoot_);
  docDefaults_ = stylesRoot_.child("w:docDefaults");
  ResultIndex& index = ctx_.result.index;

  if (ctx_.first) {
    // The result takes this document's defaults and starts its style index afresh.
    auto savedByName = index.stylesByName;
    auto savedIds = index.styleIds;
    auto savedNames = index.styleNames;
    auto savedDefault = index.defaultParagraphStyle;
    auto savedTable = index.defaultTableStyle;
    auto savedKey = index.docDefaultsKey;
    const unsigned savedLayout = index.defaultParagraphLayout;
    ctx_.journal.Record([&index, savedByName, savedIds, savedNames, savedDefault, savedTable,
                         savedKey, savedLayout] {
      index.stylesByName = savedByName;
      index.styleIds = savedIds;
      index.styleNames = savedNames;
      index.nextStyleIdNumber.clear();
      index.nextStyleNameNumber.clear();
      index.defaultParagraphStyle = savedDefault;
      index.defaultTableStyle = savedTable;
      index.docDefaultsKey = savedKey;
      index.defaultParagraphLayout = savedLayout;
    });
    index.stylesByName.clear();
    index.styleIds.clear();
    index.styleNames.clear();
    index.nextStyleIdNumber.clear();
    index.nextStyleNameNumber.clear();
    index.defaultParagraphStyle.clear();
    index.defaultParagraphLayout = 0;
    index.defaultTableStyle.clear();
    index.docDefaultsKey = DefaultsKey(docDefaults_);
    std::string head =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n<w:styles" +
        StandardNamespaceDeclarations() + " mc:Ignorable=\"" + StandardIgnorable() + "\">";
    // Paragraph defaults are stated even when empty: LibreOffice takes Word's only where they
    // are, and otherwise lays out every later document that stated them with its own (widows
    // and orphans kept apart), while to Word an empty one says what none does.
    pugi::xml_document scratch;
    pugi::xml_node copy =
        docDefaults_ ? scratch.append_copy(docDefaults_) : scratch.append_child("w:docDefaults");
    RewriteStory(ctx_, copy, StoryOptions{});
    if (!copy.child("w:pPrDefault")) copy.append_child("w:pPrDefault");
    LeaveOutWhatWordTakesAnyway(copy.child("w:pPrDefault").child("w:pPr"));
    StateNoSpaceUnlessSet(copy.child("w:pPrDefault"));
    std::string latent;
    if (pugi::xml_node l = stylesRoot_.child("w:latentStyles")) latent = NodeToString(l);
    ctx_.out.stylesHead = head + NodeToString(copy) + latent;
    LeaveLinesUncounted(copy);
    ctx_.out.stylesHeadUncounted = head + NodeToString(copy) + latent;
  } else {
    // Defaults naming the theme's fonts or colours mean others under the result's theme,
    // although they read the same.
    mergeDefaults_ = DefaultsKey(docDefaults_) != index.docDefaultsKey ||
                     (ctx_.theme.Differs() && NamesTheTheme(docDefaults_));
    if (mergeDefaults_) BuildEffectiveDefaults();
  }

  for (pugi::xml_node s : index_->defaults) {
    std::string_view type = s.attribute("w:type").value();
    if (type == "paragraph" && paragraphDefault_.empty()) {
      std::string mapped = Map(s.attribute("w:styleId").value());
      if (ctx_.first) {
        index.defaultParagraphStyle = mapped;
        index.defaultParagraphLayout = LayoutGroupsSetBy(s.child("w:pPr"));
      } else if (mapped != index.defaultParagraphStyle) {
        // Named by its source id: the story walk maps it like any other reference.
        paragraphDefault_ = s.attribute("w:styleId").value();
      }
    } else if (ctx_.first) {
      // The result's default styles of every kind are this document's, whether its text names
      // them or not: text that names no style falls back on them, and a later document's style
      // of the same id must not take their place. (A default table style unmapped here went to
      // the next document that had one, whose text sizes and spacing then reached this
      // document's tables.)
      std::string mapped = Map(s.attribute("w:styleId").value());
      if (type == "table" && index.defaultTableStyle.empty()) index.defaultTableStyle = mapped;
    } else if (type == "table" && tableDefault_.empty()) {
      std::string mapped = Map(s.attribute("w:styleId").value());
      // Tables name their style when the document's default table style is not the result's, or
      // carries paragraph defaults the result's does not.
      if (mergeDefaults_ || mapped != index.defaultTableStyle)
        tableDefault_ = s.attribute("w:styleId").value();
    }
  }
}

// What this document's text falls back on: its own defaults, and where the result's defaults set
// something this document leaves alone, the value a word processor uses when nothing is set.
void StyleMapper::BuildEffectiveDefaults() {
  pugi::xml_node effective = effective_.append_child("w:docDefaults");
  pugi::xml_node pPr = effective.append_child("w:pPrDefault").append_child("w:pPr");
  pugi::xml_node rPr = effective.append_child("w:rPrDefault").append_child("w:rPr");
  if (docDefaults_) {
    for (pugi::xml_node c : docDefaults_.child("w:pPrDefault").child("w:pPr").children()) {
      pPr.append_copy(c);
    }
    for (pugi::xml_node c : docDefaults_.child("w:rPrDefault").child("w:rPr").children()) {
      rPr.append_copy(c);
    }
  }
  std::string resultDefaults = ctx_.result.index.docDefaultsKey;
  if (resultDefaults.empty()) {
    // The result has no defaults of its own, so each word processor takes its own: Word the
    // values of NeutralValue, LibreOffice others (11 pt, kerning). This document's text keeps
    // what it fell back on alone.
    resultDefaults = std::string("<w:docDefaults ") + kNs + "><w:rPrDefault><w:rPr>";
    for (const char* name : {"w:rFonts", "w:b", "w:i", "w:color", "w:kern", "w:sz", "w:szCs"}) {
      resultDefaults += NeutralValue(name);
    }
    resultDefaults += "</w:rPr></w:rPrDefault><w:pPrDefault><w:pPr>";
    for (const char* name :
         {"w:keepNext", "w:keepLines", "w:spacing", "w:ind", "w:contextualSpacing", "w:jc"}) {
      resultDefaults += NeutralValue(name);
    }
    resultDefaults += "</w:pPr></w:pPrDefault></w:docDefaults>";
  }
  pugi::xml_document result;
  result.load_string(resultDefaults.c_str());
  pugi::xml_node theirs = result.document_element();
  FillUnset(pPr, theirs.child("w:pPrDefault").child("w:pPr"), true);
  FillUnset(rPr, theirs.child("w:rPrDefault").child("w:rPr"), false);
  docDefaults_ = effective;
  pugi::xml_node colour = theirs.child("w:rPrDefault").child("w:rPr").child("w:color");
  if (colour) {
    resultColour_.append_copy(colour);
  } else {
    resultColour_.load_string(("<w:color " + std::string(kNs) + " w:val=\"auto\"/>").c_str());
  }
}

std::string StyleMapper::Map(const std::string& id) {
  auto known = mapped_.find(id);
  if (known != mapped_.end()) return known->second;
  auto node = index_->byId.find(id);
  if (node == index_->byId.end() || inProgress_.count(id) != 0) return "";
  return MapOne(node->second);
}

std::string StyleMapper::MapOne(pugi::xml_node style) {
  const std::string srcId = style.attribute("w:styleId").value();
  inProgress_.insert(srcId);
  auto holder = std::make_shared<pugi::xml_document>();
  pugi::xml_node copy = holder->append_copy(style);
  std::string type = copy.attribute("w:type").value();
  if (type.empty()) type = "paragraph";

  if (pugi::xml_node basedOn = copy.child("w:basedOn")) {
    std::string mapped = Map(basedOn.attribute("w:val").value());
    if (mapped.empty()) {
      copy.remove_child(basedOn);
    } else {
      basedOn.attribute("w:val").set_value(mapped.c_str());
    }
  }
  RemoveChildren(copy, "w:rsid");
  DropRepeatedProperties(copy.child("w:pPr"));
  DropRepeatedProperties(copy.child("w:rPr"));
  const bool isDefault = copy.attribute("w:default").as_bool();
  copy.remove_attribute("w:default");
  if (mergeDefaults_ && (type == "paragraph" || type == "table") && !copy.child("w:basedOn") &&
      docDefaults_) {
    // The result's defaults are another document's: make this document's own explicit. A table
    // style ranks above the defaults and below the paragraph style, so stating them there too
    // changes nothing in Word; LibreOffice lays out cell text with the result's defaults carried
    // through the table style otherwise.
    if (pugi::xml_node pPr = docDefaults_.child("w:pPrDefault").child("w:pPr")) {
      MergeProperties(EnsureOrdered(copy, "w:pPr", word::kStyleOrder), pPr,
                      ParagraphPropertyOrder());
    }
    if (pugi::xml_node rPr = docDefaults_.child("w:rPrDefault").child("w:rPr")) {
      MergeProperties(EnsureOrdered(copy, "w:rPr", word::kStyleOrder), rPr, {});
    }
  }
  if (!ctx_.first && type == "paragraph" && !copy.child("w:basedOn")) {
    StateWhatTheDefaultsGive(copy, docDefaults_.child("w:pPrDefault").child("w:pPr"),
                             ctx_.result.index.defaultParagraphLayout);
  }
  RewriteStory(ctx_, copy, StoryOptions{});

  copy.remove_attribute("w:styleId");
  std::string key = type + NodeToString(copy);
  const std::size_t keyHash = std::hash<std::string>{}(key);
  std::string name = copy.child("w:name").attribute("w:val").value();
  if (name.empty()) name = srcId;

  ResultIndex& index = ctx_.result.index;
  // Styles are matched by the name their document gave them: ids are localised.
  const std::string sourceName = Fold(name);
  std::string result;
  for (const StyleRecord& r : index.stylesByName[sourceName]) {
    if (r.keyHash == keyHash && r.type == type && r.key == key) result = r.id;
  }
  if (result.empty()) {
    // The first free number from where the last search for this id or name ended; a failed
    // append forgets where its own searches ended.
    auto resume = [this](std::map<std::string, long>& next, const std::string& base, long found) {
      auto [it, fresh] = next.try_emplace(base, found + 1);
      if (!fresh) it->second = found + 1;
      ctx_.journal.Record([&next, base] { next.erase(base); });
    };
    result = srcId;
    if (index.styleIds.count(Fold(result)) != 0) {
      auto hint = index.nextStyleIdNumber.find(srcId);
      long n = hint == index.nextStyleIdNumber.end() ? 2 : hint->second;
      for (;; ++n) {
        result = srcId + "-" + std::to_string(n);
        if (index.styleIds.count(Fold(result)) == 0) break;
      }
      resume(index.nextStyleIdNumber, srcId, n);
    }
    if (index.styleNames.count(StyleNameKey(name)) != 0) {
      auto hint = index.nextStyleNameNumber.find(name);
      long n = hint == index.nextStyleNameNumber.end() ? 2 : hint->second;
      std::string fresh;
      for (;; ++n) {
        fresh = name + " " + std::to_string(n);
        if (index.styleNames.count(StyleNameKey(fresh)) == 0) break;
      }
      resume(index.nextStyleNameNumber, name, n);
      name = fresh;
      pugi::xml_node nameNode = copy.child("w:name");
      if (!nameNode) nameNode = copy.prepend_child("w:name");
      if (!nameNode.attribute("w:val")) nameNode.append_attribute("w:val");
      nameNode.attribute("w:val").set_value(name.c_str());
    }
    JournalInsert(ctx_, index.styleIds, Fold(result));
    JournalInsert(ctx_, index.styleNames, StyleNameKey(name));
    index.stylesByName[sourceName].push_back(StyleRecord{result, type, key, keyHash});
    std::string folded = sourceName;
    ctx_.journal.Record([&index, folded] {
      auto& list = index.stylesByName[folded];
      if (!list.empty()) list.pop_back();
    });
    if (ctx_.first && isDefault) copy.append_attribute("w:default").set_value("1");
    copy.append_attribute("w:styleId").set_value(result.c_str());
    added_.emplace_back(copy, result);
    holders_.push_back(holder);
  }
  mapped_[srcId] = result;
  inProgress_.erase(srcId);
  return result;
}

// A property a table style may give the text of its cells: an element of the paragraph (w:pPr)
// or run (w:rPr) properties, or the attributes of one that together make one setting (a line
// height and its rule, a first-line or hanging indent).
struct CellProperty {
  const char* container;
  const char* element;
  std::array<const char*, 2> attributes;  // none: the whole element

  bool SetBy(pugi::xml_node properties) const {
    pugi::xml_node e = properties.child(element);
    if (!e || attributes[0] == nullptr) return bool(e);
    for (const char* a : attributes) {
      if (a != nullptr && e.attribute(a)) return true;
    }
    return false;
  }

  // Gives `owner` (a paragraph or run) this property with the attributes of `value`.
  void Give(pugi::xml_node owner, pugi::xml_node value, const char* propertiesName) const {
    pugi::xml_node properties = owner.child(propertiesName);
    if (!properties) properties = owner.prepend_child(propertiesName);
    const bool whole = attributes[0] == nullptr;
    pugi::xml_node own = properties.child(element);
    if (own && whole) properties.remove_child(std::exchange(own, pugi::xml_node()));
    if (!own) {
      own = std::string_view(propertiesName) == "w:pPr"
                ? InsertOrdered(properties, element, ParagraphPropertyOrder())
                : properties.append_child(element);
    }
    for (pugi::xml_attribute a : value.attributes()) {
      if (whole || a.name() == std::string_view(attributes[0]) ||
          (attributes[1] != nullptr && a.name() == std::string_view(attributes[1]))) {
        own.append_copy(a);
      }
    }
  }
};

constexpr CellProperty kCellProperties[] = {
    {"w:pPr", "w:spacing", {"w:before", "w:beforeAutospacing"}},
    {"w:pPr", "w:spacing", {"w:after", "w:afterAutospacing"}},
    {"w:pPr", "w:spacing", {"w:line", "w:lineRule"}},
    {"w:pPr", "w:ind", {"w:left", "w:start"}},
    {"w:pPr", "w:ind", {"w:right", "w:end"}},
    {"w:pPr", "w:ind", {"w:firstLine", "w:hanging"}},
    {"w:pPr", "w:jc", {nullptr, nullptr}},
    {"w:pPr", "w:contextualSpacing", {nullptr, nullptr}},
    {"w:rPr", "w:rFonts", {nullptr, nullptr}},
    {"w:rPr", "w:sz", {nullptr, nullptr}},
    {"w:rPr", "w:szCs", {nullptr, nullptr}},
    {"w:rPr", "w:b", {nullptr, nullptr}},
    {"w:rPr", "w:i", {nullptr, nullptr}},
    {"w:rPr", "w:color", {nullptr, nullptr}}};

// The runs of a paragraph, in links, fields and tracked changes too, but not those of the
// paragraphs of a text box inside it.
std::vector<pugi::xml_node> RunsOf(pugi::xml_node paragraph) {
  std::vector<pugi::xml_node> runs;
  std::vector<pugi::xml_node> pending{paragraph};
  while (!pending.empty()) {
    pugi::xml_node n = pending.back();
    pending.pop_back();
    for (pugi::xml_node c : n.children()) {
      std::string_view name = c.name();
      if (name == "w:r") {
        runs.push_back(c);
      } else if (c.type() == pugi::node_element && name != "w:p" && name != "w:pPr") {
        pending.push_back(c);
      }
    }
  }
  return runs;
}

pugi::xml_node StyleMapper::FindInChain(
    std::string id, const std::function<pugi::xml_node(pugi::xml_node style)>& find) const {
  for (int depth = 0; depth < 32 && !id.empty(); ++depth) {
    auto style = index_->byId.find(id);
    if (style == index_->byId.end()) break;
    if (pugi::xml_node found = find(style->second)) return found;
    id = style->second.child("w:basedOn").attribute("w:val").value();
  }
  return {};
}

pugi::xml_node StyleMapper::ChainSetting(std::string id, const CellProperty& property) const {
  return FindInChain(std::move(id), [&](pugi::xml_node style) {
    pugi::xml_node properties = style.child(property.container);
    return property.SetBy(properties) ? properties.child(property.element) : pugi::xml_node();
  });
}

std::vector<std::pair<const CellProperty*, std::string>> StyleMapper::OverDefaultStyle(
    pugi::xml_node table) const {
  std::vector<std::pair<const CellProperty*, std::string>> out;
  if (!ctx_.defaultStyleYieldsToTableStyles || paragraphDefault_.empty()) return out;
  if (*table.child("w:tblPr").child("w:tblStyle").attribute("w:val").value() == '\0') return out;
  const std::string defaultStyle = SourceDefault("paragraph");

  // Only a size the table style sets itself: where it sets none, Word keeps the default style's
  // (LibreOffice takes the document defaults' instead, which Word does not).
  static constexpr CellProperty kSize = {"w:rPr", "w:sz", {nullptr, nullptr}};
  pugi::xml_node ownSize = ChainSetting(defaultStyle, kSize);
  if (!ownSize) ownSize = docDefaults_.child("w:rPrDefault").child("w:rPr").child("w:sz");
  const std::string_view own = ownSize.attribute("w:val").value();
  if (own == "22" || own == "24") out.emplace_back(&kSize, own);

  static constexpr CellProperty kJustification = {"w:pPr", "w:jc", {nullptr, nullptr}};
  const std::string_view ownJc =
      ChainSetting(defaultStyle, kJustification).attribute("w:val").value();
  if (ownJc == "left" || ownJc == "start") out.emplace_back(&kJustification, ownJc);
  return out;
}

void StyleMapper::KeepTableParagraphLook(pugi::xml_node table) {
  const auto overDefault = OverDefaultStyle(table);
  if (overDefault.empty() && !mergeDefaults_) return;
  std::string tableStyle = table.child("w:tblPr").child("w:tblStyle").attribute("w:val").value();
  if (tableStyle.empty()) tableStyle = SourceDefault("table");
  const std::string paragraphStyle = SourceDefault("paragraph");
  // The style's conditional formats (its first row's, a band's) outrank its whole-table ones
  // and, alone, the document defaults as well.
  auto conditional = [&](const char* type, const CellProperty& property) {
    return FindInChain(tableStyle, [&](pugi::xml_node style) {
      pugi::xml_node pr =
          style.find_child_by_attribute("w:tblStylePr", "w:type", type).child(property.container);
      return property.SetBy(pr) ? pr.child(property.element) : pugi::xml_node();
    });
  };
  auto styleValue = [&](const std::vector<const char*>& types, const CellProperty& property) {
    pugi::xml_node value;
    for (auto t = types.rbegin(); t != types.rend() && !value; ++t) {
      value = conditional(*t, property);
    }
    return value ? value : ChainSetting(tableStyle, property);
  };
  auto bandSize = [&](const char* name) {
    pugi::xml_node own = table.child("w:tblPr").child(name);
    if (!own) {
      own = FindInChain(tableStyle,
                        [&](pugi::xml_node style) { return style.child("w:tblPr").child(name); });
    }
    return static_cast<long>(own.attribute("w:val").as_int(1));
  };
  using Values = std::vector<std::pair<const CellProperty*, pugi::xml_node>>;
  // Cells under the same conditions get the same values: worked out once for each.
  // In the document alone its cell text of the default paragraph style took the table style's
  // size and justification, conditional ones included, over that style's 11 or 12 pt and left
  // justification; in the result that style is no longer the default, so they are stated where
  // the text sets none itself.
  std::map<std::vector<const char*>, Values> overByConditions;
  auto overFor = [&](const std::vector<const char*>& types) -> const Values& {
    auto known = overByConditions.find(types);
    if (known != overByConditions.end()) return known->second;
    Values values;
    for (const auto& [property, own] : overDefault) {
      pugi::xml_node value = styleValue(types, *property);
      if (value && std::string_view(value.attribute("w:val").value()) != own) {
        values.emplace_back(property, value);
      }
    }
    return overByConditions.emplace(types, std::move(values)).first->second;
  };
  // A document whose defaults the result does not share: what its table style gives.
  std::map<std::vector<const char*>, Values> byConditions;
  auto valuesFor = [&](const std::vector<const char*>& types) -> const Values& {
    auto known = byConditions.find(types);
    if (known != byConditions.end()) return known->second;
    Values values;
    for (const CellProperty& property : kCellProperties) {
      if (pugi::xml_node value = styleValue(types, property)) values.emplace_back(&property, value);
    }
    return byConditions.emplace(types, std::move(values)).first->second;
  };

  for (const CellConditions& cell : ConditionsOfCells(table, bandSize("w:tblStyleRowBandSize"),
                                                      bandSize("w:tblStyleColBandSize"))) {
    const Values& over = overFor(cell.types);
    static const Values kNone;
    const Values& fromTable = mergeDefaults_ ? valuesFor(cell.types) : kNone;
    if (over.empty() && fromTable.empty()) continue;
    for (pugi::xml_node p : ParagraphsOf(cell.cell)) {
      std::string style = p.child("w:pPr").child("w:pStyle").attribute("w:val").value();
      if (style.empty()) style = paragraphStyle;
      const std::vector<pugi::xml_node> runs = RunsOf(p);
      if (style == paragraphStyle) {
        for (const auto& [property, value] : over) GiveUnset(p, runs, *property, value);
      }
      for (const auto& [property, value] : fromTable) {
        if (!ChainSetting(style, *property)) GiveUnset(p, runs, *property, value);
      }
    }
  }
}

void StyleMapper::GiveUnset(pugi::xml_node paragraph, const std::vector<pugi::xml_node>& runs,
                            const CellProperty& property, pugi::xml_node value) const {
  pugi::xml_node pPr = paragraph.child("w:pPr");
  if (std::string_view(property.container) == "w:pPr") {
    if (!property.SetBy(pPr)) property.Give(paragraph, value, "w:pPr");
    return;
  }
  // Run properties go on every run and on the paragraph mark, unless the run or its character
  // style sets them.
  for (pugi::xml_node r : runs) {
    pugi::xml_node rPr = r.child("w:rPr");
    if (property.SetBy(rPr) ||
        ChainSetting(rPr.child("w:rStyle").attribute("w:val").value(), property)) {
      continue;
    }
    property.Give(r, value, "w:rPr");
  }
  if (!pPr) pPr = paragraph.prepend_child("w:pPr");
  if (!property.SetBy(pPr.child("w:rPr"))) {
    EnsureOrdered(pPr, "w:rPr", ParagraphPropertyOrder());
    property.Give(pPr, value, "w:rPr");
  }
}

// LibreOffice splits a paragraph at a page break, and where the paragraph also ends a section
// (a document's last, once another follows), the part after the break takes the result's default
// paragraph style instead of the paragraph's own: its text changed font and size. The paragraph's
// own properties go with that part, so its style's look of the text is stated on the runs from
// the break on, its own style's values or else its document's defaults, as Word shows them anyway.
void StyleMapper::StateStyleAfterPageBreak(pugi::xml_node paragraph) {
  if (!stylesRoot_ || std::string_view(paragraph.name()) != "w:p") return;
  std::vector<pugi::xml_node> runs = RunsOf(paragraph);
  auto breaks = std::find_if(runs.begin(), runs.end(), [](pugi::xml_node run) {
    for (pugi::xml_node br : run.children("w:br")) {
      if (std::string_view(br.attribute("w:type").value()) == "page") return true;
    }
    return false;
  });
  if (breaks == runs.end()) return;
  runs.erase(runs.begin(), breaks);
  // Text after the break, in its run or a later one: an empty part keeps no look of its own.
  pugi::xml_node br = runs.front().child("w:br");
  while (std::string_view(br.attribute("w:type").value()) != "page") br = br.next_sibling("w:br");
  bool text = bool(br.next_sibling("w:t"));
  for (auto r = runs.begin() + 1; r != runs.end() && !text; ++r) text = bool(r->child("w:t"));
  if (!text) return;
  std::string style = paragraph.child("w:pPr").child("w:pStyle").attribute("w:val").value();
  if (style.empty()) style = SourceDefault("paragraph");
  if (style.empty() || (ctx_.first && style == SourceDefault("paragraph")) ||
      (!ctx_.first && Map(style) == ctx_.result.index.defaultParagraphStyle && !mergeDefaults_)) {
    return;
  }
  for (const CellProperty& property : kCellProperties) {
    if (std::string_view(property.container) != "w:rPr") continue;
    pugi::xml_node value = ChainSetting(style, property);
    if (!value) {
      pugi::xml_node defaults = docDefaults_.child("w:rPrDefault").child("w:rPr");
      if (property.SetBy(defaults)) value = defaults.child(property.element);
    }
    pugi::xml_document neutral;
    if (!value) {
      const std::string xml = NeutralValue(property.element);
      if (xml.empty()) continue;
      neutral.load_string(("<x " + std::string(kNs) + ">" + xml + "</x>").c_str());
      value = neutral.document_element().first_child();
    }
    GiveUnset(paragraph, runs, property, value);
  }
}

void StyleMapper::StateTextBoxColour(pugi::xml_node paragraph) const {
  pugi::xml_node resultColour = resultColour_.document_element();
  if (!resultColour) return;
  // A table in a text box may colour its text from its table style: left as it is.
  pugi::xml_node a = paragraph.parent();
  while (a && std::string_view(a.name()) != "w:txbxContent") {
    if (std::string_view(a.name()) == "w:tc") return;
    a = a.parent();
  }
  if (!a) return;
  static constexpr CellProperty kColour = {"w:rPr", "w:color", {nullptr, nullptr}};
  std::string style = paragraph.child("w:pPr").child("w:pStyle").attribute("w:val").value();
  if (style.empty()) style = SourceDefault("paragraph");
  pugi::xml_node colour = ChainSetting(style, kColour);
  if (!colour) colour = docDefaults_.child("w:rPrDefault").child("w:rPr").child("w:color");
  if (!colour) return;
  // The same value means the same colour unless it is a theme's, and the themes differ.
  bool same = !(colour.attribute("w:themeColor") && ctx_.theme.Differs());
  for (const char* name : {"w:val", "w:themeColor", "w:themeTint", "w:themeShade"}) {
    same = same && std::string_view(colour.attribute(name).value()) ==
                       std::string_view(resultColour.attribute(name).value());
  }
  if (!same) GiveUnset(paragraph, RunsOf(paragraph), kColour, colour);
}

std::vector<pugi::xml_node> StyleMapper::ParagraphChain(pugi::xml_node paragraph) const {
  pugi::xml_node pStyle = paragraph.child("w:pPr").child("w:pStyle");
  std::vector<pugi::xml_node> chain;
  FindInChain(pStyle ? pStyle.attribute("w:val").value() : SourceDefault("paragraph"),
              [&chain](pugi::xml_node style) {
                chain.push_back(style);
                return pugi::xml_node();
              });
  return chain;
}

std::string StyleMapper::SourceDefault(const std::string& type) const {
  auto found = index_->sourceDefaults.find(type);
  return found == index_->sourceDefaults.end() ? std::string() : found->second;
}

// A paragraph's space before or after in twips as its document lays it out (its own, its
// style's, its table style's, the defaults); -1 for automatic spacing, which follows rules of
// its own.
long StyleMapper::SpacingOf(pugi::xml_node paragraph, const std::string& tableStyle,
                            const char* side, const char* autoSide) const {
  auto read = [&](pugi::xml_node spacing) -> std::optional<long> {
    if (IsOn(spacing.attribute(autoSide))) return -1;
    if (pugi::xml_attribute v = spacing.attribute(side)) return static_cast<long>(Twips(v, 0));
    return std::nullopt;
  };
  auto fromChain = [&](std::string id) {
    return read(FindInChain(std::move(id), [&](pugi::xml_node style) {
      pugi::xml_node spacing = style.child("w:pPr").child("w:spacing");
      return read(spacing) ? spacing : pugi::xml_node();
    }));
  };
  pugi::xml_node pPr = paragraph.child("w:pPr");
  if (auto v = read(pPr.child("w:spacing"))) return *v;
  std::string id = pPr.child("w:pStyle").attribute("w:val").value();
  if (auto v = fromChain(id.empty() ? SourceDefault("paragraph") : id)) return *v;
  if (auto v = fromChain(tableStyle)) return *v;
  if (auto v = read(docDefaults_.child("w:pPrDefault").child("w:pPr").child("w:spacing"))) {
    return *v;
  }
  return 0;
}

void StyleMapper::StateSummedSpacing(pugi::xml_node story) const {
  // Each table cell and content control is a run of neighbours of its own; they are taken one
  // after another from a list rather than by recursion, as tables can nest without limit.
  std::vector<std::pair<pugi::xml_node, std::string>> containers;
  containers.emplace_back(story, "");
  while (!containers.empty()) {
    auto [container, tableStyle] = std::move(containers.back());
    containers.pop_back();
    StateSummedSpacing(container, tableStyle, containers);
  }
}

void StyleMapper::StateSummedSpacing(
    pugi::xml_node container, const std::string& tableStyle,
    std::vector<std::pair<pugi::xml_node, std::string>>& inner) const {
  static constexpr CellProperty kContextual = {"w:pPr", "w:contextualSpacing", {nullptr, nullptr}};
  auto styleOf = [](pugi::xml_node p) {
    return std::string(p.child("w:pPr").child("w:pStyle").attribute("w:val").value());
  };
  auto contextual = [&](pugi::xml_node p) {
    if (pugi::xml_node own = p.child("w:pPr").child("w:contextualSpacing")) return IsOn(own);
    std::string style = styleOf(p);
    return IsOn(ChainSetting(style.empty() ? SourceDefault("paragraph") : style, kContextual));
  };
  static constexpr CellProperty kPageBreak = {"w:pPr", "w:pageBreakBefore", {nullptr, nullptr}};
  // A paragraph that begins a page has nothing above it there: the space after the one before
  // stays at the foot of the page before.
  auto beginsPage = [&](pugi::xml_node before, pugi::xml_node p) {
    if (pugi::xml_node own = p.child("w:pPr").child("w:pageBreakBefore")) {
      if (IsOn(own)) return true;
    } else {
      std::string style = styleOf(p);
      if (IsOn(ChainSetting(style.empty() ? SourceDefault("paragraph") : style, kPageBreak))) {
        return true;
      }
    }
    pugi::xml_node run = before.last_child();
    while (run && std::string_view(run.name()) != "w:r") run = run.previous_sibling();
    pugi::xml_node end = run.last_child();
    while (end && end.type() != pugi::node_element) end = end.previous_sibling();
    return end && std::string_view(end.name()) == "w:br" &&
           std::string_view(end.attribute("w:type").value()) == "page";
  };
  pugi::xml_node previous;
  for (pugi::xml_node p = container.first_child(); p; p = p.next_sibling()) {
    if (p.type() != pugi::node_element) continue;
    std::string_view name = p.name();
    if (name == "w:tbl") {
      std::string style = p.child("w:tblPr").child("w:tblStyle").attribute("w:val").value();
      if (style.empty()) style = SourceDefault("table");
      for (pugi::xml_node row : RowsOf(p)) {
        for (pugi::xml_node cell : CellsOf(row)) inner.emplace_back(cell, style);
      }
    } else if (name == "w:sdt") {
      inner.emplace_back(p.child("w:sdtContent"), tableStyle);
    }
    if (name != "w:p") {
      // Bookmarks and other marks between two paragraphs leave them neighbours.
      if (name == "w:tbl" || name == "w:sdt" || name == "w:customXml" || name == "w:altChunk") {
        previous = pugi::xml_node();
      }
      continue;
    }
    pugi::xml_node before = std::exchange(previous, p);
    if (!before || before.child("w:pPr").child("w:sectPr") || beginsPage(before, p)) continue;
    // Paragraphs of one style that ignore the space between them stay as they are.
    if (styleOf(before) == styleOf(p) && (contextual(before) || contextual(p))) continue;
    long after = SpacingOf(before, tableStyle, "w:after", "w:afterAutospacing");
    long own = SpacingOf(p, tableStyle, "w:before", "w:beforeAutospacing");
    if (after <= 0 || own <= 0) continue;
    pugi::xml_node pPr = p.child("w:pPr");
    if (!pPr) pPr = p.prepend_child("w:pPr");
    pugi::xml_node spacing = EnsureOrdered(pPr, "w:spacing", ParagraphPropertyOrder());
    pugi::xml_attribute b = spacing.attribute("w:before");
    if (!b) b = spacing.prepend_attribute("w:before");
    b.set_value(std::to_string(after + own).c_str());
    spacing.remove_attribute("w:beforeLines");
  }
}

void StyleMapper::KeepTableIndent(pugi::xml_node table) const {
  // A table inside another was placed by its edge in every Word.
  for (pugi::xml_node up = table.parent(); up; up = up.parent()) {
    std::string_view name = up.name();
    if (name == "w:tbl") return;
    if (name == "w:txbxContent") break;
  }
  pugi::xml_node tblPr = table.child("w:tblPr");
  if (!tblPr || tblPr.child("w:tblpPr") || IsOn(tblPr.child("w:bidiVisual"))) return;
  std::string_view jc = tblPr.child("w:jc").attribute("w:val").value();
  if (!jc.empty() && jc != "left" && jc != "start") return;
  std::string style = tblPr.child("w:tblStyle").attribute("w:val").value();
  if (style.empty()) style = SourceDefault("table");
  // A setting of the table's own, else of its style or the style that is based on.
  auto setting = [&](const char* path) -> pugi::xml_node {
    if (pugi::xml_node own = tblPr.first_element_by_path(path)) return own;
    return FindInChain(
        style, [&](pugi::xml_node s) { return s.child("w:tblPr").first_element_by_path(path); });
  };
  auto twips = [](pugi::xml_node width, long otherwise) -> std::optional<long> {
    if (!width) return otherwise;
    std::string_view type = width.attribute("w:type").value();
    if (!type.empty() && type != "dxa") return std::nullopt;
    return static_cast<long>(Twips(width.attribute("w:w"), 0));
  };
  // The table's own cell margin, not its first cell's: a cell with margins of its own moves
  // its text within the cell, not the table.
  pugi::xml_node margin = setting("w:tblCellMar/w:left");
  if (!margin) margin = setting("w:tblCellMar/w:start");
  std::optional<long> left = twips(margin, 108);  // Word's margin when nothing says otherwise
  std::optional<long> indent = twips(setting("w:tblInd"), 0);
  if (!left || !indent) return;
  // An older Word centres the first cell's left border on the table's edge, a current one puts
  // the border's outer side there: half the border's width moves the table too. The first
  // cell's own border, else the table's.
  pugi::xml_node tcBorders = table.child("w:tr").child("w:tc").child("w:tcPr").child("w:tcBorders");
  pugi::xml_node border = tcBorders.child("w:left");
  if (!border) border = tcBorders.child("w:start");
  if (!border) border = setting("w:tblBorders/w:left");
  if (!border) border = setting("w:tblBorders/w:start");
  std::string_view line = border.attribute("w:val").value();
  // Eighths of a point; half of it in twips.
  const long half =
      line.empty() || line == "nil" || line == "none"
          ? 0
          : static_cast<long>(std::clamp(border.attribute("w:sz").as_int(), 0, 96)) * 5 / 4;
  const long shift = *left + half;
  if (shift == 0) return;

  pugi::xml_node tblInd = EnsureOrdered(tblPr, "w:tblInd", kTablePropertyOrder);
  tblInd.remove_attributes();
  tblInd.append_attribute("w:w").set_value(std::to_string(*indent - shift).c_str());
  tblInd.append_attribute("w:type").set_value("dxa");
}

void StyleMapper::Finish() {
  for (auto& [style, id] : added_) {
    for (const char* ref : {"w:next", "w:link"}) {
      pugi::xml_node n = style.child(ref);
      if (!n) continue;
      auto m = mapped_.find(n.attribute("w:val").value());
      if (m == mapped_.end() || m->second.empty()) {
        style.remove_child(n);
      } else {
        n.attribute("w:val").set_value(m->second.c_str());
      }
    }
    AddPieceNamespaces(style, *part_);
    ctx_.out.styles += NodeToString(style);
  }
}

}  // namespace plenwick::word::engine
