// Content types, relationships, part names and the safe XML loader.
#include <gtest/gtest.h>

#include "word/package/Opc.h"

namespace plenwick::word::package {
namespace {

constexpr const char* kTypes =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
    R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
    R"(<Default Extension="XML" ContentType="application/xml"/>)"
    R"(<Default Extension="png" ContentType="image/png"/>)"
    R"(<Override PartName="/word/document.xml" ContentType="main"/>)"
    R"(</Types>)";

TEST(ContentTypes, FindsOverridesThenDefaultsCaseInsensitively) {
  Result<ContentTypes> types = ContentTypes::Parse(kTypes);
  ASSERT_TRUE(types) << types.error().message;
  EXPECT_EQ(types->Find("/word/document.xml"), "main");
  EXPECT_EQ(types->Find("/WORD/DOCUMENT.XML"), "main");
  EXPECT_EQ(types->Find("word/document.xml"), "main");  // a ZIP entry name works too
  EXPECT_EQ(types->Find("/word/styles.xml"), "application/xml");
  EXPECT_EQ(types->Find("/word/media/a.PNG"), "image/png");
  EXPECT_EQ(types->Find("/word/media/a.emf"), "");
  EXPECT_EQ(types->Find("/word/media.d/noext"), "");
}

TEST(ContentTypes, SerialisesWhatItHoldsAndParsesItBack) {
  ContentTypes types;
  types.SetDefault("xml", "application/xml");
  types.SetDefault("JPEG", "image/jpeg");
  types.SetOverride("/word/document.xml", "a&b\"<c>");
  types.SetOverride("/Word/Document.xml", "main");  // replaces
  types.SetOverride("/word/styles.xml", "styles");
  types.RemoveOverride("/word/STYLES.xml");
  Result<ContentTypes> back = ContentTypes::Parse(types.Serialize());
  ASSERT_TRUE(back) << back.error().message;
  EXPECT_EQ(back->Defaults().size(), 2u);
  EXPECT_EQ(back->Find("/x.jpeg"), "image/jpeg");
  ASSERT_EQ(back->Overrides().size(), 1u);
  EXPECT_EQ(back->Find("/word/document.xml"), "main");
  EXPECT_TRUE(types.Serialize().starts_with("<?xml version=\"1.0\" encoding=\"UTF-8\""));
}

TEST(ContentTypes, RefusesWhatIsNotAContentTypesPart) {
  EXPECT_FALSE(ContentTypes::Parse("<Relationships/>"));
  EXPECT_FALSE(ContentTypes::Parse("<Types><Default Extension=\"xml\"/></Types>"));
  EXPECT_FALSE(ContentTypes::Parse("not xml"));
}

TEST(Relationships, ParsesIdsTypesTargetsAndExternalMode) {
  Result<Relationships> rels = Relationships::Parse(
      R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
      R"(<Relationship Id="rId7" Type="t/image" Target="media/image1.png"/>)"
      R"(<Relationship Id="rId2" Type="t/link" Target="https://example.com/?a=1&amp;b=2" TargetMode="External"/>)"
      R"(</Relationships>)",
      "/word/_rels/document.xml.rels");
  ASSERT_TRUE(rels) << rels.error().message;
  ASSERT_EQ(rels->Items().size(), 2u);
  EXPECT_EQ(rels->FindId("rId7")->target, "media/image1.png");
  EXPECT_FALSE(rels->FindId("rId7")->external);
  EXPECT_TRUE(rels->FindType("t/link")->external);
  EXPECT_EQ(rels->FindType("t/link")->target, "https://example.com/?a=1&b=2");
  // Fresh ids never collide with the numbered ones already there.
  EXPECT_EQ(rels->Add("t/x", "x.xml"), "rId8");

  Result<Relationships> back = Relationships::Parse(rels->Serialize(), "back");
  ASSERT_TRUE(back);
  ASSERT_EQ(back->Items().size(), 3u);
  EXPECT_TRUE(back->FindId("rId2")->external);
  EXPECT_EQ(back->FindId("rId2")->target, "https://example.com/?a=1&b=2");
}

TEST(Relationships, RefusesDuplicateIdsAndBrokenXml) {
  Result<Relationships> dup =
      Relationships::Parse(R"(<Relationships><Relationship Id="a" Type="t" Target="x"/>)"
                           R"(<Relationship Id="a" Type="t" Target="y"/></Relationships>)",
                           "/_rels/.rels");
  ASSERT_FALSE(dup);
  EXPECT_EQ(dup.error().message, "damaged: duplicate relationship id a in /_rels/.rels");
  EXPECT_FALSE(Relationships::Parse("<Relationships>", "/_rels/.rels"));
}

TEST(PartNames, ResolvesTargetsAgainstTheirSource) {
  auto resolve = [](std::string_view source, std::string_view target) {
    Result<std::string> r = ResolveTarget(source, target);
    return r ? *r : "ERROR " + r.error().message;
  };
  EXPECT_EQ(resolve("/word/document.xml", "media/image1.png"), "/word/media/image1.png");
  EXPECT_EQ(resolve("/word/document.xml", "./styles.xml"), "/word/styles.xml");
  EXPECT_EQ(resolve("/word/document.xml", "../customXml/item1.xml"), "/customXml/item1.xml");
  EXPECT_EQ(resolve("/word/document.xml", "/word/media/a.png"), "/word/media/a.png");
  EXPECT_EQ(resolve("/", "word/document.xml"), "/word/document.xml");
  EXPECT_EQ(resolve("", "word/document.xml"), "/word/document.xml");
  EXPECT_EQ(resolve("/word/charts/chart1.xml", "../embeddings/Book%201.xlsx"),
            "/word/embeddings/Book 1.xlsx");
  EXPECT_EQ(resolve("/word/document.xml", "media/a.png#frag"), "/word/media/a.png");
  EXPECT_EQ(resolve("/word/document.xml", "../../x.xml"),
            "ERROR damaged: relationship target \"../../x.xml\" leaves the package");
  EXPECT_EQ(resolve("/", "../x.xml"),
            "ERROR damaged: relationship target \"../x.xml\" leaves the package");
  EXPECT_TRUE(resolve("/word/document.xml", "..%2F..%2Fx.xml").starts_with("ERROR"));
  EXPECT_TRUE(resolve("/word/document.xml", "https://example.com/a.png").starts_with("ERROR"));
  EXPECT_TRUE(resolve("/word/document.xml", "media\\a.png").starts_with("ERROR"));
  EXPECT_TRUE(resolve("/word/document.xml", "").starts_with("ERROR"));
  EXPECT_TRUE(resolve("/word/document.xml", "a%2").starts_with("ERROR"));
  EXPECT_TRUE(resolve("/word/document.xml", "a%zz").starts_with("ERROR"));
}

TEST(PartNames, MapsBetweenPartsRelsAndRelativeTargets) {
  EXPECT_EQ(RelsPartFor("/word/document.xml"), "/word/_rels/document.xml.rels");
  EXPECT_EQ(RelsPartFor("/"), "/_rels/.rels");
  EXPECT_EQ(SourceOfRelsPart("/word/_rels/document.xml.rels"), "/word/document.xml");
  EXPECT_EQ(SourceOfRelsPart("_rels/.rels"), "/");
  EXPECT_EQ(SourceOfRelsPart("/word/document.xml"), "");
  EXPECT_EQ(RelativeTarget("/word/document.xml", "/word/media/a b.png"), "media/a%20b.png");
  EXPECT_EQ(RelativeTarget("/word/charts/chart1.xml", "/word/embeddings/b.xlsx"),
            "../embeddings/b.xlsx");
  EXPECT_EQ(RelativeTarget("/", "/word/document.xml"), "word/document.xml");
  // What RelativeTarget writes, ResolveTarget reads back.
  for (const char* part :
       {"/word/media/a b.png", "/customXml/item1.xml", "/word/x%y.bin", "/word/a:b.xml"}) {
    EXPECT_EQ(*ResolveTarget("/word/document.xml", RelativeTarget("/word/document.xml", part)),
              part);
  }
  EXPECT_EQ(ExtensionOf("/word/media/A.PNG"), "png");
  EXPECT_EQ(ExtensionOf("/word.d/noext"), "");
}

TEST(SafeXml, RefusesDocumentTypesAndEntitiesAndReportsParseErrors) {
  pugi::xml_document doc;
  const Status doctype = LoadXml(doc,
                                 R"(<?xml version="1.0"?><!DOCTYPE r [<!ENTITY a "aaaaaaaaaa">)"
                                 R"(<!ENTITY b "&a;&a;&a;&a;&a;&a;&a;&a;">]><r>&b;</r>)",
                                 "/word/document.xml");
  ASSERT_FALSE(doctype);
  EXPECT_EQ(doctype.error().message,
            "damaged: XML with a document type declaration in /word/document.xml");
  EXPECT_FALSE(doc.document_element());
  EXPECT_FALSE(LoadXml(doc, R"(<!DOCTYPE r SYSTEM "file:///etc/passwd"><r/>)", "p"));

  const Status broken = LoadXml(doc, "<a><b></a>", "/word/styles.xml");
  ASSERT_FALSE(broken);
  EXPECT_TRUE(broken.error().message.starts_with("damaged: malformed XML ("));
  EXPECT_TRUE(broken.error().message.ends_with(" in /word/styles.xml"));
  EXPECT_FALSE(LoadXml(doc, "", "p"));
  EXPECT_FALSE(LoadXml(doc, "<!-- only a comment -->", "p"));
}

TEST(SafeXml, KeepsSignificantSpacesAndWritesOneDeclaration) {
  pugi::xml_document doc;
  ASSERT_TRUE(LoadXml(
      doc, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<w:t xml:space=\"preserve\"> </w:t>", "p"));
  EXPECT_EQ(std::string(doc.document_element().text().get()), " ");
  const std::string out = SaveXml(doc);
  EXPECT_EQ(out,
            "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
            "<w:t xml:space=\"preserve\"> </w:t>");
}

}  // namespace
}  // namespace plenwick::word::package
