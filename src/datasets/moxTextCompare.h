#pragma once
// Comparison of UTF-8 texts without regard to letter case, for ASCII and the accented letters
// of Latin-1 ("Á" equals "á"), as users of Portuguese expect.
#include <string_view>

namespace mox {

bool SameTextIgnoringCase(std::string_view a, std::string_view b);

}  // namespace mox
