#include "join/Timestamp.h"

#include <array>
#include <ctime>

#include "base/CalendarTime.h"

namespace plenwick::join {
namespace {

bool IsLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

}  // namespace

LocalDateTime CurrentLocalDateTime() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (!LocalCalendarTime(now, local)) return {};
  return LocalDateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                       local.tm_hour,        local.tm_min,     local.tm_sec};
}

int DayOfYear(const LocalDateTime& when) {
  static constexpr std::array<int, 12> kDaysBefore = {0,   31,  59,  90,  120, 151,
                                                      181, 212, 243, 273, 304, 334};
  const int month = when.month < 1 ? 1 : (when.month > 12 ? 12 : when.month);
  const int leapDay = month > 2 && IsLeapYear(when.year) ? 1 : 0;
  return kDaysBefore[static_cast<std::size_t>(month - 1)] + leapDay + when.day;
}

std::string FormatTimestamp(const LocalDateTime& when) {
  return std::to_string(when.day) + std::to_string(when.month) + std::to_string(DayOfYear(when)) +
         " " + std::to_string(when.hour) + "-" + std::to_string(when.minute) + "-" +
         std::to_string(when.second);
}

}  // namespace plenwick::join
