// The two product pages the link labels open. The site (scheme and host) is a build setting;
// the paths are the program's own.
#pragma once

#include <string>
#include <string_view>

#ifndef PLENWICK_SITE
#error "PLENWICK_SITE must name the product web site, e.g. https://www.example.com"
#endif

namespace plenwick::form {

inline constexpr std::string_view kSite = PLENWICK_SITE;
inline constexpr std::string_view kWebsitePath = "/plenwick.html";
inline constexpr std::string_view kProductHelpPath = "/plenwick/";

// The site joined with a page path; a trailing "/" in the configured site is not doubled.
inline std::string SiteAddress(std::string_view path) {
  std::string_view site = kSite;
  while (!site.empty() && site.back() == '/') site.remove_suffix(1);
  return std::string(site) + std::string(path);
}

}  // namespace plenwick::form
