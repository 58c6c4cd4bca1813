// Sections: each appended document starts on a new page with its own page set-up and page
// numbers, and every section names its headers and footers (first, even, default) explicitly,
// so nothing is inherited from the document before it.
#include <algorithm>
#include <array>
#include <cstdlib>

#include "word/engine/Append.h"
#include "word/package/PartNames.h"

namespace plenwick::word::engine {
namespace {

constexpr const char* kSectPrOrder[] = {"w:headerReference",
                                        "w:footerReference",
                                        "w:footnotePr",
                                        "w:endnotePr",
                                        "w:type",
                                        "w:pgSz",
                                        "w:pgMar",
                                        "w:paperSrc",
                                        "w:pgBorders",
                                        "w:lnNumType",
                                        "w:pgNumType",
                                        "w:cols",
                                        "w:formProt",
                                        "w:vAlign",
                                        "w:noEndnote",
                                        "w:titlePg",
                                        "w:textDirection",
                                        "w:bidi",
                                        "w:rtlGutter",
                                        "w:docGrid",
                                        "w:printerSettings",
                                        "w:sectPrChange"};

constexpr std::array<const char*, 3> kTypes = {"default", "even", "first"};

// A header distance brought inside the margin: a quarter of it, or less where LibreOffice would
// not find the margin again. It keeps the distance and the header's height below it (the margin
// less the distance) in hundredths of a millimetre, each rounded apart, and they can add up to a
// twip more than the margin, which moves the whole page's text. A multiple of 72 twips converts
// exactly, so one is found within 72 twips. A distance already inside stays as the document had
// it, rounded as it was alone.
long FittedDistance(long current, long margin) {
  if (current <= margin / 4) return current;
  auto hundredths = [](long tw) { return (tw * 127 + 36) / 72; };
  auto twips = [](long hmm) { return (hmm * 72 + 63) / 127; };
  long fitted = margin / 4;
  while (fitted > 0 && twips(hundredths(fitted)) + twips(hundredths(margin) - hundredths(fitted)) !=
                           twips(hundredths(margin))) {
    --fitted;
  }
  return fitted;
}

const std::string kRelBase = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
const std::string kCtBase = "application/vnd.openxmlformats-officedocument.wordprocessingml.";

}  // namespace

std::span<const char* const> SectionPropertyOrder() {
  return kSectPrOrder;
}

void SectionMapper::Load() {
  const Relationship* rel = ctx_.src.RelOfKind(ctx_.src.mainPart(), "settings");
  if (rel == nullptr || rel->part.empty() || !ctx_.src.Has(rel->part)) return;
  XmlPart& settings = ctx_.src.Xml(rel->part);
  pugi::xml_node even = settings.doc->document_element().child("w:evenAndOddHeaders");
  std::string_view val = even.attribute("w:val").value();
  evenAndOdd_ = even && val != "0" && val != "false" && val != "off";
  if (evenAndOdd_) ctx_.out.evenAndOddHeaders = true;
  footnotePr_ = settings.doc->document_element().child("w:footnotePr");
  endnotePr_ = settings.doc->document_element().child("w:endnotePr");
}

void SectionMapper::StateNotes(pugi::xml_node sectPr, const char* name, pugi::xml_node fromSettings,
                               bool first) {
  static constexpr const char* kNoteOrder[] = {"w:pos", "w:numFmt", "w:numStart", "w:numRestart"};
  const bool endnotes = std::string_view(name) == "w:endnotePr";
  pugi::xml_node pr = EnsureOrdered(sectPr, name, kSectPrOrder);
  // The document's own note settings held for all its sections, and what they left out was the
  // format's default: the result's settings are another document's, so each section states
  // them. Its notes are numbered from its own start again.
  auto state = [&](const char* property, const char* value) {
    if (pr.child(property)) return;
    pugi::xml_node own = fromSettings.child(property);
    pugi::xml_node place = InsertOrdered(pr, property, kNoteOrder);
    if (own) {
      pr.insert_copy_after(own, place);
      pr.remove_child(place);
    } else {
      place.append_attribute("w:val").set_value(value);
    }
  };
  // Where notes go holds for the whole result in Word whatever a section says; the document's
  // own is kept for readers that take it per section.
  if (fromSettings.child("w:pos")) state("w:pos", "");
  state("w:numFmt", endnotes ? "lowerRoman" : "decimal");
  state("w:numRestart", first ? "eachSect" : "continuous");
  pugi::xml_attribute restart = pr.child("w:numRestart").attribute("w:val");
  if (first && std::string_view(restart.value()) == "continuous") restart.set_value("eachSect");
  // A start counts where numbering restarts; a later section that runs on keeps counting.
  if (first || std::string_view(restart.value()) == "eachSect") {
    state("w:numStart", "1");
  }
}

std::string SectionMapper::EmptyPart(bool footer) {
  ResultIndex& index = ctx_.result.index;
  bool& made = footer ? index.emptyFooter : index.emptyHeader;
  std::string name = footer ? "/word/emptyFooter.xml" : "/word/emptyHeader.xml";
  if (!made) {
    made = true;
    ctx_.journal.Record([&made] { made = false; });
    ctx_.parts.AddFixed(name, footer ? blank::EmptyFooter() : blank::EmptyHeader());
    ctx_.parts.AddOverride(name, kCtBase + (footer ? "footer+xml" : "header+xml"));
  }
  return name;
}

bool SectionMapper::Usable(const std::string& sourcePart, bool footer) {
  if (sourcePart.empty() || !ctx_.src.Has(sourcePart)) return false;
  return std::string_view(ctx_.src.Xml(sourcePart).doc->document_element().name()) ==
         (footer ? "w:ftr" : "w:hdr");
}

pugi::xml_document& SectionMapper::Prepared(const std::string& sourcePart) {
  XmlPart& part = ctx_.src.Xml(sourcePart);
  if (prepared_.insert(Fold(sourcePart)).second) {
    pugi::xml_node root = part.doc->document_element();
    if (ctx_.sumsParagraphSpacing) ctx_.styles.StateSummedSpacing(root);
    RewriteStory(ctx_, root, StoryOptions{});
    ResetRootNamespaces(root, part);
  }
  return *part.doc;
}

std::string SectionMapper::HeaderPart(const std::string& sourcePart, bool footer) {
  auto known = copied_.find(Fold(sourcePart));
  if (known != copied_.end()) return known->second;
  std::string result;
  const char* like = footer ? "/word/footer1.xml" : "/word/header1.xml";
  const bool alone = ctx_.src.Rels(sourcePart).empty();
  if (!alone) result = ctx_.parts.FreshName(like);
  std::string bytes = DocumentToString(Prepared(sourcePart));
  if (!alone) ctx_.parts.CopyRelsKeepingIds(sourcePart, result);
  // A part that refers to nothing else is the same part wherever its bytes are the same:
  // sections of several documents may name one.
  RecentParts& recent = ctx_.result.recentHeaders;
  if (const std::string* same = alone ? recent.Find(bytes) : nullptr) {
    result = *same;
  } else {
    if (alone) {
      result = ctx_.parts.FreshName(like);
      recent.Remember(result, bytes);
      ctx_.journal.Record([&recent, result] { recent.Forget(result); });
    }
    ctx_.parts.AddFixed(result, std::move(bytes));
    ctx_.parts.AddOverride(result, kCtBase + (footer ? "footer+xml" : "header+xml"));
  }
  copied_[Fold(sourcePart)] = result;
  return result;
}

std::string SectionMapper::GappedPart(const std::string& sourcePart, bool footer, long gap) {
  const auto key = std::make_pair(Fold(sourcePart), gap);
  if (auto known = gapped_.find(key); known != gapped_.end()) return known->second;
  // Written from the same rewritten tree as the plain copy, which is left as it was.
  pugi::xml_document& doc = Prepared(sourcePart);
  pugi::xml_node root = doc.document_element();
  pugi::xml_node spacer = footer ? root.append_child("w:p") : root.prepend_child("w:p");
  pugi::xml_node pPr = spacer.append_child("w:pPr");
  pPr.append_child("w:snapToGrid").append_attribute("w:val").set_value("0");
  pugi::xml_node spacing = pPr.append_child("w:spacing");
  spacing.append_attribute("w:before").set_value("0");
  spacing.append_attribute("w:after").set_value("0");
  spacing.append_attribute("w:line").set_value(std::to_string(gap).c_str());
  spacing.append_attribute("w:lineRule").set_value("exact");
  pugi::xml_node rPr = pPr.append_child("w:rPr");
  rPr.append_child("w:sz").append_attribute("w:val").set_value("2");
  rPr.append_child("w:szCs").append_attribute("w:val").set_value("2");
  std::string bytes = DocumentToString(doc);
  root.remove_child(spacer);

  std::string name = ctx_.parts.FreshName(footer ? "/word/footer1.xml" : "/word/header1.xml");
  if (!ctx_.src.Rels(sourcePart).empty()) ctx_.parts.CopyRelsKeepingIds(sourcePart, name);
  ctx_.parts.AddFixed(name, std::move(bytes));
  ctx_.parts.AddOverride(name, kCtBase + (footer ? "footer+xml" : "header+xml"));
  gapped_[key] = name;
  return name;
}

// A section that had no header of its own now names an empty one. Its distance from the edge
// did not matter before; it is brought inside the margin so the empty header cannot push the
// text down (a header placed lower than the margin moves the body below it).
void SectionMapper::FitEmptyIntoMargin(pugi::xml_node sectPr, bool footer) {
  pugi::xml_node pgMar = sectPr.child("w:pgMar");
  if (!pgMar) return;
  const char* edge = footer ? "w:bottom" : "w:top";
  const char* distance = footer ? "w:footer" : "w:header";
  const long margin = static_cast<long>(std::abs(Twips(pgMar.attribute(edge), 1440)));
  const long current = static_cast<long>(Twips(pgMar.attribute(distance), 720));
  long fitted = FittedDistance(current, margin);
  // LibreOffice lays out a section that starts on an odd or even page with its header at the
  // header distance and the text a default 0.5 cm below it, whatever the header holds: the
  // empty header is placed that far inside the margin, so the text stays where it was.
  constexpr long kOddEvenHeaderHeight = 283;
  std::string_view start = sectPr.child("w:type").attribute("w:val").value();
  if ((start == "oddPage" || start == "evenPage") && margin >= kOddEvenHeaderHeight) {
    fitted = margin - kOddEvenHeaderHeight;
  }
  if (current == fitted) return;
  pugi::xml_attribute a = pgMar.attribute(distance);
  if (!a) a = pgMar.append_attribute(distance);
  a.set_value(std::to_string(fitted).c_str());
}

// A section that shows a header on some pages and nothing on others, placed lower than the
// margin: only an empty part can say "nothing" without inheriting, and an empty part there would
// push the text of those pages down. After the first document, the header distance is brought
// inside the margin and the real parts open with a blank gap of the difference (a footer's
// close with it), so they stand and push the text where they did.
SectionMapper::KindPlan SectionMapper::Plan(pugi::xml_node sectPr, bool footer,
                                            bool titlePg) const {
  const std::string prefix = footer ? "f:" : "h:";
  bool anyReal = false, missing = false;
  for (const char* t : kTypes) {
    const std::string_view type = t;
    const bool shown =
        type == "default" || (type == "first" && titlePg) || (type == "even" && evenAndOdd_);
    const bool has = current_.count(prefix + t) != 0;
    anyReal = anyReal || has;
    missing = missing || (shown && !has);
  }
  KindPlan plan;
  plan.emptyWouldPush = anyReal && missing && EmptyWouldPush(sectPr, footer);
  // Before the first document nothing is inherited: it leaves those kinds unnamed.
  if (!plan.emptyWouldPush || ctx_.first) return plan;
  pugi::xml_node pgMar = sectPr.child("w:pgMar");
  const long margin =
      static_cast<long>(std::abs(Twips(pgMar.attribute(footer ? "w:bottom" : "w:top"), 1440)));
  const long current =
      static_cast<long>(Twips(pgMar.attribute(footer ? "w:footer" : "w:header"), 720));
  const long fitted = FittedDistance(current, margin);
  if (fitted >= 0 && fitted + 20 <= margin && current > fitted) plan.gap = current - fitted;
  return plan;
}

bool SectionMapper::EmptyWouldPush(pugi::xml_node sectPr, bool footer) {
  pugi::xml_node pgMar = sectPr.child("w:pgMar");
  long long margin = Twips(pgMar.attribute(footer ? "w:bottom" : "w:top"), 1440);
  const long long distance = Twips(pgMar.attribute(footer ? "w:footer" : "w:header"), 720);
  if (margin < 0) margin = -margin;
  return distance + 20 > margin;  // the empty part's one paragraph is 20 twips high
}

void SectionMapper::Rewrite(pugi::xml_node sectPr) {
  const std::string& main = ctx_.src.mainPart();
  std::vector<std::pair<std::string, bool>> named;  // source part, footer
  for (pugi::xml_node ref = sectPr.first_child(); ref;) {
    pugi::xml_node next = ref.next_sibling();
    std::string_view name = ref.name();
    if (name == "w:headerReference" || name == "w:footerReference") {
      bool footer = name == "w:footerReference";
      std::string type = ref.attribute("w:type").value();
      if (type.empty()) type = "default";
      const Relationship* rel = ctx_.src.RelById(main, ref.attribute("r:id").value());
      // An even header of a document whose odd and even pages do not differ is never shown,
      // nor is one of a kind the format does not know (some writers put "odd"): no part is
      // copied for it, where it would stand in the result unnamed.
      const bool known = std::find(kTypes.begin(), kTypes.end(), type) != kTypes.end();
      const bool shown = known && (type != "even" || evenAndOdd_);
      if (shown && rel != nullptr && !rel->external && Usable(rel->part, footer)) {
        current_[std::string(footer ? "f:" : "h:") + type] = rel->part;
        named.emplace_back(rel->part, footer);
      }
      sectPr.remove_child(ref);
    } else if (name == "w:printerSettings") {
      sectPr.remove_child(ref);  // printer data of another machine
    }
    ref = next;
  }

  if (sectPr.child("w:lnNumType")) ctx_.styles.KeepLineNumberStyle();

  pugi::xml_node title = sectPr.child("w:titlePg");
  std::string_view titleVal = title.attribute("w:val").value();
  const bool titlePg = title && titleVal != "0" && titleVal != "false" && titleVal != "off";
  const std::array<KindPlan, 2> plans = {Plan(sectPr, false, titlePg), Plan(sectPr, true, titlePg)};
  auto copy = [&](const std::string& source, bool footer) {
    const long gap = plans[footer ? 1 : 0].gap;
    return gap > 0 ? GappedPart(source, footer, gap) : HeaderPart(source, footer);
  };
  // Copied in the order the section names them, which the result's part names follow.
  for (const auto& [source, footer] : named) copy(source, footer);

  ctx_.wide.Section(sectPr);
  if (ctx_.theme.Differs()) {
    for (pugi::xml_node border : sectPr.child("w:pgBorders").children()) {
      ctx_.theme.ConvertColour(border);
    }
  }

  ResultIndex& index = ctx_.result.index;
  auto relFor = [&](const std::string& part, bool footer) {
    auto known = index.documentRelOfPart.find(part);
    if (known != index.documentRelOfPart.end()) return known->second;
    std::string id = ctx_.result.NewRelId();
    ctx_.out.documentRels +=
        "<Relationship Id=\"" + id + "\" Type=\"" + kRelBase + (footer ? "footer" : "header") +
        "\" Target=\"" + XmlEscape(package::RelativeTarget("/word/document.xml", part)) + "\"/>";
    index.documentRelOfPart[part] = id;
    ctx_.journal.Record([&index, part] { index.documentRelOfPart.erase(part); });
    return id;
  };
  // Written in reverse, each put first: headers default, even, first, then footers.
  for (int kind = 1; kind >= 0; --kind) {
    bool footer = kind == 1;
    bool onlyEmpty = true, anyEmpty = false;
    std::string prefix = footer ? "f:" : "h:";
    const KindPlan& plan = plans[footer ? 1 : 0];
    if (plan.gap > 0) {
      pugi::xml_node pgMar = sectPr.child("w:pgMar");
      const char* name = footer ? "w:footer" : "w:header";
      const long long moved = Twips(pgMar.attribute(name), 720) - plan.gap;
      pugi::xml_attribute distance = pgMar.attribute(name);
      if (!distance) distance = pgMar.append_attribute(name);  // it was the default
      distance.set_value(std::to_string(moved).c_str());
    }
    for (auto t = kTypes.rbegin(); t != kTypes.rend(); ++t) {
      std::string type = *t;
      std::string part;
      // A document that does not ask for odd and even pages to differ shows its default header
      // on both.
      const std::string source = type == "even" && !evenAndOdd_ ? "default" : type;
      if (auto c = current_.find(prefix + source); c != current_.end()) {
        part = copy(c->second, footer);
      }
      if (part.empty() && plan.emptyWouldPush && plan.gap == 0 && (type != "first" || titlePg)) {
        // A shown empty header below the margin would push the text of pages that showed
        // nothing down, and the margin could not be fitted: the kind stays unnamed.
        continue;
      }
      if (part.empty()) {
        // Without a reference a section inherits the header of the section before it, and
        // readers differ in what a first section without one shows once a later section has a
        // first-page header: every kind is named, empty where the document had none.
        part = EmptyPart(footer);
        anyEmpty = true;
      } else {
        onlyEmpty = false;
      }
      pugi::xml_node ref = sectPr.prepend_child(footer ? "w:footerReference" : "w:headerReference");
      ref.append_attribute("w:type").set_value(type.c_str());
      ref.append_attribute("r:id").set_value(relFor(part, footer).c_str());
    }
    if (anyEmpty && onlyEmpty) FitEmptyIntoMargin(sectPr, footer);
  }

  // Endnotes are placed at the end of each section of the result; within a document they are
  // held back to its last section, so they still come where its own end was.
  if (ctx_.endnotes.HasNotes() && std::string_view(sectPr.parent().name()) != "w:body" &&
      !sectPr.child("w:noEndnote")) {
    InsertOrdered(sectPr, "w:noEndnote", kSectPrOrder);
  }
  const bool first = firstSection_;
  if (firstSection_) {
    firstSection_ = false;
    pugi::xml_node type = sectPr.child("w:type");
    std::string_view v = type.attribute("w:val").value();
    if (type && (v == "continuous" || v == "nextColumn"))
      type.attribute("w:val").set_value("nextPage");
    pugi::xml_node pgNum = EnsureOrdered(sectPr, "w:pgNumType", kSectPrOrder);
    // Without a start of its own the document would go on counting from the one before it.
    if (!pgNum.attribute("w:start")) pgNum.append_attribute("w:start").set_value("1");
  }
  StateNotes(sectPr, "w:footnotePr", footnotePr_, first);
  StateNotes(sectPr, "w:endnotePr", endnotePr_, first);
}

}  // namespace plenwick::word::engine
