// Simulates the join run's saves: each step appends one document (a ~6 KB piece of main text
// and a 30 KB picture plus a header as fixed entries) and, in "each" mode, saves the package.
//
//   bench_package_save [--count N] [--mode each|end|full] [--not-power-safe] [--work-ms N] [--dir
//   DIR]
//
// "each" saves after every step as the join run does, "end" once after the last step, "full"
// after every step but with the spare dropped each time (every save a full rewrite, for
// comparison). Saves are power-safe as the writer's are by default; --not-power-safe turns that
// off. --work-ms N spends N ms of CPU per step besides the bench's own, as the engine's work on
// each document would (the writer commits each save's rename in the background meanwhile). Each
// run is one process, so the peak memory printed is that mode's own.
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "word/package/Zip.h"

using namespace plenwick::word::package;

namespace {

std::string Picture(std::uint32_t seed, std::size_t size) {
  std::string bytes(size, '\0');
  std::uint32_t x = seed * 2654435761u + 1;
  for (char& c : bytes) {
    x = x * 1664525u + 1013904223u;
    c = static_cast<char>(x >> 24);
  }
  return bytes;
}

// About 6 KB of WordprocessingML, varied enough to compress like real text (3 to 4 times).
std::string Paragraphs(int doc) {
  static const char* kWords[] = {"join",   "folder",  "document", "page",   "section",
                                 "header", "picture", "counter",  "result", "margin",
                                 "list",   "table",   "footnote", "style",  "font"};
  std::string xml = "<w:sectPr-start/>";
  std::uint32_t x = static_cast<std::uint32_t>(doc) * 7919u + 13;
  while (xml.size() < 6000) {
    xml += "<w:p><w:pPr><w:pStyle w:val=\"Normal\"/></w:pPr><w:r><w:rPr><w:sz w:val=\"";
    xml += std::to_string(18 + doc % 7);
    xml += "\"/></w:rPr><w:t xml:space=\"preserve\">";
    for (int w = 0; w < 12; ++w) {
      x = x * 1103515245u + 12345u;
      xml += kWords[(x >> 16) % 15];
      xml += ' ';
    }
    xml += "</w:t></w:r></w:p>";
  }
  return xml;
}

double PeakMiB() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_maxrss) / 1024.0;
}

// CPU time (user and system): steadier than wall time on a machine others are using.
double CpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  int count = 1000;
  std::string mode = "each";
  bool powerSafe = true;
  int workMs = 0;
  std::filesystem::path dir = std::filesystem::temp_directory_path();
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--count" && i + 1 < argc) {
      count = std::atoi(argv[++i]);
    } else if (a == "--mode" && i + 1 < argc) {
      mode = argv[++i];
    } else if (a == "--not-power-safe") {
      powerSafe = false;
    } else if (a == "--work-ms" && i + 1 < argc) {
      workMs = std::atoi(argv[++i]);
    } else if (a == "--dir" && i + 1 < argc) {
      dir = argv[++i];
    } else {
      std::fprintf(stderr,
                   "usage: %s [--count N] [--mode each|end|full] [--not-power-safe] [--work-ms N] "
                   "[--dir DIR]\n",
                   argv[0]);
      return 64;
    }
  }
  const std::string target =
      (dir / ("bench-" + std::to_string(::getpid()) + " All-One-Doc.doc")).string();

  const auto start = std::chrono::steady_clock::now();
  double saveSeconds = 0;
  {
    PackageWriter writer;
    writer.SetPowerSafe(powerSafe);
    GrowingEntry document("word/document.xml");
    document.Append("<?xml version=\"1.0\"?><w:document><w:body>");
    // Relationships and content types grow at their end too; like the main text they are kept
    // as compressed pieces, as the composer does.
    GrowingEntry rels("word/_rels/document.xml.rels");
    GrowingEntry types("[Content_Types].xml");
    rels.Append("<Relationships>");
    types.Append("<Types>");
    for (int i = 1; i <= count; ++i) {
      const std::string n = std::to_string(i);
      writer.AddFixed(MakeEntry("word/media/image" + n + ".png",
                                Picture(static_cast<std::uint32_t>(i), 30 * 1024)));
      writer.AddFixed(MakeEntry("word/header" + n + ".xml", "<w:hdr><w:p><w:r><w:t>Header " + n +
                                                                "</w:t></w:r></w:p></w:hdr>"));
      document.Append(Paragraphs(i));
      const auto busyUntil = std::chrono::steady_clock::now() + std::chrono::milliseconds(workMs);
      while (std::chrono::steady_clock::now() < busyUntil) {
      }
      rels.Append("<Relationship Id=\"rId" + n + "\" Type=\"image\" Target=\"media/image" + n +
                  ".png\"/><Relationship Id=\"rIdh" + n + "\" Type=\"header\" Target=\"header" + n +
                  ".xml\"/>");
      types.Append("<Override PartName=\"/word/header" + n + ".xml\" ContentType=\"header\"/>");
      if (mode == "each" || mode == "full" || i == count) {
        const auto s0 = std::chrono::steady_clock::now();
        if (mode == "full") writer.DropSpares();
        const plenwick::Status st =
            writer.Save(target, {types.Finish("</Types>"), rels.Finish("</Relationships>"),
                                 document.Finish("<w:sectPr/></w:body></w:document>")});
        saveSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - s0).count();
        if (!st) {
          std::fprintf(stderr, "%s\n", st.error().message.c_str());
          return 1;
        }
      }
    }
    const auto f0 = std::chrono::steady_clock::now();
    if (const plenwick::Status st = writer.Flush(); !st) {
      std::fprintf(stderr, "%s\n", st.error().message.c_str());
      return 1;
    }
    saveSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - f0).count();
    const auto stats = writer.Stats();
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf(
        "mode=%s count=%d power-safe=%s work=%dms wall=%.2fs cpu=%.2fs saving=%.2fs saves=%llu "
        "incremental=%llu "
        "written=%.0fMiB output=%.1fMiB peakRSS=%.0fMiB\n",
        mode.c_str(), count, powerSafe ? "yes" : "no", workMs, wall, CpuSeconds(), saveSeconds,
        static_cast<unsigned long long>(stats.saves),
        static_cast<unsigned long long>(stats.incrementalSaves),
        static_cast<double>(stats.bytesWritten) / 1048576.0,
        static_cast<double>(std::filesystem::file_size(target)) / 1048576.0, PeakMiB());
  }
  std::filesystem::remove(target);
  return 0;
}
