// One join's hold on Word: the application, the new document and the range of the current
// insertion. Each run has its own session, so a nested run never touches the Word objects of the
// run it interrupted. The objects are released in the order range, document, application.
#pragma once

#include <memory>
#include <string>

#include "base/Result.h"
#include "word/WordApi.h"

namespace plenwick::join {

inline constexpr std::string_view kWordProgId = "Word.Application";

class WordSession {
 public:
  WordSession() = default;
  WordSession(const WordSession&) = delete;
  WordSession& operator=(const WordSession&) = delete;
  ~WordSession() { Release(); }

  // Starts Word and adds the new document; on failure holds nothing and gives the reason.
  Status Start(const word::ApplicationFactory& applications);

  // Appends the whole content of the file at path to the end of the document: a new range,
  // collapsed to its end, receives the file. When Range fails the range of the previous document,
  // still held, is collapsed and used instead. The result says whether the file went in.
  Status Append(const std::string& path);

  Status Save(const std::string& path);
  // Starts a save that goes on while the next document is appended; FinishSaving waits for it
  // and gives its outcome (engines that cannot save in the background save in BeginSave).
  Status BeginSave(const std::string& path);
  Status FinishSaving();
  // Saves only where nothing is yet (word::wordc::kNameTaken otherwise), claiming the name.
  Status SaveNew(const std::string& path);

  // Writes the document as last saved to path as PDF (engines that can render only).
  Status ExportPdf(const std::string& path);

  // Lets go of range, document and application, in that order. The session never asks Word to
  // quit; an engine that started a program of its own (Microsoft Word) ends it when its
  // application is let go.
  void Release();

  bool Started() const { return document_ != nullptr; }

 private:
  Status StartUnguarded(const word::ApplicationFactory& applications);

  std::shared_ptr<word::Application> application_;
  std::shared_ptr<word::Document> document_;
  std::shared_ptr<word::Range> range_;
};

}  // namespace plenwick::join
