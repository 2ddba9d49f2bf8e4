#pragma once
// Positional "%s"-style formatting of the component's message templates.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <variant>
#include <vector>

namespace mox {

// One argument of a message template: text, integer or floating-point value.
class FmtArg {
 public:
  FmtArg(const std::string& s) : value_(s) {}
  FmtArg(std::string&& s) : value_(std::move(s)) {}
  FmtArg(const char* s) : value_(std::string(s ? s : "")) {}
  FmtArg(std::string_view s) : value_(std::string(s)) {}
  FmtArg(int v) : value_(static_cast<std::int64_t>(v)) {}
  FmtArg(long v) : value_(static_cast<std::int64_t>(v)) {}
  FmtArg(long long v) : value_(static_cast<std::int64_t>(v)) {}
  FmtArg(unsigned v) : value_(static_cast<std::int64_t>(v)) {}
  FmtArg(unsigned long v) : value_(static_cast<std::int64_t>(v)) {}
  FmtArg(double v) : value_(v) {}

  std::string AsText() const;
  std::int64_t AsInteger() const;
  double AsFloat() const;

 private:
  std::variant<std::string, std::int64_t, double> value_;
};

using FmtArgs = std::vector<FmtArg>;

// Fills the directives %s, %d, %u, %x, %f, %.Nf, %e, %g and %% in order, with an optional
// width and "-" for left alignment. A directive without an argument is kept as written.
std::string moxFormat(std::string_view aFormat, const FmtArgs& aArgs);

}  // namespace mox
