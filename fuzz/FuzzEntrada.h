#pragma once
// Shared pieces of the fuzz targets: the input as text and a scratch file for APIs that read
// files, and the rule that only the component's own exceptions count as a clean refusal.
#include <cstddef>
#include <cstdint>
#include <string>

namespace moxfuzz {

inline std::string Texto(const uint8_t* aData, size_t aSize) {
  return std::string(reinterpret_cast<const char*>(aData), aSize);
}

// Writes aText to a per-process scratch file and returns its path.
std::string ArquivoTemporario(const std::string& aNome, const std::string& aText);

// The repository's data folder (templates and dictionaries).
std::string PastaDados();

}  // namespace moxfuzz
