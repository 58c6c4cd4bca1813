// The timestamp in the output's name: day, month and day of the year run together, then the time
// of day, all without leading zeros and without the year ("dmY h-m-s": 9 January at 14:05:30 is
// "919 14-5-30").
#pragma once

#include <functional>
#include <string>

namespace plenwick::join {

// A local calendar date and time of day, as the clock reads it.
struct LocalDateTime {
  int year = 1970;
  int month = 1;   // 1 to 12
  int day = 1;     // 1 to 31
  int hour = 0;    // 0 to 23
  int minute = 0;  // 0 to 59
  int second = 0;  // 0 to 59
};

// Reads the current local date and time; tests replace it with a fixed one.
using Clock = std::function<LocalDateTime()>;

// The machine's local time.
LocalDateTime CurrentLocalDateTime();

// 1 for 1 January, 366 for 31 December of a leap year (Gregorian calendar).
int DayOfYear(const LocalDateTime& when);

std::string FormatTimestamp(const LocalDateTime& when);

}  // namespace plenwick::join
