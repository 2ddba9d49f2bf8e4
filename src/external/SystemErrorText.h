#pragma once
// Portuguese texts for the failures the system and libcurl report in English.
#include <string>
#include <system_error>

namespace mox {

// The text of an errno value ("arquivo ou pasta não existe" for ENOENT, ...).
std::string SystemErrorText(int aErrno);

// The text of an error code of the system or generic categories; other categories keep theirs.
std::string SystemErrorText(const std::error_code& aError);

// The text of a libcurl result code; aDetail is libcurl's error buffer, used only to name the
// cause of a TLS failure.
std::string CurlErrorText(int aCode, const std::string& aDetail);

}  // namespace mox
