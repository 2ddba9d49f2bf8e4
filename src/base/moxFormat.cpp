#include "base/moxFormat.h"

#include <cstdio>
#include <cstdlib>

namespace mox {

std::string FmtArg::AsText() const {
  if (const auto* s = std::get_if<std::string>(&value_)) return *s;
  if (const auto* i = std::get_if<std::int64_t>(&value_)) return std::to_string(*i);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%g", std::get<double>(value_));
  return buf;
}

std::int64_t FmtArg::AsInteger() const {
  if (const auto* i = std::get_if<std::int64_t>(&value_)) return *i;
  if (const auto* d = std::get_if<double>(&value_)) return static_cast<std::int64_t>(*d);
  return std::strtoll(std::get<std::string>(value_).c_str(), nullptr, 10);
}

double FmtArg::AsFloat() const {
  if (const auto* d = std::get_if<double>(&value_)) return *d;
  if (const auto* i = std::get_if<std::int64_t>(&value_)) return static_cast<double>(*i);
  return std::strtod(std::get<std::string>(value_).c_str(), nullptr);
}

namespace {

std::string Pad(std::string text, int width, bool left) {
  if (width <= 0 || static_cast<int>(text.size()) >= width) return text;
  std::string fill(static_cast<size_t>(width) - text.size(), ' ');
  return left ? text + fill : fill + text;
}

}  // namespace

std::string moxFormat(std::string_view aFormat, const FmtArgs& aArgs) {
  std::string out;
  out.reserve(aFormat.size() + 32);
  size_t next = 0;
  for (size_t i = 0; i < aFormat.size(); ++i) {
    char c = aFormat[i];
    if (c != '%') {
      out += c;
      continue;
    }
    if (i + 1 < aFormat.size() && aFormat[i + 1] == '%') {
      out += '%';
      ++i;
      continue;
    }
    size_t j = i + 1;
    bool left = false;
    if (j < aFormat.size() && aFormat[j] == '-') {
      left = true;
      ++j;
    }
    int width = 0;
    while (j < aFormat.size() && aFormat[j] >= '0' && aFormat[j] <= '9') width = width * 10 + (aFormat[j++] - '0');
    int precision = -1;
    if (j < aFormat.size() && aFormat[j] == '.') {
      precision = 0;
      ++j;
      while (j < aFormat.size() && aFormat[j] >= '0' && aFormat[j] <= '9') precision = precision * 10 + (aFormat[j++] - '0');
    }
    if (j >= aFormat.size()) {
      out.append(aFormat.substr(i));
      break;
    }
    char kind = static_cast<char>(aFormat[j] | 0x20);
    if (std::string_view("sduxfeg").find(kind) == std::string_view::npos || next >= aArgs.size()) {
      out.append(aFormat.substr(i, j - i + 1));
      i = j;
      continue;
    }
    const FmtArg& arg = aArgs[next++];
    std::string text;
    char buf[128];
    switch (kind) {
      case 's':
        text = arg.AsText();
        if (precision >= 0 && static_cast<int>(text.size()) > precision) text.resize(static_cast<size_t>(precision));
        break;
      case 'd':
      case 'u':
        std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(arg.AsInteger()));
        text = buf;
        if (precision > static_cast<int>(text.size())) text.insert(0, static_cast<size_t>(precision) - text.size(), '0');
        break;
      case 'x':
        std::snprintf(buf, sizeof buf, aFormat[j] == 'X' ? "%llX" : "%llx", static_cast<unsigned long long>(arg.AsInteger()));
        text = buf;
        break;
      default: {
        const char pattern[] = {'%', '.', '*', kind, '\0'};
        std::snprintf(buf, sizeof buf, pattern, precision < 0 ? 2 : precision, arg.AsFloat());
        text = buf;
      }
    }
    out += Pad(std::move(text), width, left);
    i = j;
  }
  return out;
}

}  // namespace mox
