// Related parts: pictures, charts, diagrams, embedded objects and packages, custom XML, and
// the relationships that lead to them.
#include <algorithm>
#include <cctype>
#include <cstring>

#include <zlib.h>

#include "word/engine/Append.h"
#include "word/package/ContentTypes.h"
#include "word/package/PartNames.h"

namespace plenwick::word::engine {
namespace {

// Two pictures are one when their type, size and two checksums of their content agree. The
// checksums are taken as the bytes are checked on the way in, so a copied picture is inflated
// once; hashing it whole again had cost a tenth of the join.
std::string ContentKey(const std::string& contentType, std::uint64_t size, std::uint32_t crc,
                       uLong adler) {
  return contentType + "|" + std::to_string(size) + "|" + std::to_string(crc) + "|" +
         std::to_string(adler);
}

uLong Adler(uLong adler, std::string_view bytes) {
  return adler32_z(adler, reinterpret_cast<const Bytef*>(bytes.data()), bytes.size());
}

bool IsXmlType(std::string_view contentType) {
  return contentType.ends_with("+xml") || contentType.ends_with("/xml");
}

// Parts that draw with the theme's colours and fonts by name.
bool IsThemedDrawing(std::string_view contentType) {
  static constexpr std::string_view kTypes[] = {
      "application/vnd.openxmlformats-officedocument.drawingml.chart+xml",
      "application/vnd.openxmlformats-officedocument.drawingml.chartshapes+xml",
      "application/vnd.openxmlformats-officedocument.drawingml.diagramData+xml",
      "application/vnd.openxmlformats-officedocument.drawingml.diagramColors+xml",
      "application/vnd.ms-office.drawingml.diagramDrawing+xml",
      "application/vnd.ms-office.chartcolorstyle+xml",
      "application/vnd.ms-office.chartstyle+xml"};
  for (std::string_view type : kTypes) {
    if (contentType == type) return true;
  }
  return false;
}

constexpr std::string_view kThemeOverrideType =
    "application/vnd.openxmlformats-officedocument.themeOverride+xml";
constexpr std::string_view kThemeOverrideRel =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/themeOverride";

// Charts, whose series without colours of their own take the accents of the theme they are drawn
// with, and whose text and lines take its fonts and line styles.
bool IsChart(std::string_view contentType) {
  return contentType == "application/vnd.openxmlformats-officedocument.drawingml.chart+xml" ||
         contentType == "application/vnd.ms-office.chartex+xml";
}

// A chart that brings a theme of its own draws with that one wherever it goes.
bool HasThemeOverride(const std::vector<Relationship>& rels) {
  return std::any_of(rels.begin(), rels.end(),
                     [](const Relationship& r) { return r.type.ends_with("/themeOverride"); });
}

}  // namespace

std::string Fold(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

long NextId(AppendContext& ctx, long Counters::*counter) {
  return ++(ctx.result.counters.*counter);
}

ParagraphIds ParagraphIdsOf(AppendContext& ctx, ParagraphIdSet& taken) {
  return ParagraphIds(
      taken, ctx.result.counters.paraId,
      [&journal = ctx.journal](std::function<void()> undo) { journal.Record(std::move(undo)); });
}

void JournalInsert(AppendContext& ctx, std::set<std::string>& set, const std::string& key) {
  if (set.insert(key).second) {
    ctx.journal.Record([&set, key] { set.erase(key); });
  }
}

std::string PartCopier::FreshName(const std::string& like) {
  auto slash = like.rfind('/');
  std::string dir = like.substr(0, slash + 1);
  std::string file = like.substr(slash + 1);
  auto dot = file.rfind('.');
  std::string ext = dot == std::string::npos ? "" : file.substr(dot);
  std::string stem = dot == std::string::npos ? file : file.substr(0, dot);
  while (!stem.empty() && std::isdigit(static_cast<unsigned char>(stem.back()))) stem.pop_back();
  if (stem.empty()) stem = "part";
  // Keep names plain: a percent-encoded or odd source name gets a plain one.
  for (char& c : stem) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '-') c = '_';
  }
  if (dir.empty() || dir == "/") dir = "/word/";
  std::string key = dir + stem;
  auto& indexNumbers = ctx_.result.index.partNumbers;
  long before = indexNumbers[key];
  long n = before;
  std::string name;
  do {
    name = key + std::to_string(++n) + ext;
  } while (ctx_.result.index.partNames.count(Fold(name)) != 0);
  indexNumbers[key] = n;
  ctx_.journal.Record([&indexNumbers, key, before] { indexNumbers[key] = before; });
  JournalInsert(ctx_, ctx_.result.index.partNames, Fold(name));
  return name;
}

void PartCopier::AddOverride(const std::string& part, const std::string& contentType) {
  ctx_.out.contentTypes += "<Override PartName=\"" + XmlEscape(part) + "\" ContentType=\"" +
                           XmlEscape(contentType) + "\"/>";
}

