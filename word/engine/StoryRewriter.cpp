// One pass over a story that hands each reference to the module that owns its kind.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "word/ChildOrder.h"
#include "word/ElementOrder.h"
#include "word/engine/Append.h"
#include "word/engine/Xml.h"

namespace plenwick::word::engine {
namespace {

bool IsRelAttribute(std::string_view name) {
  return name.starts_with("r:") || name == "o:relid";
}

// Some writers put a content control's id after the element saying what kind of control it is;
// the schema wants the kind last. Elements of later versions (w14:, w15:) stay after the one
// they followed.
int SdtPropertyRank(std::string_view name) {
  constexpr int kKind = static_cast<int>(std::size(kSdtPropertyOrder));
  for (int i = 0; i < kKind; ++i) {
    if (name == kSdtPropertyOrder[i]) return i;
  }
  return name.starts_with("w:") ? kKind : -1;
}

// Measures some writers give as decimals ("9930.0"), where the schema wants whole twips or
// fiftieths, and border widths given as "none": the nearest whole number, and no width. Only the
// properties' own children: the borders and margins inside them are properties of their own,
// which the walk comes to (and a hostile part nests them deeper than a stack goes).
void KeepMeasuresWhole(pugi::xml_node properties) {
  for (pugi::xml_node c = properties.first_child(); c; c = c.next_sibling()) {
    if (c.type() != pugi::node_element) continue;
    if (pugi::xml_attribute w = c.attribute("w:w")) {
      std::string_view v = w.value();
      if (v.find('.') != std::string_view::npos &&
          v.find_first_not_of("-+.0123456789") == std::string_view::npos) {
        w.set_value(std::llround(std::clamp(w.as_double(), -1e9, 1e9)));
      }
    }
    if (pugi::xml_attribute sz = c.attribute("w:sz");
        sz &&
        std::string_view(sz.value()).find_first_not_of("0123456789") != std::string_view::npos) {
      sz.set_value("0");
    }
  }
}

class Walker {
 public:
  Walker(AppendContext& ctx, const StoryOptions& options) : ctx_(ctx), options_(options) {}

  void Walk(pugi::xml_node root) {
    WalkElements(root, [this](pugi::xml_node node) { return Enter(node); });
  }

 private:
  // Returns whether to go on into the node's children.
  bool Enter(pugi::xml_node node) {
    std::string_view name = node.name();
    if (name == "w:sectPr") {
      node.remove_attribute("w:type");  // a writer's mistake for the w:type child
      if (options_.body && std::string_view(node.parent().name()) != "w:sectPrChange") {
        ctx_.sections.Rewrite(node);
      }
      return false;  // sections own everything inside them
    }
    if (!Element(node, name)) return false;
    if (options_.rels != nullptr) Relationships(node);
    return true;
  }

  // Returns false when it removed the node.
  bool MapStyle(pugi::xml_node node, std::string_view name) {
    std::string mapped = ctx_.styles.Map(node.attribute("w:val").value());
    // A style the document names but does not define falls back on its own default, as it
    // does alone, not on the result's (the paragraph and table were given no default of their
    // own because they named a style).
    if (mapped.empty() && name == "w:pStyle")
      mapped = ctx_.styles.Map(ctx_.styles.ParagraphDefault());
    if (mapped.empty() && name == "w:tblStyle")
      mapped = ctx_.styles.Map(ctx_.styles.TableDefault());
    if (mapped.empty()) {
      node.parent().remove_child(node);
      return false;
    }
    node.attribute("w:val").set_value(mapped.c_str());
    return true;
  }

