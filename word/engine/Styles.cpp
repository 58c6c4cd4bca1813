// Styles: the first document's styles become the result's; a later document's style is shared
// when the result has one of that name with the same definition, and kept apart (fresh id and
// name) when it differs. Only styles the text uses are taken, with what they are based on.
#include <memory>

#include "word/engine/Append.h"

namespace plenwick::word::engine {

namespace {

constexpr const char* kStyleOrder[] = {"w:name",          "w:aliases",
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

const char* const kNs = "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"";

std::string DefaultsKey(pugi::xml_node docDefaults) {
  return docDefaults ? NodeToString(docDefaults) : std::string();
}

// A font set by name and the same font set from the theme are one property.
std::string FontPartner(std::string_view attr) {
  static const std::pair<std::string_view, std::string_view> kPairs[] = {
      {"w:ascii", "w:asciiTheme"},
      {"w:hAnsi", "w:hAnsiTheme"},
      {"w:eastAsia", "w:eastAsiaTheme"},
      {"w:cs", "w:cstheme"}};
  for (const auto& [plain, theme] : kPairs) {
    if (attr == plain) return std::string(theme);
    if (attr == theme) return std::string(plain);
  }
  return "-";
}

// Adds to `target` every property of `defaults` it does not set itself.
void MergeProperties(pugi::xml_node target, pugi::xml_node defaults,
                     std::span<const char* const> order) {
  for (pugi::xml_node d : defaults.children()) {
    if (d.type() != pugi::node_element) continue;
    if (pugi::xml_node own = target.child(d.name())) {
      // Attributes are properties of their own (spacing before, after, line...).
      for (pugi::xml_attribute a : d.attributes()) {
        if (own.attribute(a.name()) || own.attribute(FontPartner(a.name()).c_str())) continue;
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

}  // namespace

void StyleMapper::Load() {
  const Relationship* rel = ctx_.src.RelOfKind(ctx_.src.mainPart(), "styles");
  if (rel == nullptr || rel->part.empty() || !ctx_.src.Has(rel->part)) return;
  XmlPart& part = ctx_.src.Xml(rel->part);
  part_ = &part;
  stylesRoot_ = part.doc->document_element();
  if (std::string_view(stylesRoot_.name()) != "w:styles") {
    stylesRoot_ = pugi::xml_node();
    return;
  }
  for (pugi::xml_node s : stylesRoot_.children("w:style")) {
    byId_.emplace(s.attribute("w:styleId").value(), s);
  }
  docDefaults_ = stylesRoot_.child("w:docDefaults");
  ResultIndex& index = ctx_.result.index;

  if (ctx_.first) {
    // The result takes this document's defaults and starts its style index afresh.
    auto savedByName = index.stylesByName;
    auto savedIds = index.styleIds;
    auto savedNames = index.styleNames;
    auto savedDefault = index.defaultParagraphStyle;
    auto savedKey = index.docDefaultsKey;
    ctx_.journal.Record([&index, savedByName, savedIds, savedNames, savedDefault, savedKey] {
      index.stylesByName = savedByName;
      index.styleIds = savedIds;
      index.styleNames = savedNames;
      index.defaultParagraphStyle = savedDefault;
      index.docDefaultsKey = savedKey;
    });
    index.stylesByName.clear();
    index.styleIds.clear();
    index.styleNames.clear();
    index.defaultParagraphStyle.clear();
    index.docDefaultsKey = DefaultsKey(docDefaults_);
    std::string head =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n<w:styles" +
        StandardNamespaceDeclarations() + " mc:Ignorable=\"" + StandardIgnorable() + "\">";
    if (docDefaults_) {
      pugi::xml_document scratch;
      pugi::xml_node copy = scratch.append_copy(docDefaults_);
      RewriteStory(ctx_, copy, StoryOptions{});
      head += NodeToString(copy);
    }
    if (pugi::xml_node latent = stylesRoot_.child("w:latentStyles")) head += NodeToString(latent);
    ctx_.out.stylesHead = std::move(head);
  } else {
    mergeDefaults_ = DefaultsKey(docDefaults_) != index.docDefaultsKey;
    if (mergeDefaults_) BuildEffectiveDefaults();
  }

  for (pugi::xml_node s : stylesRoot_.children("w:style")) {
    if (!s.attribute("w:default").as_bool()) continue;
    std::string_view type = s.attribute("w:type").value();
    if (type == "paragraph" && paragraphDefault_.empty()) {
      std::string mapped = Map(s.attribute("w:styleId").value());
      if (ctx_.first) {
        index.defaultParagraphStyle = mapped;
      } else if (mapped != index.defaultParagraphStyle) {
        // Named by its source id: the story walk maps it like any other reference.
        paragraphDefault_ = s.attribute("w:styleId").value();
      }
    } else if (type == "table" && tableDefault_.empty() && !ctx_.first) {
      std::string mapped = Map(s.attribute("w:styleId").value());
      // Tables name their style when the document's default table style differs from the
      // result's, or carries paragraph defaults the result's does not.
      if (mergeDefaults_ || mapped != s.attribute("w:styleId").value())
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
  pugi::xml_document result;
  result.load_string(ctx_.result.index.docDefaultsKey.c_str());
  pugi::xml_node theirs = result.document_element();
  static const std::map<std::string, std::string> kNeutral = {
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
  auto neutralise = [&](pugi::xml_node mine, pugi::xml_node other, bool ordered) {
    for (pugi::xml_node c : other.children()) {
      if (c.type() != pugi::node_element || mine.child(c.name())) continue;
      auto neutral = kNeutral.find(c.name());
      if (neutral == kNeutral.end()) continue;
      pugi::xml_document value;
      value.load_string(("<x " + std::string(kNs) + ">" + neutral->second + "</x>").c_str());
      pugi::xml_node v = value.document_element().first_child();
      pugi::xml_node place = ordered ? InsertOrdered(mine, c.name(), ParagraphPropertyOrder())
                                     : mine.append_child(c.name());
      mine.insert_copy_after(v, place);
      mine.remove_child(place);
    }
  };
  neutralise(pPr, theirs.child("w:pPrDefault").child("w:pPr"), true);
  neutralise(rPr, theirs.child("w:rPrDefault").child("w:rPr"), false);
  docDefaults_ = effective;
}

std::string StyleMapper::Map(const std::string& id) {
  auto known = mapped_.find(id);
  if (known != mapped_.end()) return known->second;
  auto node = byId_.find(id);
  if (node == byId_.end() || inProgress_.count(id) != 0) return "";
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
  while (pugi::xml_node rsid = copy.child("w:rsid")) copy.remove_child(rsid);
  const bool isDefault = copy.attribute("w:default").as_bool();
  copy.remove_attribute("w:default");
  if (mergeDefaults_ && (type == "paragraph" || type == "table") && !copy.child("w:basedOn") &&
      docDefaults_) {
    // The result's defaults are another document's: make this document's own explicit. A table
    // style ranks above the defaults and below the paragraph style, so stating them there too
    // changes nothing in Word; LibreOffice lays out cell text with the result's defaults carried
    // through the table style otherwise.
    if (pugi::xml_node pPr = docDefaults_.child("w:pPrDefault").child("w:pPr")) {
      MergeProperties(EnsureOrdered(copy, "w:pPr", kStyleOrder), pPr, ParagraphPropertyOrder());
    }
    if (pugi::xml_node rPr = docDefaults_.child("w:rPrDefault").child("w:rPr")) {
      MergeProperties(EnsureOrdered(copy, "w:rPr", kStyleOrder), rPr, {});
    }
  }
  RewriteStory(ctx_, copy, StoryOptions{});

  copy.remove_attribute("w:styleId");
  std::string key = type + NodeToString(copy);
  std::string name = copy.child("w:name").attribute("w:val").value();
  if (name.empty()) name = srcId;

  ResultIndex& index = ctx_.result.index;
  // Styles are matched by the name their document gave them: ids are localised.
  const std::string sourceName = Fold(name);
  std::string result;
  for (const StyleRecord& r : index.stylesByName[sourceName]) {
    if (r.type == type && r.key == key) result = r.id;
  }
  if (result.empty()) {
    result = srcId;
    for (long n = 2; index.styleIds.count(Fold(result)) != 0; ++n) {
      result = srcId + "-" + std::to_string(n);
    }
    if (index.styleNames.count(sourceName) != 0) {
      std::string fresh;
      for (long n = 2;; ++n) {
        fresh = name + " " + std::to_string(n);
        if (index.styleNames.count(Fold(fresh)) == 0) break;
      }
      name = fresh;
      pugi::xml_node nameNode = copy.child("w:name");
      if (!nameNode) nameNode = copy.prepend_child("w:name");
      if (!nameNode.attribute("w:val")) nameNode.append_attribute("w:val");
      nameNode.attribute("w:val").set_value(name.c_str());
    }
    JournalInsert(ctx_, index.styleIds, Fold(result));
    JournalInsert(ctx_, index.styleNames, Fold(name));
    index.stylesByName[sourceName].push_back(StyleRecord{result, type, key});
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
