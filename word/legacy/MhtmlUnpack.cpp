#include "word/legacy/MhtmlUnpack.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/Utf8Path.h"
#include "word/legacy/LegacyErrors.h"

namespace plenwick::word::legacy {
namespace {

namespace fs = std::filesystem;

constexpr std::uintmax_t kMaxArchiveBytes = 256u << 20;
constexpr std::size_t kMaxParts = 10000;

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string Trim(std::string_view s) {
  const auto b = s.find_first_not_of(" \t\r\n");
  if (b == std::string_view::npos) return {};
  const auto e = s.find_last_not_of(" \t\r\n");
  return std::string(s.substr(b, e - b + 1));
}

struct Part {
  std::string type;      // lower case, without parameters
  std::string charset;   // as written
  std::string encoding;  // lower case
  std::string location;  // Content-Location
  std::string id;        // Content-ID without <>
  std::string body;
};

// A parameter of a header value: boundary="x" or charset=utf-8.
std::string Param(std::string_view value, std::string_view name) {
  const std::string lower = Lower(value);
  for (std::size_t at = lower.find(name); at != std::string::npos; at = lower.find(name, at + 1)) {
    const std::size_t eq = at + name.size();
    if ((at > 0 && std::isalnum(static_cast<unsigned char>(lower[at - 1]))) || eq >= lower.size() ||
        lower[eq] != '=') {
      continue;
    }
    std::size_t v = eq + 1;
    if (v < value.size() && value[v] == '"') {
      const std::size_t end = value.find('"', v + 1);
      return std::string(value.substr(v + 1, end == std::string_view::npos ? end : end - v - 1));
    }
    const std::size_t end = value.find_first_of("; \t\r\n", v);
    return std::string(value.substr(v, end == std::string_view::npos ? end : end - v));
  }
  return {};
}

// Headers up to the first empty line (folded lines joined); returns where the body starts.
std::size_t ReadHeaders(std::string_view text,
                        std::vector<std::pair<std::string, std::string>>& out) {
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t eol = text.find('\n', at);
    if (eol == std::string_view::npos) eol = text.size();
    std::string_view line = text.substr(at, eol - at);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    at = eol + 1;
    if (line.empty()) return std::min(at, text.size());
    if ((line[0] == ' ' || line[0] == '\t') && !out.empty()) {
      out.back().second += " " + Trim(line);
      continue;
    }
    const auto colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    out.emplace_back(Lower(Trim(line.substr(0, colon))), Trim(line.substr(colon + 1)));
  }
  return text.size();
}

std::string DecodeQuotedPrintable(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '=') {
      out.push_back(s[i]);
      continue;
    }
    if (i + 1 < s.size() && (s[i + 1] == '\n' || s[i + 1] == '\r')) {  // soft line break
      i += (s[i + 1] == '\r' && i + 2 < s.size() && s[i + 2] == '\n') ? 2u : 1u;
      continue;
    }
    if (i + 2 < s.size() && std::isxdigit(static_cast<unsigned char>(s[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(s[i + 2]))) {
      out.push_back(static_cast<char>(std::stoi(std::string(s.substr(i + 1, 2)), nullptr, 16)));
      i += 2;
      continue;
    }
    out.push_back('=');
  }
  return out;
}

std::string DecodeBase64(std::string_view s) {
  std::string out;
  unsigned value = 0;
  int bits = 0;
  for (char c : s) {
    int d = -1;
    if (c >= 'A' && c <= 'Z') d = c - 'A';
    if (c >= 'a' && c <= 'z') d = c - 'a' + 26;
    if (c >= '0' && c <= '9') d = c - '0' + 52;
    if (c == '+') d = 62;
    if (c == '/') d = 63;
    if (d < 0) continue;
    value = (value << 6) | static_cast<unsigned>(d);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out.push_back(static_cast<char>((value >> bits) & 0xFF));
    }
  }
  return out;
}

}  // namespace

