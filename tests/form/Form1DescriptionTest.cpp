// The window's shared description beyond places and colours: what a screen reader hears of each
// control, and which dropped item becomes the source folder. Both windows rely on these.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "form/DroppedFolder.h"
#include "form/Form1Accessibility.h"
#include "form/Form1Layout.h"
#include "form/WebAddresses.h"

namespace plenwick::form {
namespace {

TEST(Form1Accessible, TheWindowAndEveryControlHaveANameAndADescription) {
  const auto entries = Form1Accessible();
  const auto controls = Form1Controls();
  ASSERT_EQ(entries.size(), controls.size() + 1);
  EXPECT_EQ(entries[0].control, Form1Window().name);
  EXPECT_EQ(entries[0].name, Form1Window().title);
  for (std::size_t i = 0; i < controls.size(); ++i) {
    const AccessibleText& entry = entries[i + 1];
    SCOPED_TRACE(std::string(controls[i].name));
    EXPECT_EQ(entry.control, controls[i].name);
    EXPECT_EQ(FindAccessible(controls[i].name), &entry);
    EXPECT_FALSE(AccessibleName(entry, controls[i].caption).empty());
    EXPECT_FALSE(entry.description.empty());
    // Decoration is for artwork and the panel; what carries text is never decoration.
    EXPECT_TRUE(!entry.decoration || controls[i].caption.empty());
  }
}

TEST(Form1Accessible, TheTextBoxIsTheSourceFolderAndTheCounterIsNamedByItsCount) {
  EXPECT_EQ(FindAccessible(kSourceFolderBox)->name, "Source folder");
  const AccessibleText& counter = *FindAccessible("LblProgessCurrent");
  EXPECT_EQ(AccessibleName(counter, "(4) Documents Combined"), "(4) Documents Combined");
}

TEST(Form1Accessible, LinkLabelsAreLinksThatSayWhereTheyLead) {
  std::set<std::string> links;
  for (const Control& control : Form1Controls()) {
    if (RoleOf(control.kind) == AccessibleRole::Link) links.insert(std::string(control.name));
  }
  EXPECT_EQ(links, (std::set<std::string>{"LblProductHelp", "LblWebsite", "LblClose"}));
  EXPECT_EQ(LinkTarget("LblProductHelp"), SiteAddress(kProductHelpPath));
  EXPECT_EQ(LinkTarget("LblWebsite"), SiteAddress(kWebsitePath));
  EXPECT_EQ(LinkTarget("LblClose"), "");
  EXPECT_EQ(LinkTarget("CmdBrowse"), "");
  const std::string website = AccessibleDescription(*FindAccessible("LblWebsite"));
  EXPECT_NE(website.find(SiteAddress(kWebsitePath)), std::string::npos);
  EXPECT_EQ(AccessibleDescription(*FindAccessible("LblClose")),
            FindAccessible("LblClose")->description);
}

TEST(DroppedFolder, TheFirstFolderIsTakenAndFilesAreNot) {
  const std::set<std::string> folders = {"/a/Docs", "/b/Other"};
  const auto isFolder = [&](const std::string& path) { return folders.count(path) != 0; };
  const std::vector<std::string> mixed = {"", "/a/notes.docx", "/b/Other", "/a/Docs"};
  EXPECT_EQ(DroppedFolder(mixed, isFolder), "/b/Other");
  const std::vector<std::string> files = {"/a/notes.docx", "/a/report.doc"};
  EXPECT_EQ(DroppedFolder(files, isFolder), std::nullopt);
  EXPECT_EQ(DroppedFolder({}, isFolder), std::nullopt);
}

}  // namespace
}  // namespace plenwick::form
