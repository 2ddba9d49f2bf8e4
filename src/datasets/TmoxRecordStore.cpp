#include "datasets/TmoxRecordStore.h"

#include <cstring>
#include <limits>
#include <stdexcept>

namespace mox {

void TmoxRecordStore::Reset(size_t aFieldCount) {
  FRecords.clear();
  FFieldCount = aFieldCount;
}

std::unique_ptr<char[]> TmoxRecordStore::Encode(const std::vector<std::string>& aValues) const {
  size_t dataSize = 0;
  for (const auto& v : aValues) dataSize += v.size();
  if (dataSize > std::numeric_limits<uint32_t>::max()) throw std::length_error("registro grande demais");
  const size_t header = FFieldCount * sizeof(uint32_t);
  auto block = std::make_unique_for_overwrite<char[]>(header + dataSize);
  char* data = block.get() + header;
  uint32_t end = 0;
  for (size_t i = 0; i < FFieldCount; ++i) {
    const std::string& v = aValues[i];
    if (!v.empty()) std::memcpy(data + end, v.data(), v.size());
    end += static_cast<uint32_t>(v.size());
    std::memcpy(block.get() + i * sizeof(uint32_t), &end, sizeof end);
  }
  return block;
}

uint32_t TmoxRecordStore::Append(const std::vector<std::string>& aValues) {
  if (FRecords.size() >= std::numeric_limits<uint32_t>::max()) throw std::length_error("registros demais");
  FRecords.push_back(Encode(aValues));
  return static_cast<uint32_t>(FRecords.size() - 1);
}

void TmoxRecordStore::Replace(uint32_t aRecord, const std::vector<std::string>& aValues) {
  FRecords[aRecord] = Encode(aValues);
}

void TmoxRecordStore::Load(uint32_t aRecord, std::vector<std::string>& aValues) const {
  aValues.resize(FFieldCount);
  for (size_t i = 0; i < FFieldCount; ++i) aValues[i].assign(Value(aRecord, i));
}

}  // namespace mox
