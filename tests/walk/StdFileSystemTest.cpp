#include "walk/StdFileSystem.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/TestPaths.h"
#include "walk/pathLogger.h"

namespace plenwick::walk {
namespace {

namespace fs = std::filesystem;

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
 public:
  TempFolder() : path_(test::MakeTempFolder("plenwick-walk-")) {}
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  ~TempFolder() {
    std::error_code ignored;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
  }

  // The folder's path with a trailing separator, as the walker's folders are written.
  std::string Slash() const { return test::Utf8(path_) + kPathSeparator; }
  // Slash() followed by a "/"-written relative path in the platform's spelling.
  std::string Slash(const std::string& relative) const {
    return Slash() + test::NativeSeparators(relative);
  }
  // The UTF-8 path of a "/"-written relative path, without a trailing separator.
  std::string Text(const std::string& relative) const { return test::Utf8(*this / relative); }
  std::string Text() const { return test::Utf8(path_); }
  const fs::path& Path() const { return path_; }
  fs::path operator/(const std::string& relative) const {
    return path_ / platform::PathFromUtf8(test::NativeSeparators(relative));
  }

  void File(const std::string& relative) const {
    fs::create_directories((*this / relative).parent_path());
    std::ofstream(*this / relative, std::ios::binary) << "x";
  }
  void Folder(const std::string& relative) const { fs::create_directories(*this / relative); }

