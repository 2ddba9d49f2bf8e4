#pragma once
// Shared by the tests of the fiscal utilities.
#include <string>
#include <utility>
#include <vector>

#include "base/EmoxException.h"

namespace moxtest {

// The keys of the three notes of the batch fixtures (numbers 124, 125 and 126), in order.
inline const std::vector<std::string> kChavesLote = {"35140312345678000195550010000001241123456788",
                                                     "35140312345678000195550010000001251123456785",
                                                     "35140312345678000195550010000001261123456782"};

// Class name and message of the component exception raised by aCall; both empty when it
// raises nothing.
struct Raised {
  std::string className, message;
  bool operator==(const Raised&) const = default;
};

template <class F>
Raised RaisedBy(F&& aCall) {
  try {
    std::forward<F>(aCall)();
  } catch (const mox::EmoxException& e) {
    return {e.ClassName(), e.what()};
  }
  return {};
}

inline std::ostream& operator<<(std::ostream& os, const Raised& r) {
  return os << r.className << ": \"" << r.message << "\"";
}

}  // namespace moxtest
