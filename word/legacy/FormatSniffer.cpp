#include "word/legacy/FormatSniffer.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>
#include <vector>

#include "word/legacy/CompoundFile.h"
#include "word/legacy/LegacyErrors.h"

namespace plenwick::word::legacy {
namespace {

// Text formats announce themselves early; this much is enough and bounds the work.
constexpr std::size_t kHeadBytes = 64 * 1024;

SniffResult Convertible(LegacyFormat format, std::string description) {
  SniffResult r;
  r.format = format;
  r.description = std::move(description);
  return r;
}

SniffResult Rejected(int code, std::string reason, std::string description = {}) {
  SniffResult r;
  r.format = LegacyFormat::kRejected;
  r.description = std::move(description);
  r.reason = MakeError(code, std::move(reason));
  return r;
}

SniffResult NotWord(std::string_view what) {
  return Rejected(codes::kNotWordDocument, "not a Word document (" + std::string(what) + ")",
                  std::string(what));
}

bool StartsWith(std::span<const unsigned char> b, std::string_view prefix) {
  return b.size() >= prefix.size() && std::memcmp(b.data(), prefix.data(), prefix.size()) == 0;
}

SniffResult SniffWordStream(const CompoundFile& file, const CompoundEntry& stream) {
  auto fib = file.ReadHead(stream, 0x20);
  if (!fib || fib->size() < 0x0C) {
    return Rejected(codes::kDamaged, "damaged: the document's header cannot be read",
                    "Word document");
  }
  const std::uint16_t ident = ReadU16(*fib, 0);
  const std::uint16_t flags = ReadU16(*fib, 0x0A);
  const bool encrypted = (flags & 0x0100) != 0;
  if (ident == 0xA5EC) {
    if (encrypted)
      return Rejected(codes::kPasswordProtected, "password-protected", "Word 97-2003 document");
    // The FIB's fWhichTblStm bit names the table stream every Word 97 document needs.
    const char* table = (flags & 0x0200) != 0 ? "1Table" : "0Table";
    const CompoundEntry* t = file.Find(table);
    if (t == nullptr || !t->isStream) {
      return Rejected(
          codes::kDamaged,
          std::string("damaged: the document's table stream (") + table + ") is missing",
          "Word 97-2003 document");
    }
    return Convertible(LegacyFormat::kWord97, "Word 97-2003 document");
  }
  if (ident == 0xA5DC) {
    if (encrypted)
      return Rejected(codes::kPasswordProtected, "password-protected", "Word 6.0/95 document");
    return Convertible(LegacyFormat::kWord6, "Word 6.0/95 document");
  }
  return Rejected(codes::kDamaged, "damaged: the document's header is not a Word header",
                  "Word document");
}

SniffResult SniffCompound(ByteSource& source) {
  auto file = CompoundFile::Open(source);
  if (!file) return Rejected(codes::kDamaged, "damaged: " + file.error().message);
  if (file->Find("EncryptedPackage") != nullptr || file->Find("EncryptionInfo") != nullptr) {
    return Rejected(codes::kPasswordProtected, "password-protected", "encrypted Office document");
  }
  if (const CompoundEntry* wd = file->Find("WordDocument"); wd != nullptr && wd->isStream) {
    return SniffWordStream(*file, *wd);
  }
  struct Kind {
    const char* stream;
    const char* what;
  };
  static constexpr std::array<Kind, 7> kKinds{{
      {"Workbook", "a spreadsheet"},
      {"Book", "a spreadsheet"},
      {"PowerPoint Document", "a presentation"},
      {"VisioDocument", "a drawing"},
      {"Quill", "a publication"},
      {"__properties_version1.0", "an e-mail message"},
      {"Contents", "an Office file of another kind"},
  }};
  for (const Kind& k : kKinds) {
    if (file->Find(k.stream) != nullptr) return NotWord(k.what);
  }
  return NotWord("an Office compound file without a Word document in it");
}

// The first bytes as narrow text: UTF-16 (with its byte-order mark) keeps its ASCII, so that
// "{\rtf" or "<html" are found whatever the encoding.
struct TextHead {
  std::string text;
  std::string charset;  // "UTF8", "UNICODE" or "" when not known yet
};

TextHead Narrow(std::span<const unsigned char> head) {
  TextHead out;
  if (head.size() >= 2 &&
      ((head[0] == 0xFF && head[1] == 0xFE) || (head[0] == 0xFE && head[1] == 0xFF))) {
    const bool little = head[0] == 0xFF;
    out.charset = "UNICODE";
    for (std::size_t i = 2; i + 1 < head.size(); i += 2) {
      const unsigned lo = little ? head[i] : head[i + 1];
      const unsigned hi = little ? head[i + 1] : head[i];
      out.text.push_back(hi == 0 && lo != 0 ? static_cast<char>(lo) : '?');
    }
    return out;
  }
  std::size_t skip = 0;
  if (StartsWith(head, "\xEF\xBB\xBF")) {
    skip = 3;
    out.charset = "UTF8";
  }
  out.text.assign(reinterpret_cast<const char*>(head.data()) + skip, head.size() - skip);
  return out;
}

std::string LowerAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  return out;
}

// Valid UTF-8, allowing a sequence cut off by the end of the sample.
bool IsUtf8(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    std::size_t len = 0;
    if (c < 0x80) {
      len = 1;
    } else if (c >= 0xC2 && c <= 0xDF) {
      len = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
      len = 3;
    } else if (c >= 0xF0 && c <= 0xF4) {
      len = 4;
    } else {
      return false;
    }
    for (std::size_t k = 1; k < len; ++k) {
      if (i + k >= s.size()) return true;
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    }
    i += len;
  }
  return true;
}

