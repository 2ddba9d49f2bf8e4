#include "datasets/moxFieldValue.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "datasets/moxNameIndex.h"

namespace mox::fieldvalue {

namespace {

template <typename T>
void StoreRaw(std::string& aOut, T aValue) {
  aOut.resize(sizeof(T));
  std::memcpy(aOut.data(), &aValue, sizeof(T));
}

template <typename T>
T LoadRaw(std::string_view aBytes) {
  T value{};
  if (aBytes.size() == sizeof(T)) std::memcpy(&value, aBytes.data(), sizeof(T));
  return value;
}

// Reads exactly aLen digits at aPos.
bool Digits(std::string_view s, size_t aPos, size_t aLen, int& aOut) {
  if (aPos + aLen > s.size()) return false;
  int v = 0;
  for (size_t i = aPos; i < aPos + aLen; ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    v = v * 10 + (s[i] - '0');
  }
  aOut = v;
  return true;
}

// "hh:nn[:ss]" at aPos up to the end (or a UTC offset / fraction that is ignored).
bool ParseTime(std::string_view s, size_t aPos, DateTimeParts& p) {
  if (!Digits(s, aPos, 2, p.hour) || aPos + 2 >= s.size() || s[aPos + 2] != ':' || !Digits(s, aPos + 3, 2, p.minute))
    return false;
  size_t next = aPos + 5;
  if (next < s.size() && s[next] == ':') {
    if (!Digits(s, next + 1, 2, p.second)) return false;
    next += 3;
  }
  if (next == s.size()) return true;
  const char c = s[next];
  return c == '.' || c == 'Z' || c == '+' || c == '-';
}

}  // namespace

void StoreInteger(std::string& aOut, std::int64_t aValue) { StoreRaw(aOut, aValue); }
std::int64_t LoadInteger(std::string_view aBytes) { return LoadRaw<std::int64_t>(aBytes); }
void StoreFloat(std::string& aOut, double aValue) { StoreRaw(aOut, aValue); }
double LoadFloat(std::string_view aBytes) { return LoadRaw<double>(aBytes); }
void StoreBoolean(std::string& aOut, bool aValue) { aOut.assign(1, aValue ? '\1' : '\0'); }
bool LoadBoolean(std::string_view aBytes) { return !aBytes.empty() && aBytes[0] != '\0'; }
void StoreDateTime(std::string& aOut, TDateTime aValue) { StoreRaw(aOut, aValue.time_since_epoch().count()); }
TDateTime LoadDateTime(std::string_view aBytes) {
  return TDateTime(std::chrono::milliseconds(LoadRaw<std::int64_t>(aBytes)));
}

std::string IntegerText(std::int64_t aValue) { return std::to_string(aValue); }

std::string FloatText(double aValue) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15g", aValue);
  std::string out(buf);
  for (char& c : out)
    if (c == '.') c = ',';
  return out;
}

std::string BooleanText(bool aValue) { return aValue ? "True" : "False"; }

std::string DateTimeText(TDateTime aValue) {
  const DateTimeParts p = DecodeDateTime(aValue);
  const std::string full = FormatDateTimeBR(aValue);
  if (p.hour == 0 && p.minute == 0 && p.second == 0 && p.millisecond == 0) return full.substr(0, 10);
  return full;
}

std::optional<std::int64_t> ParseInteger(std::string_view aText) {
  if (!aText.empty() && aText.front() == '+') aText.remove_prefix(1);
  std::int64_t value = 0;
  auto [end, ec] = std::from_chars(aText.data(), aText.data() + aText.size(), value);
  if (aText.empty() || ec != std::errc() || end != aText.data() + aText.size()) return std::nullopt;
  return value;
}

std::optional<double> ParseFloat(std::string_view aText) {
  std::string text(aText);
  if (text.find('.') == std::string::npos)
    for (char& c : text)
      if (c == ',') c = '.';
  if (!text.empty() && text.front() == '+') text.erase(0, 1);
  double value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
    return std::nullopt;
  return value;
}

std::optional<bool> ParseBoolean(std::string_view aText) {
  for (std::string_view t : {"TRUE", "S", "1"})
    if (SameName(aText, t)) return true;
  for (std::string_view t : {"FALSE", "N", "0"})
    if (SameName(aText, t)) return false;
  return std::nullopt;
}

std::optional<TDateTime> ParseDateTime(std::string_view s) {
  DateTimeParts p;
  size_t timeAt = 0;
  if (s.size() >= 10 && s[2] == '/' && s[5] == '/') {
    if (!Digits(s, 0, 2, p.day) || !Digits(s, 3, 2, p.month) || !Digits(s, 6, 4, p.year)) return std::nullopt;
    timeAt = 11;
    if (s.size() > 10 && s[10] != ' ') return std::nullopt;
  } else if (s.size() >= 10 && s[4] == '-' && s[7] == '-') {
    if (!Digits(s, 0, 4, p.year) || !Digits(s, 5, 2, p.month) || !Digits(s, 8, 2, p.day)) return std::nullopt;
    timeAt = 11;
    if (s.size() > 10 && s[10] != 'T' && s[10] != ' ') return std::nullopt;
  } else {
    return std::nullopt;
  }
  if (s.size() > 10 && !ParseTime(s, timeAt, p)) return std::nullopt;
  try {
    return EncodeDateTime(p);
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

}  // namespace mox::fieldvalue