  // Rewrites what the element refers to; returns false when the element went with its referent.
  bool Element(pugi::xml_node node, std::string_view name) {
    if (name.size() < 3) return true;
    if (ctx_.theme.Differs()) ctx_.theme.ConvertColour(node);
    if (name == "w:p") {
      ParagraphId(node);
      ctx_.tabStops.State(node);
      ctx_.wide.State(node);
      ctx_.styles.StateWholeIndent(node);
      ctx_.styles.StateTextBoxColour(node);
      const std::string& def = ctx_.styles.ParagraphDefault();
      if (!def.empty()) {
        pugi::xml_node pPr = node.child("w:pPr");
        if (!pPr) pPr = node.prepend_child("w:pPr");
        if (!pPr.child("w:pStyle")) {
          pPr.prepend_child("w:pStyle").append_attribute("w:val").set_value(def.c_str());
        }
      }
    } else if (name == "w:tr") {
      ParagraphId(node);
    } else if (name == "w:tbl") {
      ctx_.styles.KeepTableParagraphLook(node);
      if (ctx_.olderLayout) ctx_.styles.KeepTableIndent(node);
      const std::string& def = ctx_.styles.TableDefault();
      pugi::xml_node tblPr = node.child("w:tblPr");
      if (!def.empty() && tblPr && !tblPr.child("w:tblStyle")) {
        tblPr.prepend_child("w:tblStyle").append_attribute("w:val").set_value(def.c_str());
      }
    } else if (name == "w:pStyle" || name == "w:rStyle" || name == "w:tblStyle") {
      // A run style among a paragraph's properties is no property Word knows.
      if (name == "w:rStyle" && std::string_view(node.parent().name()) == "w:pPr") {
        node.parent().remove_child(node);
        return false;
      }
      if (!MapStyle(node, name)) return false;
    } else if (name == "w:numId") {
      if (std::string_view(node.parent().name()) == "w:numPr") {
        std::string mapped = ctx_.numbering.MapNum(node.attribute("w:val").value());
        node.attribute("w:val").set_value(mapped.c_str());
      }
    } else if (name == "wp:docPr") {
      std::string id = std::to_string(NextId(ctx_, &Counters::docPr));
      if (pugi::xml_attribute a = node.attribute("id")) {
        a.set_value(id.c_str());
      } else {
        node.append_attribute("id").set_value(id.c_str());
      }
    } else if (name == "w:bookmarkStart" || name == "w:bookmarkEnd") {
      if (!ctx_.bookmarks.Keeps(node)) {
        node.parent().remove_child(node);
        return false;
      }
      pugi::xml_attribute id = node.attribute("w:id");
      std::string mapped = ctx_.bookmarks.MapId(id.value());
      id.set_value(mapped.c_str());
      if (pugi::xml_attribute n = node.attribute("w:name")) {
        n.set_value(ctx_.bookmarks.MapName(n.value()).c_str());
      }
    } else if (name == "w:footnoteReference" || name == "w:endnoteReference") {
      NoteMapper& notes = name == "w:footnoteReference" ? ctx_.footnotes : ctx_.endnotes;
      std::string mapped = notes.Map(node.attribute("w:id").value());
      if (mapped.empty()) {
        node.parent().remove_child(node);
        return false;
      } else {
        node.attribute("w:id").set_value(mapped.c_str());
      }
    } else if (name == "w:commentRangeStart" || name == "w:commentRangeEnd" ||
               name == "w:commentReference") {
      std::string mapped = ctx_.comments.Map(node.attribute("w:id").value());
      if (mapped.empty()) {
        node.parent().remove_child(node);
        return false;
      }
      node.attribute("w:id").set_value(mapped.c_str());
      ctx_.out.annotations.holdsComments = true;
    } else if (name == "w:fldSimple") {
      if (ctx_.bookmarks.RewritesFields()) {
        pugi::xml_attribute instr = node.attribute("w:instr");
        instr.set_value(ctx_.bookmarks.RewriteInstruction(instr.value()).c_str());
      }
      if (ShowsSourceProperty(node.attribute("w:instr").value())) Lock(node);
    } else if (name == "w:fldChar") {
      FieldCharacter(node);
    } else if (name == "w:instrText") {
      if (ctx_.bookmarks.RewritesFields()) {
        node.text().set(ctx_.bookmarks.RewriteInstruction(node.text().get()).c_str());
      }
      if (!fields_.empty()) fields_.back().instr += node.text().get();
    } else if (name == "w:hyperlink") {
      if (pugi::xml_attribute anchor = node.attribute("w:anchor")) {
        anchor.set_value(ctx_.bookmarks.MapName(anchor.value()).c_str());
      }
    } else if (name == "w:rFonts") {
      if (ctx_.theme.Differs()) ctx_.theme.ConvertFonts(node);
    } else if (name == "wps:wsp") {
      ctx_.theme.StateShapeStyle(node);
    } else if (name == "w:dataBinding") {
      ctx_.needsCustomXml = true;
    } else if (name == "w:sdtPr") {
      KeepChildOrderByRank(node, SdtPropertyRank);
    } else {
      NoteTrackedChange(name);
      RepairProperties(node, name);
    }
    return true;
  }

