// The Word automation layer: the objects and calls the join run makes, as reference-counted
// interfaces. Every call reports success or a failure with a short reason a person can read.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "base/Result.h"
#include "word/BinderOptions.h"

namespace plenwick::word {

// Reasons an engine gives through Error::code, so callers can tell kinds of failure apart.
namespace wordc {
inline constexpr int kNotWordDocument = 1001;    // "not a Word document"
inline constexpr int kPasswordProtected = 1002;  // "password-protected"
inline constexpr int kDamaged = 1003;            // "damaged: ..."
inline constexpr int kUnsupported = 1004;        // a format this engine cannot read (yet)
inline constexpr int kReadFailed = 1005;        // the file could not be read (missing, locked, ...)
inline constexpr int kWriteFailed = 1006;       // the output could not be written
inline constexpr int kTooLarge = 1007;          // over a safety limit (sizes, ratios, counts)
inline constexpr int kConverterMissing = 1008;  // a legacy file and no converter installed
inline constexpr int kConversionFailed = 1009;  // the converter failed, hung or crashed
inline constexpr int kInvalidState = 1010;      // the object was used out of order
inline constexpr int kNameTaken = 1011;         // SaveAsNew found something at the path
inline constexpr int kEngineStopped = 1012;     // the engine's process ended or stopped answering
}  // namespace wordc

// Collapse direction: towards the end of the range.
inline constexpr std::int16_t kCollapseEnd = 0;
inline constexpr std::int16_t kCollapseStart = 1;

class Range {
 public:
  virtual ~Range() = default;
  // Makes the range an insertion point at its end (kCollapseEnd) or its start.
  virtual Status Collapse(std::int16_t direction) = 0;
  // Inserts the whole content of the file at the range. All or nothing: on failure the document
  // is exactly as it was.
  virtual Status InsertFile(const std::string& path) = 0;
};

class Document {
 public:
  virtual ~Document() = default;
  // A range over the whole main text of the document.
  virtual Result<std::shared_ptr<word::Range>> Range() = 0;
  // Writes the document to path, atomically: the file holds the previous save or this one.
  virtual Status SaveAs(const std::string& path) = 0;
  // As SaveAs, but only where nothing is yet (kNameTaken otherwise): the name is claimed in the
  // same step as the file appears, so two runs saving at once never replace each other's file.
  // The document's own last save is replaced as by SaveAs.
  virtual Status SaveAsNew(const std::string& path) = 0;
  // As SaveAs, but returns before the save is over where the engine can, so the caller can go on
  // (append the next document) while it writes; FinishSaving waits for it and gives its outcome.
  // A failure here means the save did not start, or, for an engine that saves at once, failed.
  // Every other call on the document that saves or reads the saved file waits for it first.
  virtual Status BeginSaveAs(const std::string& path) { return SaveAs(path); }
  virtual Status FinishSaving() { return Ok(); }
  // Writes the document as it was last saved to path as PDF, its document bookmarks as the PDF's
  // outline. An engine that cannot render fails with kUnsupported.
  virtual Status ExportPdf(const std::string& path) {
    (void)path;
    return MakeError(wordc::kUnsupported, "this engine cannot write PDF");
  }
};

class Documents {
 public:
  virtual ~Documents() = default;
  // A new, empty document.
  virtual Result<std::shared_ptr<Document>> Add() = 0;
};

class Application {
 public:
  virtual ~Application() = default;
  virtual Result<std::shared_ptr<word::Documents>> Documents() = 0;
};

// Resolves a programmatic identifier ("Word.Application") to an application object.
using ApplicationFactory =
    std::function<Result<std::shared_ptr<Application>>(std::string_view progId)>;

// The default factory: our native engine. Fails cleanly for any other identifier.
Result<std::shared_ptr<Application>> CreateObject(std::string_view progId);

// Our native engine making binders as options asks.
ApplicationFactory BinderApplications(const BinderOptions& options);

// Whether this build and machine can write PDF (ExportPdf of the native engine); the reason when
// not, known before any work is done.
Status PdfExportAvailable();

}  // namespace plenwick::word
