// plenwick-legacy-bench: the cost of legacy documents. Makes N one-page Word 97-2003 files once
// (generated .docx turned into .doc by LibreOffice), then times the office's start-up on the
// first file and each later conversion; with the Word layer, also joins them into one document
// with a save after each, as the join run does.
//
//   plenwick-legacy-bench [--count 50] [--docs DIR] [--keep DIR]
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "word/legacy/LibreOfficeConverter.h"
#if PLENWICK_BENCH_WITH_ENGINE
#include "word/WordApi.h"
#endif

namespace fs = std::filesystem;
namespace legacy = plenwick::word::legacy;
using Clock = std::chrono::steady_clock;

namespace {

double Ms(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

bool Run(const std::string& cmd) {
  std::printf("$ %s\n", cmd.c_str());
  std::fflush(stdout);
  return std::system(cmd.c_str()) == 0;
}

// The .doc set, made once and kept beside the benchmark.
std::vector<fs::path> MakeDocs(const fs::path& dir, int count) {
  const fs::path docs = dir / "doc";
  std::vector<fs::path> out;
  auto list = [&] {
    out.clear();
    if (!fs::exists(docs)) return;
    for (const auto& e : fs::directory_iterator(docs)) {
      if (e.path().extension() == ".doc") out.push_back(e.path());
    }
    std::sort(out.begin(), out.end());
  };
  list();
  if (static_cast<int>(out.size()) >= count) {
    out.resize(static_cast<std::size_t>(count));
    return out;
  }
  fs::remove_all(dir);
  fs::create_directories(dir / "docx");
  const std::string shared = PLENWICK_SHARED_DIR;
  if (!Run("/usr/bin/python3 '" + shared + "/tools/gen_corpus.py' --count " +
           std::to_string(count) + " --out '" + (dir / "docx").string() + "' > /dev/null") ||
      !Run("cd '" + (dir / "docx").string() + "' && soffice -env:UserInstallation=file://" +
           (dir / "profile").string() + " --headless --convert-to doc --outdir '" + docs.string() +
           "' *.docx > /dev/null 2>&1")) {
    std::fprintf(stderr, "could not make the documents (needs ../shared and soffice)\n");
    std::exit(2);
  }
  fs::remove_all(dir / "profile");
  list();
  return out;
}

void Summarise(const char* what, std::vector<double> ms) {
  if (ms.empty()) return;
  std::sort(ms.begin(), ms.end());
  double sum = 0;
  for (double m : ms) sum += m;
  std::printf(
      "%s after the first (%zu docs): mean %.1f ms, median %.1f ms, p90 %.1f ms, max %.1f ms\n",
      what, ms.size(), sum / static_cast<double>(ms.size()), ms[ms.size() / 2],
      ms[ms.size() * 9 / 10], ms.back());
}

}  // namespace

int main(int argc, char** argv) {
  int count = 50;
  fs::path docsDir;
  fs::path keep;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string a = argv[i];
    if (a == "--count") count = std::max(2, std::atoi(argv[i + 1]));
    if (a == "--docs") docsDir = argv[i + 1];
    if (a == "--keep") keep = argv[i + 1];
  }
  std::vector<fs::path> docs;
  if (docsDir.empty()) {
    docs = MakeDocs(fs::path(PLENWICK_BENCH_DATA_DIR) / ("legacy-" + std::to_string(count)), count);
  } else {
    for (const auto& e : fs::directory_iterator(docsDir)) docs.push_back(e.path());
    std::sort(docs.begin(), docs.end());
  }
  std::printf("%zu legacy documents\n", docs.size());
  const fs::path work =
      fs::temp_directory_path() / ("plenwick-legacy-bench-" + std::to_string(getpid()));
  fs::create_directories(work);
  if (!keep.empty()) fs::create_directories(keep);

  {  // Conversions alone.
    auto converter = legacy::MakeLibreOfficeConverter();
    std::vector<double> later;
    for (std::size_t i = 0; i < docs.size(); ++i) {
      const fs::path out = (keep.empty() ? work : keep) / (docs[i].stem().string() + ".docx");
      const auto t0 = Clock::now();
      const auto st = converter->ConvertToDocx(docs[i].string(), out.string());
      const double ms = Ms(Clock::now() - t0);
      if (!st) std::printf("  %s: %s\n", docs[i].filename().c_str(), st.error().message.c_str());
      if (i == 0) {
        std::printf("convert: first file %.0f ms (office start-up %lld ms)\n", ms,
                    static_cast<long long>(converter->LastStartTime().count()));
      } else {
        later.push_back(ms);
      }
      if (keep.empty()) fs::remove(out);
    }
    Summarise("convert", later);
  }

#if PLENWICK_BENCH_WITH_ENGINE
  {  // Through the Word layer, saving after each document.
    auto app = plenwick::word::CreateObject("Word.Application");
    if (!app) return 1;
    auto documents = (*app)->Documents();
    auto doc = (*documents)->Add();
    const std::string result = (work / "joined.doc").string();
    std::vector<double> later;
    const auto all0 = Clock::now();
    for (std::size_t i = 0; i < docs.size(); ++i) {
      const auto t0 = Clock::now();
      auto range = (*doc)->Range();
      (void)(*range)->Collapse(plenwick::word::kCollapseEnd);
      const auto st = (*range)->InsertFile(docs[i].string());
      const auto saved = (*doc)->SaveAs(result);
      const double ms = Ms(Clock::now() - t0);
      if (!st) std::printf("  %s: %s\n", docs[i].filename().c_str(), st.error().message.c_str());
      if (!saved) std::printf("  save: %s\n", saved.error().message.c_str());
      if (i == 0) {
        std::printf("join + save: first file %.0f ms (includes the office start-up)\n", ms);
      } else {
        later.push_back(ms);
      }
    }
    std::printf("join + save: %zu documents in %.2f s\n", docs.size(),
                Ms(Clock::now() - all0) / 1000);
    Summarise("join + save", later);
    if (!keep.empty())
      fs::copy_file(result, keep / "joined.docx", fs::copy_options::overwrite_existing);
  }
#endif
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  std::printf("peak memory of this process: %ld MB (the office runs apart)\n", ru.ru_maxrss / 1024);
  fs::remove_all(work);
  return 0;
}
