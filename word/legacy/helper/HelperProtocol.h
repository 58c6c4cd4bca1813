// The line protocol between the converter (in the program) and its helper process, which keeps
// LibreOffice's UNO runtime, threads and signal handling out of the program itself.
//
//   helper -> program, once:  "READY\t<office pid>\t<office's own pipe path>\n" or
//   "FAIL\t<reason>\n" program -> helper:        "CONVERT\t<source path>\t<docx
//   path>\t<filter>\t<filter options>\n" helper -> program:        "OK\n" or
//   "ERR\t<code>\t<reason>\n"
//
// Paths are inside the converter's private work folder, so they never hold tabs or newlines.
// Closing the helper's stdin, or the lifeline pipe on fd 3, asks it to end its office and exit.
#pragma once

namespace plenwick::word::legacy::protocol {

inline constexpr const char* kReady = "READY";
inline constexpr const char* kFail = "FAIL";
inline constexpr const char* kConvert = "CONVERT";
inline constexpr const char* kOk = "OK";
inline constexpr const char* kErr = "ERR";
inline constexpr int kLifelineFd = 3;

}  // namespace plenwick::word::legacy::protocol
