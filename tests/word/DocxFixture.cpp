#include "DocxFixture.h"

#include <fstream>
#include <stdexcept>

#include "tests/support/TestPaths.h"
#include "word/package/Zip.h"

namespace plenwick::word::test {

const char* const kNs =
    " xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\""
    " xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\""
    " xmlns:wp=\"http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing\""
    " xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\""
    " xmlns:pic=\"http://schemas.openxmlformats.org/drawingml/2006/picture\"";

namespace {

const std::string kDecl = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>";
const std::string kRel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
const std::string kWml = "application/vnd.openxmlformats-officedocument.wordprocessingml.";

std::string Rel(const std::string& id, const std::string& kind, const std::string& target) {
  return "<Relationship Id=\"" + id + "\" Type=\"" + kRel + kind + "\" Target=\"" + target + "\"/>";
}

}  // namespace

void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::filesystem::path WriteDocx(const std::filesystem::path& path, const FixtureDoc& doc) {
  std::vector<package::RawEntry> entries;
  auto add = [&](const std::string& name, const std::string& bytes) {
    entries.push_back(package::MakeEntry(name, bytes));
  };
  std::string types =
      kDecl +
      "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
      "<Default Extension=\"rels\" "
      "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
      "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
      "<Default Extension=\"png\" ContentType=\"image/png\"/>"
      "<Override PartName=\"/word/document.xml\" ContentType=\"" +
      kWml + "document.main+xml\"/><Override PartName=\"/word/styles.xml\" ContentType=\"" + kWml +
      "styles+xml\"/>";
  std::string rels = kDecl +
                     "<Relationships "
                     "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">" +
                     Rel("rIdStyles", "styles", "styles.xml");
  add("_rels/.rels", kDecl +
                         "<Relationships "
                         "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">" +
                         Rel("rId1", "officeDocument", "word/document.xml") + "</Relationships>");
  add("word/styles.xml",
      kDecl + "<w:styles" + kNs + ">" +
          (doc.hasDocDefaults ? "<w:docDefaults>" + doc.docDefaults + "</w:docDefaults>" : "") +
          (doc.hasNormal ? "<w:style w:type=\"paragraph\" w:default=\"1\" "
                           "w:styleId=\"Normal\"><w:name w:val=\"Normal\"/>" +
                               doc.normal + "</w:style>"
                         : "") +
          doc.styles + "</w:styles>");
  if (!doc.numbering.empty()) {
    add("word/numbering.xml",
        kDecl + "<w:numbering" + kNs + ">" + doc.numbering + "</w:numbering>");
    types +=
        "<Override PartName=\"/word/numbering.xml\" ContentType=\"" + kWml + "numbering+xml\"/>";
    rels += Rel("rIdNumbering", "numbering", "numbering.xml");
  }
  if (!doc.footnotes.empty()) {
    add("word/footnotes.xml",
        kDecl + "<w:footnotes" + kNs +
            "><w:footnote w:type=\"separator\" w:id=\"-1\"><w:p><w:r><w:separator/></w:r></w:p>"
            "</w:footnote><w:footnote w:type=\"continuationSeparator\" w:id=\"0\"><w:p><w:r>"
            "<w:continuationSeparator/></w:r></w:p></w:footnote>" +
            doc.footnotes + "</w:footnotes>");
    types +=
        "<Override PartName=\"/word/footnotes.xml\" ContentType=\"" + kWml + "footnotes+xml\"/>";
    rels += Rel("rIdFootnotes", "footnotes", "footnotes.xml");
  }
  if (!doc.comments.empty()) {
    add("word/comments.xml", kDecl + "<w:comments" + kNs + ">" + doc.comments + "</w:comments>");
    types += "<Override PartName=\"/word/comments.xml\" ContentType=\"" + kWml + "comments+xml\"/>";
    rels += Rel("rIdComments", "comments", "comments.xml");
  }
  if (!doc.settings.empty()) {
    add("word/settings.xml", kDecl + "<w:settings" + kNs + ">" + doc.settings + "</w:settings>");
    types += "<Override PartName=\"/word/settings.xml\" ContentType=\"" + kWml + "settings+xml\"/>";
    rels += Rel("rIdSettings", "settings", "settings.xml");
  }
  int n = 0;
  for (const auto& [name, inner] : doc.headers) {
    bool footer = name.starts_with("footer");
    add("word/" + name, kDecl + (footer ? "<w:ftr" : "<w:hdr") + kNs + ">" + inner +
                            (footer ? "</w:ftr>" : "</w:hdr>"));
    types += "<Override PartName=\"/word/" + name + "\" ContentType=\"" + kWml +
             (footer ? "footer+xml" : "header+xml") + "\"/>";
    rels += Rel("rIdH" + std::to_string(++n), footer ? "footer" : "header", name);
    (void)n;
  }
  if (!doc.theme.empty()) {
    add("word/theme/theme1.xml",
        kDecl +
            "<a:theme xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" "
            "name=\"Fixture\"><a:themeElements>" +
            doc.theme + "</a:themeElements></a:theme>");
    types +=
        "<Override PartName=\"/word/theme/theme1.xml\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.theme+xml\"/>";
    rels += Rel("rIdTheme", "theme", "theme/theme1.xml");
  }
  n = 0;
  for (const auto& [name, bytes] : doc.media) {
    add("word/" + name, bytes);
    rels += Rel("rIdM" + std::to_string(++n), "image", name);
  }
  n = 0;
  for (const auto& [name, xml] : doc.charts) {
    add("word/" + name, xml);
    types +=
        "<Override PartName=\"/word/" + name +
        "\" ContentType=\"application/vnd.openxmlformats-officedocument.drawingml.chart+xml\"/>";
    rels += Rel("rIdC" + std::to_string(++n), "chart", name);
  }
  if (!doc.fonts.empty()) {
    add("word/fontTable.xml", kDecl + "<w:fonts" + kNs + ">" + doc.fonts + "</w:fonts>");
    types +=
        "<Override PartName=\"/word/fontTable.xml\" ContentType=\"" + kWml + "fontTable+xml\"/>";
    rels += Rel("rIdFonts", "fontTable", "fontTable.xml");
    if (!doc.fontFiles.empty()) {
      types +=
          "<Default Extension=\"odttf\" "
          "ContentType=\"application/vnd.openxmlformats-officedocument.obfuscatedFont\"/>";
      std::string fontRels =
          kDecl +
          "<Relationships "
          "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
      n = 0;
      for (const auto& [name, bytes] : doc.fontFiles) {
        add("word/" + name, bytes);
        fontRels += Rel("rIdF" + std::to_string(++n), "font", name);
      }
      add("word/_rels/fontTable.xml.rels", fontRels + "</Relationships>");
    }
  }
  for (const auto& [name, bytes] : doc.parts) add("word/" + name, bytes);
  types += doc.extraTypes;
  rels += doc.extraRels + "</Relationships>";
  add("word/_rels/document.xml.rels", rels);
  add("[Content_Types].xml", types + "</Types>");
  add("word/document.xml", doc.documentXml.empty()
                               ? kDecl + "<w:document" + kNs + "><w:body>" + doc.body + doc.sectPr +
                                     "</w:body></w:document>"
                               : doc.documentXml);
  package::PackageWriter writer;
  auto saved = writer.Save(path.string(), entries);
  if (!saved) throw std::runtime_error("cannot write fixture: " + saved.error().message);
  return path;
}

ResultPackage::ResultPackage(const std::filesystem::path& path) {
  auto zip = package::ZipReader::Open(path.string());
  if (!zip) throw std::runtime_error("cannot open result: " + zip.error().message);
  for (const std::string& name : zip->Names()) {
    auto bytes = zip->Read(name);
    if (!bytes) throw std::runtime_error("cannot read " + name + ": " + bytes.error().message);
    parts_[name] = std::move(*bytes);
  }
}

bool ResultPackage::Has(const std::string& name) const {
  return parts_.count(name) != 0;
}

std::string ResultPackage::Text(const std::string& name) const {
  auto found = parts_.find(name);
  return found == parts_.end() ? std::string() : found->second;
}

pugi::xml_document& ResultPackage::Xml(const std::string& name) {
  auto found = xml_.find(name);
  if (found != xml_.end()) return found->second;
  pugi::xml_document& doc = xml_[name];
  std::string text = Text(name);
  if (!doc.load_buffer(text.data(), text.size())) {
    throw std::runtime_error(name + " is not well-formed");
  }
  return doc;
}

std::vector<std::string> ResultPackage::Names() const {
  std::vector<std::string> out;
  for (const auto& [name, bytes] : parts_) out.push_back(name);
  return out;
}

std::vector<pugi::xml_node> Select(pugi::xml_document& doc, const char* xpath) {
  std::vector<pugi::xml_node> out;
  for (const pugi::xpath_node& n : doc.select_nodes(xpath)) out.push_back(n.node());
  return out;
}

TempFolder::TempFolder() : path_(plenwick::test::MakeTempFolder("plenwick-test-")) {}

TempFolder::~TempFolder() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

}  // namespace plenwick::word::test
