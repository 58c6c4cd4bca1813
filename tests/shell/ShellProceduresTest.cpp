// ShellOpen, PickFolder and folder paths over replaceable services (no Qt).
#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>

#include "shell/FolderPath.h"
#include "shell/RememberingPicker.h"
#include "shell/modMain.h"
#include "tests/support/ScriptedServices.h"

namespace plenwick::shell {
namespace {

TEST(ShellOpen, AnEmptyTargetOpensNothing) {
  testing::RecordingOpener opener;
  EXPECT_TRUE(ShellOpen(opener, ""));
  EXPECT_TRUE(opener.opened.empty());
}

TEST(ShellOpen, HandsTheTargetOverOnceAndUnchanged) {
  testing::RecordingOpener opener;
  const std::string target = "/home/anna/Отчёты 2024/文档.docx";
  EXPECT_TRUE(ShellOpen(opener, target));
  EXPECT_TRUE(ShellOpen(opener, "https://www.example.com/plenwick/"));
  ASSERT_EQ(opener.opened.size(), 2u);
  EXPECT_EQ(opener.opened[0], target);
  EXPECT_EQ(opener.opened[1], "https://www.example.com/plenwick/");
  opener.failure = MakeError(errc::kGeneric, "no program is set up to open it");
  const Status failed = ShellOpen(opener, target);
  ASSERT_FALSE(failed);
  EXPECT_EQ(failed.error().message, "no program is set up to open it");
}

TEST(PickFolder, PassesOwnerAndTitleAndReturnsTheAnswer) {
  testing::ScriptedPicker picker;
  int owner = 0;
  picker.Answer("/srv/docs");
  EXPECT_EQ(PickFolder(picker, &owner, "Choose Folder to Save..."), "/srv/docs");
  ASSERT_EQ(picker.calls.size(), 1u);
  EXPECT_EQ(picker.calls[0].owner, &owner);
  EXPECT_EQ(picker.calls[0].title, "Choose Folder to Save...");
  EXPECT_EQ(PickFolder(picker, &owner, "again"), "");
}

// Browse and the destination question open where the user was the last time, also after a
// restart (the store outlives the picker); a cancel forgets nothing.
TEST(RememberingPicker, OpensAtTheLastAnswerToTheSameQuestion) {
  struct MemoryStore final : SettingsStore {
    std::map<std::string, std::string, std::less<>> values;
    std::string Read(std::string_view key) override {
      const auto found = values.find(key);
      return found == values.end() ? std::string() : found->second;
    }
    void Write(std::string_view key, const std::string& value) override {
      values[std::string(key)] = value;
    }
  } store;
  testing::ScriptedPicker dialogs;
  const std::map<std::string, std::string> keys = {{"Source?", "LastSource"},
                                                   {"Destination?", "LastDestination"}};
  {
    RememberingPicker picker(dialogs, store, keys);
    dialogs.Answer("/srv/docs");
    dialogs.Answer("/srv/out");
    EXPECT_EQ(picker.Pick(nullptr, "Source?", {}), "/srv/docs");
    EXPECT_EQ(picker.Pick(nullptr, "Destination?", {}), "/srv/out");
  }
  RememberingPicker picker(dialogs, store, keys);
  EXPECT_EQ(picker.Pick(nullptr, "Source?", {}), "");  // cancelled
  dialogs.Answer("/srv/out2");
  EXPECT_EQ(picker.Pick(nullptr, "Destination?", {}), "/srv/out2");
  EXPECT_EQ(picker.Pick(nullptr, "Something else?", {}), "");
  dialogs.Answer("/x");
  EXPECT_EQ(picker.Pick(nullptr, "Source?", "/given"), "/x");
  const std::vector<std::string> starts = {"", "", "/srv/docs", "/srv/out", "", "/given"};
  ASSERT_EQ(dialogs.calls.size(), starts.size());
  for (std::size_t i = 0; i < starts.size(); ++i) {
    EXPECT_EQ(dialogs.calls[i].startFolder, starts[i]) << i;
  }
  EXPECT_EQ(store.values["LastSource"], "/srv/docs");
  EXPECT_EQ(store.values["LastDestination"], "/srv/out2");

  // A folder given another way (dropped on the window) is where the next question opens.
  picker.Remember("Source?", "/srv/dropped");
  picker.Remember("Something else?", "/srv/elsewhere");
  picker.Remember("Destination?", "");
  EXPECT_EQ(picker.Pick(nullptr, "Source?", {}), "");
  EXPECT_EQ(dialogs.calls.back().startFolder, "/srv/dropped");
  EXPECT_EQ(store.values.size(), 2u);
  EXPECT_EQ(store.values["LastDestination"], "/srv/out2");
}

TEST(PickFolder, AnyFailureIsAnEmptyAnswer) {
  class Failing final : public FolderPickerService {
   public:
    std::string Pick(WindowHandle, const std::string&, const std::string&) override {
      throw std::bad_alloc();
    }
  } failing;
  EXPECT_EQ(PickFolder(failing, nullptr, "title"), "");
}

TEST(FolderPath, TheSeparatorIsAddedOnlyWhenMissing) {
  const std::string s(1, kFolderSeparator);  // "\\" on Windows
  EXPECT_EQ(WithTrailingSeparator(""), "");
  EXPECT_EQ(WithTrailingSeparator(s), s);
  EXPECT_EQ(WithTrailingSeparator(s + "srv" + s + "docs"), s + "srv" + s + "docs" + s);
  EXPECT_EQ(WithTrailingSeparator(s + "srv" + s + "docs" + s), s + "srv" + s + "docs" + s);
  EXPECT_EQ(WithTrailingSeparator(s + "srv" + s + "Докум"), s + "srv" + s + "Докум" + s);
}

}  // namespace
}  // namespace plenwick::shell
