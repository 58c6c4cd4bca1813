#include "word/engine/NativeApplication.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <system_error>

#include "platform/Utf8Path.h"
#include "word/engine/Composer.h"
#include "word/engine/ReadFile.h"
#include "word/engine/SourcePackage.h"
#include "word/package/Sniff.h"

#ifdef PLENWICK_HAVE_LEGACY
#include "word/legacy/LegacyConverter.h"
#include "word/legacy/RunFolder.h"
#endif

namespace plenwick::word::engine {
namespace {

// What every document of one application shares: the legacy converter, created on first use.
class ApplicationCore {
 public:
#ifdef PLENWICK_HAVE_LEGACY
  legacy::LegacyConverter& Converter() {
    if (!converter_) converter_ = legacy::MakeLegacyConverter();
    return *converter_;
  }

 private:
  std::unique_ptr<legacy::LegacyConverter> converter_;
#endif
};

#ifdef PLENWICK_HAVE_LEGACY
// A private directory for one conversion, removed with everything in it; one a killed run left
// goes at the next run's first conversion.
class TempDir {
 public:
  TempDir() {
    std::error_code ec;
    std::filesystem::path base = std::filesystem::temp_directory_path(ec);
    if (ec) base = "/tmp";
    if (Result<std::string> made = legacy::MakeRunFolder(platform::Utf8FromPath(base), "plenwick"))
      path_ = *made;
  }
  ~TempDir() {
    if (!path_.empty()) {
      std::error_code ec;
      std::filesystem::remove_all(platform::PathFromUtf8(path_), ec);
    }
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};
#endif

struct DocumentCore {
  DocumentCore(std::shared_ptr<ApplicationCore> a, Paper paper)
      : app(std::move(a)), composer(paper) {}
  std::shared_ptr<ApplicationCore> app;
  Composer composer;

  Status AppendPackage(std::string bytes) {
    auto source = SourcePackage::FromBytes(std::move(bytes));
    if (!source) return source.error();
    return composer.Append(**source);
  }

  Status InsertFile(const std::string& path) {
    auto bytes = ReadWholeFile(path);
    if (!bytes) return bytes.error();
    switch (package::Sniff(*bytes)) {
      case package::Container::kZip:
        return AppendPackage(std::move(*bytes));
      case package::Container::kEncryptedOle:
        return MakeError(wordc::kPasswordProtected, "password-protected");
      case package::Container::kEmpty:
        return MakeError(wordc::kNotWordDocument, "not a Word document");
      case package::Container::kOle:
      case package::Container::kRtf:
      case package::Container::kUnknown:
        break;
    }
    return InsertLegacy(path, *bytes);
  }

  Status InsertLegacy(const std::string& path, const std::string& bytes) {
#ifdef PLENWICK_HAVE_LEGACY
    TempDir dir;
    if (dir.path().empty()) {
      return MakeError(wordc::kConversionFailed,
                       "could not convert: no private temporary folder could be made");
    }
    // The converter reaches the source by its path; one nested deeper than the system takes in
    // one call goes to it as a copy of the bytes already read.
    std::string source = path;
    if (!std::ifstream(path, std::ios::binary)) {
      source = dir.path() + "/source";
      std::ofstream copy(source, std::ios::binary);
      copy.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
      if (!copy.flush()) {
        return MakeError(wordc::kConversionFailed, "could not convert: no room for a private copy");
      }
    }
    const std::string converted = dir.path() + "/converted.docx";
    Status s = app->Converter().ConvertToDocx(source, converted);
    if (!s) return s;
    auto docx = ReadWholeFile(converted);
    if (!docx) return MakeError(wordc::kConversionFailed, "the converter wrote no document");
    if (package::Sniff(*docx) != package::Container::kZip) {
      return MakeError(wordc::kConversionFailed, "the converter wrote no Word document");
    }
    return AppendPackage(std::move(*docx));
#else
    (void)path;
    (void)bytes;
    return MakeError(wordc::kUnsupported,
                     "legacy formats (Word 97-2003, RTF) are not supported in this build");
#endif
  }
};

class NativeRange final : public Range {
 public:
  explicit NativeRange(std::shared_ptr<DocumentCore> doc) : doc_(std::move(doc)) {}

  Status Collapse(std::int16_t direction) override {
    if (direction != kCollapseEnd && direction != kCollapseStart) {
      return MakeError(wordc::kInvalidState, "unknown collapse direction");
    }
    collapsedTo_ = direction;
    return Ok();
  }

  Status InsertFile(const std::string& path) override {
    // Documents grow only at their end; an empty document's start is its end.
    bool atEnd = collapsedTo_ == kCollapseEnd ||
                 (collapsedTo_ == kCollapseStart && doc_->composer.documentCount() == 0);
    if (!atEnd) {
      return MakeError(wordc::kInvalidState,
                       "files can only be inserted at the end of the document (collapse the "
                       "range to its end first)");
    }
    return doc_->InsertFile(path);
  }

 private:
  std::shared_ptr<DocumentCore> doc_;
  std::int16_t collapsedTo_ = -1;
};

class NativeDocument final : public Document {
 public:
  explicit NativeDocument(std::shared_ptr<DocumentCore> core) : core_(std::move(core)) {}
  Result<std::shared_ptr<word::Range>> Range() override {
    return std::shared_ptr<word::Range>(std::make_shared<NativeRange>(core_));
  }
  Status SaveAs(const std::string& path) override { return core_->composer.Save(path); }
  Status SaveAsNew(const std::string& path) override {
    return core_->composer.Save(path, package::SaveMode::kCreateNew);
  }

 private:
  std::shared_ptr<DocumentCore> core_;
};

class NativeDocuments final : public Documents {
 public:
  explicit NativeDocuments(std::shared_ptr<ApplicationCore> app) : app_(std::move(app)) {}
  Result<std::shared_ptr<Document>> Add() override {
    try {
      auto core = std::make_shared<DocumentCore>(app_, PaperForLocale());
      return std::shared_ptr<Document>(std::make_shared<NativeDocument>(std::move(core)));
    } catch (const std::bad_alloc&) {
      return MakeError(wordc::kInvalidState, "out of memory creating a document");
    }
  }

 private:
  std::shared_ptr<ApplicationCore> app_;
};

class NativeApplication final : public Application {
 public:
  Result<std::shared_ptr<word::Documents>> Documents() override {
    return std::shared_ptr<word::Documents>(std::make_shared<NativeDocuments>(core_));
  }

 private:
  std::shared_ptr<ApplicationCore> core_ = std::make_shared<ApplicationCore>();
};

}  // namespace

std::shared_ptr<Application> MakeNativeApplication() {
  return std::make_shared<NativeApplication>();
}

}  // namespace plenwick::word::engine
