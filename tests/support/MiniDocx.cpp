#include "tests/support/MiniDocx.h"

#include <pugixml.hpp>

#include "word/package/Zip.h"

namespace plenwick::test {
namespace {

constexpr const char* kContentTypes =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
    R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
    R"(<Default Extension="xml" ContentType="application/xml"/>)"
    R"(<Override PartName="/word/document.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/>)"
    R"(</Types>)";

constexpr const char* kPackageRels =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="word/document.xml"/>)"
    R"(</Relationships>)";

std::string Escaped(const std::string& text) {
  std::string escaped;
  for (const char c : text) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

std::string DocumentXml(const std::vector<std::string>& paragraphs) {
  std::string xml =
      R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
      R"(<w:document xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"><w:body>)";
  for (const std::string& text : paragraphs) {
    if (text == "\f") {
      xml += "<w:p><w:r><w:br w:type=\"page\"/></w:r></w:p>";
      continue;
    }
    xml += "<w:p><w:r><w:t xml:space=\"preserve\">" + Escaped(text) + "</w:t></w:r></w:p>";
  }
  xml +=
      R"(<w:sectPr><w:pgSz w:w="11906" w:h="16838"/>)"
      R"(<w:pgMar w:top="1440" w:right="1440" w:bottom="1440" w:left="1440" w:header="708" w:footer="708" w:gutter="0"/>)"
      R"(</w:sectPr></w:body></w:document>)";
  return xml;
}

void CollectText(const pugi::xml_node& node, std::string& text) {
  for (const pugi::xml_node& child : node.children()) {
    const std::string name = child.name();
    if (name == "w:t") text += child.text().get();
    CollectText(child, text);
    if (name == "w:p") text += "\n";
  }
}

}  // namespace

Status WriteMiniDocx(const std::string& path, const std::vector<std::string>& paragraphs) {
  word::package::PackageWriter writer;
  return writer.Save(path,
                     {word::package::MakeEntry("[Content_Types].xml", kContentTypes),
                      word::package::MakeEntry("_rels/.rels", kPackageRels),
                      word::package::MakeEntry("word/document.xml", DocumentXml(paragraphs))});
}

Result<std::string> DocumentText(const std::string& path) {
  Result<word::package::ZipReader> package = word::package::ZipReader::Open(path);
  if (!package) return package.error();
  Result<std::string> xml = package->Read("word/document.xml");
  if (!xml) return xml.error();
  pugi::xml_document document;
  if (!document.load_buffer(xml->data(), xml->size())) {
    return MakeError(errc::kGeneric, path + ": word/document.xml is not well-formed");
  }
  std::string text;
  CollectText(document, text);
  return text;
}

}  // namespace plenwick::test
