// Tells what kind of container a file is from its bytes, not its name.
#pragma once

#include <string_view>

namespace plenwick::word::package {

enum class Container {
  kZip,           // a ZIP archive (an OOXML package, or some other ZIP)
  kEncryptedOle,  // an OLE compound file holding an encrypted OOXML package
  kOle,           // another OLE compound file (Word 97-2003 and friends)
  kRtf,           // Rich Text Format
  kEmpty,         // no bytes at all
  kUnknown,
};

// Looks at the whole file: an encrypted package is recognised by its "EncryptedPackage" stream.
Container Sniff(std::string_view bytes);

}  // namespace plenwick::word::package