 private:
  fs::path path_;
};

struct NoMessages final : shell::MessageBoxService {
  int shown = 0;
  void Show(std::string_view, int) override { ++shown; }
};

std::unique_ptr<FileSystem> MakeFileSystem() {
  Result<std::unique_ptr<FileSystem>> made = DefaultFileSystems()();
  EXPECT_TRUE(made);
  return std::move(*made);
}

std::vector<std::string> SubFolderNames(FileSystem& files, const std::string& path) {
  Result<std::unique_ptr<Folder>> folder = files.GetFolder(path);
  EXPECT_TRUE(folder) << path;
  if (!folder) return {};
  Result<SharedSubFolders> listing = (*folder)->SubFolders();
  EXPECT_TRUE(listing) << path;
  std::vector<std::string> names;
  if (listing) {
    for (const SubFolder& entry : **listing) names.push_back(entry.Name());
  }
  return names;
}

std::vector<std::string> FileNames(FileSystem& files, const std::string& path) {
  Result<std::unique_ptr<Folder>> folder = files.GetFolder(path);
  EXPECT_TRUE(folder) << path;
  if (!folder) return {};
  Result<SharedFiles> listing = (*folder)->Files();
  EXPECT_TRUE(listing) << path;
  std::vector<std::string> names;
  if (listing) {
    for (const File& entry : **listing) names.push_back(entry.Name());
  }
  return names;
}

TEST(StdFileSystem, FolderExistsOnlyForFolders) {
  TempFolder root;
  root.File("a.doc");
  root.Folder("sub");
  auto files = MakeFileSystem();
  EXPECT_TRUE(files->FolderExists(root.Text("sub")));
  EXPECT_TRUE(files->FolderExists(root.Slash("sub/")));
#ifndef _WIN32  // wine has no symbolic links
  fs::create_directory_symlink(root / "sub", root / "link");
  EXPECT_TRUE(files->FolderExists(root.Text("link")));  // a root may be reached by a link
#endif
  EXPECT_FALSE(files->FolderExists(root.Text("a.doc")));
  EXPECT_FALSE(files->FolderExists(root.Text("missing")));
  EXPECT_FALSE(files->FolderExists(""));
}

TEST(StdFileSystem, ListsSubfoldersAndFilesApartInNaturalOrder) {
  TempFolder root;
  for (const char* file : {"Chapter 10.docx", "chapter 2.docx", ".hidden.doc", "Zeta.txt",
                           "apple.doc", "Überblick.doc"}) {
    root.File(file);
  }
  for (const char* folder : {"B folder", "a folder", ".hidden dir", "10", "9"}) root.Folder(folder);
  std::vector<std::string> expectedFiles = {".hidden.doc",     "apple.doc",     "chapter 2.docx",
                                            "Chapter 10.docx", "Überblick.doc", "Zeta.txt"};
#ifndef _WIN32  // wine has neither symbolic links nor pipes in folders
  fs::create_directory_symlink(root / "a folder", root / "link to folder");
  fs::create_symlink(root / "apple.doc", root / "link to file.doc");
  fs::create_symlink(root / "gone.doc", root / "broken.doc");
  ASSERT_EQ(mkfifo((root / "pipe.doc").c_str(), 0600), 0);
  expectedFiles.insert(expectedFiles.begin() + 4, "link to file.doc");
#endif

  auto files = MakeFileSystem();
  EXPECT_EQ(SubFolderNames(*files, root.Slash()),
            (std::vector<std::string>{".hidden dir", "9", "10", "a folder", "B folder"}));
  EXPECT_EQ(FileNames(*files, root.Slash()), expectedFiles);
}

TEST(StdFileSystem, EachListingReadsTheFolderAsItIsNow) {
  TempFolder root;
  root.File("first.doc");
  auto files = MakeFileSystem();
  Result<std::unique_ptr<Folder>> folder = files->GetFolder(root.Slash());
  ASSERT_TRUE(folder);
  EXPECT_EQ((*folder)->Files().value()->size(), 1U);
  root.File("second.doc");
  root.Folder("new");
  EXPECT_EQ((*folder)->Files().value()->size(), 2U);
  EXPECT_EQ((*folder)->SubFolders().value()->size(), 1U);
}

// Once a folder's last change has settled, the walker's second open of it reuses the listing
// of the first; the walk must come out the same, and any change after a read must still show.
TEST(StdFileSystem, ReusedListingsGiveTheSameWalkAndStillSeeLaterChanges) {
  TempFolder root;
  root.File("kept.doc");
  root.File("removed.doc");
  root.File("old/inner 10.doc");
  root.File("old/inner 9.doc");
  root.Folder("old/deeper");
  std::this_thread::sleep_for(std::chrono::milliseconds(3100));

  NoMessages messages;
  pathLogger walker(DefaultFileSystems(), messages);
  ASSERT_TRUE(walker.PathLogInit());
  walker.LogPath(root.Text());
  const SharedTexts folders = walker.pathNames();
  const SharedTexts found = walker.fullFileNames();
  EXPECT_EQ(
      std::vector<std::string>(folders->begin(), folders->end()),
      (std::vector<std::string>{root.Slash(), root.Slash("old/"), root.Slash("old/deeper/")}));
  EXPECT_EQ(
      std::vector<std::string>(found->begin(), found->end()),
      (std::vector<std::string>{root.Slash("kept.doc"), root.Slash("removed.doc"),
                                root.Slash("old/inner 9.doc"), root.Slash("old/inner 10.doc")}));

  auto files = MakeFileSystem();
  EXPECT_EQ(SubFolderNames(*files, root.Slash()), (std::vector<std::string>{"old"}));
  fs::remove(root / "removed.doc");
  root.File("added.doc");
  fs::rename(root / "old", root / "new");
  EXPECT_EQ(FileNames(*files, root.Slash()), (std::vector<std::string>{"added.doc", "kept.doc"}));
  EXPECT_EQ(SubFolderNames(*files, root.Slash()), (std::vector<std::string>{"new"}));
}

TEST(StdFileSystem, OpeningWhatIsNoFolderFailsWithoutThePermissionNumber) {
  TempFolder root;
  root.File("a.doc");
  auto files = MakeFileSystem();
  // A NUL byte would cut the path short at the system call, naming the folder before it.
  const std::string cutShort = root.Slash() + std::string(1, '\0') + "x";
  EXPECT_FALSE(files->FolderExists(cutShort));
  for (const std::string& path : {root.Text("missing"), root.Text("a.doc"),
                                  root.Text("a.doc/inner"), std::string(), cutShort}) {
    Result<std::unique_ptr<Folder>> folder = files->GetFolder(path);
    ASSERT_FALSE(folder) << path;
    EXPECT_EQ(folder.error().code, errc::kPathNotFound) << path;
  }
  Result<std::unique_ptr<Folder>> opened = files->GetFolder(root.Slash());
  ASSERT_TRUE(opened);
  EXPECT_EQ((*opened)->Name(), test::Utf8(root.Path().filename()));
}

TEST(StdFileSystem, ListingAVanishedFolderFails) {
  TempFolder root;
  root.Folder("sub");
  auto files = MakeFileSystem();
  Result<std::unique_ptr<Folder>> folder = files->GetFolder(root.Text("sub"));
  ASSERT_TRUE(folder);
  fs::remove(root / "sub");
  Result<SharedFiles> listing = (*folder)->Files();
  ASSERT_FALSE(listing);
  EXPECT_EQ(listing.error().code, errc::kPathNotFound);
}

TEST(StdFileSystem, PermissionErrorsMapTo70AndOnlyThey) {
  EXPECT_EQ(FileSystemErrorNumber(std::make_error_code(std::errc::permission_denied)), 70);
  EXPECT_EQ(FileSystemErrorNumber(std::make_error_code(std::errc::operation_not_permitted)), 70);
#ifdef _WIN32
  constexpr int kAccessDenied = 5;  // ERROR_ACCESS_DENIED
  EXPECT_EQ(FileSystemErrorNumber(std::error_code(kAccessDenied, std::system_category())), 70);
#else
  EXPECT_EQ(FileSystemErrorNumber(std::error_code(EACCES, std::system_category())), 70);
#endif
  for (const std::errc other : {std::errc::io_error, std::errc::no_such_file_or_directory,
                                std::errc::not_a_directory, std::errc::too_many_files_open}) {
    EXPECT_NE(FileSystemErrorNumber(std::make_error_code(other)), 70);
  }
}

// Root reads every folder, so as root the walk runs in a child that has become "nobody".
TEST(StdFileSystem, UnreadableFolderIsNamedWithTheMessageAndTheWalkGoesOn) {
#ifdef _WIN32
  GTEST_SKIP() << "wine does not enforce access rights; the walker's tests cover 70";
#else
  TempFolder root;
  root.File("open.doc");
  root.File("locked/a.doc");
  root.File("later/deeper/b.doc");
  fs::permissions(root.Path(), fs::perms::owner_all | fs::perms::group_read |
                                   fs::perms::group_exec | fs::perms::others_read |
                                   fs::perms::others_exec);
  fs::permissions(root / "locked", fs::perms::none);
  const auto walk = [&root] {
    NoMessages messages;
    pathLogger walker(DefaultFileSystems(), messages);
    if (!walker.PathLogInit()) return 10;
    walker.LogPath(root.Path().string());
    const SharedTexts found = walker.fullFileNames();
    const std::vector<std::string> expected = {root.Slash() + "open.doc",
                                               root.Slash() + "later/deeper/b.doc"};
    if (messages.shown != 1) return 11;
    if (std::vector<std::string>(found->begin(), found->end()) != expected) return 12;
    if (walker.unreadFolders().size() != 1) return 13;
    if (walker.unreadFolders()[0].path != root.Slash() + "locked/") return 14;
    if (walker.unreadFolders()[0].reason.code != errc::kPermissionDenied) return 15;
    return 0;
  };
  if (geteuid() != 0) {
    EXPECT_EQ(walk(), 0);
  } else {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      const bool dropped = setgid(65534) == 0 && setuid(65534) == 0;
      _exit(dropped ? walk() : 9);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "9: could not become nobody; 11 to 15: see the checks";
  }
  fs::permissions(root / "locked", fs::perms::owner_all);
#endif
}

TEST(StdFileSystem, WalksARealTreeWithoutFollowingLinkedFolders) {
  TempFolder root;
  root.File("Volume 10.docx");
  root.File("Volume 9.docx");
  root.File("Études/Intro.doc");
  root.File("Études/deeper/notes.txt");
  root.Folder("empty");
#ifndef _WIN32  // wine has no symbolic links
  // A cycle back to the root: followed, it would never end.
  fs::create_directory_symlink(root.Path(), root / "Études/deeper/back to top");
#endif

  NoMessages messages;
  pathLogger walker(DefaultFileSystems(), messages);
  ASSERT_TRUE(walker.PathLogInit());
  walker.LogPath(root.Text());
  const SharedTexts folders = walker.pathNames();
  const SharedTexts files = walker.fullFileNames();
  EXPECT_EQ(std::vector<std::string>(folders->begin(), folders->end()),
            (std::vector<std::string>{root.Slash(), root.Slash("empty/"), root.Slash("Études/"),
                                      root.Slash("Études/deeper/")}));
  EXPECT_EQ(std::vector<std::string>(files->begin(), files->end()),
            (std::vector<std::string>{root.Slash("Volume 9.docx"), root.Slash("Volume 10.docx"),
                                      root.Slash("Études/Intro.doc"),
                                      root.Slash("Études/deeper/notes.txt")}));
  EXPECT_EQ(walker.Count(), 5);
  EXPECT_EQ(messages.shown, 0);
  // The link is not entered, but named: nothing is left out unsaid. A link to a file is a file.
#ifndef _WIN32
  EXPECT_EQ(walker.linkedFolders(),
            (std::vector<std::string>{root.Slash() + "Études/deeper/back to top"}));
#endif
}

}  // namespace
}  // namespace plenwick::walk
