#include "join/WordSession.h"

#include <exception>
#include <new>
#include <utility>

namespace plenwick::join {
namespace {

Error Unusable(const char* what) {
  return MakeError(word::wordc::kInvalidState, std::string("Word gave no ") + what);
}

// Word reports its failures as values; should it throw all the same (out of memory on a huge
// document), the run reports that document or save as failed instead of ending the program and
// losing what the window was doing.
template <typename Call>
Status Guarded(Call&& call) {
  try {
    return call();
  } catch (const std::bad_alloc&) {
    return MakeError(word::wordc::kTooLarge, "not enough memory");
  } catch (const std::exception& failure) {
    return MakeError(errc::kGeneric, failure.what());
  }
}

}  // namespace

Status WordSession::Start(const word::ApplicationFactory& applications) {
  Release();
  Status started = Guarded([&] { return StartUnguarded(applications); });
  if (!started) Release();
  return started;
}

Status WordSession::StartUnguarded(const word::ApplicationFactory& applications) {
  if (!applications) return MakeError(errc::kUnavailable, "no Word layer to start");
  Result<std::shared_ptr<word::Application>> application = applications(kWordProgId);
  if (!application) return application.error();
  if (!*application) return Unusable("application");
  application_ = std::move(*application);

  Result<std::shared_ptr<word::Documents>> documents = application_->Documents();
  if (!documents || !*documents) {
    Error reason = documents ? Unusable("document collection") : documents.error();
    Release();
    return reason;
  }
  Result<std::shared_ptr<word::Document>> document = (*documents)->Add();
  // Only the new document is kept; the collection it came from is not needed again.
  documents = Error{};
  if (!document || !*document) {
    Error reason = document ? Unusable("new document") : document.error();
    Release();
    return reason;
  }
  document_ = std::move(*document);
  return Ok();
}

Status WordSession::Append(const std::string& path) {
  return Guarded([&]() -> Status {
    if (!document_) return Unusable("document to insert into");
    Result<std::shared_ptr<word::Range>> range = document_->Range();
    if (range && *range) {
      range_ = std::move(*range);
    } else if (!range_) {
      return range ? Unusable("range") : range.error();
    }
    // Inserting into a range that is not collapsed would replace what the range covers
    // (everything joined so far), so a failed collapse leaves this document out.
    if (Status collapsed = range_->Collapse(word::kCollapseEnd); !collapsed) return collapsed;
    return range_->InsertFile(path);
  });
}

Status WordSession::Save(const std::string& path) {
  return Guarded([&]() -> Status {
    if (!document_) return Unusable("document to save");
    return document_->SaveAs(path);
  });
}

Status WordSession::BeginSave(const std::string& path) {
  return Guarded([&]() -> Status {
    if (!document_) return Unusable("document to save");
    return document_->BeginSaveAs(path);
  });
}

Status WordSession::FinishSaving() {
  return Guarded([&]() -> Status {
    if (!document_) return Ok();  // nothing was begun on a document that is gone
    return document_->FinishSaving();
  });
}

Status WordSession::SaveNew(const std::string& path) {
  return Guarded([&]() -> Status {
    if (!document_) return Unusable("document to save");
    return document_->SaveAsNew(path);
  });
}

Status WordSession::ExportPdf(const std::string& path) {
  return Guarded([&]() -> Status {
    if (!document_) return Unusable("document to write as PDF");
    return document_->ExportPdf(path);
  });
}

void WordSession::Release() {
  range_.reset();
  document_.reset();
  application_.reset();
}

}  // namespace plenwick::join