void PartCopier::AddFixed(const std::string& part, std::string bytes) {
  ctx_.out.fixed.push_back(package::MakeEntry(package::ZipNameFromPart(part), bytes));
}

void PartCopier::CopyRelsKeepingIds(const std::string& sourcePart, const std::string& resultPart,
                                    const std::string& themeOverride) {
  const std::vector<Relationship> rels = ctx_.src.Rels(sourcePart);
  if (rels.empty() && themeOverride.empty()) return;
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n<Relationships "
      "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
  for (const Relationship& r : rels) {
    std::string target;
    if (r.external) {
      target = r.target;
    } else {
      if (r.part.empty()) continue;
      std::string copied = Copy(r.part);
      if (copied.empty()) continue;
      target = package::RelativeTarget(resultPart, copied);
    }
    xml += "<Relationship Id=\"" + XmlEscape(r.id) + "\" Type=\"" + XmlEscape(r.type) +
           "\" Target=\"" + XmlEscape(target) + "\"" +
           (r.external ? " TargetMode=\"External\"" : "") + "/>";
  }
  if (!themeOverride.empty()) {
    // An id of its own beside the source's, which the part's markup keeps naming.
    std::string id = "rIdTheme";
    for (int n = 1;
         std::any_of(rels.begin(), rels.end(), [&id](const Relationship& r) { return r.id == id; });
         ++n) {
      id = "rIdTheme" + std::to_string(n);
    }
    xml += "<Relationship Id=\"" + id + "\" Type=\"" + std::string(kThemeOverrideRel) +
           "\" Target=\"" + XmlEscape(package::RelativeTarget(resultPart, themeOverride)) + "\"/>";
  }
  xml += "</Relationships>";
  AddFixed(package::RelsPartFor(resultPart), std::move(xml));
}

bool PartCopier::DrawsWithOwnTheme(const std::string& sourcePart,
                                   std::string_view contentType) const {
  // A diagram's drawn shapes name the theme's formats by number; charts state theirs.
  const bool differs = ctx_.theme.Differs() ||
                       (ctx_.theme.FormatsDiffer() &&
                        contentType == "application/vnd.ms-office.drawingml.diagramDrawing+xml");
  if (!differs || !IsThemedDrawing(contentType)) return false;
  return !HasThemeOverride(ctx_.src.Rels(sourcePart));
}

bool PartCopier::TakesThemeOverride(const std::string& sourcePart,
                                    std::string_view contentType) const {
  if (!ctx_.theme.Differs() || !IsChart(contentType)) return false;
  return !HasThemeOverride(ctx_.src.Rels(sourcePart));
}

const std::string& PartCopier::ThemeOverridePart() {
  if (!themeOverride_.empty()) return themeOverride_;
  std::string bytes = ctx_.theme.OverrideXml();
  // Documents of one theme share one part.
  const std::uint32_t crc = static_cast<std::uint32_t>(
      crc32_z(0L, reinterpret_cast<const Bytef*>(bytes.data()), bytes.size()));
  const std::string key = ContentKey(std::string(kThemeOverrideType), bytes.size(), crc,
                                     Adler(adler32_z(0L, nullptr, 0), bytes));
  auto& media = ctx_.result.index.media;
  auto same = media.find(key);
  if (same != media.end()) return themeOverride_ = same->second;
  themeOverride_ = FreshName("/word/theme/themeOverride.xml");
  media[key] = themeOverride_;
  ctx_.journal.Record([&media, key] { media.erase(key); });
  AddFixed(themeOverride_, std::move(bytes));
  AddOverride(themeOverride_, std::string(kThemeOverrideType));
  return themeOverride_;
}

std::string PartCopier::WithOwnTheme(const std::string& sourcePart) {
  XmlPart& part = ctx_.src.Xml(sourcePart);
  pugi::xml_document copy;
  pugi::xml_node root = copy.append_copy(part.doc->document_element());
  ctx_.theme.ConvertDrawing(root);
  ResetRootNamespaces(root, part);
  return DocumentToString(copy);
}

