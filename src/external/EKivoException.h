#pragma once
// The exception type of the fiscal server objects; the component wraps it in its own family.
#include <stdexcept>
#include <string>

namespace mox {

class EKivoException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace mox
