#include "word/package/SafeXml.h"

#include "word/package/PackageErrors.h"

namespace plenwick::word::package {

Status LoadXml(pugi::xml_document& doc, std::string_view bytes, std::string_view partName,
               unsigned options) {
  doc.reset();
  // Parsing the declaration as a node is the reliable way to see it: pugixml otherwise skips
  // it silently, internal subset and all.
  const pugi::xml_parse_result r =
      doc.load_buffer(bytes.data(), bytes.size(), options | pugi::parse_doctype);
  const std::string where = " in " + std::string(partName);
  if (!r) {
    doc.reset();
    return Damaged(std::string("malformed XML (") + r.description() + " at byte " +
                   std::to_string(r.offset) + ")" + where);
  }
  for (pugi::xml_node n = doc.first_child(); n; n = n.next_sibling()) {
    if (n.type() == pugi::node_doctype) {
      doc.reset();
      return Damaged("XML with a document type declaration" + where);
    }
  }
  if (!doc.document_element()) {
    doc.reset();
    return Damaged("XML without a root element" + where);
  }
  return Ok();
}

namespace {
struct StringWriter : pugi::xml_writer {
  std::string out;
  void write(const void* data, size_t size) override {
    out.append(static_cast<const char*>(data), size);
  }
};
}  // namespace

std::string SaveXml(const pugi::xml_document& doc) {
  StringWriter w;
  w.out = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";
  for (pugi::xml_node n = doc.first_child(); n; n = n.next_sibling()) {
    if (n.type() == pugi::node_declaration) continue;
    n.print(w, "", pugi::format_raw, pugi::encoding_utf8);
  }
  return std::move(w.out);
}

}  // namespace plenwick::word::package
