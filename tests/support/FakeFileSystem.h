// An in-memory folder tree that stands in for the disk behind the walker's file-system layer.
// Tests build a tree, choose where it fails (access denied, a folder that vanished after being
// listed, any other error number) and read back which calls the walker made.
//
//   plenwick::test::FakeTree tree;
//   tree.AddFile("/r/a.doc").AddFolder("/r/S").Fail("/r/S", FakeTree::Op::kFiles, 70);
//   plenwick::walk::pathLogger walker(tree.Factory(), messages);
//
// Paths are absolute. A test writes them with "/"; the walker joins names with its platform's
// separator, so on Windows "\" separates as well, and a path may hold both. Repeated and trailing
// separators are ignored. Calls() keeps each path as it was passed. Entries are listed in the
// order they were added, so a test decides the listing order the walker sees.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/Result.h"
#include "shell/FolderPath.h"
#include "walk/FileSystem.h"

namespace plenwick::test {

class FakeTree {
 public:
  enum class Op { kFolderExists, kGetFolder, kSubFolders, kFiles };

  FakeTree() : state_(std::make_shared<State>()) { state_->nodes["/"].folder = true; }

  // Adds the folder and any missing parent folders.
  FakeTree& AddFolder(std::string_view path) {
    state_->EnsureFolder(Normal(path));
    return *this;
  }

  // Adds an empty file and any missing parent folders.
  FakeTree& AddFile(std::string_view path) {
    const std::string file = Normal(path);
    state_->EnsureFolder(Parent(file));
    state_->Attach(file, false);
    return *this;
  }

  // Makes every later call of op on path fail with error number code
  // (errc::kPermissionDenied for a folder that may not be listed).
  FakeTree& Fail(std::string_view path, Op op, int code) {
    state_->failures[{Normal(path), op}] = code;
    return *this;
  }

  // The folder disappears but its parent still lists it, as when it is removed after the parent
  // was listed: opening it fails with errc::kPathNotFound.
  FakeTree& Vanish(std::string_view path) {
    state_->nodes[Normal(path)].gone = true;
    return *this;
  }

  // Makes the factory fail with error number code.
  FakeTree& FailCreation(int code) {
    state_->creationFailure = code;
    return *this;
  }

  // Runs at the start of every call, after it is logged: lets a test change the tree mid-walk.
  void OnCall(std::function<void(Op, const std::string& path)> hook) {
    state_->hook = std::move(hook);
  }

  // Every call so far, as "<operation> <path as passed>", e.g. "GetFolder /r/S/".
  const std::vector<std::string>& Calls() const { return state_->calls; }
  int FileSystemsMade() const { return state_->made; }

  // Every file-system object it makes works on this tree.
  walk::FileSystemFactory Factory() const {
    return [state = state_]() -> Result<std::unique_ptr<walk::FileSystem>> {
      if (state->creationFailure != 0) {
        return MakeError(state->creationFailure, "no file-system object today");
      }
      ++state->made;
      return std::unique_ptr<walk::FileSystem>(std::make_unique<FileSystem>(state));
    };
  }

 private:
  struct Node {
    bool folder = false;
    bool gone = false;
    std::vector<std::string> children;  // own names, in listing order
  };

  struct State {
    std::map<std::string, Node> nodes;
    std::map<std::pair<std::string, Op>, int> failures;
    std::function<void(Op, const std::string&)> hook;
    std::vector<std::string> calls;
    int creationFailure = 0;
    int made = 0;

    void Attach(const std::string& path, bool folder) {
      auto [node, added] = nodes.try_emplace(path);
      if (!added) return;
      node->second.folder = folder;
      nodes[Parent(path)].children.push_back(OwnName(path));
    }

    void EnsureFolder(const std::string& path) {
      if (path == "/" || nodes.count(path) != 0) return;
      EnsureFolder(Parent(path));
      Attach(path, true);
    }

    // Logs the call, runs the hook, then applies a chosen failure or a missing folder.
    Status Enter(Op op, const std::string& path) {
      static constexpr const char* kNames[] = {"FolderExists", "GetFolder", "SubFolders", "Files"};
      calls.push_back(std::string(kNames[static_cast<int>(op)]) + " " + path);
      if (hook) hook(op, path);
      const std::string key = Normal(path);
      if (const auto failure = failures.find({key, op}); failure != failures.end()) {
        return MakeError(failure->second, "injected failure at " + path);
      }
      if (op == Op::kFolderExists) return Ok();
      const auto node = nodes.find(key);
      if (node == nodes.end() || !node->second.folder || node->second.gone) {
        return MakeError(errc::kPathNotFound, "no folder at " + path);
      }
      return Ok();
    }

    bool IsFolder(const std::string& path) const {
      const auto node = nodes.find(path);
      return node != nodes.end() && node->second.folder;
    }
  };

  class Folder final : public walk::Folder {
   public:
    Folder(std::shared_ptr<State> state, std::string path)
        : state_(std::move(state)), path_(std::move(path)) {}

    std::string Name() const override { return OwnName(Normal(path_)); }

    Result<walk::SharedSubFolders> SubFolders() override {
      if (Status entered = state_->Enter(Op::kSubFolders, path_); !entered) return entered.error();
      auto folders = std::make_shared<walk::FolderCollection>();
      for (const std::string& name : Children()) {
        if (state_->IsFolder(Join(name))) folders->emplace_back(name);
      }
      return walk::SharedSubFolders(std::move(folders));
    }

    Result<walk::SharedFiles> Files() override {
      if (Status entered = state_->Enter(Op::kFiles, path_); !entered) return entered.error();
      auto files = std::make_shared<walk::FileCollection>();
      for (const std::string& name : Children()) {
        if (!state_->IsFolder(Join(name))) files->emplace_back(name);
      }
      return walk::SharedFiles(std::move(files));
    }

   private:
    std::vector<std::string> Children() const { return state_->nodes[Normal(path_)].children; }
    std::string Join(const std::string& name) const {
      const std::string folder = Normal(path_);
      return folder == "/" ? "/" + name : folder + "/" + name;
    }

    std::shared_ptr<State> state_;
    std::string path_;
  };

  class FileSystem final : public walk::FileSystem {
   public:
    explicit FileSystem(std::shared_ptr<State> state) : state_(std::move(state)) {}

    bool FolderExists(const std::string& path) override {
      if (!state_->Enter(Op::kFolderExists, path)) return false;
      const auto node = state_->nodes.find(Normal(path));
      return !path.empty() && node != state_->nodes.end() && node->second.folder &&
             !node->second.gone;
    }

    Result<std::unique_ptr<walk::Folder>> GetFolder(const std::string& path) override {
      if (Status entered = state_->Enter(Op::kGetFolder, path); !entered) return entered.error();
      return std::unique_ptr<walk::Folder>(std::make_unique<Folder>(state_, path));
    }

   private:
    std::shared_ptr<State> state_;
  };

  // The tree's own spelling of a path: "/"-separated whatever separators it was written with;
  // repeated and trailing ones do not count.
  static std::string Normal(std::string_view path) {
    std::string normal;
    for (char c : path) {
      if (c == shell::kFolderSeparator) c = '/';
      if (c != '/' || normal.empty() || normal.back() != '/') normal += c;
    }
    if (normal.size() > 1 && normal.back() == '/') normal.pop_back();
    return normal;
  }
  static std::string Parent(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
  }
  static std::string OwnName(const std::string& path) {
    return path.substr(path.find_last_of('/') + 1);
  }

  std::shared_ptr<State> state_;
};

}  // namespace plenwick::test