Result<fs::path> UnpackMhtml(const std::string& mhtmlPath, const fs::path& dir) {
  const fs::path source = platform::PathFromUtf8(mhtmlPath);
  std::error_code ec;
  if (fs::file_size(source, ec) > kMaxArchiveBytes || ec) {
    return MakeError(codes::kTooLarge, "the web archive is too large");
  }
  std::ifstream in(source, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), {});
  std::vector<std::pair<std::string, std::string>> top;
  const std::size_t bodyAt = ReadHeaders(text, top);
  std::string boundary;
  for (const auto& [name, value] : top) {
    if (name == "content-type") boundary = Param(value, "boundary");
  }
  if (boundary.empty()) return MakeError(codes::kDamaged, "damaged: the web archive has no parts");

  std::vector<Part> parts;
  const std::string marker = "--" + boundary;
  std::size_t at = text.find(marker, bodyAt);
  while (at != std::string::npos && parts.size() < kMaxParts) {
    std::size_t start = at + marker.size();
    if (text.compare(start, 2, "--") == 0) break;  // the closing boundary
    const std::size_t next = text.find(marker, start);
    const std::string_view chunk = std::string_view(text).substr(
        start, next == std::string::npos ? std::string::npos : next - start);
    std::vector<std::pair<std::string, std::string>> headers;
    const std::size_t partBody = ReadHeaders(
        chunk.substr(std::min<std::size_t>(chunk.find('\n') + 1, chunk.size())), headers);
    Part p;
    for (const auto& [name, value] : headers) {
      if (name == "content-type") {
        p.type = Lower(Trim(value.substr(0, value.find(';'))));
        p.charset = Param(value, "charset");
      } else if (name == "content-transfer-encoding") {
        p.encoding = Lower(value);
      } else if (name == "content-location") {
        p.location = value;
      } else if (name == "content-id") {
        p.id = value;
        p.id.erase(std::remove(p.id.begin(), p.id.end(), '<'), p.id.end());
        p.id.erase(std::remove(p.id.begin(), p.id.end(), '>'), p.id.end());
      }
    }
    const std::string_view raw = chunk.substr(std::min(
        chunk.size(), std::min<std::size_t>(chunk.find('\n') + 1, chunk.size()) + partBody));
    if (p.encoding == "base64") {
      p.body = DecodeBase64(raw);
    } else if (p.encoding == "quoted-printable") {
      p.body = DecodeQuotedPrintable(raw);
    } else {
      p.body = std::string(raw);
    }
    parts.push_back(std::move(p));
    at = next;
  }
  auto page =
      std::find_if(parts.begin(), parts.end(), [](const Part& p) { return p.type == "text/html"; });
  if (page == parts.end())
    return MakeError(codes::kDamaged, "damaged: the web archive holds no page");

  // Pages refer to their pictures by location (full, relative to the page, or by file name) or
  // by content id, always inside quotes: one pass over the page swaps every known reference.
  const std::string base = page->location.substr(0, page->location.find_last_of("/\\") + 1);
  std::unordered_map<std::string, std::string> renamed;
  fs::create_directories(dir / "page-files", ec);
  int n = 0;
  for (const Part& p : parts) {
    if (&p == &*page || !p.type.starts_with("image/")) continue;
    std::string ext;
    for (char c : p.type.substr(6)) {
      if (std::isalnum(static_cast<unsigned char>(c)) && ext.size() < 8) ext.push_back(c);
    }
    const std::string name = "page-files/" + std::to_string(++n) + "." + ext;
    std::ofstream(dir / name, std::ios::binary) << p.body;
    if (!p.location.empty()) {
      renamed.emplace(p.location, name);
      if (!base.empty() && p.location.starts_with(base)) {
        renamed.emplace(p.location.substr(base.size()), name);
      }
      if (const auto slash = p.location.find_last_of("/\\"); slash != std::string::npos) {
        renamed.emplace(p.location.substr(slash + 1), name);
      }
    }
    if (!p.id.empty()) renamed.emplace("cid:" + p.id, name);
  }
  std::string html;
  html.reserve(page->body.size());
  const std::string& body = page->body;
  for (std::size_t i = 0; i < body.size();) {
    const char q = body[i];
    html.push_back(q);
    ++i;
    if (q != '"' && q != '\'') continue;
    const std::size_t close = body.find(q, i);
    if (close == std::string::npos || close - i > 2048) continue;
    const auto hit = renamed.find(body.substr(i, close - i));
    if (hit == renamed.end()) continue;
    html += hit->second;
    html.push_back(q);
    i = close + 1;
  }
  if (!page->charset.empty()) {
    html = "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=" + page->charset +
           "\">" + html;
  }
  const fs::path out = dir / "page.htm";
  std::ofstream(out, std::ios::binary) << html;
  return out;
}

}  // namespace plenwick::word::legacy
