#pragma once
#include <string>

namespace mox {

// Size of the recipient's auditing window.
struct TAuditorSettings {
  std::string HeightHtml;
  std::string WidthHtml;
};

}  // namespace mox
