// Small word-processing packages built by the tests themselves, and a reader for results.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <pugixml.hpp>

namespace plenwick::word::test {

struct FixtureDoc {
  std::string body;  // inner XML of w:body, before the final section properties
  std::string sectPr =
      "<w:sectPr><w:pgSz w:w=\"12240\" w:h=\"15840\"/><w:pgMar w:top=\"1440\" "
      "w:right=\"1440\" w:bottom=\"1440\" w:left=\"1440\" w:header=\"720\" w:footer=\"720\" "
      "w:gutter=\"0\"/></w:sectPr>";
  std::string docDefaults;                       // inner XML of w:docDefaults
  bool hasDocDefaults = true;                    // false: the styles have no w:docDefaults
  bool hasNormal = true;                         // false: no default paragraph style
  std::string normal;                            // the Normal style's properties (w:pPr, w:rPr)
  std::string styles;                            // w:style elements
  std::string numbering;                         // inner XML of w:numbering
  std::string footnotes;                         // normal w:footnote elements
  std::string comments;                          // w:comment elements
  std::string settings;                          // inner XML of w:settings
  std::string theme;                             // inner XML of a:themeElements
  std::map<std::string, std::string> headers;    // "header1.xml" -> inner XML of w:hdr
  std::map<std::string, std::string> media;      // "media/image1.png" -> bytes
  std::map<std::string, std::string> charts;     // "charts/chart1.xml" -> whole part, rIdC1...
                                                 // of the main part
  std::string extraRels;                         // more Relationship elements of the main part
  std::map<std::string, std::string> parts;      // more parts, as they are ("charts/_rels/...")
  std::string extraTypes;                        // more Override elements of the content types
  std::string fonts;                             // inner XML of w:fonts (the font table)
  std::map<std::string, std::string> fontFiles;  // "fonts/font1.odttf" -> bytes, rIdF1... of
                                                 // the font table
  std::string documentXml;                       // replaces the generated main part when set
};

// The namespace declarations fixtures put on their roots.
extern const char* const kNs;

// Writes the package; returns its path.
std::filesystem::path WriteDocx(const std::filesystem::path& path, const FixtureDoc& doc);
void WriteBytes(const std::filesystem::path& path, const std::string& bytes);
std::string ReadBytes(const std::filesystem::path& path);

// A saved result opened for inspection.
class ResultPackage {
 public:
  explicit ResultPackage(const std::filesystem::path& path);
  bool Has(const std::string& name) const;
  std::string Text(const std::string& name) const;
  pugi::xml_document& Xml(const std::string& name);
  std::vector<std::string> Names() const;

 private:
  std::map<std::string, std::string> parts_;
  std::map<std::string, pugi::xml_document> xml_;
};

// Every node matching an XPath in a part.
std::vector<pugi::xml_node> Select(pugi::xml_document& doc, const char* xpath);

// A scratch folder removed at the end of the test.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

}  // namespace plenwick::word::test
