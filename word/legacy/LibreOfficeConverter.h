// The LibreOffice-backed converter: one private office per converter object, started with the
// first legacy file through our helper process and reused for every later one; a conversion
// that hangs or crashes fails that file and the office is started afresh for the next.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <memory>
#include <string>

#include "word/legacy/LegacyConverter.h"

namespace plenwick::word::legacy {

struct LibreOfficeOptions {
  std::string officeProgram;  // soffice.bin; empty: the installed one
  std::string helperProgram;  // plenwick-legacy-helper; empty: found beside us or in the build
  std::chrono::milliseconds startTimeLimit{60000};
  std::chrono::milliseconds conversionTimeLimit{60000};
};

class LibreOfficeConverter : public LegacyConverter {
 public:
  // Where its private files go and which processes it runs, so tests can see they are gone.
  virtual std::string WorkDir() const = 0;
  virtual pid_t HelperPid() const = 0;
  virtual pid_t OfficePid() const = 0;
  // How long starting the office took the last time it was started (zero before).
  virtual std::chrono::milliseconds LastStartTime() const = 0;
  virtual void SetConversionTimeLimit(std::chrono::milliseconds limit) = 0;
};

std::unique_ptr<LibreOfficeConverter> MakeLibreOfficeConverter(LibreOfficeOptions options = {});

// The installed office program and our helper, as this build finds them (empty when missing).
std::string DefaultOfficeProgram();
std::string DefaultHelperProgram();

}  // namespace plenwick::word::legacy
