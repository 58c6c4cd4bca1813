// What a join run is given from outside: Word, the file system, the walker's message box, the clock
// and the existence test for output names. The window passes the real ones, tests their doubles.
#pragma once

#include "join/OutputName.h"
#include "join/Timestamp.h"
#include "shell/ShellServices.h"
#include "walk/FileSystem.h"
#include "word/WordApi.h"

namespace plenwick::join {

struct JoinServices {
  // Resolves "Word.Application".
  word::ApplicationFactory applications;
  // The walker's file-system objects.
  walk::FileSystemFactory fileSystems;
  // Shows the walker's permission message. Must outlive the walker it is given to, that is, the
  // JoinState whose walker the first run creates.
  shell::MessageBoxService* walkerMessages = nullptr;
  Clock clock = CurrentLocalDateTime;
  PathProbe pathTaken = PathTaken;
};

}  // namespace plenwick::join
