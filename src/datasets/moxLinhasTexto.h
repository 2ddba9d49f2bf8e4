#pragma once
// The lines of the text formats the readers take (TX2, record layout, blocked text).
#include <string>
#include <vector>

namespace mox {

// The lines of aText; a line ends in CR LF, LF or CR. Empty lines are kept, so an index is a line
// number minus one.
std::vector<std::string> LinhasDoTexto(const std::string& aText);

}  // namespace mox
