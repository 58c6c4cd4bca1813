// Shell wildcards, the same on every platform (Windows has no fnmatch): `*` any run of
// characters and `?` any one character, neither crossing a '/'; `[abc]`, `[a-z]`, `[!a-z]` (or
// `[^a-z]`) one character of a set; a backslash takes the next character literally. Characters
// are UTF-8 code points, compared exactly.
#pragma once

#include <string_view>

namespace plenwick::walk {

bool WildcardMatch(std::string_view pattern, std::string_view text);

// Whether a path relative to the source folder ('/' between names) is excluded by pattern: a
// pattern without '/' is matched against each name along the path (so "*.doc" leaves out such
// files anywhere, "drafts" everything in folders of that name); one with '/' against the whole
// path or a folder it starts with ("old/drafts" leaves out everything inside).
bool ExcludedBy(std::string_view pattern, std::string_view relativePath);

}  // namespace plenwick::walk
