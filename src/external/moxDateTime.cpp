#include "external/moxDateTime.h"

#include <cstdio>
#include <ctime>

#include "external/EKivoException.h"

namespace mox {

using namespace std::chrono;

TDateTime Now() {
  auto now = system_clock::now();
  std::time_t t = system_clock::to_time_t(now);
  std::tm tm{};
  localtime_r(&t, &tm);
  auto ms = duration_cast<milliseconds>(now.time_since_epoch()) % 1000;
  DateTimeParts p{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec,
                  static_cast<int>(ms.count())};
  return EncodeDateTime(p);
}

DateTimeParts DecodeDateTime(TDateTime aValue) {
  auto days = floor<std::chrono::days>(aValue);
  year_month_day ymd{days};
  hh_mm_ss<milliseconds> tod{aValue - days};
  return {static_cast<int>(ymd.year()), static_cast<int>(static_cast<unsigned>(ymd.month())),
          static_cast<int>(static_cast<unsigned>(ymd.day())), static_cast<int>(tod.hours().count()),
          static_cast<int>(tod.minutes().count()), static_cast<int>(tod.seconds().count()),
          static_cast<int>(tod.subseconds().count())};
}

TDateTime EncodeDateTime(const DateTimeParts& p) {
  year_month_day ymd{year{p.year}, month{static_cast<unsigned>(p.month)}, day{static_cast<unsigned>(p.day)}};
  if (!ymd.ok() || p.hour < 0 || p.hour > 23 || p.minute < 0 || p.minute > 59 || p.second < 0 || p.second > 59 ||
      p.millisecond < 0 || p.millisecond > 999)
    throw EKivoException("Data ou hora inválida.");
  return local_days{ymd} + hours{p.hour} + minutes{p.minute} + seconds{p.second} + milliseconds{p.millisecond};
}

std::string FormatDateTimeBR(TDateTime aValue, bool aMilliseconds) {
  DateTimeParts p = DecodeDateTime(aValue);
  char buf[40];
  if (aMilliseconds)
    std::snprintf(buf, sizeof buf, "%02d/%02d/%04d %02d:%02d:%02d:%03d", p.day, p.month, p.year, p.hour, p.minute,
                  p.second, p.millisecond);
  else
    std::snprintf(buf, sizeof buf, "%02d/%02d/%04d %02d:%02d:%02d", p.day, p.month, p.year, p.hour, p.minute,
                  p.second);
  return buf;
}

}  // namespace mox
