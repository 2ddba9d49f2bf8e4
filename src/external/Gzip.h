#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace mox {

std::string GzipCompress(std::string_view aBytes);

// Inflates gzip or zlib data. Output beyond aMaxOutput bytes raises EKivoException, so a
// small hostile input cannot exhaust memory.
std::string GzipDecompress(std::string_view aBytes, size_t aMaxOutput = size_t(512) << 20);

}  // namespace mox