std::string PartCopier::Copy(const std::string& sourcePart) {
  auto known = copied_.find(Fold(sourcePart));
  if (known != copied_.end()) return known->second;
  if (sourcePart.empty() || !ctx_.src.Has(sourcePart)) return "";
  std::string contentType = ctx_.src.ContentType(sourcePart);
  // A type that is no media type ("jpg", as some writers put it) would make the result's
  // content types invalid: the part's extension tells what it holds.
  if (!package::IsMediaType(contentType)) contentType = package::MediaTypeByExtension(sourcePart);
  const bool strictXml = ctx_.src.strict() && IsXmlType(contentType);
  const bool leaf = ctx_.src.Rels(sourcePart).empty();

  if (contentType == "application/vnd.openxmlformats-officedocument.drawingml.diagramData+xml" &&
      ctx_.bodyRels != nullptr) {
    // A diagram's data names its drawing by a relationship id of the main text, not its own.
    std::string name = FreshName(sourcePart);
    copied_[Fold(sourcePart)] = name;
    CopyRelsKeepingIds(sourcePart, name);
    std::string bytes;
    if (DrawsWithOwnTheme(sourcePart, contentType)) {
      bytes = WithOwnTheme(sourcePart);
    } else {
      bytes = ctx_.src.Read(sourcePart);
      if (strictXml) bytes = ReplaceStrictUris(std::move(bytes));
    }
    const std::string marker = "relId=\"";
    for (std::size_t pos = bytes.find(marker); pos != std::string::npos;
         pos = bytes.find(marker, pos + 1)) {
      std::size_t start = pos + marker.size();
      std::size_t end = bytes.find('"', start);
      if (end == std::string::npos) break;
      std::string mapped = ctx_.bodyRels->Map(bytes.substr(start, end - start));
      bytes.replace(start, end - start, mapped);
    }
    AddFixed(name, std::move(bytes));
    AddOverride(name, contentType);
    return name;
  }

  const bool ownTheme = DrawsWithOwnTheme(sourcePart, contentType);
  const bool takesOverride = TakesThemeOverride(sourcePart, contentType);
  if (leaf && !takesOverride) {
    std::string bytes;
    package::RawEntry raw;
    uLong adler = adler32_z(0L, nullptr, 0);
    if (strictXml || ownTheme) {
      // Read (or parsed) checks the CRC and the limits.
      bytes = ownTheme ? WithOwnTheme(sourcePart) : ReplaceStrictUris(ctx_.src.Read(sourcePart));
      adler = Adler(adler, bytes);
      raw.crc32 = static_cast<std::uint32_t>(
          crc32_z(0L, reinterpret_cast<const Bytef*>(bytes.data()), bytes.size()));
      raw.uncompressedSize = bytes.size();
    } else {
      raw = ctx_.src.Raw(sourcePart, [&adler](std::string_view piece) {
        adler = Adler(adler, piece);
      });  // checks the CRC and the limits
    }
    std::string key = ContentKey(contentType, raw.uncompressedSize, raw.crc32, adler);
    auto& media = ctx_.result.index.media;
    auto same = media.find(key);
    if (same != media.end()) {
      copied_[Fold(sourcePart)] = same->second;
      return same->second;
    }
    std::string name = FreshName(sourcePart);
    copied_[Fold(sourcePart)] = name;
    media[key] = name;
    ctx_.journal.Record([&media, key] { media.erase(key); });
    if (strictXml || ownTheme) {
      AddFixed(name, std::move(bytes));
    } else {
      raw.name = package::ZipNameFromPart(name);
      ctx_.out.fixed.push_back(std::move(raw));
    }
    AddOverride(name, contentType);
    return name;
  }

  std::string name = FreshName(sourcePart);
  copied_[Fold(sourcePart)] = name;  // before its relationships: parts may point back
  CopyRelsKeepingIds(sourcePart, name, takesOverride ? ThemeOverridePart() : std::string());
  if (ownTheme) {
    AddFixed(name, WithOwnTheme(sourcePart));
  } else if (strictXml) {
    AddFixed(name, ReplaceStrictUris(ctx_.src.Read(sourcePart)));
  } else {
    package::RawEntry raw = ctx_.src.Raw(sourcePart);
    raw.name = package::ZipNameFromPart(name);
    ctx_.out.fixed.push_back(std::move(raw));
  }
  AddOverride(name, contentType);
  return name;
}

std::string RelMapper::AddInternal(const std::string& type, const std::string& resultTargetPart) {
  std::string id = ctx_.result.NewRelId();
  *out_ += "<Relationship Id=\"" + id + "\" Type=\"" + XmlEscape(type) + "\" Target=\"" +
           XmlEscape(package::RelativeTarget(resultPart_, resultTargetPart)) + "\"/>";
  return id;
}

std::string RelMapper::Map(const std::string& id) {
  auto known = ids_.find(id);
  if (known != ids_.end()) return known->second;
  const Relationship* rel = ctx_.src.RelById(sourcePart_, id);
  std::string result;
  if (rel != nullptr) {
    if (rel->external) {
      result = ctx_.result.NewRelId();
      *out_ += "<Relationship Id=\"" + result + "\" Type=\"" + XmlEscape(rel->type) +
               "\" Target=\"" + XmlEscape(rel->target) + "\" TargetMode=\"External\"/>";
    } else if (!rel->part.empty()) {
      std::string copied = ctx_.parts.Copy(rel->part);
      if (!copied.empty()) result = AddInternal(rel->type, copied);
    }
  }
  ids_[id] = result;
  return result;
}

}  // namespace plenwick::word::engine
