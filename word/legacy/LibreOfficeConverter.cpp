#include "word/legacy/LibreOfficeConverter.h"

#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "platform/CompanionFile.h"
#include "word/legacy/DocxRepair.h"
#include "word/legacy/HelperProcess.h"
#include "word/legacy/LegacyErrors.h"
#include "word/legacy/LostText.h"
#include "word/legacy/MhtmlUnpack.h"
#include "word/legacy/RtfRepair.h"
#include "word/legacy/RunFolder.h"
#include "word/legacy/SniffGate.h"
#include "word/legacy/helper/HelperProtocol.h"

namespace plenwick::word::legacy {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// How each format is handed to the office: an extension for its type detection and, for the
// formats detection may take for something else, the import filter by name (with options).
struct Import {
  const char* extension;
  const char* filter;
  std::string options;
};

Import ImportFor(const SniffResult& sniff) {
  switch (sniff.format) {
    case LegacyFormat::kWord97:
      return {".doc", "MS Word 97", {}};
    case LegacyFormat::kWord6:
    case LegacyFormat::kWord2:
      return {".doc", "", {}};
    case LegacyFormat::kRtf:
      return {".rtf", "Rich Text Format", {}};
    case LegacyFormat::kWordXml2003:
      return {".xml", "MS Word 2003 XML", {}};
    case LegacyFormat::kHtml:
    case LegacyFormat::kWebArchive:  // unpacked to its page first
      return {".htm", "HTML (StarWriter)", {}};
    case LegacyFormat::kPlainText:
      return {".txt", "Text (encoded)", sniff.textCharset + ",LF,,,"};
    case LegacyFormat::kOoxmlPackage:
    case LegacyFormat::kRejected:
      break;
  }
  return {".bin", "", {}};
}

bool PlainPath(const std::string& p) {
  for (char ch : p) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x20 || c == 0x7F) return false;
  }
  return !p.empty() && p.front() == '/';
}

std::string FileUrl(const std::string& path) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string url = "file://";
  for (char ch : path) {
    const auto c = static_cast<unsigned char>(ch);
    if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
      url.push_back(static_cast<char>(c));
    } else {
      url.push_back('%');
      url.push_back(kHex[c >> 4]);
      url.push_back(kHex[c & 15]);
    }
  }
  return url;
}

// Settings the private profile starts with: no macros ever (on top of refusing them for each
// load), no links followed from documents, and, should the office's empty network of its own
// be unavailable on this system, a proxy that leads nowhere for anything it tries to fetch.
void WritePrivateSettings(const fs::path& profile) {
  struct Setting {
    const char* path;
    const char* name;
    const char* value;
  };
  const char* kScripting = "/org.openoffice.Office.Common/Security/Scripting";
  const char* kInet = "/org.openoffice.Inet/Settings";
  const Setting settings[] = {
      {kScripting, "DisableMacrosExecution", "true"},
      {kScripting, "MacroSecurityLevel", "3"},
      {kScripting, "BlockUntrustedRefererLinks", "true"},
      {kInet, "ooInetProxyType", "2"},
      {kInet, "ooInetNoProxy", ""},
      {kInet, "ooInetHTTPProxyName", "127.0.0.1"},
      {kInet, "ooInetHTTPProxyPort", "9"},
      {kInet, "ooInetHTTPSProxyName", "127.0.0.1"},
      {kInet, "ooInetHTTPSProxyPort", "9"},
      {kInet, "ooInetFTPProxyName", "127.0.0.1"},
      {kInet, "ooInetFTPProxyPort", "9"},
  };
  std::error_code ec;
  fs::create_directories(profile / "user", ec);
  std::ofstream out(profile / "user" / "registrymodifications.xcu", std::ios::binary);
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<oor:items xmlns:oor=\"http://openoffice.org/2001/registry\" "
         "xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" "
         "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n";
  for (const Setting& s : settings) {
    out << "<item oor:path=\"" << s.path << "\"><prop oor:name=\"" << s.name
        << "\" oor:op=\"fuse\"><value>" << s.value << "</value></prop></item>\n";
  }
  out << "</oor:items>\n";
}

// The source's own path, for links relative to it; not for an unpacked web archive (its pictures
// are in our folder) nor when the path cannot travel in a protocol line.
std::string OriginalForLinks(const std::string& sourcePath, bool unpacked) {
  if (unpacked) return {};
  std::error_code ec;
  const std::string absolute = fs::absolute(sourcePath, ec).string();
  return !ec && PlainPath(absolute) && absolute.find('\t') == std::string::npos ? absolute
                                                                                : std::string();
}

