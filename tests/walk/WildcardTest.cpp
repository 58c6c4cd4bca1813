// --exclude's wildcards: one matcher on every platform, as the shell reads them.
#include "walk/Wildcard.h"

#include <gtest/gtest.h>

namespace plenwick::walk {
namespace {

TEST(Wildcard, MatchesAsTheShellDoes) {
  EXPECT_TRUE(WildcardMatch("*.docx", "report.docx"));
  EXPECT_FALSE(WildcardMatch("*.docx", "report.doc"));
  EXPECT_TRUE(WildcardMatch("*draft*", "a draft b.doc"));
  EXPECT_TRUE(WildcardMatch("ch?.doc", "ch1.doc"));
  EXPECT_FALSE(WildcardMatch("ch?.doc", "ch10.doc"));
  EXPECT_TRUE(WildcardMatch("[a-c]*", "b.doc"));
  EXPECT_FALSE(WildcardMatch("[!a-c]*", "b.doc"));
  EXPECT_TRUE(WildcardMatch("[^a-c]*", "d.doc"));
  EXPECT_TRUE(WildcardMatch("\\*.doc", "*.doc"));
  EXPECT_FALSE(WildcardMatch("\\*.doc", "a.doc"));
  EXPECT_TRUE(WildcardMatch("[x", "[x"));  // no closing bracket: an ordinary character
  EXPECT_TRUE(WildcardMatch("*", ""));
  EXPECT_FALSE(WildcardMatch("?", ""));
  // Characters, not bytes; and exactly, so case counts.
  EXPECT_TRUE(WildcardMatch("?ber.doc", "über.doc"));
  EXPECT_TRUE(WildcardMatch("[ä-ü]*", "öl.doc"));
  EXPECT_FALSE(WildcardMatch("*.DOC", "a.doc"));
  // Neither * nor ? nor a set crosses a folder.
  EXPECT_FALSE(WildcardMatch("*.doc", "old/a.doc"));
  EXPECT_FALSE(WildcardMatch("old?a.doc", "old/a.doc"));
  EXPECT_TRUE(WildcardMatch("*/a.doc", "old/a.doc"));
  // Many stars on a long name stay quick (no backtracking blow-up).
  EXPECT_FALSE(WildcardMatch("*a*a*a*a*a*a*a*b", std::string(2000, 'a')));
}

TEST(Wildcard, ExcludesByNameAnywhereOrByPathFromTheSource) {
  EXPECT_TRUE(ExcludedBy("*.doc", "a.doc"));
  EXPECT_TRUE(ExcludedBy("*.doc", "x/y/a.doc"));
  EXPECT_TRUE(ExcludedBy("drafts", "x/drafts/a.docx"));
  EXPECT_FALSE(ExcludedBy("drafts", "x/drafts2/a.docx"));
  EXPECT_TRUE(ExcludedBy("old/drafts", "old/drafts/sub/a.docx"));
  EXPECT_FALSE(ExcludedBy("old/drafts", "new/old/drafts/a.docx"));
  EXPECT_TRUE(ExcludedBy("*/drafts", "new/drafts/a.docx"));
  EXPECT_TRUE(ExcludedBy("x/*.doc", "x/a.doc"));
  EXPECT_FALSE(ExcludedBy("x/*.doc", "x/y/a.doc"));
  EXPECT_FALSE(ExcludedBy("", "a.doc"));
}

}  // namespace
}  // namespace plenwick::walk
