#include "app/run/WordSession.h"

#include <utility>

namespace plenwick::app {
namespace {

Error Unusable(const char* what) {
  return MakeError(word::wordc::kInvalidState, std::string("Word gave no ") + what);
}

}  // namespace

Status WordSession::Start(const word::ApplicationFactory& applications) {
  Release();
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
  if (!document_) return Unusable("document to insert into");
  Error rangeFailure;
  bool rangeFailed = false;
  Result<std::shared_ptr<word::Range>> range = document_->Range();
  if (range && *range) {
    range_ = std::move(*range);
  } else {
    rangeFailure = range ? Unusable("range") : range.error();
    rangeFailed = true;
  }
  if (!range_) return rangeFailure;
  // Inserting into a range that is not collapsed would replace what the range covers (everything
  // joined so far), so a failed collapse leaves this document out.
  if (Status collapsed = range_->Collapse(word::kCollapseEnd); !collapsed) return collapsed;
  Status inserted = range_->InsertFile(path);
  if (!inserted && rangeFailed) return rangeFailure;
  return inserted;
}

Status WordSession::Save(const std::string& path) {
  if (!document_) return Unusable("document to save");
  return document_->SaveAs(path);
}

void WordSession::Release() {
  range_.reset();
  document_.reset();
  application_.reset();
}

}  // namespace plenwick::app
