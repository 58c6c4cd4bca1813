// The UNO connection to the office: loads a document hidden, read-only, with macros and link
// updates off and every question answered "abort", stores it as OOXML and closes it.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace plenwick::word::legacy::helper {

struct ConversionRequest {
  std::string sourcePath;
  std::string docxPath;
  std::string filter;
  std::string filterOptions;
  std::string originalPath;  // where the source was copied from; may be empty
  bool pdf = false;          // PDF at docxPath instead, bookmarks as named destinations
};

struct ConversionOutcome {
  enum class Kind { kOk, kFailed, kPasswordProtected, kOfficeLost };
  Kind kind = Kind::kOk;
  std::string reason;
};

class UnoSession {
 public:
  // Pictures linked into privateFolder (the converter's work folder) are embedded.
  explicit UnoSession(const std::string& privateFolder);
  ~UnoSession();
  UnoSession(const UnoSession&) = delete;
  UnoSession& operator=(const UnoSession&) = delete;

  // Tries once to connect to an office accepting on pipeName; false while it is not ready yet.
  bool TryConnect(const std::string& pipeName, std::string& why);
  // Whether the connection still answers: a killed office shows here before its process is gone.
  bool Healthy();
  // Converts on the office's main thread; officeAlive tells whether waiting still makes sense.
  ConversionOutcome Convert(const ConversionRequest& request,
                            const std::function<bool()>& officeAlive);

  struct State;

 private:
  std::unique_ptr<State> state_;
};

// The path of the pipe an office makes for its own single-instance check, so that it can be
// removed after the office is killed (it does not remove it itself then).
std::string OfficeInstancePipePath(const std::string& profileUrl);
std::string UnoPipePath(const std::string& pipeName);

}  // namespace plenwick::word::legacy::helper
