#pragma once
// Packed MS-DOS dates and times as the archive headers store them: the time in
// the low 16 bits (hour 11-15, minute 5-10, seconds/2 0-4), the date in the high
// 16 bits (year-1980 9-15, month 5-8, day 0-4).

#include <cstdint>
#include <ctime>

namespace tarvik {

struct TDosDateTimeParts {
  int year = 1980;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

TDosDateTimeParts UnpackDosDateTime(std::uint32_t packed);
std::uint32_t PackDosDateTime(const TDosDateTimeParts& parts);

// Clamps out-of-range fields (hour 23, minute and second 59, year 1980-2099,
// month and day at least 1, at most 12 and 31). A value with nothing to clamp is
// returned bit for bit; days beyond the length of their month stay.
std::uint32_t RepairDosDateTime(std::uint32_t packed);

// Seconds since 1899-12-30 00:00 (the date-time origin), so that later is
// larger; 0 when the value names no real day (e.g. 31 February).
std::int64_t DosDateTimeValue(std::uint32_t packed);

// A packed DOS date and time (repaired first) as local time, or -1 when the
// calendar cannot represent it.
std::time_t DosDateTimeToLocalTime(std::uint32_t packed);

}  // namespace tarvik
