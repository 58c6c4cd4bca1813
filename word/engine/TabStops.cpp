// A document's default tab stops, kept where the result's interval is another document's.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <set>
#include <string_view>

#include "word/engine/Append.h"
#include "word/engine/Xml.h"

namespace plenwick::word::engine {
namespace {

constexpr long kWordDefaultInterval = 720;  // what Word uses where a document states none
constexpr long kLetterWidth = 12240;
constexpr long kLetterTextWidth = kLetterWidth - 2 * 1440;
constexpr long kCellMargins = 2 * 108;  // Word's usual space each side of a cell's text
constexpr std::size_t kMostStops = 64;  // Word keeps no more stops than this in a paragraph

// A measure in twips: a plain number, or a number with a unit ("36pt", "1.27cm"); 0 when it
// cannot be read.
long TwipsWithUnit(std::string_view text) {
  double value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || !std::isfinite(value)) return 0;
  std::string_view unit(end, static_cast<std::size_t>(text.data() + text.size() - end));
  double perUnit = 1;
  if (unit == "pt") {
    perUnit = 20;
  } else if (unit == "in") {
    perUnit = 1440;
  } else if (unit == "cm") {
    perUnit = 1440 / 2.54;
  } else if (unit == "mm") {
    perUnit = 144 / 2.54;
  } else if (unit == "pc" || unit == "pi") {
    perUnit = 240;
  } else if (!unit.empty()) {
    return 0;
  }
  const double twips = value * perUnit;
  return twips >= 1 && twips < 1e6 ? std::lround(twips) : 0;
}

long IntervalOf(pugi::xml_node settingsRoot) {
  pugi::xml_node stop = settingsRoot.child("w:defaultTabStop");
  const long twips = stop ? TwipsWithUnit(stop.attribute("w:val").value()) : 0;
  return twips > 0 ? twips : kWordDefaultInterval;
}

bool HoldsTab(pugi::xml_node paragraph) {
  bool found = false;
  WalkElements(paragraph, [&found](pugi::xml_node node) {
    if (!found && std::string_view(node.name()) == "w:tab" &&
        std::string_view(node.parent().name()) == "w:r") {
      found = true;
    }
    return !found;
  });
  return found;
}

// Applies one w:tabs list to the stops set so far: a "clear" takes away a stop a style set.
void ApplyTabs(pugi::xml_node tabs, std::set<long>& stops) {
  for (pugi::xml_node tab : tabs.children("w:tab")) {
    const long pos = static_cast<long>(Twips(tab.attribute("w:pos"), 0));
    if (std::string_view(tab.attribute("w:val").value()) == "clear") {
      stops.erase(pos);
    } else {
      stops.insert(pos);
    }
  }
}

}  // namespace

void TabStopKeeper::Load() {
  pugi::xml_node settingsRoot;
  const Relationship* rel = ctx_.src.RelOfKind(ctx_.src.mainPart(), "settings");
  if (rel != nullptr && !rel->part.empty() && ctx_.src.Has(rel->part)) {
    settingsRoot = ctx_.src.Xml(rel->part).doc->document_element();
  }
  const long interval = IntervalOf(settingsRoot);
  long& resultInterval = ctx_.result.index.defaultTabStop;
  if (ctx_.first) {
    ctx_.journal.Record([&resultInterval, saved = resultInterval] { resultInterval = saved; });
    resultInterval = interval;
    return;
  }
  if (interval == resultInterval) return;
  interval_ = interval;
  // Stops end at the right margin of the document's widest text: one past it would let a tab
  // run into the margin, where a default stop never takes it.
  reach_ = kLetterTextWidth;
  pugi::xml_node body = ctx_.src.Xml(ctx_.src.mainPart()).doc->document_element().child("w:body");
  WalkElements(body, [this](pugi::xml_node node) {
    if (std::string_view(node.name()) != "w:sectPr") return true;
    const long long width = Twips(node.child("w:pgSz").attribute("w:w"), kLetterWidth);
    pugi::xml_node margins = node.child("w:pgMar");
    const long long text = width - Twips(margins.attribute("w:left"), 1440) -
                           Twips(margins.attribute("w:right"), 1440) -
                           Twips(margins.attribute("w:gutter"), 0);
    if (text > reach_ && text < 1000000) reach_ = static_cast<long>(text);
    return false;
  });
}

