#include "fuzz/PartPackage.h"

#include <cstdlib>

#include "word/package/Zip.h"
#include "word/package/ZipLayout.h"

namespace plenwick::fuzz {
namespace {

using word::package::RawEntry;

constexpr std::string_view kWml = "application/vnd.openxmlformats-officedocument.wordprocessingml.";

std::string Override(std::string_view part, std::string_view type) {
  return "<Override PartName=\"/" + std::string(part) + "\" ContentType=\"" + std::string(type) +
         "\"/>";
}

std::string ContentTypes() {
  std::string t =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
      "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
      "<Default Extension=\"rels\" "
      "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
      "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
      "<Default Extension=\"png\" ContentType=\"image/png\"/>";
  const std::string wml(kWml);
  t += Override("word/document.xml", wml + "document.main+xml");
  t += Override("word/styles.xml", wml + "styles+xml");
  t += Override("word/numbering.xml", wml + "numbering+xml");
  t += Override("word/settings.xml", wml + "settings+xml");
  t += Override("word/fontTable.xml", wml + "fontTable+xml");
  t += Override("word/footnotes.xml", wml + "footnotes+xml");
  t += Override("word/endnotes.xml", wml + "endnotes+xml");
  t += Override("word/comments.xml", wml + "comments+xml");
  t += Override("word/header1.xml", wml + "header+xml");
  t += Override("word/footer1.xml", wml + "footer+xml");
  t += Override("word/theme/theme1.xml", "application/vnd.openxmlformats-officedocument.theme+xml");
  return t + "</Types>";
}

constexpr const char* kNs =
    " xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\""
    " xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"";

std::string Story(std::string_view root, std::string_view body) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<w:" + std::string(root) +
         kNs + ">" + std::string(body) + "</w:" + std::string(root) + ">";
}

std::string Note(std::string_view kind, std::string_view id, std::string_view text) {
  return "<w:" + std::string(kind) + " w:id=\"" + std::string(id) + "\"><w:p><w:r><w:t>" +
         std::string(text) + "</w:t></w:r></w:p></w:" + std::string(kind) + ">";
}

// The smallest valid PNG: one transparent pixel.
constexpr unsigned char kPng[] = {
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48,
    0x44, 0x52, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x08, 0x06, 0x00, 0x00,
    0x00, 0x1F, 0x15, 0xC4, 0x89, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x44, 0x41, 0x54, 0x78,
    0x9C, 0x63, 0x00, 0x01, 0x00, 0x00, 0x05, 0x00, 0x01, 0x0D, 0x0A, 0x2D, 0xB4, 0x00,
    0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};

// Entries every package has, compressed once per process.
const std::vector<RawEntry>& Skeleton() {
  static const std::vector<RawEntry> entries = [] {
    std::vector<RawEntry> e;
    e.push_back(word::package::MakeEntry("[Content_Types].xml", ContentTypes()));
    e.push_back(word::package::MakeEntry(
        "_rels/.rels",
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
        "relationships/officeDocument\" Target=\"word/document.xml\"/></Relationships>"));
    e.push_back(word::package::MakeEntry(
        "word/fontTable.xml",
        Story("fonts",
              "<w:font w:name=\"Calibri\"><w:charset w:val=\"00\"/></w:font>"
              "<w:font w:name=\"Arial Unicode MS\"><w:charset w:val=\"80\"/></w:font>")));
    e.push_back(word::package::MakeEntry(
        "word/footnotes.xml",
        Story("footnotes",
              "<w:footnote w:type=\"separator\" w:id=\"-1\"><w:p><w:r><w:separator/>"
              "</w:r></w:p></w:footnote>" +
                  Note("footnote", "1", "footnote one") + Note("footnote", "2", "footnote two"))));
    e.push_back(word::package::MakeEntry("word/endnotes.xml",
                                         Story("endnotes", Note("endnote", "1", "endnote one"))));
    e.push_back(word::package::MakeEntry(
        "word/comments.xml",
        Story("comments",
              "<w:comment w:id=\"0\" w:author=\"A\" w:initials=\"A\"><w:p><w:r>"
              "<w:t>comment</w:t></w:r></w:p></w:comment>")));
    e.push_back(word::package::MakeEntry(
        "word/header1.xml",
        Story("hdr",
              "<w:p><w:r><w:t>header</w:t></w:r><w:r><w:drawing><wp:inline "
              "xmlns:wp=\"http://schemas.openxmlformats.org/drawingml/2006/"
              "wordprocessingDrawing\"><wp:docPr id=\"7\" name=\"p\"/><a:graphic "
              "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\">"
              "<a:graphicData><a:blip r:embed=\"rId1\"/></a:graphicData></a:graphic>"
              "</wp:inline></w:drawing></w:r></w:p>")));
    e.push_back(word::package::MakeEntry(
        "word/_rels/header1.xml.rels",
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
        "relationships/image\" Target=\"media/image1.png\"/></Relationships>"));
    e.push_back(word::package::MakeEntry("word/footer1.xml",
                                         Story("ftr", "<w:p><w:r><w:t>footer</w:t></w:r></w:p>")));
    e.push_back(word::package::MakeEntry(
        "word/media/image1.png",
        std::string_view(reinterpret_cast<const char*>(kPng), sizeof kPng)));
    return e;
  }();
  return entries;
}

}  // namespace

std::vector<std::string_view> SplitFields(std::string_view input) {
  std::vector<std::string_view> fields;
  for (;;) {
    const std::size_t nul = input.find('\0');
    fields.push_back(input.substr(0, nul));
    if (nul == std::string_view::npos) break;
    input.remove_prefix(nul + 1);
  }
  return fields;
}

std::string BuildPackage(std::span<const std::string_view> fields) {
  std::vector<RawEntry> fuzzed;
  for (std::size_t i = 0; i < kFuzzedParts.size() && i < fields.size(); ++i) {
    if (!fields[i].empty()) fuzzed.push_back(word::package::MakeEntry(kFuzzedParts[i], fields[i]));
  }
  std::string out;
  std::string directory;
  std::size_t count = 0;
  auto add = [&](const RawEntry& e) {
    word::package::AppendCentralHeader(directory, e, out.size());
    word::package::AppendLocalHeader(out, e);
    out += *e.data;
    ++count;
  };
  for (const RawEntry& e : Skeleton()) add(e);
  for (const RawEntry& e : fuzzed) add(e);
  const std::size_t directoryAt = out.size();
  out += directory;
  // Inputs are bounded by the fuzzer's -max_len, far below what would need ZIP64.
  if (!word::package::AppendEndRecord(out, count, directory.size(), directoryAt)) std::abort();
  return out;
}

}  // namespace plenwick::fuzz
