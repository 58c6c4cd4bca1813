// Files that ship with the program and are found at run time: helper programs and modules.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace plenwick::platform {

// The companion named by the environment variable when it is set; else the first that exists of
// the places given relative to the folder of the running program ("../libexec/plenwick/x" for
// an installed one, "x" beside it); else `built`, where this build put it, if it exists. "" when
// none is there.
std::string FindCompanion(const char* environmentVariable,
                          std::initializer_list<std::string_view> besideProgram,
                          const std::string& built);

}  // namespace plenwick::platform
