// The document being built: its parts, the running indexes that make every appended document's
// ids, names and parts unique, and the append itself. Each kind of part has one module (styles,
// numbering, notes, comments, sections, fields and bookmarks, fonts and theme, related parts);
// the composer runs them once per appended document in a fixed order. An append is prepared
// against the indexes (every change to them journalled), and only a prepared append is
// committed, so a failed one leaves the document exactly as it was.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

#include "base/Result.h"
#include "word/BinderOptions.h"
#include "word/engine/AnnotationView.h"
#include "word/engine/Blank.h"
#include "word/engine/BoundDocument.h"
#include "word/engine/DocumentWide.h"
#include "word/engine/ParagraphIds.h"
#include "word/engine/ParsedParts.h"
#include "word/engine/PieceEntry.h"
#include "word/engine/RecentParts.h"
#include "word/engine/Settings.h"
#include "word/engine/SourcePackage.h"
#include "word/engine/StyleIndex.h"
#include "word/package/BackgroundSaver.h"
#include "word/package/Zip.h"

namespace plenwick::word::engine {

// Undo actions for index changes made while an append is prepared.
class Journal {
 public:
  void Record(std::function<void()> undo) { undo_.push_back(std::move(undo)); }
  void Undo() {
    for (auto it = undo_.rbegin(); it != undo_.rend(); ++it) (*it)();
    undo_.clear();
  }

 private:
  std::vector<std::function<void()>> undo_;
};

// Running counters from which every id of the result is allocated, in order.
struct Counters {
  long rel = 100;
  long abstractNum = 0;
  long num = 0;
  long picBullet = 0;
  long nsid = 0;
  long footnote = 0;
  long endnote = 0;
  long comment = 0;
  long bookmark = 0;
  long docPr = 0;
  long paraId = 0;
  long durableId = 0;
};

struct StyleRecord {
  std::string id;
  std::string type;
  std::string key;  // the definition, as compared between documents
  // Of the key, so that the many definitions sharing a name are told apart without comparing
  // each; 0 for the blank document's styles, whose empty key matches nothing.
  std::size_t keyHash = 0;
};

// Fonts, colours and formats of a theme, as far as they decide how text and shapes look.
struct ThemeLook {
  std::string majorLatin, majorEa, majorCs, minorLatin, minorEa, minorCs;
  std::string colours;
  std::string formats;  // the format scheme (lines, fills, effects) as written
  bool operator==(const ThemeLook&) const = default;
  bool TextLooksAlike(const ThemeLook& other) const {
    return majorLatin == other.majorLatin && majorEa == other.majorEa && majorCs == other.majorCs &&
           minorLatin == other.minorLatin && minorEa == other.minorEa && minorCs == other.minorCs &&
           colours == other.colours;
  }
};

// Lookups kept across appends.
struct ResultIndex {
  std::map<std::string, std::vector<StyleRecord>> stylesByName;  // folded name
  std::set<std::string> styleIds;                                // folded
  std::set<std::string> styleNames;                              // StyleNameKey of each
  // Where the search for a free "Id-N" / "Name N" resumes: every number below is taken. Without
  // it, documents that each bring their own variant of one style search longer every time.
  std::map<std::string, long> nextStyleIdNumber;    // source id -> N
  std::map<std::string, long> nextStyleNameNumber;  // name as written -> N
  std::string defaultParagraphStyle;                // result id
  std::string defaultTableStyle;                    // result id, "" when there is none
  std::string docDefaultsKey;
  // Which of its spacing and indents the result's default paragraph style sets, one bit for each
  // of kStatedLayoutGroups (Styles.cpp).
  unsigned defaultParagraphLayout = 0;
  ThemeLook theme;
  std::set<std::string> bookmarkNames;                   // folded
  std::map<std::string, std::string> media;              // content key -> part name
  std::set<std::string> partNames;                       // folded part names in use
  std::map<std::string, long> partNumbers;               // "/word/media/image" -> last number
  std::map<std::string, std::string> documentRelOfPart;  // part -> rId (headers, footers)
  std::set<std::string> fonts;
  std::map<std::string, bool> people;  // author -> present
  // Paragraph ids taken in each part of the result that joins documents' stories.
  ParagraphIdSet bodyParaIds, footnoteParaIds, endnoteParaIds, commentParaIds;
  bool footnotes = false, endnotes = false, comments = false, numbering = false;
  bool commentsExtended = false, commentsIds = false, commentsExtensible = false, people_ = false;
  bool emptyHeader = false, emptyFooter = false;
  bool evenAndOddHeaders = false;
  bool embedTrueTypeFonts = false;
  long defaultTabStop = 720;  // twips, the first document's
  std::string view;           // the first document's view, "" for print layout
  bool viewsDiffer = false;
  LayoutVote layout;  // compatibility options and other settings held once
  // How much East Asian text was laid out under each way of compressing its punctuation.
  std::map<std::string, std::uint64_t> eastAsianWeight;
  std::string eastAsian;  // the way the result uses
  // The page colour (six hex digits, "" for none): a document's while every document so far
  // has the same, and none once two differ.
  std::string pageColour;
  bool pageColoursDiffer = false;
  DocumentWideIndex wide;
  AnnotationViewIndex annotations;
};

// Everything one append adds, held apart until it is committed.
struct Staging {
  std::vector<std::string> bodyPieces;
  std::string lastParagraph;        // the document's last paragraph, as it is
  std::string lastParagraphJoined;  // the same carrying the final section's properties
  // The same again holding a space that keeps its line in LibreOffice, where it shows nothing.
  std::string lastParagraphJoinedKept;
  std::string finalSectPr;
  std::string documentRels, contentTypes;
  std::string styles, fonts, fontsRels;
  std::string picBullets, abstractNums, nums, numberingRels;
  std::string footnotes, footnotesRels, endnotes, endnotesRels;
  std::string comments, commentsRels, commentsExtended, commentsIds, commentsExtensible, people;
  std::vector<package::RawEntry> fixed;
  // Set only by the first document, which the result adopts.
  std::unique_ptr<pugi::xml_document> settings;
  std::string stylesHead;           // docDefaults and latent styles of the adopted styles part
  std::string stylesHeadUncounted;  // the same, its paragraphs left out of line numbering
  bool numbersLines = false;        // some section of the document numbers its lines
  std::string fontsFromFirst;
  std::shared_ptr<package::RawEntry> theme;
  std::vector<package::RawEntry> themeExtras;
  bool evenAndOddHeaders = false;
  bool embedTrueTypeFonts = false;  // the document embeds its fonts and asks for them saved so
  std::string compatibility;        // the document's compatibility options
  std::string eastAsian;            // how the document compresses East Asian punctuation
  std::string pageColour;           // six hex digits, "" for none
  std::string view;                 // the view the document opens in, "" for print layout
  BoundDocument bound;              // what the binder keeps of it, when the result has one
  DocumentWideStaged wide;
  AnnotationView annotations;
};

class Binder;

// The document being composed.
class Composer {
 public:
  explicit Composer(Paper paper);
  Composer(const Composer&) = delete;
  Composer& operator=(const Composer&) = delete;

