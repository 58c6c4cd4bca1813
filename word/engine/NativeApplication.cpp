#include "word/engine/NativeApplication.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <system_error>
#include <vector>

#include "platform/Utf8Path.h"
#include "word/engine/Binder.h"
#include "word/engine/Composer.h"
#include "word/engine/ReadFile.h"
#include "word/engine/SourcePackage.h"
#include "word/package/Sniff.h"

#ifdef PLENWICK_HAVE_LEGACY
#include "word/legacy/LegacyConverter.h"
#include "word/legacy/RunFolder.h"
#endif
#ifdef PLENWICK_HAS_LIBREOFFICE_CONVERTER
#include "word/legacy/LibreOfficeConverter.h"
#endif
#ifdef PLENWICK_HAVE_PDF_OUTLINE
#include "word/pdf/PdfOutline.h"
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

// Where a PDF can be made: LibreOffice for the rendering, our outline writer for its bookmarks.
#if defined(PLENWICK_HAVE_LEGACY) && defined(PLENWICK_HAS_LIBREOFFICE_CONVERTER) && \
    defined(PLENWICK_HAVE_PDF_OUTLINE)
#define PLENWICK_CAN_EXPORT_PDF 1
#endif

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

  std::string lastSaved;  // where the document was last saved, for its PDF

  Status AppendPackage(std::string bytes, const std::string& path) {
    auto source = SourcePackage::FromBytes(std::move(bytes));
    if (!source) return source.error();
    return composer.Append(**source, path);
  }

  std::string saving;  // where a save under way in the background goes

  Status Saved(Status saved, const std::string& path) {
    if (saved) {
      lastSaved = path;
      saving.clear();  // a later save than the one under way, whatever that one's outcome
    }
    return saved;
  }

  Status StartSave(const std::string& path) {
    Status started = composer.StartSave(path);
    if (started) saving = path;
    return started;
  }

  Status FinishSaving() {
    Status saved = composer.FinishSaving();
    if (saved && !saving.empty()) lastSaved = saving;
    saving.clear();
    return saved;
  }

  Status ExportPdf(const std::string& pdfPath) {
#ifdef PLENWICK_CAN_EXPORT_PDF
    if (!saving.empty()) {
      if (Status saved = FinishSaving(); !saved) return saved;
    }
    if (lastSaved.empty()) {
      return MakeError(wordc::kInvalidState, "the document must be saved before its PDF");
    }
    TempDir dir;
    if (dir.path().empty()) {
      return MakeError(wordc::kWriteFailed, "no private temporary folder could be made");
    }
    const std::string rendered = dir.path() + "/rendered.pdf";
    if (Status s = app->Converter().ExportPdf(lastSaved, rendered); !s) return s;
    std::vector<pdf::OutlineEntry> entries;
    if (const Binder* binder = composer.binder()) {
      for (const BoundDocument& document : binder->documents()) {
        if (!document.bookmark.empty()) {
          entries.push_back({document.title, pdf::OfficeDestinationName(document.bookmark)});
        }
      }
    }
    // Written beside the PDF's place and moved over it, so a failure never leaves half a PDF.
    const std::string part = pdfPath + ".part";
    Result<std::map<std::string, int>> pages = pdf::WriteWithOutline(rendered, entries, part);
    if (!pages) {
      std::error_code ignored;
      std::filesystem::remove(platform::PathFromUtf8(part), ignored);
      return pages.error();
    }
    std::error_code moved;
    std::filesystem::rename(platform::PathFromUtf8(part), platform::PathFromUtf8(pdfPath), moved);
    if (moved) {
      std::error_code ignored;
      std::filesystem::remove(platform::PathFromUtf8(part), ignored);
      return MakeError(wordc::kWriteFailed, pdfPath + ": cannot be written: " + moved.message());
    }
    // Where the numbers run through, the rendering knows the page each document starts on: the
    // saved contents page shows them, and no longer asks its reader to update it.
    const Binder* binder = composer.binder();
    if (binder != nullptr && binder->options().contents && binder->options().continuousNumbering) {
      std::map<std::string, int> byBookmark;
      for (const BoundDocument& document : binder->documents()) {
        auto page = pages->find(pdf::OfficeDestinationName(document.bookmark));
        if (page != pages->end()) byBookmark[document.bookmark] = page->second;
      }
      composer.SetStartPages(std::move(byBookmark));
      return Saved(composer.Save(lastSaved), lastSaved);
    }
    return Ok();
#else
    (void)pdfPath;
    return MakeError(wordc::kUnsupported, "this build cannot write PDF");
#endif
  }

  Status InsertFile(const std::string& path) {
    auto bytes = ReadWholeFile(path);
    if (!bytes) return bytes.error();
    switch (package::Sniff(*bytes)) {
      case package::Container::kZip:
        return AppendPackage(std::move(*bytes), path);
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
    return AppendPackage(std::move(*docx), path);
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
  Status SaveAs(const std::string& path) override {
    return core_->Saved(core_->composer.Save(path), path);
  }
  Status SaveAsNew(const std::string& path) override {
    return core_->Saved(core_->composer.Save(path, package::SaveMode::kCreateNew), path);
  }
  Status BeginSaveAs(const std::string& path) override { return core_->StartSave(path); }
  Status FinishSaving() override { return core_->FinishSaving(); }
  Status ExportPdf(const std::string& path) override { return core_->ExportPdf(path); }

 private:
  std::shared_ptr<DocumentCore> core_;
};

class NativeDocuments final : public Documents {
 public:
  NativeDocuments(std::shared_ptr<ApplicationCore> app, BinderOptions binder)
      : app_(std::move(app)), binder_(binder) {}
  Result<std::shared_ptr<Document>> Add() override {
    try {
      auto core = std::make_shared<DocumentCore>(app_, PaperForLocale());
      if (binder_.Any()) core->composer.Bind(binder_);
      return std::shared_ptr<Document>(std::make_shared<NativeDocument>(std::move(core)));
    } catch (const std::bad_alloc&) {
      return MakeError(wordc::kInvalidState, "out of memory creating a document");
    }
  }

 private:
  std::shared_ptr<ApplicationCore> app_;
  BinderOptions binder_;
};

class NativeApplication final : public Application {
 public:
  explicit NativeApplication(BinderOptions binder) : binder_(binder) {}
  Result<std::shared_ptr<word::Documents>> Documents() override {
    return std::shared_ptr<word::Documents>(std::make_shared<NativeDocuments>(core_, binder_));
  }

 private:
  std::shared_ptr<ApplicationCore> core_ = std::make_shared<ApplicationCore>();
  BinderOptions binder_;
};

}  // namespace

std::shared_ptr<Application> MakeNativeApplication(BinderOptions options) {
  return std::make_shared<NativeApplication>(options);
}

}  // namespace plenwick::word::engine

namespace plenwick::word {

Status PdfExportAvailable() {
#ifdef PLENWICK_CAN_EXPORT_PDF
  const std::string office = legacy::DefaultOfficeProgram();
  std::error_code error;
  if (office.empty() || !std::filesystem::is_regular_file(platform::PathFromUtf8(office), error)) {
    return MakeError(wordc::kConverterMissing,
                     "PDF needs LibreOffice, which is not installed (Debian: "
                     "libreoffice-writer-nogui)");
  }
  if (legacy::DefaultHelperProgram().empty()) {
    return MakeError(wordc::kConverterMissing,
                     "PDF needs the converter helper (plenwick-legacy-helper), which is missing; "
                     "reinstall the program");
  }
  return pdf::OutlineWriterAvailable();
#else
  return MakeError(wordc::kUnsupported, "this build cannot write PDF (it has no LibreOffice)");
#endif
}

}  // namespace plenwick::word
