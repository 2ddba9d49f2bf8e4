#pragma once
// Failures of the report engine: a model that cannot be read, data that do not parse, an image
// that is not one, a printer that refuses the job. The services server wraps them for callers.
#include <stdexcept>
#include <string>

namespace mox::report {

class EReportException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace mox::report
