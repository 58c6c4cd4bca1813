#include "word/package/PartNames.h"

#include <vector>

#include "word/package/PackageErrors.h"

namespace plenwick::word::package {
namespace {

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::vector<std::string_view> Split(std::string_view path) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t slash = path.find('/', start);
    parts.push_back(path.substr(start, slash == std::string_view::npos ? slash : slash - start));
    if (slash == std::string_view::npos) return parts;
    start = slash + 1;
  }
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Characters a relationship target may carry unencoded: RFC 3986 pchar less "%", and less ":",
// which in a first segment would read as a scheme.
bool IsPlain(unsigned char c) {
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
  return std::string_view("-._~!$&'()*+,;=@/").find(static_cast<char>(c)) != std::string_view::npos;
}

}  // namespace

std::string FoldCase(std::string_view name) {
  std::string out(name);
  for (char& c : out) c = Lower(c);
  return out;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

bool IsSafeZipName(std::string_view name) {
  if (name.empty() || name.front() == '/') return false;
  for (char c : name) {
    if (static_cast<unsigned char>(c) < 0x20 || c == '\\' || c == 0x7F) return false;
  }
  if (name.size() >= 2 && name[1] == ':') return false;  // a drive letter
  for (std::string_view seg : Split(name)) {
    if (seg.empty() || seg == "." || seg == "..") return false;
  }
  return true;
}

std::string PartNameFromZip(std::string_view zipName) {
  return "/" + std::string(zipName);
}

std::string ZipNameFromPart(std::string_view partName) {
  if (partName.starts_with('/')) partName.remove_prefix(1);
  return std::string(partName);
}

std::string RelsPartFor(std::string_view partName) {
  if (partName.empty() || partName == "/") return "/_rels/.rels";
  const std::size_t slash = partName.rfind('/');
  const std::string_view folder = partName.substr(0, slash + 1);
  const std::string_view file = partName.substr(slash + 1);
  std::string out(folder);
  if (out.empty() || out.front() != '/') out.insert(out.begin(), '/');
  return out + "_rels/" + std::string(file) + ".rels";
}

std::string SourceOfRelsPart(std::string_view relsPartName) {
  std::string name(relsPartName);
  if (!name.starts_with('/')) name.insert(name.begin(), '/');
  const std::size_t slash = name.rfind('/');
  const std::string file = name.substr(slash + 1);
  std::string folder = name.substr(0, slash + 1);  // ends in '/'
  if (!folder.ends_with("/_rels/") || !SameName(ExtensionOf(file), "rels") || file.size() < 5) {
    return "";
  }
  folder.resize(folder.size() - 6);  // drop "_rels/"
  const std::string source = file.substr(0, file.size() - 5);
  if (source.empty()) return folder == "/" ? "/" : "";
  return folder + source;
}

Result<std::string> ResolveTarget(std::string_view sourcePartName, std::string_view target) {
  auto bad = [&](const char* why) {
    return Damaged("relationship target \"" + std::string(target) + "\" " + why);
  };
  const std::size_t hash = target.find('#');
  std::string_view t = target.substr(0, hash);
  if (t.empty()) return bad("names no part");
  const std::size_t colon = t.find(':');
  if (colon != std::string_view::npos && t.find('/') > colon) return bad("is not a part");
  if (t.find('\\') != std::string_view::npos) return bad("has a backslash");
  if (t.find('?') != std::string_view::npos) return bad("has a query");

  std::string decoded;
  for (std::size_t i = 0; i < t.size(); ++i) {
    if (t[i] != '%') {
      decoded.push_back(t[i]);
      continue;
    }
    if (i + 2 >= t.size()) return bad("has a broken escape");
    const int hi = HexValue(t[i + 1]);
    const int lo = HexValue(t[i + 2]);
    if (hi < 0 || lo < 0) return bad("has a broken escape");
    const char c = static_cast<char>(hi * 16 + lo);
    // An encoded separator would smuggle "/" or ".." past the segment checks below.
    if (c == '/' || c == '\\' || c == '\0') return bad("has an encoded separator");
    decoded.push_back(c);
    i += 2;
  }

  std::vector<std::string> stack;
  if (!decoded.starts_with('/')) {
    std::string_view source = sourcePartName;
    if (source.starts_with('/')) source.remove_prefix(1);
    const std::size_t slash = source.rfind('/');
    if (slash != std::string_view::npos) {
      for (std::string_view seg : Split(source.substr(0, slash))) {
        if (!seg.empty()) stack.emplace_back(seg);
      }
    }
  }
  const std::vector<std::string_view> segs = Split(decoded);
  for (std::size_t i = 0; i < segs.size(); ++i) {
    const std::string_view seg = segs[i];
    if (seg.empty() || seg == ".") {
      if (seg.empty() && i + 1 == segs.size() && i > 0) return bad("names a folder");
      continue;
    }
    if (seg == "..") {
      if (stack.empty()) return bad("leaves the package");
      stack.pop_back();
      continue;
    }
    for (char c : seg) {
      if (static_cast<unsigned char>(c) < 0x20) return bad("has a control character");
    }
    stack.emplace_back(seg);
  }
  if (stack.empty()) return bad("names no part");
  std::string out;
  for (const std::string& seg : stack) out += "/" + seg;
  return out;
}

std::string RelativeTarget(std::string_view sourcePartName, std::string_view partName) {
  std::string_view from = sourcePartName;
  std::string_view to = partName;
  if (from.starts_with('/')) from.remove_prefix(1);
  if (to.starts_with('/')) to.remove_prefix(1);
  std::vector<std::string_view> fromDirs = Split(from);
  fromDirs.pop_back();  // the source's own file name
  if (fromDirs.size() == 1 && fromDirs[0].empty()) fromDirs.clear();
  const std::vector<std::string_view> toSegs = Split(to);
  std::size_t common = 0;
  while (common < fromDirs.size() && common + 1 < toSegs.size() &&
         fromDirs[common] == toSegs[common]) {
    ++common;
  }
  std::string rel;
  for (std::size_t i = common; i < fromDirs.size(); ++i) rel += "../";
  for (std::size_t i = common; i < toSegs.size(); ++i) {
    for (char c : toSegs[i]) {
      const auto u = static_cast<unsigned char>(c);
      if (IsPlain(u)) {
        rel.push_back(c);
      } else {
        static constexpr char kHex[] = "0123456789ABCDEF";
        rel += {'%', kHex[u >> 4], kHex[u & 15]};
      }
    }
    if (i + 1 < toSegs.size()) rel.push_back('/');
  }
  return rel;
}

std::string ExtensionOf(std::string_view partName) {
  const std::size_t slash = partName.rfind('/');
  const std::size_t dot = partName.rfind('.');
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return "";
  return FoldCase(partName.substr(dot + 1));
}

}  // namespace plenwick::word::package