  ~Composer();
  // Makes the result a binder (bookmarks, contents page, page numbers); before the first append.
  void Bind(const BinderOptions& options);
  const Binder* binder() const { return binder_.get(); }
  // The pages the documents start on, by bookmark, as a rendering of the result found them.
  void SetStartPages(std::map<std::string, int> pages);

  // Appends a word-processing package; all or nothing. fileName names the document where the
  // result lists it or marks its start.
  Status Append(SourcePackage& source, std::string_view fileName = {});
  // Writes the package atomically.
  Status Save(const std::string& path, package::SaveMode mode = package::SaveMode::kReplace);
  // Starts writing the package atomically and returns at once, so the next document can go in
  // while the save goes on; FinishSaving gives its outcome. Fails only when the save could not
  // be started.
  Status StartSave(const std::string& path);
  Status FinishSaving();
  int documentCount() const { return documents_; }

  // State the part modules work on.
  ResultIndex index;
  Counters counters;
  pugi::xml_document settings;

  std::string NewRelId() { return "rId" + std::to_string(++counters.rel); }

  // The look of the last theme read, by its stored bytes and the languages its fonts stand for:
  // documents joined together nearly always share one, and reading its look means parsing it.
  struct ThemeMemo {
    std::string bytes;  // as stored
    std::uint16_t method = 0;
    std::string eastAsia, bidi;
    ThemeLook look;
    bool valid = false;
  };
  ThemeMemo lastTheme;
  // Styles parts by their stored bytes: documents of one template share theirs, and a join
  // usually mixes a few templates.
  ParsedParts sharedStyles{8};
  StyleIndexes styleIndexes{8};
  ParsedParts sharedNumbering{4};
  // Headers and footers that refer to nothing else, by their bytes.
  RecentParts recentHeaders{16};

 private:
  void Commit(Staging& staging);
  std::vector<package::RawEntry> ChangingEntries();

  CompressedRun bodyHead_;  // up to <w:body>: the contents page goes after it
  CompressedRun body_;
  Assembly document_;  // the main part as the last save wrote it
  std::string pendingLast_, pendingJoined_, pendingJoinedKept_, finalSectPr_;
  bool blank_ = true;
  int documents_ = 0;

  PieceEntry contentTypes_{"[Content_Types].xml", 1};
  PieceEntry documentRels_{"word/_rels/document.xml.rels", 1};
  PieceEntry styles_{"word/styles.xml", 1};
  // The adopted styles part's head with paragraphs left out of line numbering, taken on once a
  // document numbers lines.
  std::string stylesHeadUncounted_;
  bool linesNumbered_ = false;
  PieceEntry fonts_{"word/fontTable.xml", 1};
  PieceEntry fontsRels_{"word/_rels/fontTable.xml.rels", 1};
  PieceEntry numbering_{"word/numbering.xml", 3};
  PieceEntry numberingRels_{"word/_rels/numbering.xml.rels", 1};
  PieceEntry footnotes_{"word/footnotes.xml", 1};
  PieceEntry footnotesRels_{"word/_rels/footnotes.xml.rels", 1};
  PieceEntry endnotes_{"word/endnotes.xml", 1};
  PieceEntry endnotesRels_{"word/_rels/endnotes.xml.rels", 1};
  PieceEntry comments_{"word/comments.xml", 1};
  PieceEntry commentsRels_{"word/_rels/comments.xml.rels", 1};
  PieceEntry commentsExtended_{"word/commentsExtended.xml", 1};
  PieceEntry commentsIds_{"word/commentsIds.xml", 1};
  PieceEntry commentsExtensible_{"word/commentsExtensible.xml", 1};
  PieceEntry people_{"word/people.xml", 1};
  std::shared_ptr<package::RawEntry> theme_;
  std::vector<package::RawEntry> themeExtras_;
  package::RawEntry settingsEntry_;
  bool settingsDirty_ = true;
  std::vector<package::RawEntry> fixedOnce_;  // core, app, package relationships
  package::BackgroundSaver writer_{std::make_unique<package::PackageWriter>()};
  std::unique_ptr<Binder> binder_;
};

}  // namespace plenwick::word::engine
