#include "walk/pathLogger.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <new>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "tests/support/FakeFileSystem.h"
#include "tests/support/NativeSeparators.h"

namespace plenwick::walk {
namespace {

using test::FakeTree;
using test::NativeSeparators;
using Op = FakeTree::Op;
using Paths = std::vector<std::string>;

struct RecordingMessages final : shell::MessageBoxService {
  std::vector<std::pair<std::string, int>> shown;
  void Show(std::string_view text, int style) override { shown.emplace_back(text, style); }
};

template <typename T>
using Keyed = std::vector<std::pair<std::string, T>>;

// Checks items and keys, position by position; texts are paths, written with "/".
template <typename T>
void ExpectKeyed(const std::shared_ptr<KeyedCollection<T>>& collection, const Keyed<T>& expected) {
  ASSERT_NE(collection, nullptr);
  ASSERT_EQ(collection->Count(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const auto& [key, item] = expected[i];
    if constexpr (std::is_same_v<T, std::string>) {
      EXPECT_EQ(*collection->Item(i + 1), NativeSeparators(item)) << "position " << i + 1;
    } else {
      EXPECT_EQ(*collection->Item(i + 1), item) << "position " << i + 1;
    }
    EXPECT_EQ(collection->PositionOf(key), i + 1) << "key " << key;
  }
}

std::vector<std::string> Items(const SharedTexts& texts) {
  return {texts->begin(), texts->end()};
}

class WalkerTest : public ::testing::Test {
 protected:
  // R holds a.doc, b.txt and the subfolders S (holding c.docx) and T (empty), listed in that order.
  void BuildSmallTree(const std::string& root = "/r") {
    tree.AddFile(root + "/a.doc").AddFile(root + "/b.txt").AddFile(root + "/S/c.docx");
    tree.AddFolder(root + "/T");
  }

  // Walks as the join run does: PathLogInit, the flag, LogPath.
  void Walk(std::string_view root, bool fullNamesOnly = true) {
    ASSERT_TRUE(walker.PathLogInit());
    walker.fullFileNamesOnly(fullNamesOnly);
    walker.LogPath(NativeSeparators(std::string(root)));
  }

  FakeTree tree;
  RecordingMessages messages;
  pathLogger walker{tree.Factory(), messages};
};

TEST_F(WalkerTest, NewWalkerHoldsNothingAndCreatesCollectionsOnFirstRead) {
  EXPECT_EQ(walker.Count(), 0);
  EXPECT_FALSE(walker.fullFileNamesOnly());
  const SharedTexts names = walker.fileNames();
  EXPECT_TRUE(names->Empty());
  EXPECT_EQ(walker.fileNames(), names);
  EXPECT_EQ(walker.pathNames(), walker.pathNames());
  EXPECT_EQ(walker.fullFileNames(), walker.fullFileNames());
  EXPECT_TRUE(walker.pathPointers()->Empty());
  EXPECT_EQ(walker.pathPointers(), walker.pathPointers());
  EXPECT_EQ(tree.FileSystemsMade(), 0);
}

TEST_F(WalkerTest, CollectsFullNamesOnlyUnderTheirKeys) {
  BuildSmallTree();
  Walk("/r");
  ExpectKeyed<std::string>(walker.pathNames(), {{"K0", "/r/"}, {"K2", "/r/S/"}, {"K3", "/r/T/"}});
  ExpectKeyed<std::string>(walker.fullFileNames(),
                           {{"K1", "/r/a.doc"}, {"K2", "/r/b.txt"}, {"K3", "/r/S/c.docx"}});
  EXPECT_EQ(walker.pathNames()->Find("K1"), nullptr);
  EXPECT_EQ(walker.Count(), 4);  // one more than the files collected
  EXPECT_TRUE(walker.fileNames()->Empty());
  EXPECT_TRUE(walker.pathPointers()->Empty());
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(WalkerTest, CollectsNamesAndFolderPositionsInStepWhenAskedFor) {
  BuildSmallTree();
  Walk("/r", false);
  ExpectKeyed<std::string>(walker.fileNames(),
                           {{"K1", "a.doc"}, {"K2", "b.txt"}, {"K3", "c.docx"}});
  ExpectKeyed<std::string>(walker.fullFileNames(),
                           {{"K1", "/r/a.doc"}, {"K2", "/r/b.txt"}, {"K3", "/r/S/c.docx"}});
  ExpectKeyed<std::int32_t>(walker.pathPointers(), {{"K1", 1}, {"K2", 1}, {"K3", 2}});
  EXPECT_EQ(walker.Count(), 4);
}

TEST_F(WalkerTest, WalksBreadthFirstOpeningEachFolderTwice) {
  tree.AddFile("/r/root.doc").AddFile("/r/A/A1/deep.doc").AddFile("/r/A/a.doc");
  tree.AddFile("/r/B/b.doc");
  Walk("/r");
  EXPECT_EQ(Items(walker.pathNames()),
            NativeSeparators(Paths{"/r/", "/r/A/", "/r/B/", "/r/A/A1/"}));
  EXPECT_EQ(Items(walker.fullFileNames()),
            NativeSeparators(Paths{"/r/root.doc", "/r/A/a.doc", "/r/B/b.doc", "/r/A/A1/deep.doc"}));
  std::vector<std::string> expected{"FolderExists /r"};
  for (const char* folder : {"/r/", "/r/A/", "/r/B/", "/r/A/A1/"}) {
    for (const char* call : {"GetFolder ", "SubFolders ", "GetFolder ", "Files "}) {
      expected.push_back(call + std::string(folder));
    }
  }
  EXPECT_EQ(tree.Calls(), NativeSeparators(expected));
}

TEST_F(WalkerTest, BuildsPathsFromTheRootAsGiven) {
  BuildSmallTree();
  pathLogger other(tree.Factory(), messages);
  Walk("/r/");
  ASSERT_TRUE(other.PathLogInit());
  other.LogPath(NativeSeparators("/r"));
  EXPECT_EQ(Items(walker.pathNames()), Items(other.pathNames()));
  EXPECT_EQ(Items(walker.fullFileNames()), Items(other.fullFileNames()));
  EXPECT_EQ(*other.pathNames()->Item(1), NativeSeparators("/r/"));

  // No normalisation: what the caller wrote is what every path starts with.
  Walk("/r//");
  EXPECT_EQ(Items(walker.pathNames()), NativeSeparators(Paths{"/r//", "/r//S/", "/r//T/"}));
  EXPECT_EQ(*walker.fullFileNames()->Item(3), NativeSeparators("/r//S/c.docx"));
}

TEST_F(WalkerTest, KeepsUtf8NamesByteForByte) {
  tree.AddFile("/r/Überblick/Résumé 1.docx").AddFile("/r/日本語.doc");
  Walk("/r", false);
  EXPECT_EQ(Items(walker.pathNames()), NativeSeparators(Paths{"/r/", "/r/Überblick/"}));
  EXPECT_EQ(Items(walker.fullFileNames()),
            NativeSeparators(Paths{"/r/日本語.doc", "/r/Überblick/Résumé 1.docx"}));
  EXPECT_EQ(*walker.fileNames()->Item(2), "Résumé 1.docx");
}

TEST_F(WalkerTest, EmptyRootGivesTheRootAlone) {
  tree.AddFolder("/r");
  Walk("/r");
  ExpectKeyed<std::string>(walker.pathNames(), {{"K0", "/r/"}});
  EXPECT_TRUE(walker.fullFileNames()->Empty());
  EXPECT_EQ(walker.Count(), 1);
}

TEST_F(WalkerTest, RootThatIsNoFolderChangesNothing) {
  tree.AddFile("/r/a.doc");
  for (const char* root : {"/missing", "/r/a.doc", ""}) {
    pathLogger fresh(tree.Factory(), messages);
    ASSERT_TRUE(fresh.PathLogInit());
    fresh.LogPath(NativeSeparators(root));
    EXPECT_EQ(fresh.Count(), 0) << root;
    EXPECT_TRUE(fresh.pathNames()->Empty()) << root;
  }
  // After an earlier walk the counter keeps what it read.
  Walk("/r");
  ASSERT_EQ(walker.Count(), 2);
  Walk("/missing");
  EXPECT_EQ(walker.Count(), 2);
  EXPECT_TRUE(walker.pathNames()->Empty());
  EXPECT_TRUE(walker.fullFileNames()->Empty());
  EXPECT_TRUE(messages.shown.empty());
}

// root holds x.doc and A, B; A holds a.doc and A1; B holds b.doc; A1 holds deep.doc.
void BuildTwoLevels(FakeTree& tree) {
  tree.AddFile("/r/x.doc").AddFile("/r/A/a.doc").AddFile("/r/B/b.doc");
  tree.AddFile("/r/A/A1/deep.doc");
}

TEST_F(WalkerTest, PermissionFailureShowsTheMessageOnceAndTheWalkGoesOnPastTheFolder) {
  BuildTwoLevels(tree);
  tree.Fail("/r/B", Op::kSubFolders, errc::kPermissionDenied);
  tree.Fail("/r/A/A1", Op::kFiles, errc::kPermissionDenied);
  tree.AddFile("/r/A/A1/A2/deeper.doc");
  Walk("/r");
  ASSERT_EQ(messages.shown.size(), 1U);
  EXPECT_EQ(messages.shown[0].first, "Please Select Correct Store Folder.");
  EXPECT_EQ(messages.shown[0].second, shell::kMsgInformation);
  // Ending the walk at B silently dropped every deeper level; now only B and A1's own files are
  // missing, and both folders are named.
  EXPECT_EQ(Items(walker.pathNames()),
            NativeSeparators(Paths{"/r/", "/r/A/", "/r/B/", "/r/A/A1/", "/r/A/A1/A2/"}));
  EXPECT_EQ(Items(walker.fullFileNames()),
            NativeSeparators(Paths{"/r/x.doc", "/r/A/a.doc", "/r/A/A1/A2/deeper.doc"}));
  EXPECT_EQ(walker.Count(), 4);
  ASSERT_EQ(walker.unreadFolders().size(), 2U);
  EXPECT_EQ(walker.unreadFolders()[0].path, NativeSeparators("/r/B/"));
  EXPECT_EQ(walker.unreadFolders()[0].reason.code, errc::kPermissionDenied);
  EXPECT_EQ(walker.unreadFolders()[1].path, NativeSeparators("/r/A/A1/"));
  // A new walk starts with none.
  Walk("/r/A/a.doc");
  EXPECT_TRUE(walker.unreadFolders().empty());
}

TEST_F(WalkerTest, PermissionFailureOfEveryOperationIsReported) {
  BuildTwoLevels(tree);
  int walks = 0;
  for (const Op op : {Op::kGetFolder, Op::kSubFolders, Op::kFiles}) {
    for (const char* folder : {"/r", "/r/A/A1"}) {
      FakeTree failing;
      BuildTwoLevels(failing);
      failing.Fail(folder, op, errc::kPermissionDenied);
      RecordingMessages shown;
      pathLogger walk(failing.Factory(), shown);
      ASSERT_TRUE(walk.PathLogInit());
      walk.LogPath(NativeSeparators("/r"));
      EXPECT_EQ(shown.shown.size(), 1U) << folder << " operation " << static_cast<int>(op);
      ++walks;
    }
  }
  EXPECT_EQ(walks, 6);
}

// Other failures of one folder leave out that folder alone, without the message; running out of
// memory ends the walk.
TEST_F(WalkerTest, OtherFailuresSkipTheirFolderSilentlyAndMemoryEndsTheWalk) {
  struct Case {
    const char* what;
    std::function<void(FakeTree&)> breakTree;
    std::vector<std::string> files;
    std::vector<std::string> unread;
  };
  const std::vector<Case> cases = {
      {"folder vanished after being listed",
       [](FakeTree& t) { t.Vanish("/r/B"); },
       {"/r/x.doc", "/r/A/a.doc", "/r/A/A1/deep.doc"},
       {"/r/B/"}},
      {"folder cannot be opened",
       [](FakeTree& t) { t.Fail("/r/A", Op::kGetFolder, 76); },
       {"/r/x.doc", "/r/B/b.doc"},
       {"/r/A/"}},
      {"files cannot be listed",
       [](FakeTree& t) { t.Fail("/r/A/A1", Op::kFiles, 5); },
       {"/r/x.doc", "/r/A/a.doc", "/r/B/b.doc"},
       {"/r/A/A1/"}},
      {"folder vanished between its two opens",
       [](FakeTree& t) {
         t.OnCall([&t, opens = 0](Op op, const std::string& path) mutable {
           if (op == Op::kGetFolder && path == NativeSeparators("/r/A/") && ++opens == 2)
             t.Vanish("/r/A");
         });
       },
       {"/r/x.doc", "/r/B/b.doc", "/r/A/A1/deep.doc"},
       {"/r/A/"}},
      {"memory ran out",
       [](FakeTree& t) {
         t.OnCall([](Op op, const std::string& path) {
           if (op == Op::kFiles && path == NativeSeparators("/r/B/")) throw std::bad_alloc();
         });
       },
       {"/r/x.doc", "/r/A/a.doc"},
       {}},
  };
  for (const Case& c : cases) {
    FakeTree broken;
    BuildTwoLevels(broken);
    c.breakTree(broken);
    RecordingMessages shown;
    pathLogger walk(broken.Factory(), shown);
    ASSERT_TRUE(walk.PathLogInit());
    walk.LogPath(NativeSeparators("/r"));
    EXPECT_TRUE(shown.shown.empty()) << c.what;
    EXPECT_EQ(Items(walk.fullFileNames()), NativeSeparators(c.files)) << c.what;
    std::vector<std::string> unread;
    for (const UnreadFolder& folder : walk.unreadFolders()) unread.push_back(folder.path);
    EXPECT_EQ(unread, NativeSeparators(c.unread)) << c.what;
    EXPECT_EQ(walk.Count(), static_cast<std::int32_t>(c.files.size()) + 1) << c.what;
  }
}

TEST_F(WalkerTest, TakenKeyEndsTheWalkSilently) {
  BuildSmallTree();
  ASSERT_TRUE(walker.PathLogInit());
  // Someone holding the shared list added under a key the walk is about to use.
  ASSERT_TRUE(walker.fullFileNames()->Add(NativeSeparators("/elsewhere"), "K2"));
  walker.LogPath(NativeSeparators("/r"));
  EXPECT_EQ(Items(walker.fullFileNames()), NativeSeparators(Paths{"/elsewhere", "/r/a.doc"}));
  EXPECT_EQ(walker.Count(), 2);
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(WalkerTest, SecondWalkWithoutInitAddsNothing) {
  BuildSmallTree();
  Walk("/r");
  const SharedTexts files = walker.fullFileNames();
  walker.LogPath(NativeSeparators("/r"));
  EXPECT_EQ(walker.Count(), 1);
  EXPECT_EQ(walker.fullFileNames(), files);
  EXPECT_EQ(files->Count(), 3U);
  EXPECT_EQ(walker.pathNames()->Count(), 3U);
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(WalkerTest, InitDetachesCollectionsHeldElsewhere) {
  BuildSmallTree();
  Walk("/r", false);
  const SharedTexts files = walker.fullFileNames();
  const SharedNumbers pointers = walker.pathPointers();
  ASSERT_TRUE(walker.PathLogInit());
  EXPECT_TRUE(walker.fullFileNamesOnly());
  EXPECT_EQ(walker.Count(), 4);  // the counter is left for the next walk to set
  EXPECT_NE(walker.fullFileNames(), files);
  EXPECT_TRUE(walker.fullFileNames()->Empty());

  tree.AddFile("/r/later.doc");
  walker.LogPath(NativeSeparators("/r"));
  EXPECT_EQ(walker.Count(), 5);
  EXPECT_EQ(files->Count(), 3U);
  EXPECT_EQ(pointers->Count(), 3U);
  EXPECT_EQ(tree.FileSystemsMade(), 2);
}

TEST_F(WalkerTest, FailedInitChangesNothing) {
  BuildSmallTree();
  Walk("/r");
  walker.fullFileNamesOnly(false);
  const SharedTexts files = walker.fullFileNames();
  tree.FailCreation(errc::kUnavailable);
  const Status init = walker.PathLogInit();
  ASSERT_FALSE(init);
  EXPECT_EQ(init.error().code, errc::kUnavailable);
  EXPECT_FALSE(walker.fullFileNamesOnly());
  EXPECT_EQ(walker.fullFileNames(), files);
}

TEST_F(WalkerTest, TerminateLetsGoButKeepsCountAndFlag) {
  BuildSmallTree();
  Walk("/r");
  const SharedTexts files = walker.fullFileNames();
  walker.Terminate();
  EXPECT_EQ(walker.Count(), 4);
  EXPECT_TRUE(walker.fullFileNamesOnly());
  EXPECT_EQ(files->Count(), 3U);
  EXPECT_NE(walker.fullFileNames(), files);
  EXPECT_TRUE(walker.pathNames()->Empty());

  // Without a file-system object a walk collects nothing and says nothing.
  const std::size_t callsBefore = tree.Calls().size();
  walker.LogPath(NativeSeparators("/r"));
  EXPECT_EQ(tree.Calls().size(), callsBefore);
  EXPECT_EQ(walker.Count(), 4);
  EXPECT_TRUE(walker.fullFileNames()->Empty());
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(WalkerTest, CollectionsOutliveTheWalker) {
  BuildSmallTree();
  auto owned = std::make_shared<pathLogger>(tree.Factory(), messages);
  ASSERT_TRUE(owned->PathLogInit());
  owned->LogPath(NativeSeparators("/r"));
  const SharedTexts files = owned->fullFileNames();
  owned.reset();
  EXPECT_EQ(Items(files), NativeSeparators(Paths{"/r/a.doc", "/r/b.txt", "/r/S/c.docx"}));
}

}  // namespace
}  // namespace plenwick::walk
