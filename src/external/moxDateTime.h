#pragma once
// Date-times as the component handles them: local wall-clock time, millisecond precision.
#include <chrono>
#include <string>

namespace mox {

using TDateTime = std::chrono::local_time<std::chrono::milliseconds>;

struct DateTimeParts {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
};

TDateTime Now();
DateTimeParts DecodeDateTime(TDateTime aValue);
// Raises EKivoException for a combination that is not a real date or time.
TDateTime EncodeDateTime(const DateTimeParts& aParts);

// "dd/mm/yyyy hh:nn:ss"; with milliseconds ":zzz" is added.
std::string FormatDateTimeBR(TDateTime aValue, bool aMilliseconds = false);

}  // namespace mox
