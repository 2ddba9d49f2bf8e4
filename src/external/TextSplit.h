#pragma once
// Trimming and splitting of the short texts settings carry (lists of names, addresses, files).
#include <string>
#include <string_view>
#include <vector>

namespace mox {

// Without blanks, tabs and line breaks at either end.
std::string Trim(std::string_view aText);

// The parts between any of aSeparators, trimmed; empty parts are dropped.
std::vector<std::string> SplitTrimmed(std::string_view aText, std::string_view aSeparators);

}  // namespace mox