  // Whether the result shows tracked changes is decided by the first document holding them.
  void NoteTrackedChange(std::string_view name) {
    AnnotationView& held = ctx_.out.annotations;
    if (name == "w:ins" || name == "w:del" || name == "w:moveFrom" || name == "w:moveTo" ||
        name == "w:cellIns" || name == "w:cellDel") {
      held.holdsInsDel = true;
    } else if (name.ends_with("Change") && name.starts_with("w:")) {
      held.holdsFormatting = true;  // w:rPrChange, w:pPrChange, w:tblGridChange, ...
    }
  }

  // Properties other writers put out of the schema's order, or leave incomplete, which Word
  // reports as unreadable content: one such document would make the whole result so.
  static void RepairProperties(pugi::xml_node node, std::string_view name) {
    // Paragraph, table, cell, border and margin properties all start "w:p" or "w:t": the other
    // elements of a story pass with two comparisons.
    if (name.starts_with("w:p") || name.starts_with("w:t")) {
      if (name == "w:pPr") {
        KeepChildOrder(node, kParagraphPropertyOrder);
      } else if (name == "w:tblPr") {
        KeepChildOrder(node, kTablePropertyOrder);
        KeepMeasuresWhole(node);
      } else if (name == "w:tcPr") {
        KeepChildOrder(node, kCellPropertyOrder);
        KeepMeasuresWhole(node);
      } else if (name == "w:tblBorders" || name == "w:tcBorders" || name == "w:pBdr" ||
                 name == "w:tblCellMar" || name == "w:tcMar") {
        KeepChildOrder(node, kBorderOrder);
        KeepMeasuresWhole(node);
      } else if (name == "w:tblGrid" || name == "w:trPr" || name == "w:tblPrEx") {
        KeepMeasuresWhole(node);
      }
    } else if (name == "w:style") {
      KeepChildOrder(node, kStyleOrder);
    } else if (name == "m:dPr") {
      KeepChildOrder(node, kMathDelimiterOrder);
    } else if (name == "w:shd" && !node.attribute("w:val")) {
      // A shading must say its pattern; with none stated, only its fill shows.
      node.prepend_attribute("w:val").set_value("clear");
    }
  }

  void ParagraphId(pugi::xml_node node) {
    if (!options_.comments && options_.paraIds == nullptr) return;
    pugi::xml_attribute id = node.attribute("w14:paraId");
    if (!id) return;
    if (options_.comments) {
      id.set_value(ctx_.comments.MapParaId(id.value()).c_str());
    } else if (const std::optional<std::uint32_t> mapped = options_.paraIds->Map(id.value())) {
      id.set_value(HexId(*mapped).c_str());
    }
  }

  void Relationships(pugi::xml_node node) {
    for (pugi::xml_attribute a = node.first_attribute(); a;) {
      pugi::xml_attribute next = a.next_attribute();
      if (IsRelAttribute(a.name()) && *a.value() != '\0') {
        std::string mapped = options_.rels->Map(a.value());
        if (mapped.empty()) {
          node.remove_attribute(a);
        } else {
          a.set_value(mapped.c_str());
        }
      }
      a = next;
    }
  }

  static void Lock(pugi::xml_node field) {
    pugi::xml_attribute lock = field.attribute("w:fldLock");
    if (!lock) lock = field.append_attribute("w:fldLock");
    lock.set_value("1");
  }

  // A complex field's instruction runs from its begin to its separator (or end), split over
  // any number of runs; fields nest.
  void FieldCharacter(pugi::xml_node fldChar) {
    std::string_view type = fldChar.attribute("w:fldCharType").value();
    if (type == "begin") {
      fields_.push_back(OpenField{fldChar, {}, false});
      return;
    }
    if (fields_.empty()) return;
    OpenField& open = fields_.back();
    if (!open.decided && (type == "separate" || type == "end")) {
      open.decided = true;
      if (ShowsSourceProperty(open.instr)) Lock(open.begin);
    }
    if (type == "end") fields_.pop_back();
  }

  struct OpenField {
    pugi::xml_node begin;
    std::string instr;
    bool decided = false;
  };

  AppendContext& ctx_;
  const StoryOptions& options_;
  std::vector<OpenField> fields_;
};

}  // namespace

void RewriteStory(AppendContext& ctx, pugi::xml_node root, const StoryOptions& options) {
  auto outer = ctx.bookmarks.BeginStory();
  Walker(ctx, options).Walk(root);
  ctx.bookmarks.EndStory(std::move(outer));
}

std::span<const char* const> ParagraphPropertyOrder() {
  return kParagraphPropertyOrder;
}

}  // namespace plenwick::word::engine
