// The line protocol between the converter (in the program) and its helper process, which keeps
// LibreOffice's UNO runtime, threads and signal handling out of the program itself.
//
// Once, from the helper:
//   PIPE <tab> office's own pipe path
//   READY <tab> office pid     or     FAIL <tab> reason
// Then for each file, from the program:
//   CONVERT <tab> source path <tab> docx path <tab> filter <tab> filter options <tab> original
// where original is the path the source was copied from (relative links resolve against it),
// empty when it cannot travel in a line. A seventh field "pdf" asks for PDF instead of OOXML at
// the docx path, its bookmarks as named destinations.
// and from the helper:
//   OK <tab> office pid     or     ERR <tab> code <tab> reason
// Every message is one line. Source and docx paths are inside the converter's private work
// folder, so they never hold tabs or newlines. Closing the helper's input, or the lifeline pipe on
// fd 3, asks it to end its office and exit.
#pragma once

#include <string>
#include <vector>

namespace plenwick::word::legacy::protocol {

inline constexpr const char* kPipe = "PIPE";
inline constexpr const char* kReady = "READY";
inline constexpr const char* kFail = "FAIL";
inline constexpr const char* kConvert = "CONVERT";
inline constexpr const char* kOk = "OK";
inline constexpr const char* kErr = "ERR";
inline constexpr const char* kTargetPdf = "pdf";
inline constexpr int kLifelineFd = 3;

// The fields of one message.
inline std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> out(1);
  for (char c : line) {
    if (c == '\t') {
      out.emplace_back();
    } else {
      out.back().push_back(c);
    }
  }
  return out;
}

}  // namespace plenwick::word::legacy::protocol