void TabStopKeeper::State(pugi::xml_node paragraph) const {
  if (interval_ == 0) return;
  const bool tabInText = HoldsTab(paragraph);
  if (!tabInText && !ctx_.numbering.HasLists()) return;
  // In a cell the stops end at the cell's width where it is stated; cells sized otherwise keep
  // the result's stops.
  long reach = reach_;
  for (pugi::xml_node up = paragraph.parent(); up; up = up.parent()) {
    if (std::string_view(up.name()) != "w:tc") continue;
    pugi::xml_node width = up.child("w:tcPr").child("w:tcW");
    if (std::string_view(width.attribute("w:type").value()) != "dxa") return;
    reach = static_cast<long>(std::min<long long>(Twips(width.attribute("w:w"), 0), reach_)) -
            kCellMargins;
    break;
  }
  pugi::xml_node pPr = paragraph.child("w:pPr");
  std::vector<pugi::xml_node> chain = ctx_.styles.ParagraphChain(paragraph);
  std::set<long> stops;
  bool rightToLeft = false;
  long indent = 0;
  auto take = [&](pugi::xml_node properties) {
    ApplyTabs(properties.child("w:tabs"), stops);
    if (pugi::xml_node bidi = properties.child("w:bidi")) rightToLeft = IsOn(bidi);
    pugi::xml_node ind = properties.child("w:ind");
    pugi::xml_attribute left = ind.attribute("w:left");
    if (!left) left = ind.attribute("w:start");
    if (left) indent = static_cast<long>(Twips(left, 0));
  };
  // The list the paragraph is an item of, if any: its own numbering before its style's.
  std::string numId, level = "0";
  // The style that names the list, counted from the root of the chain; the chain's size where
  // the paragraph names it itself (or none does).
  std::size_t listStyle = chain.size();
  auto readList = [&](pugi::xml_node properties) {
    pugi::xml_node numPr = properties.child("w:numPr");
    if (pugi::xml_node id = numPr.child("w:numId")) numId = id.attribute("w:val").value();
    if (pugi::xml_node l = numPr.child("w:ilvl")) level = l.attribute("w:val").value();
  };
  for (std::size_t i = 0; i < chain.size(); ++i) {
    pugi::xml_node stylePPr = chain[chain.size() - 1 - i].child("w:pPr");
    if (stylePPr.child("w:numPr").child("w:numId")) listStyle = i;
    readList(stylePPr);
  }
  if (pPr.child("w:numPr").child("w:numId")) listStyle = chain.size();
  readList(pPr);
  bool tabAfterNumber = false;
  pugi::xml_node lvl;
  if (!numId.empty() && numId != "0") {
    // The tab after the number goes to the next stop past the number, the hanging indent
    // counting as one; past the indent and the last stop of its own that is a default stop,
    // which the paragraph states like any other.
    lvl = ctx_.numbering.Level(numId, level);
    if (!lvl) return;
    std::string_view suffix = lvl.child("w:suff").attribute("w:val").value();
    tabAfterNumber = suffix != "space" && suffix != "nothing";
  }
  // A list level's indent and stops rank just below whatever names the list: between the
  // style chain and the paragraph's own when the paragraph names it, below the style that
  // names it (and the styles based on that one) when the list comes from a style.
  for (std::size_t i = 0; i < chain.size(); ++i) {
    if (i == listStyle && lvl) take(lvl.child("w:pPr"));
    take(chain[chain.size() - 1 - i].child("w:pPr"));
  }
  if (listStyle == chain.size() && lvl) take(lvl.child("w:pPr"));
  if (!tabInText && !tabAfterNumber) return;
  take(pPr);
  // Right-to-left paragraphs measure their stops from the other edge: they keep the result's.
  if (rightToLeft) return;
  // Default stops stand only after a paragraph's last stop of its own, and a hanging first
  // line's tab goes to the indent before any default stop.
  const long last = std::max(stops.empty() ? 0 : *stops.rbegin(), std::max(indent, 0L));
  if (stops.size() >= kMostStops) return;
  if (!pPr) pPr = paragraph.prepend_child("w:pPr");
  pugi::xml_node tabs = EnsureOrdered(pPr, "w:tabs", ParagraphPropertyOrder());
  std::size_t count = stops.size();
  for (long pos = (last / interval_ + 1) * interval_; pos <= reach && count < kMostStops;
       pos += interval_, ++count) {
    pugi::xml_node tab = tabs.append_child("w:tab");
    tab.append_attribute("w:val").set_value("left");
    tab.append_attribute("w:pos").set_value(pos);
  }
  if (!tabs.first_child()) pPr.remove_child(tabs);
}

}  // namespace plenwick::word::engine
