#pragma once
// The nodes an XPath query selects in a text, remembered per thread for the last few texts
// asked for, so that walking a batch note by note (or looking up each of its notes in turn)
// parses it once instead of once per note.
#include <string>
#include <vector>

namespace mox {

// The XML of every node selected by aXPath in aXml, through the utility server's
// XPathSelectNodes; a text that is not XML raises EKivoException and is not remembered.
// The reference stays valid until the next call on the same thread.
const std::vector<std::string>& SelectNodesCached(const std::string& aXml, const std::string& aXPath,
                                                  const std::string& aNamespace);

}  // namespace mox
