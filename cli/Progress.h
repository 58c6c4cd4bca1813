// What plenwick-join shows while it joins: a bar redrawn in place on a terminal (count, total and
// the current file), one plain line per document when the output goes to a file or a pipe, or
// nothing with --quiet.
#pragma once

#include <cstdio>
#include <string>

namespace plenwick::cli {

class Progress {
 public:
  enum class Style { kBar, kLines, kSilent };

  // The style for out: a bar when out is a terminal, lines otherwise, nothing when quiet.
  static Style StyleFor(std::FILE* out, bool quiet);

  Progress(std::FILE* out, Style style, int total);
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;
  ~Progress() { Finish(); }

  // Document number (1 for the first) is about to be joined.
  void Starting(int number, const std::string& path);
  // Ends the bar's line; later output starts on a fresh line.
  void Finish();

  // The bar's line for a terminal width of columns, without the leading carriage return.
  static std::string BarLine(int number, int total, const std::string& path, int columns);

 private:
  std::FILE* out_;
  Style style_;
  int total_;
  int shown_ = 0;
  bool lineOpen_ = false;
};

}  // namespace plenwick::cli
