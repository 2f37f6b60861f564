#include "zip/dos_time.h"

#include <algorithm>

namespace tarvik {

TDosDateTimeParts UnpackDosDateTime(std::uint32_t packed) {
  std::uint32_t time = packed & 0xFFFF;
  std::uint32_t date = packed >> 16;
  TDosDateTimeParts parts;
  parts.hour = static_cast<int>(time >> 11);
  parts.minute = static_cast<int>((time >> 5) & 0x3F);
  parts.second = static_cast<int>(time & 0x1F) * 2;
  parts.year = static_cast<int>(date >> 9) + 1980;
  parts.month = static_cast<int>((date >> 5) & 0x0F);
  parts.day = static_cast<int>(date & 0x1F);
  return parts;
}

std::uint32_t PackDosDateTime(const TDosDateTimeParts& parts) {
  std::uint32_t time = (static_cast<std::uint32_t>(parts.hour) << 11) |
                       (static_cast<std::uint32_t>(parts.minute) << 5) | static_cast<std::uint32_t>(parts.second / 2);
  std::uint32_t date = (static_cast<std::uint32_t>(parts.year - 1980) << 9) |
                       (static_cast<std::uint32_t>(parts.month) << 5) | static_cast<std::uint32_t>(parts.day);
  return (date << 16) | (time & 0xFFFF);
}

std::uint32_t RepairDosDateTime(std::uint32_t packed) {
  TDosDateTimeParts parts = UnpackDosDateTime(packed);
  TDosDateTimeParts clamped = parts;
  clamped.hour = std::min(parts.hour, 23);
  clamped.minute = std::min(parts.minute, 59);
  clamped.second = std::min(parts.second, 59);
  clamped.year = std::clamp(parts.year, 1980, 2099);
  clamped.month = std::clamp(parts.month, 1, 12);
  clamped.day = std::clamp(parts.day, 1, 31);
  bool changed = clamped.hour != parts.hour || clamped.minute != parts.minute || clamped.second != parts.second ||
                 clamped.year != parts.year || clamped.month != parts.month || clamped.day != parts.day;
  return changed ? PackDosDateTime(clamped) : packed;
}

namespace {

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Days from 1899-12-30 to the given day of the proleptic Gregorian calendar.
std::int64_t DaysSinceOrigin(int year, int month, int day) {
  // Days from civil, counted from 0000-03-01.
  int y = month <= 2 ? year - 1 : year;
  int era = y / 400;
  int yearOfEra = y - era * 400;
  int monthIndex = month > 2 ? month - 3 : month + 9;
  int dayOfYear = (153 * monthIndex + 2) / 5 + day - 1;
  int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  std::int64_t days = static_cast<std::int64_t>(era) * 146097 + dayOfEra;
  constexpr std::int64_t kOrigin = 693899;  // 1899-12-30 on the same count
  return days - kOrigin;
}

}  // namespace

std::int64_t DosDateTimeValue(std::uint32_t packed) {
  TDosDateTimeParts p = UnpackDosDateTime(packed);
  if (p.month < 1 || p.month > 12 || p.day < 1 || p.day > DaysInMonth(p.year, p.month)) return 0;
  if (p.hour > 23 || p.minute > 59 || p.second > 59) return 0;
  const int secondOfDay = p.hour * 3600 + p.minute * 60 + p.second;
  return DaysSinceOrigin(p.year, p.month, p.day) * 86400 + secondOfDay;
}

std::time_t DosDateTimeToLocalTime(std::uint32_t packed) {
  const TDosDateTimeParts parts = UnpackDosDateTime(RepairDosDateTime(packed));
  std::tm local{};
  local.tm_year = parts.year - 1900;
  local.tm_mon = parts.month - 1;
  local.tm_mday = parts.day;
  local.tm_hour = parts.hour;
  local.tm_min = parts.minute;
  local.tm_sec = parts.second;
  local.tm_isdst = -1;
  return std::mktime(&local);
}

}  // namespace tarvik