// Kills the office and waits (briefly) until it is gone: it is our helper's child, not ours, so
// its end shows in /proc only.
void KillOffice(pid_t office) {
  if (office <= 0) return;
  kill(-office, SIGKILL);
  kill(office, SIGKILL);
  const std::string stat = "/proc/" + std::to_string(office) + "/stat";
  for (int i = 0; i < 200; ++i) {
    std::ifstream in(stat);
    std::string all((std::istreambuf_iterator<char>(in)), {});
    const auto close = all.rfind(')');
    if (!in || close == std::string::npos || close + 2 >= all.size() || all[close + 2] == 'Z') {
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

std::string Seconds(std::chrono::milliseconds ms) {
  if (ms.count() % 1000 == 0) return std::to_string(ms.count() / 1000) + " s";
  return std::to_string(ms.count()) + " ms";
}

class Converter final : public LibreOfficeConverter {
 public:
  explicit Converter(LibreOfficeOptions options) : options_(std::move(options)) {
    if (options_.officeProgram.empty()) options_.officeProgram = DefaultOfficeProgram();
    if (options_.helperProgram.empty()) options_.helperProgram = DefaultHelperProgram();
  }

  ~Converter() override { Shutdown(); }

  Status ConvertToDocx(const std::string& sourcePath, const std::string& docxPath) override {
    std::lock_guard lock(mutex_);
    auto sniff = SniffForConversion(sourcePath);
    if (!sniff) return sniff.error();
    std::error_code ec;
    if (options_.officeProgram.empty() || !fs::is_regular_file(options_.officeProgram, ec)) {
      return MakeError(codes::kConverterMissing, InstallHint(sniff->description));
    }
    if (options_.helperProgram.empty() || !fs::is_regular_file(options_.helperProgram, ec)) {
      return MakeError(codes::kConverterMissing,
                       sniff->description +
                           ": the converter helper (plenwick-legacy-helper) "
                           "is missing; reinstall the program to join it");
    }
    if (auto st = EnsureStarted(); !st) return st;
    return Convert(sourcePath, docxPath, *sniff);
  }

  Status ExportPdf(const std::string& docxPath, const std::string& pdfPath) override {
    std::lock_guard lock(mutex_);
    std::error_code ec;
    if (options_.officeProgram.empty() || !fs::is_regular_file(options_.officeProgram, ec)) {
      return MakeError(codes::kConverterMissing,
                       "PDF needs LibreOffice, which is not installed (Debian: "
                       "libreoffice-writer-nogui)");
    }
    if (options_.helperProgram.empty() || !fs::is_regular_file(options_.helperProgram, ec)) {
      return MakeError(codes::kConverterMissing,
                       "PDF needs the converter helper (plenwick-legacy-helper), which is missing; "
                       "reinstall the program");
    }
    if (auto st = EnsureStarted(); !st) return st;
    const std::string n = std::to_string(++counter_);
    const fs::path input = fs::path(workDir_) / ("in-" + n + ".docx");
    const fs::path output = fs::path(workDir_) / ("out-" + n + ".pdf");
    struct Remove {
      fs::path a, b;
      ~Remove() {
        std::error_code ignored;
        fs::remove(a, ignored);
        fs::remove(b, ignored);
      }
    } cleanup{input, output};
    fs::copy_file(docxPath, input, fs::copy_options::overwrite_existing, ec);
    if (ec) return MakeError(codes::kReadFailed, "the document cannot be read: " + ec.message());
    // A whole result takes far longer to lay out than one legacy file to convert.
    const auto limit = std::max(options_.conversionTimeLimit, std::chrono::milliseconds(600000));
    if (auto asked = Ask(std::string(protocol::kConvert) + "\t" + input.string() + "\t" +
                             output.string() + "\tMS Word 2007 XML\t\t\t" + protocol::kTargetPdf,
                         limit);
        !asked) {
      return asked;
    }
    if (fs::file_size(output, ec) == 0 || ec) {
      return MakeError(codes::kConversionFailed, "LibreOffice wrote no PDF");
    }
    fs::copy_file(output, pdfPath, fs::copy_options::overwrite_existing, ec);
    if (ec) return MakeError(codes::kWriteFailed, "the PDF cannot be written: " + ec.message());
    return Ok();
  }

  std::string WorkDir() const override { return workDir_; }
  pid_t HelperPid() const override { return helper_.Pid(); }
  pid_t OfficePid() const override { return helper_.Running() ? officePid_ : -1; }
  std::chrono::milliseconds LastStartTime() const override { return lastStart_; }
  void SetConversionTimeLimit(std::chrono::milliseconds limit) override {
    std::lock_guard lock(mutex_);
    options_.conversionTimeLimit = limit;
  }

 private:
  Status EnsureWorkDir() {
    if (!workDir_.empty()) return Ok();
    std::string base = "/tmp";
    if (const char* t = std::getenv("TMPDIR"); t != nullptr && PlainPath(t)) base = t;
    // Named for this process: a run killed with its helper leaves it for the next run to remove.
    Result<std::string> folder = MakeRunFolder(base, "plenwick-legacy");
    if (!folder) {
      return MakeError(codes::kConversionFailed, "the converter cannot make its work folder");
    }
    workDir_ = *folder;
    pipeName_ = "plenwick-" + std::to_string(getpid()) + "-" + workDir_.substr(workDir_.size() - 6);
    return Ok();
  }

  Status EnsureStarted() {
    if (helper_.Alive()) return Ok();
    Restart();  // tidy whatever a helper that ended on its own left
    if (auto st = EnsureWorkDir(); !st) return st;
    // A profile an office was killed over may be half written: start from a clean one.
    std::error_code ec;
    fs::remove_all(fs::path(workDir_) / "profile", ec);
    WritePrivateSettings(fs::path(workDir_) / "profile");
    const auto started = Clock::now();
    std::string why;
    if (!helper_.Spawn(options_.helperProgram,
                       {"--office", options_.officeProgram, "--profile-url",
                        FileUrl(workDir_ + "/profile"), "--pipe", pipeName_, "--work-dir", workDir_,
                        "--start-limit-ms", std::to_string(options_.startTimeLimit.count())},
                       why)) {
      return MakeError(codes::kConversionFailed, "LibreOffice could not be started: " + why);
    }
    const auto deadline = started + options_.startTimeLimit + std::chrono::seconds(5);
    std::string line;
    auto status = helper_.ReadLine(deadline, line);
    auto f = protocol::SplitTabs(line);
    if (status == HelperProcess::ReadStatus::kLine && f.size() == 2 && f[0] == protocol::kPipe) {
      instancePipe_ = f[1];
      status = helper_.ReadLine(deadline, line);
      f = protocol::SplitTabs(line);
    }
    if (status != HelperProcess::ReadStatus::kLine || f.size() < 2 || f[0] != protocol::kReady) {
      helper_.Kill();
      RemovePipeFiles();
      std::string reason = "LibreOffice could not be started";
      if (status == HelperProcess::ReadStatus::kLine && f.size() >= 2 && f[0] == protocol::kFail) {
        reason += ": " + f[1];
      } else if (status == HelperProcess::ReadStatus::kTimedOut) {
        reason += ": it did not answer in " + Seconds(options_.startTimeLimit);
      }
      return MakeError(codes::kConversionFailed, reason);
    }
    officePid_ = static_cast<pid_t>(std::strtol(f[1].c_str(), nullptr, 10));
    lastStart_ = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started);
    return Ok();
  }

  Status Convert(const std::string& sourcePath, const std::string& docxPath,
                 const SniffResult& sniff) {
    const Import import = ImportFor(sniff);
    const std::string n = std::to_string(++counter_);
    const fs::path input = fs::path(workDir_) / ("in-" + n + import.extension);
    const fs::path output = fs::path(workDir_) / ("out-" + n + ".docx");
    // The office sees only a private copy under a plain name: never the person's folder (no
    // lock files there) and never a name it could misread.
    const fs::path unpacked = fs::path(workDir_) / ("web-" + n);
    struct Remove {
      fs::path a, b, c;
      ~Remove() {
        std::error_code ec;
        fs::remove(a, ec);
        fs::remove(b, ec);
        fs::remove_all(c, ec);
      }
    } cleanup{input, output, unpacked};
    fs::path page = input;
    std::error_code ec;
    if (sniff.format == LegacyFormat::kWebArchive) {
      auto unpackedPage = UnpackMhtml(sourcePath, unpacked);
      if (!unpackedPage) return unpackedPage.error();
      page = *unpackedPage;
    } else if (sniff.format == LegacyFormat::kRtf) {
      if (auto st = CopyRtfRepaired(sourcePath, input.string()); !st) return st;
    } else {
      fs::copy_file(sourcePath, input, fs::copy_options::overwrite_existing, ec);
      if (ec) return MakeError(codes::kReadFailed, "the file cannot be read: " + ec.message());
    }

    if (auto asked = Ask(std::string(protocol::kConvert) + "\t" + page.string() + "\t" +
                             output.string() + "\t" + import.filter + "\t" + import.options + "\t" +
                             OriginalForLinks(sourcePath, page != input),
                         options_.conversionTimeLimit);
        !asked) {
      return asked;
    }
    if (fs::file_size(output, ec) == 0 || ec) {
      return MakeError(codes::kConversionFailed, "the converter wrote nothing");
    }
    if (auto st = RepairConvertedDocx(output.string()); !st) return st;
    // A damaged file the office reads as one empty paragraph is no success.
    if (SourceShowsText(sourcePath, sniff)) {
      const Result<bool> holds = DocxHoldsContent(output.string());
      if (!holds) return holds.error();
      if (!*holds) {
        return MakeError(codes::kConversionFailed,
                         "the file holds text but its conversion came back empty (the file may "
                         "be damaged)");
      }
    }
    fs::rename(output, docxPath, ec);
    if (ec) {
      // Another file system: copy instead.
      ec.clear();
      fs::copy_file(output, docxPath, fs::copy_options::overwrite_existing, ec);
      if (ec) {
        return MakeError(codes::kWriteFailed,
                         "the converted file cannot be written: " + ec.message());
      }
    }
    return Ok();
  }

  // Sends one request and waits for its answer; the office's pid in an OK answer is kept.
  Status Ask(const std::string& request, std::chrono::milliseconds limit) {
    if (!helper_.WriteLine(request)) {
      Restart();
      return MakeError(codes::kConversionFailed, "the converter crashed");
    }
    std::string line;
    const auto status = helper_.ReadLine(Clock::now() + limit, line);
    if (status == HelperProcess::ReadStatus::kTimedOut) {
      Restart();
      return MakeError(codes::kConversionFailed, "conversion timed out after " + Seconds(limit));
    }
    if (status == HelperProcess::ReadStatus::kClosed) {
      Restart();
      return MakeError(codes::kConversionFailed, "the converter crashed");
    }
    const auto f = protocol::SplitTabs(line);
    if (f[0] == protocol::kErr && f.size() >= 3) {
      // The helper itself starts a new office after one it lost.
      return MakeError(static_cast<int>(std::strtol(f[1].c_str(), nullptr, 10)), f[2]);
    }
    if (f[0] != protocol::kOk || f.size() < 2) {
      Restart();
      return MakeError(codes::kConversionFailed, "the converter gave an answer it should not");
    }
    // The helper restarts an office that died while idle.
    officePid_ = static_cast<pid_t>(std::strtol(f[1].c_str(), nullptr, 10));
    return Ok();
  }

  // Ends a helper that hung, crashed or misbehaved; the next file starts a fresh one.
  void Restart() {
    const pid_t office = officePid_;
    helper_.Kill();
    // The office is the helper's child and dies with it; make sure, and tidy its pipes.
    KillOffice(office);
    officePid_ = -1;
    RemovePipeFiles();
  }

  void RemovePipeFiles() {
    if (!pipeName_.empty())
      unlink(("/tmp/OSL_PIPE_" + std::to_string(getuid()) + "_" + pipeName_).c_str());
    if (!instancePipe_.empty()) unlink(instancePipe_.c_str());
  }

  void Shutdown() {
    std::lock_guard lock(mutex_);
    const pid_t office = officePid_;
    helper_.Stop(std::chrono::milliseconds(3000));
    KillOffice(office);
    officePid_ = -1;
    RemovePipeFiles();
    if (!workDir_.empty()) {
      std::error_code ec;
      for (int attempt = 0;
           attempt < 3 && fs::remove_all(workDir_, ec) == static_cast<std::uintmax_t>(-1);
           ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
      }
    }
  }

  LibreOfficeOptions options_;
  mutable std::mutex mutex_;
  HelperProcess helper_;
  std::string workDir_;
  std::string pipeName_;
  std::string instancePipe_;
  pid_t officePid_ = -1;
  std::chrono::milliseconds lastStart_{0};
  unsigned long counter_ = 0;
};

}  // namespace

std::string DefaultOfficeProgram() {
  if (const char* p = std::getenv("PLENWICK_SOFFICE"); p != nullptr && *p != 0) return p;
  std::error_code ec;
  const std::string installed = PLENWICK_LO_PROGRAM_DIR "/soffice.bin";
  return fs::is_regular_file(installed, ec) ? installed : std::string();
}

std::string DefaultHelperProgram() {
  return platform::FindCompanion(
      "PLENWICK_LEGACY_HELPER",
      {"../libexec/plenwick/plenwick-legacy-helper", "plenwick-legacy-helper"},
      PLENWICK_LEGACY_HELPER_PATH);
}

std::unique_ptr<LibreOfficeConverter> MakeLibreOfficeConverter(LibreOfficeOptions options) {
  return std::make_unique<Converter>(std::move(options));
}

}  // namespace plenwick::word::legacy