bool MostlyPrintable(std::string_view s) {
  std::size_t control = 0;
  for (char ch : s) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == 0) return false;
    if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f') || c == 0x7F) ++control;
  }
  return control * 100 <= s.size() * 2;
}

SniffResult SniffText(std::span<const unsigned char> head) {
  TextHead narrow = Narrow(head);
  const std::string_view text = narrow.text;
  const std::size_t start = std::min(text.find_first_not_of(" \t\r\n"), text.size());
  const std::string_view body = text.substr(start);
  if (body.starts_with("{\\rtf")) return Convertible(LegacyFormat::kRtf, "RTF document");
  const std::string lower = LowerAscii(body);
  if (lower.starts_with("mime-version:") ||
      (lower.find("\nmime-version:") < 4096 &&
       lower.find("multipart/related") != std::string::npos)) {
    return Convertible(LegacyFormat::kWebArchive, "web archive (MHTML)");
  }
  if (lower.starts_with("<")) {
    if (lower.find("schemas.microsoft.com/office/word/2003/wordml") != std::string::npos ||
        lower.find("<w:worddocument") != std::string::npos) {
      return Convertible(LegacyFormat::kWordXml2003, "Word 2003 XML document");
    }
    if (lower.starts_with("<!doctype html") || lower.find("<html") != std::string::npos) {
      return Convertible(LegacyFormat::kHtml, "web page (HTML)");
    }
    if (lower.starts_with("<?xml")) return NotWord("an XML file of another kind");
  }
  if (narrow.charset == "UNICODE") {
    SniffResult r = Convertible(LegacyFormat::kPlainText, "plain text");
    r.textCharset = "UNICODE";
    return r;
  }
  if (!MostlyPrintable(text)) return NotWord("a file of an unknown kind");
  SniffResult r = Convertible(LegacyFormat::kPlainText, "plain text");
  r.textCharset = IsUtf8(text) ? "UTF8" : "MS_1252";
  return r;
}

}  // namespace

SniffResult SniffSource(ByteSource& source) {
  std::vector<unsigned char> head(
      static_cast<std::size_t>(std::min<std::uint64_t>(source.Size(), kHeadBytes)));
  head.resize(source.Read(0, head));
  if (head.empty()) return NotWord("the file is empty");
  const std::span<const unsigned char> h(head);

  if (h.size() >= 8 &&
      std::equal(std::begin(kCompoundSignature), std::end(kCompoundSignature), h.begin())) {
    return SniffCompound(source);
  }
  if (StartsWith(h, "PK\x03\x04") || StartsWith(h, "PK\x05\x06")) {
    return Convertible(LegacyFormat::kOoxmlPackage, "OOXML package");
  }
  // Word for Windows 1.x and 2.0 predate compound files: the header starts the file.
  const std::uint16_t ident = ReadU16(h, 0);
  if (h.size() >= 0x20 && (ident == 0xA5DB || ident == 0xA59B)) {
    if ((ReadU16(h, 0x0A) & 0x0100) != 0) {
      return Rejected(codes::kPasswordProtected, "password-protected", "Word 2.0 document");
    }
    return Convertible(LegacyFormat::kWord2, "Word 2.0 document");
  }
  if (StartsWith(h, "%PDF")) return NotWord("a PDF file");
  if (StartsWith(h, "\x89PNG") || StartsWith(h, "\xFF\xD8\xFF") || StartsWith(h, "GIF8")) {
    return NotWord("a picture");
  }
  return SniffText(h);
}

Result<SniffResult> SniffFile(const std::string& path) {
  FileSource source(path);
  if (!source.IsOpen()) return MakeError(codes::kReadFailed, "the file cannot be read");
  return SniffSource(source);
}

}  // namespace plenwick::word::legacy
