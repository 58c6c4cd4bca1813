// What the binder keeps of one appended document: where it starts and what it is called.
#pragma once

#include <string>

namespace plenwick::word::engine {

struct BoundDocument {
  std::string bookmark;   // "" when the binder set no bookmark
  std::string title;      // for the contents page
  std::string pageSetup;  // the first document's page size and margins (w:sectPr), else ""
};

}  // namespace plenwick::word::engine
