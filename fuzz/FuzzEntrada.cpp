#include "FuzzEntrada.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace moxfuzz {

std::string ArquivoTemporario(const std::string& aNome, const std::string& aText) {
  const auto folder = std::filesystem::temp_directory_path() / ("moxnfe-fuzz-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const auto file = folder / aNome;
  std::ofstream(file, std::ios::binary | std::ios::trunc) << aText;
  return file.string();
}

std::string PastaDados() { return MOXNFE_SOURCE_DIR "/data/"; }

}  // namespace moxfuzz
