// Configuration and servers files: any text read as INI, then walked and written back.
#include <stdexcept>

#include "FuzzEntrada.h"
#include "external/TmoxIniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* aData, size_t aSize) {
  try {
    mox::TmoxIniFile ini = mox::TmoxIniFile::FromText(moxfuzz::Texto(aData, aSize));
    for (const auto& section : ini.ReadSections())
      for (const auto& key : ini.ReadSection(section)) ini.WriteString(section, key, ini.ReadString(section, key, ""));
    mox::TmoxIniFile::FromText(ini.GetText());
  } catch (const std::exception&) {
  }
  return 0;
}
