// Comments with their replies: comment ids from the result's counter; the paragraph ids and
// durable ids that tie replies and their extended records together are renumbered as one.
#include <cstdint>

#include "word/engine/Append.h"

namespace plenwick::word::engine {

CommentMapper::CommentMapper(AppendContext& ctx)
    : ctx_(ctx), paraIdSpace_(ParagraphIdsOf(ctx, ctx.result.index.commentParaIds)) {}

void CommentMapper::Load() {
  const Relationship* rel = ctx_.src.RelOfKind(ctx_.src.mainPart(), "comments");
  if (rel == nullptr || rel->part.empty() || !ctx_.src.Has(rel->part)) return;
  XmlPart& part = ctx_.src.Xml(rel->part);
  part_ = &part;
  commentsPart_ = rel->part;
  for (pugi::xml_node n : part.doc->document_element().children("w:comment")) {
    comments_[n.attribute("w:id").value()] = n;
  }
  rels_ =
      std::make_unique<RelMapper>(ctx_, rel->part, "/word/comments.xml", &ctx_.out.commentsRels);
}

std::string CommentMapper::Map(const std::string& id) {
  auto known = map_.find(id);
  if (known != map_.end()) return known->second;
  auto node = comments_.find(id);
  if (node == comments_.end()) return map_[id] = "";
  std::string fresh = std::to_string(NextId(ctx_, &Counters::comment) - 1);
  map_[id] = fresh;
  queue_.emplace_back(node->second, fresh);
  return fresh;
}

std::string CommentMapper::MapParaId(const std::string& paraId) {
  auto known = paraIds_.find(paraId);
  if (known != paraIds_.end()) return known->second;
  const std::optional<std::uint32_t> mapped = paraIdSpace_.Map(paraId);
  return paraIds_[paraId] = mapped ? HexId(*mapped) : paraId;
}

bool CommentMapper::Drain() {
  bool any = false;
  while (!queue_.empty()) {
    any = true;
    auto [comment, fresh] = queue_.front();
    queue_.pop_front();
    comment.attribute("w:id").set_value(fresh.c_str());
    StoryOptions options;
    options.rels = rels_.get();
    options.comments = true;
    RewriteStory(ctx_, comment, options);
    AddPieceNamespaces(comment, *part_);
    ctx_.out.comments += NodeToString(comment);
  }
  return any;
}

void CommentMapper::Finish() {
  if (map_.empty()) return;
  const std::string& main = ctx_.src.mainPart();
  auto load = [&](std::string_view kind) -> XmlPart* {
    const Relationship* rel = ctx_.src.RelOfKind(main, kind);
    if (rel == nullptr || rel->part.empty() || !ctx_.src.Has(rel->part)) return nullptr;
    return &ctx_.src.Xml(rel->part);
  };
  if (XmlPart* ext = load("commentsExtended")) {
    for (pugi::xml_node n : ext->doc->document_element().children("w15:commentEx")) {
      auto para = paraIds_.find(n.attribute("w15:paraId").value());
      if (para == paraIds_.end()) continue;
      n.attribute("w15:paraId").set_value(para->second.c_str());
      if (pugi::xml_attribute parent = n.attribute("w15:paraIdParent")) {
        auto p = paraIds_.find(parent.value());
        if (p == paraIds_.end()) {
          n.remove_attribute(parent);
        } else {
          parent.set_value(p->second.c_str());
        }
      }
      AddPieceNamespaces(n, *ext);
      ctx_.out.commentsExtended += NodeToString(n);
    }
  }
  if (XmlPart* ids = load("commentsIds")) {
    for (pugi::xml_node n : ids->doc->document_element().children("w16cid:commentId")) {
      auto para = paraIds_.find(n.attribute("w16cid:paraId").value());
      if (para == paraIds_.end()) continue;
      n.attribute("w16cid:paraId").set_value(para->second.c_str());
      pugi::xml_attribute durable = n.attribute("w16cid:durableId");
      std::string fresh =
          HexId(static_cast<std::uint32_t>(0x20000000L + NextId(ctx_, &Counters::durableId)));
      durableIds_[durable.value()] = fresh;
      durable.set_value(fresh.c_str());
      AddPieceNamespaces(n, *ids);
      ctx_.out.commentsIds += NodeToString(n);
    }
  }
  if (XmlPart* cex = load("commentsExtensible")) {
    for (pugi::xml_node n : cex->doc->document_element().children("w16cex:commentExtensible")) {
      auto durable = durableIds_.find(n.attribute("w16cex:durableId").value());
      if (durable == durableIds_.end()) continue;
      n.attribute("w16cex:durableId").set_value(durable->second.c_str());
      AddPieceNamespaces(n, *cex);
      ctx_.out.commentsExtensible += NodeToString(n);
    }
  }
  if (XmlPart* people = load("people")) {
    auto& known = ctx_.result.index.people;
    for (pugi::xml_node n : people->doc->document_element().children("w15:person")) {
      std::string author = n.attribute("w15:author").value();
      if (known.count(author) != 0) continue;
      known[author] = true;
      ctx_.journal.Record([&known, author] { known.erase(author); });
      AddPieceNamespaces(n, *people);
      ctx_.out.people += NodeToString(n);
    }
  }
}

}  // namespace plenwick::word::engine
