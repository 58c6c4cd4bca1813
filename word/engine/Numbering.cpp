// Lists: every list definition of an appended document gets a fresh abstract numbering id, a
// fresh nsid and fresh instance ids, so lists of different documents never continue each other
// while each keeps its own numbering and starts.
#include <cstdio>

#include "word/engine/Append.h"

namespace plenwick::word::engine {

void NumberingMapper::Load() {
  const Relationship* rel = ctx_.src.RelOfKind(ctx_.src.mainPart(), "numbering");
  if (rel == nullptr || rel->part.empty() || !ctx_.src.Has(rel->part)) return;
  // Shared with other documents of the same template: definitions are changed on copies.
  XmlPart& part = ctx_.src.Xml(rel->part, ctx_.result.sharedNumbering);
  part_ = &part;
  root_ = part.doc->document_element();
  if (std::string_view(root_.name()) != "w:numbering") {
    root_ = pugi::xml_node();
    return;
  }
  for (pugi::xml_node n : root_.children("w:num")) nums_[n.attribute("w:numId").value()] = n;
  for (pugi::xml_node n : root_.children("w:abstractNum")) {
    abstracts_[n.attribute("w:abstractNumId").value()] = n;
  }
  for (pugi::xml_node n : root_.children("w:numPicBullet")) {
    picBullets_[n.attribute("w:numPicBulletId").value()] = n;
  }
  rels_ =
      std::make_unique<RelMapper>(ctx_, rel->part, "/word/numbering.xml", &ctx_.out.numberingRels);
}

std::string NumberingMapper::MapNum(const std::string& numId) {
  if (numId.empty() || numId == "0") return "0";
  auto known = numMap_.find(numId);
  if (known != numMap_.end()) return known->second;
  auto node = nums_.find(numId);
  if (node == nums_.end()) return numMap_[numId] = "0";
  std::string fresh = std::to_string(NextId(ctx_, &Counters::num));
  numMap_[numId] = fresh;
  queue_.emplace_back(node->second, fresh);
  return fresh;
}

pugi::xml_node NumberingMapper::Level(const std::string& numId, const std::string& ilvl) const {
  auto num = nums_.find(numId);
  if (num == nums_.end()) return {};
  auto isLevel = [&ilvl](pugi::xml_node n) {
    return std::string_view(n.attribute("w:ilvl").value()) == ilvl;
  };
  for (pugi::xml_node o : num->second.children("w:lvlOverride")) {
    if (isLevel(o) && o.child("w:lvl")) return o.child("w:lvl");
  }
  auto abstract = abstracts_.find(num->second.child("w:abstractNumId").attribute("w:val").value());
  if (abstract == abstracts_.end()) return {};
  for (pugi::xml_node l : abstract->second.children("w:lvl")) {
    if (isLevel(l)) return l;
  }
  return {};
}

std::string NumberingMapper::MapPicBullet(const std::string& id) {
  auto known = picMap_.find(id);
  if (known != picMap_.end()) return known->second;
  auto node = picBullets_.find(id);
  if (node == picBullets_.end()) return picMap_[id] = "";
  std::string fresh = std::to_string(NextId(ctx_, &Counters::picBullet) - 1);
  picMap_[id] = fresh;
  pugi::xml_node bullet = scratch_.append_copy(node->second);
  bullet.attribute("w:numPicBulletId").set_value(fresh.c_str());
  StoryOptions options;
  options.rels = rels_.get();
  RewriteStory(ctx_, bullet, options);
  AddPieceNamespaces(bullet, *part_);
  ctx_.out.picBullets += NodeToString(bullet);
  return fresh;
}

std::string NumberingMapper::MapAbstract(const std::string& abstractId) {
  auto known = abstractMap_.find(abstractId);
  if (known != abstractMap_.end()) return known->second;
  auto node = abstracts_.find(abstractId);
  if (node == abstracts_.end()) return abstractMap_[abstractId] = "";
  std::string fresh = std::to_string(NextId(ctx_, &Counters::abstractNum) - 1);
  abstractMap_[abstractId] = fresh;
  pugi::xml_node abs = scratch_.append_copy(node->second);
  abs.attribute("w:abstractNumId").set_value(fresh.c_str());
  // A fresh nsid keeps the list from being merged with another document's on copy and paste.
  char nsid[16];
  std::snprintf(nsid, sizeof nsid, "%08lX", 0x2A000000L + NextId(ctx_, &Counters::nsid));
  pugi::xml_node nsidNode = abs.child("w:nsid");
  if (nsidNode) nsidNode.attribute("w:val").set_value(nsid);
  for (const char* link : {"w:numStyleLink", "w:styleLink"}) {
    if (pugi::xml_node n = abs.child(link)) {
      std::string mapped = ctx_.styles.Map(n.attribute("w:val").value());
      if (mapped.empty()) {
        abs.remove_child(n);
      } else {
        n.attribute("w:val").set_value(mapped.c_str());
      }
    }
  }
  for (pugi::xml_node lvl : abs.children("w:lvl")) {
    if (pugi::xml_node pic = lvl.child("w:lvlPicBulletId")) {
      std::string mapped = MapPicBullet(pic.attribute("w:val").value());
      if (mapped.empty()) {
        lvl.remove_child(pic);
      } else {
        pic.attribute("w:val").set_value(mapped.c_str());
      }
    }
  }
  StoryOptions options;
  options.rels = rels_.get();
  RewriteStory(ctx_, abs, options);
  AddPieceNamespaces(abs, *part_);
  ctx_.out.abstractNums += NodeToString(abs);
  return fresh;
}

bool NumberingMapper::Drain() {
  bool any = false;
  while (!queue_.empty()) {
    any = true;
    auto [source, fresh] = queue_.front();
    queue_.pop_front();
    pugi::xml_node num = scratch_.append_copy(source);
    num.attribute("w:numId").set_value(fresh.c_str());
    pugi::xml_node abs = num.child("w:abstractNumId");
    std::string mapped = MapAbstract(abs.attribute("w:val").value());
    if (mapped.empty()) continue;  // an instance of nothing: its paragraphs show no number
    abs.attribute("w:val").set_value(mapped.c_str());
    StoryOptions options;
    options.rels = rels_.get();
    RewriteStory(ctx_, num, options);
    AddPieceNamespaces(num, *part_);
    ctx_.out.nums += NodeToString(num);
  }
  return any;
}

}  // namespace plenwick::word::engine
