#include "walk/pathLogger.h"

#include <algorithm>
#include <charconv>
#include <exception>
#include <limits>
#include <utility>

namespace plenwick::walk {
namespace {

// Counters stop at the largest 32-bit value instead of wrapping: a wrapped counter would hand out
// keys that are already taken, or negative ones.
Status Increment(std::int32_t& counter) {
  if (counter == std::numeric_limits<std::int32_t>::max()) {
    return MakeError(errc::kOverflow, "too many folders or files for one walk");
  }
  ++counter;
  return Ok();
}

std::string Key(std::int32_t number) {
  // Made once for every file of the tree: without the temporaries of "K" + std::to_string.
  char digits[16] = {'K'};
  const std::to_chars_result end = std::to_chars(digits + 1, digits + sizeof digits, number);
  return std::string(digits, end.ptr);
}

// A folder's path followed by a name, and a separator after it for a folder, made with one
// allocation: `a + b` copies a first and then grows the copy, for every file of the tree.
std::string Joined(const std::string& folder, const std::string& name, bool asFolder = false) {
  std::string path;
  path.reserve(folder.size() + name.size() + (asFolder ? 1 : 0));
  path.append(folder).append(name);
  if (asFolder) path += kPathSeparator;
  return path;
}

Error KeyTaken(const std::string& key) {
  return MakeError(errc::kKeyExists, "the key " + key + " is already in use");
}

// Creates the collection behind a property on first use.
template <typename Collection>
const std::shared_ptr<Collection>& Created(std::shared_ptr<Collection>& member) {
  if (!member) member = std::make_shared<Collection>();
  return member;
}

}  // namespace

pathLogger::pathLogger(FileSystemFactory fileSystems, shell::MessageBoxService& messages)
    : fileSystems_(std::move(fileSystems)), messages_(messages) {}

Status pathLogger::PathLogInit() {
  if (!fileSystems_) return MakeError(errc::kUnavailable, "no file-system layer to create");
  Result<std::unique_ptr<FileSystem>> made = fileSystems_();
  if (!made) return made.error();
  if (!*made) return MakeError(errc::kUnavailable, "the file-system layer created nothing");
  fileSystem = std::move(*made);
  fullFileNamesOnly_ = true;
  fileNames_.reset();
  pathPointers_.reset();
  pathNames_.reset();
  fullFileNames_.reset();
  unreadFolders_.clear();
  linkedFolders_.clear();
  return Ok();
}

void pathLogger::LogPath(std::string_view strPARENT) {
  Status walked = Ok();
  try {
    walked = Walk(strPARENT);
  } catch (const std::exception& exception) {
    // Running out of memory half way through a huge tree ends the walk like any other failure:
    // what was collected stays, and the caller goes on with it.
    walked = MakeError(errc::kGeneric, exception.what());
  }
  // A permission failure is worth telling the user about at once: it means the chosen folder (or
  // part of it) is not one this user may read. Every folder left out is named in unreadFolders
  // for the caller to report; a failure of the walk itself ends it and the caller sees what was
  // collected.
  const bool denied = std::any_of(
      unreadFolders_.begin(), unreadFolders_.end(),
      [](const UnreadFolder& folder) { return folder.reason.code == errc::kPermissionDenied; });
  if (denied || (!walked && walked.error().code == errc::kPermissionDenied)) {
    messages_.Show(kSelectStoreFolderMessage, shell::kMsgInformation);
  }
}

std::int32_t pathLogger::Count() const {
  return fileCounter;
}

void pathLogger::Terminate() {
  fileSystem.reset();
  currentFiles.reset();
  currentFile.reset();
  currentSubFolders.reset();
  currentSubFolder.reset();
  fileNames_.reset();
  pathNames_.reset();
  pathPointers_.reset();
  fullFileNames_.reset();
  unreadFolders_.clear();
  linkedFolders_.clear();
}

void pathLogger::fullFileNamesOnly(bool fullPath) {
  fullFileNamesOnly_ = fullPath;
}

bool pathLogger::fullFileNamesOnly() const {
  return fullFileNamesOnly_;
}

SharedTexts pathLogger::fileNames() {
  return Created(fileNames_);
}

SharedTexts pathLogger::pathNames() {
  return Created(pathNames_);
}

SharedNumbers pathLogger::pathPointers() {
  return Created(pathPointers_);
}

SharedTexts pathLogger::fullFileNames() {
  return Created(fullFileNames_);
}

std::string pathLogger::EnsureBackslash(std::string_view strFolder) {
  std::string folder(strFolder);
  if (folder.empty() || folder.back() != kPathSeparator) folder += kPathSeparator;
  return folder;
}

Status pathLogger::Walk(std::string_view strPARENT) {
  if (!fileSystem) return MakeError(errc::kUnavailable, "the walker has no file-system object");
  if (!fileSystem->FolderExists(std::string(strPARENT))) return Ok();

  std::int32_t cursor = 1;
  std::int32_t queued = 1;
  fileCounter = 1;
  if (!Created(pathNames_)->Add(EnsureBackslash(strPARENT), "K0")) return KeyTaken("K0");

  // The queue is pathNames itself, visited by position: the tree's depth costs no call stack.
  for (;;) {
    if (Status processed = ProcessFolder(cursor, queued); !processed) return processed;
    if (Status moved = Increment(cursor); !moved) return moved;
    if (cursor > queued) return Ok();
  }
}

Status pathLogger::ProcessFolder(std::int32_t cursor, std::int32_t& queued) {
  const auto position = static_cast<std::size_t>(cursor);
  const std::string* queuedPath = Created(pathNames_)->Item(position);
  if (!queuedPath) return MakeError(errc::kGeneric, "the folder queue lost an entry");
  // A copy: appending subfolders to pathNames may move its items.
  std::string folderPath = *queuedPath;

  // Subfolders first: every one is queued before this folder's files are collected.
  {
    Result<std::unique_ptr<Folder>> folder = fileSystem->GetFolder(folderPath);
    if (!folder) return SkipFolder(std::move(folderPath), folder.error());
    Result<SharedSubFolders> subFolders = (*folder)->SubFolders();
    if (!subFolders) return SkipFolder(std::move(folderPath), subFolders.error());
    currentSubFolders = std::move(*subFolders);
    // Only named: a folder that cannot say which of its links lead to folders still is walked.
    if (Result<SharedSubFolders> linked = (*folder)->LinkedFolders(); linked && *linked) {
      for (const SubFolder& link : **linked)
        linkedFolders_.push_back(Joined(folderPath, link.Name()));
    }
  }
  for (const SubFolder& subFolder : *currentSubFolders) {
    currentSubFolder = std::shared_ptr<const SubFolder>(currentSubFolders, &subFolder);
    if (Status counted = Increment(queued); !counted) return counted;
    std::string key = Key(queued);
    if (!pathNames_->Add(Joined(folderPath, subFolder.Name(), true), key)) return KeyTaken(key);
  }

  // The folder is opened a second time for its files, by the path as queued.
  folderPath = *pathNames_->Item(position);
  {
    // Its subfolders stay queued: they are listed (or named) in their own turn.
    Result<std::unique_ptr<Folder>> folder = fileSystem->GetFolder(folderPath);
    if (!folder) return SkipFolder(std::move(folderPath), folder.error());
    Result<SharedFiles> files = (*folder)->Files();
    if (!files) return SkipFolder(std::move(folderPath), files.error());
    currentFiles = std::move(*files);
  }
  for (const File& file : *currentFiles) {
    currentFile = std::shared_ptr<const File>(currentFiles, &file);
    std::string key = Key(fileCounter);
    if (fullFileNamesOnly_) {
      if (!Created(fullFileNames_)->Add(Joined(folderPath, file.Name()), key)) return KeyTaken(key);
    } else {
      if (!Created(fileNames_)->Add(file.Name(), key)) return KeyTaken(key);
      if (!Created(fullFileNames_)->Add(Joined(folderPath, file.Name()), key)) return KeyTaken(key);
      if (!Created(pathPointers_)->Add(cursor, std::move(key))) return KeyTaken(Key(fileCounter));
    }
    if (Status counted = Increment(fileCounter); !counted) return counted;
  }
  return Ok();
}

Status pathLogger::SkipFolder(std::string path, Error reason) {
  unreadFolders_.push_back({std::move(path), std::move(reason)});
  return Ok();
}

}  // namespace plenwick::walk
