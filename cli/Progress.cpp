#include "cli/Progress.h"

#include <algorithm>

#include "cli/Console.h"

namespace plenwick::cli {
namespace {

constexpr int kBarCells = 24;
bool IsContinuationByte(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Characters, not bytes, of UTF-8 text: what a terminal shows (wide characters aside).
std::size_t Characters(const std::string& text) {
  return static_cast<std::size_t>(
      std::count_if(text.begin(), text.end(), [](char c) { return !IsContinuationByte(c); }));
}

// The last `keep` characters of text, led by "..." when something was cut.
std::string KeepTail(const std::string& text, std::size_t keep) {
  if (Characters(text) <= keep) return text;
  if (keep <= 3) return std::string(keep, '.');
  std::size_t wanted = keep - 3;
  std::size_t start = text.size();
  while (start > 0 && wanted > 0) {
    --start;
    if (!IsContinuationByte(text[start])) --wanted;
  }
  return "..." + text.substr(start);
}

}  // namespace

Progress::Style Progress::StyleFor(std::FILE* out, bool quiet) {
  if (quiet) return Style::kSilent;
  return IsTerminal(out) ? Style::kBar : Style::kLines;
}

Progress::Progress(std::FILE* out, Style style, int total)
    : out_(out), style_(style), total_(total) {}

std::string Progress::BarLine(int number, int total, const std::string& path, int columns) {
  const int done = total > 0 ? std::clamp(number - 1, 0, total) : 0;
  const int filled = total > 0 ? done * kBarCells / total : 0;
  std::string line = "[" + std::string(static_cast<std::size_t>(filled), '#') +
                     std::string(static_cast<std::size_t>(kBarCells - filled), '-') + "] " +
                     std::to_string(number) + "/" + std::to_string(total) + " ";
  // One column spare: writing into the last one makes some terminals wrap.
  const int room = columns - 1 - static_cast<int>(line.size());
  if (room > 0) line += KeepTail(path, static_cast<std::size_t>(room));
  return line;
}

void Progress::Starting(int number, const std::string& path) {
  switch (style_) {
    case Style::kSilent:
      return;
    case Style::kLines:
      std::fprintf(out_, "[%d/%d] %s\n", number, total_, path.c_str());
      break;
    case Style::kBar: {
      const int columns = TerminalColumns(out_);
      std::string line = BarLine(number, total_, path, columns);
      // Clear the rest of the previous, possibly longer, line.
      const std::size_t width = Characters(line);
      const std::size_t clear = static_cast<std::size_t>(std::max(columns - 1, 0));
      if (width < clear) line += std::string(clear - width, ' ');
      std::fprintf(out_, "\r%s", line.c_str());
      lineOpen_ = true;
      break;
    }
  }
  shown_ = number;
  std::fflush(out_);
}

void Progress::Finish() {
  if (!lineOpen_) return;
  const int columns = TerminalColumns(out_);
  // The finished bar: full, with the count of documents gone through.
  std::string line = "[" + std::string(kBarCells, '#') + "] " + std::to_string(shown_) + "/" +
                     std::to_string(total_);
  const std::size_t clear = static_cast<std::size_t>(std::max(columns - 1, 0));
  if (line.size() < clear) line += std::string(clear - line.size(), ' ');
  std::fprintf(out_, "\r%s\n", line.c_str());
  std::fflush(out_);
  lineOpen_ = false;
}

}  // namespace plenwick::cli
