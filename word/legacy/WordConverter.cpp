#include "word/legacy/WordConverter.h"

#include <optional>
#include <string>
#include <utility>

#include "platform/win/WideText.h"
#include "word/legacy/LegacyErrors.h"
#include "word/legacy/SniffGate.h"

namespace plenwick::word::legacy {
namespace {

using automation::Argument;
using automation::CallKind;
using automation::ComPtr;
using automation::Variant;
using automation::WordServer;

constexpr std::int32_t kAlertsNone = 0;          // wdAlertsNone
constexpr std::int32_t kForceDisableMacros = 3;  // msoAutomationSecurityForceDisable
constexpr std::int32_t kFormatXmlDocument = 12;  // wdFormatXMLDocument
constexpr std::int32_t kDoNotSaveChanges = 0;    // wdDoNotSaveChanges
// Given for every file: Word ignores it for a file without a password, and fails a protected one
// with a wrong password instead of asking for it in a dialog nobody sees.
constexpr std::wstring_view kNoPassword = L"plenwick-no-password";

// The exact path, with Windows' own separators: the engine joins its temporary folder and file
// name with '/', which not every part of Word takes for one.
Result<Variant> ForWord(const std::string& path) {
  std::optional<std::wstring> wide = platform::win::Wide(path);
  if (!wide) return MakeError(codes::kConversionFailed, "its path is not valid UTF-8");
  for (wchar_t& c : *wide) {
    if (c == L'/') c = L'\\';
  }
  return Variant::Text(*wide);
}

Error Failed(const Error& reason) {
  return MakeError(codes::kConversionFailed, reason.message);
}

// Closes the opened file without saving on every way out, so Word holds no file of ours.
class OpenedFile {
 public:
  OpenedFile(WordServer& server, ComPtr<IDispatch> document)
      : server_(server), document_(std::move(document)) {}
  OpenedFile(const OpenedFile&) = delete;
  OpenedFile& operator=(const OpenedFile&) = delete;
  ~OpenedFile() {
    const Variant doNotSave = Variant::Int32(kDoNotSaveChanges);
    (void)server_.Call(*document_.Get(), L"Close", CallKind::kMethod, {{L"SaveChanges", doNotSave}},
                       {codes::kConversionFailed, "Word could not close it"});
  }
  IDispatch& get() { return *document_.Get(); }

 private:
  WordServer& server_;
  ComPtr<IDispatch> document_;
};

class WordConverter final : public LegacyConverter {
 public:
  explicit WordConverter(WordStarter start) : start_(std::move(start)) {}

  Status ConvertToDocx(const std::string& sourcePath, const std::string& docxPath) override {
    Result<SniffResult> sniff = SniffForConversion(sourcePath);
    if (!sniff) return sniff.error();
    if (startFailure_) return Missing(sniff->description);
    if (server_ && server_->Gone()) server_.reset();
    if (!server_) {
      if (Status started = Start(sniff->description); !started) return started;
    }
    Status converted = Convert(sourcePath, docxPath);
    // The next file gets a Word of its own when this one went away mid-way.
    if (server_->Gone()) server_.reset();
    return converted;
  }

 private:
  Status Start(const std::string& description) {
    Result<std::shared_ptr<WordServer>> server = start_ ? start_() : StartInstalledWord();
    if (!server) {
      // Not installed or not working: the next converter is tried, for this file and every
      // later one, without starting Word again.
      const std::string& why = server.error().message;
      const bool notInstalled = why.rfind(automation::kWordNotInstalled, 0) == 0;
      startFailure_ = notInstalled ? std::string() : " (" + why + ")";
      return Missing(description);
    }
    server_ = std::move(*server);
    // No file is opened unless its macros are certain not to run and no dialog can wait unseen.
    const Variant noAlerts = Variant::Int32(kAlertsNone);
    const Variant noMacros = Variant::Int32(kForceDisableMacros);
    const auto set = [this](std::wstring_view property, const Variant& value) {
      return server_->Call(
          server_->Application(), property, CallKind::kPut, {{L"", value}},
          {codes::kConversionFailed, "Word's macros and alerts could not be turned off"});
    };
    Result<Variant> quiet = set(L"DisplayAlerts", noAlerts);
    if (quiet) quiet = set(L"AutomationSecurity", noMacros);
    if (!quiet) {
      const Error reason = Failed(quiet.error());
      server_.reset();
      return reason;
    }
    return Ok();
  }

  // Each file is named for what it is; why Word could not be started, when it is there.
  Error Missing(const std::string& description) const {
    return MakeError(codes::kConverterMissing,
                     description + ": install Microsoft Word to join it" + *startFailure_);
  }

  Status Convert(const std::string& sourcePath, const std::string& docxPath) {
    Result<ComPtr<IDispatch>> documents =
        server_->CallForObject(server_->Application(), L"Documents", CallKind::kGet, {},
                               {codes::kConversionFailed, "Word gave no document collection"});
    if (!documents) return Failed(documents.error());
    Result<Variant> fileName = ForWord(sourcePath);
    if (!fileName) return fileName.error();
    const Variant no = Variant::Bool(false);
    const Variant yes = Variant::Bool(true);
    const Variant password = Variant::Text(kNoPassword);
    Result<ComPtr<IDispatch>> opened =
        server_->CallForObject(*documents->Get(), L"Open", CallKind::kMethod,
                               {{L"FileName", *fileName},
                                {L"ConfirmConversions", no},
                                {L"ReadOnly", yes},
                                {L"AddToRecentFiles", no},
                                {L"PasswordDocument", password},
                                {L"Visible", no},
                                {L"NoEncodingDialog", yes}},
                               {codes::kConversionFailed, "Word could not open it"});
    if (!opened) return Failed(opened.error());
    OpenedFile document(*server_, std::move(*opened));

    Result<Variant> target = ForWord(docxPath);
    if (!target) return target.error();
    const Variant format = Variant::Int32(kFormatXmlDocument);
    const std::wstring_view saveAs =
        automation::HasMember(document.get(), L"SaveAs2") ? L"SaveAs2" : L"SaveAs";
    Result<Variant> saved =
        server_->Call(document.get(), saveAs, CallKind::kMethod,
                      {{L"FileName", *target}, {L"FileFormat", format}, {L"AddToRecentFiles", no}},
                      {codes::kConversionFailed, "Word could not save it as .docx"});
    if (!saved) return Failed(saved.error());
    return Ok();
  }

  WordStarter start_;
  std::shared_ptr<WordServer> server_;
  std::optional<std::string> startFailure_;  // set once Word could not be started
};

}  // namespace

Result<std::shared_ptr<automation::WordServer>> StartInstalledWord() {
  return WordServer::Start("Word.Application");
}

std::unique_ptr<LegacyConverter> MakeWordConverter(WordStarter start) {
  return std::make_unique<WordConverter>(std::move(start));
}

}  // namespace plenwick::word::legacy
