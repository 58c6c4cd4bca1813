#include "word/automation/WordObjects.h"

#include <optional>
#include <string>
#include <utility>

#include "platform/win/WideText.h"
#include "word/automation/SaveFormat.h"

namespace plenwick::word::automation {
namespace {

// A path reaches Word only as the exact text it names.
Result<Variant> PathText(const std::string& path, const CallFailure& failure) {
  std::optional<std::wstring> wide = platform::win::Wide(path);
  if (!wide)
    return MakeError(failure.code, std::string(failure.action) + ": its path is not valid UTF-8");
  return Variant::Text(*wide);
}

class WordRange final : public word::Range {
 public:
  WordRange(std::shared_ptr<WordServer> server, ComPtr<IDispatch> range)
      : server_(std::move(server)), range_(std::move(range)) {}

  Status Collapse(std::int16_t direction) override {
    const Variant where = Variant::Int16(direction);
    Result<Variant> done =
        server_->Call(*range_.Get(), L"Collapse", CallKind::kMethod, {{L"", where}},
                      {errc::kGeneric, "Word could not collapse the range"});
    if (!done) return done.error();
    return Ok();
  }

  Status InsertFile(const std::string& path) override {
    const CallFailure failure{wordc::kReadFailed, "Word could not insert it"};
    Result<Variant> fileName = PathText(path, failure);
    if (!fileName) return fileName.error();
    Result<Variant> done =
        server_->Call(*range_.Get(), L"InsertFile", CallKind::kMethod, {{L"", *fileName}}, failure);
    if (!done) return done.error();
    return Ok();
  }

 private:
  std::shared_ptr<WordServer> server_;
  ComPtr<IDispatch> range_;
};

class WordDocument final : public word::Document {
 public:
  WordDocument(std::shared_ptr<WordServer> server, ComPtr<IDispatch> document)
      : server_(std::move(server)), document_(std::move(document)) {}

  Result<std::shared_ptr<word::Range>> Range() override {
    Result<ComPtr<IDispatch>> range =
        server_->CallForObject(*document_.Get(), L"Range", CallKind::kMethod, {},
                               {errc::kGeneric, "Word gave no range of the document"});
    if (!range) return range.error();
    return std::shared_ptr<word::Range>(std::make_shared<WordRange>(server_, std::move(*range)));
  }

  // The format follows the name (an .doc output is a Word 97-2003 file, as its name promises).
  // SaveAs2 (Word 2010 and later) keeps the document in the current format's features; older
  // Word has only SaveAs.
  Status SaveAs(const std::string& path) override {
    const CallFailure failure{wordc::kWriteFailed, "Word could not save the document"};
    Result<Variant> fileName = PathText(path, failure);
    if (!fileName) return fileName.error();
    const Variant fileFormat = Variant::Int32(SaveFormatFor(path));
    const std::wstring_view member =
        !server_->Gone() && HasMember(*document_.Get(), L"SaveAs2") ? L"SaveAs2" : L"SaveAs";
    Result<Variant> done =
        server_->Call(*document_.Get(), member, CallKind::kMethod,
                      {{L"FileName", *fileName}, {L"FileFormat", fileFormat}}, failure);
    if (!done) return done.error();
    return Ok();
  }

  // Word can only replace. So the name is claimed first with an empty file that only this call
  // can have made (CREATE_NEW fails when anything is there); Word's save then replaces it, and a
  // save that fails gives the name back.
  Status SaveAsNew(const std::string& path) override {
    std::optional<std::wstring> wide = platform::win::WidePath(path);
    if (!wide) {
      return MakeError(wordc::kWriteFailed,
                       "cannot save " + path + ": the path is not valid UTF-8");
    }
    const HANDLE claim = CreateFileW(wide->c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
    if (claim == INVALID_HANDLE_VALUE) {
      const DWORD error = GetLastError();
      if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ||
          GetFileAttributesW(wide->c_str()) != INVALID_FILE_ATTRIBUTES) {
        return MakeError(wordc::kNameTaken, "cannot save " + path + ": the name is taken");
      }
      return MakeError(wordc::kWriteFailed,
                       "cannot save " + path + ": " + platform::win::ErrorText(error));
    }
    CloseHandle(claim);
    Status saved = SaveAs(path);
    if (!saved) DeleteFileW(wide->c_str());
    return saved;
  }

 private:
  std::shared_ptr<WordServer> server_;
  ComPtr<IDispatch> document_;
};

class WordDocuments final : public word::Documents {
 public:
  WordDocuments(std::shared_ptr<WordServer> server, ComPtr<IDispatch> documents)
      : server_(std::move(server)), documents_(std::move(documents)) {}

  Result<std::shared_ptr<Document>> Add() override {
    Result<ComPtr<IDispatch>> document =
        server_->CallForObject(*documents_.Get(), L"Add", CallKind::kMethod, {},
                               {errc::kGeneric, "Word could not add a new document"});
    if (!document) return document.error();
    return std::shared_ptr<Document>(std::make_shared<WordDocument>(server_, std::move(*document)));
  }

 private:
  std::shared_ptr<WordServer> server_;
  ComPtr<IDispatch> documents_;
};

class WordApplication final : public word::Application {
 public:
  explicit WordApplication(std::shared_ptr<WordServer> server) : server_(std::move(server)) {}

  Result<std::shared_ptr<word::Documents>> Documents() override {
    Result<ComPtr<IDispatch>> documents =
        server_->CallForObject(server_->Application(), L"Documents", CallKind::kGet, {},
                               {errc::kGeneric, "Word gave no document collection"});
    if (!documents) return documents.error();
    return std::shared_ptr<word::Documents>(
        std::make_shared<WordDocuments>(server_, std::move(*documents)));
  }

 private:
  std::shared_ptr<WordServer> server_;
};

}  // namespace

std::shared_ptr<word::Application> MakeWordApplication(std::shared_ptr<WordServer> server) {
  return std::make_shared<WordApplication>(std::move(server));
}

}  // namespace plenwick::word::automation
