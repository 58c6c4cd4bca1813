// Broken-down calendar time, thread-safe on every platform (localtime_r/gmtime_r where POSIX has
// them, their _s counterparts in Windows' C runtime).
#pragma once

#include <ctime>

namespace plenwick {

// False when the time cannot be broken down (out of the C library's range).
inline bool LocalCalendarTime(std::time_t when, std::tm& out) {
#ifdef _WIN32
  return localtime_s(&out, &when) == 0;
#else
  return localtime_r(&when, &out) != nullptr;
#endif
}

inline bool UtcCalendarTime(std::time_t when, std::tm& out) {
#ifdef _WIN32
  return gmtime_s(&out, &when) == 0;
#else
  return gmtime_r(&when, &out) != nullptr;
#endif
}

}  // namespace plenwick
