#include "word/legacy/LostText.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include <pugixml.hpp>

#include "word/legacy/LegacyErrors.h"
#include "word/package/Zip.h"

namespace plenwick::word::legacy {
namespace {

// Files beyond this are not read whole for the check; they are taken to hold text only when a
// conversion keeps some, so the check never refuses them.
constexpr std::uintmax_t kMaxCheckedBytes = 64u << 20;

bool IsLetter(char c) {
  return std::isalpha(static_cast<unsigned char>(c)) != 0;
}

bool Visible(unsigned char c) {
  return c > 0x20 && c != 0x7F;
}

// Groups whose contents are never body text.
bool HiddenDestination(std::string_view word) {
  static const char* const kHidden[] = {
      "fonttbl",      "colortbl",   "stylesheet", "info",
      "pict",         "object",     "listtable",  "listoverridetable",
      "rsidtbl",      "generator",  "themedata",  "colorschememapping",
      "latentstyles", "datastore",  "xmlnstbl",   "mmathPr",
      "filetbl",      "revtbl",     "pgdsctbl",   "fldinst",
      "header",       "footer",     "headerl",    "headerr",
      "headerf",      "footerl",    "footerr",    "footerf",
      "footnote",     "annotation", "bkmkstart",  "bkmkend",
      "nonshppict",   "shpinst",    "private"};
  for (const char* h : kHidden) {
    if (word == h) return true;
  }
  return false;
}

}  // namespace

bool RtfShowsText(std::string_view rtf) {
  int depth = 0;
  int hiddenFrom = -1;  // the depth of the group that hides its contents, -1 for none
  bool groupStart = false;
  std::size_t i = 0;
  while (i < rtf.size()) {
    const char c = rtf[i];
    if (c == '{') {
      ++depth;
      groupStart = true;
      ++i;
      continue;
    }
    if (c == '}') {
      if (hiddenFrom == depth) hiddenFrom = -1;
      --depth;
      groupStart = false;
      ++i;
      continue;
    }
    const bool hidden = hiddenFrom >= 0;
    if (c == '\\' && i + 1 < rtf.size()) {
      const char next = rtf[i + 1];
      if (IsLetter(next)) {
        std::size_t j = i + 1;
        while (j < rtf.size() && IsLetter(rtf[j])) ++j;
        const std::string_view word = rtf.substr(i + 1, j - i - 1);
        std::size_t k = j;
        if (k < rtf.size() && rtf[k] == '-') ++k;
        const std::size_t digits = k;
        long long n = 0;
        while (k < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf[k])) != 0 &&
               k - digits < 10) {
          n = n * 10 + (rtf[k] - '0');
          ++k;
        }
        if (k < rtf.size() && rtf[k] == ' ') ++k;
        if (word == "bin" && k > digits) {
          k += static_cast<std::size_t>(
              std::min<long long>(n, static_cast<long long>(rtf.size() - k)));
        }
        if (!hidden) {
          if (groupStart && HiddenDestination(word)) {
            hiddenFrom = depth;
          } else if (word == "u" && k > digits) {
            return true;  // a Unicode character
          }
        }
        groupStart = false;
        i = k;
        continue;
      }
      if (next == '*' && groupStart) {
        if (!hidden) hiddenFrom = depth;
      } else if (next == '\'') {
        if (!hidden) return true;  // a character by its code
        i += 2;                    // the two hex digits follow
      } else if (!hidden && (next == '\\' || next == '{' || next == '}' || next == '~')) {
        return true;  // an escaped character or a non-breaking space
      }
      groupStart = false;
      i += 2;
      continue;
    }
    if (!hidden && Visible(static_cast<unsigned char>(c))) return true;
    if (c != '\r' && c != '\n') groupStart = false;
    ++i;
  }
  return false;
}

bool SourceShowsText(const std::string& path, const SniffResult& sniff) {
  if (sniff.format != LegacyFormat::kRtf && sniff.format != LegacyFormat::kPlainText) return false;
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return false;
  const std::streamoff size = in.tellg();
  if (size < 0 || static_cast<std::uintmax_t>(size) > kMaxCheckedBytes) return false;
  in.seekg(0);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (sniff.format == LegacyFormat::kRtf) return RtfShowsText(bytes);
  // Text in any of the character sets the sniffer names: a visible byte that is not part of a
  // byte-order mark, nor the zero half of a UTF-16 unit.
  std::size_t from = 0;
  if (bytes.starts_with("\xEF\xBB\xBF")) from = 3;
  if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) from = 2;
  for (std::size_t i = from; i < bytes.size(); ++i) {
    if (Visible(static_cast<unsigned char>(bytes[i]))) return true;
  }
  return false;
}

Result<bool> DocxHoldsContent(const std::string& docxPath) {
  Result<package::ZipReader> zip = package::ZipReader::Open(docxPath);
  if (!zip) return MakeError(codes::kConversionFailed, "the converter wrote an unreadable package");
  Result<package::ZipReader::Stored> stored = zip->StoredBytes("word/document.xml");
  if (!stored || stored->uncompressedSize > kMaxCheckedBytes) {
    return true;  // not ours to judge: the engine reads the package and says what is wrong
  }
  Result<std::string> read = zip->Read("word/document.xml");
  if (!read) return true;
  const std::string& bytes = *read;
  pugi::xml_document xml;
  if (!xml.load_buffer(bytes.data(), bytes.size())) return true;
  static const char* const kContent[] = {"w:drawing",   "w:pict", "w:object", "m:oMath",
                                         "m:oMathPara", "w:tbl",  "w:sym",    "w:altChunk"};
  std::vector<pugi::xml_node> stack{xml.document_element()};
  while (!stack.empty()) {
    const pugi::xml_node node = stack.back();
    stack.pop_back();
    const char* name = node.name();
    if (std::strcmp(name, "w:t") == 0) {
      for (const char* c = node.text().get(); *c != '\0'; ++c) {
        if (Visible(static_cast<unsigned char>(*c))) return true;
      }
    }
    for (const char* content : kContent) {
      if (std::strcmp(name, content) == 0) return true;
    }
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) {
      if (c.type() == pugi::node_element) stack.push_back(c);
    }
  }
  return false;
}

}  // namespace plenwick::word::legacy
