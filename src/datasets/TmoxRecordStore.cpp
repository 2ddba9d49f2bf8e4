#include "datasets/TmoxRecordStore.h"

#include <limits>
#include <stdexcept>

namespace mox {

namespace {
constexpr size_t kChunkSize = 16384;
}

void TmoxRecordStore::Reset(size_t aFieldCount) {
  Clear();
  FFieldCount = aFieldCount;
}

void TmoxRecordStore::Clear() {
  FRecords.clear();
  FLarge.clear();
  FChunk = FUsed = 0;
}

char* TmoxRecordStore::Allocate(size_t aSize) {
  if (aSize > kChunkSize / 4) {
    FLarge.push_back(std::make_unique_for_overwrite<char[]>(aSize));
    return FLarge.back().get();
  }
  if (FChunk < FChunks.size() && FUsed + aSize > kChunkSize) {
    ++FChunk;
    FUsed = 0;
  }
  if (FChunk == FChunks.size()) FChunks.push_back(std::make_unique_for_overwrite<char[]>(kChunkSize));
  char* block = FChunks[FChunk].get() + FUsed;
  FUsed += aSize;
  return block;
}

size_t TmoxRecordStore::DataSize(const TmoxPendingRecord& aValues) {
  size_t dataSize = 0;
  for (uint32_t field : aValues.Written()) dataSize += aValues[field].size();
  if (dataSize > std::numeric_limits<uint32_t>::max()) throw std::length_error("registro grande demais");
  return dataSize;
}

char* TmoxRecordStore::Encode(const TmoxPendingRecord& aValues) {
  char* block = Allocate(FFieldCount * sizeof(uint32_t) + DataSize(aValues));
  Write(block, aValues);
  return block;
}

void TmoxRecordStore::Write(char* aBlock, const TmoxPendingRecord& aValues) const {
  char* data = aBlock + FFieldCount * sizeof(uint32_t);
  uint32_t end = 0;
  for (size_t i = 0; i < FFieldCount; ++i) {
    // Fields never written are empty: only their offset is stored.
    if (aValues.WasWritten(i)) {
      const std::string_view v = aValues[i];
      if (!v.empty()) std::memcpy(data + end, v.data(), v.size());
      end += static_cast<uint32_t>(v.size());
    }
    std::memcpy(aBlock + i * sizeof(uint32_t), &end, sizeof end);
  }
}

uint32_t TmoxRecordStore::Append(const TmoxPendingRecord& aValues) {
  if (FRecords.size() >= std::numeric_limits<uint32_t>::max()) throw std::length_error("registros demais");
  char* block = Encode(aValues);
  FRecords.push_back(block);
  return static_cast<uint32_t>(FRecords.size() - 1);
}

size_t TmoxRecordStore::BlockSize(uint32_t aRecord) const {
  return FFieldCount * sizeof(uint32_t) + ValueBytes(aRecord);
}

void TmoxRecordStore::Replace(uint32_t aRecord, const TmoxPendingRecord& aValues) {
  // An edit that fits is written over the old block; a longer one takes a new block and the old
  // one waits for Clear, so a record edited again and again costs at most its largest size.
  if (FFieldCount * sizeof(uint32_t) + DataSize(aValues) <= BlockSize(aRecord)) {
    Write(FRecords[aRecord], aValues);
    return;
  }
  FRecords[aRecord] = Encode(aValues);
}

void TmoxRecordStore::Load(uint32_t aRecord, TmoxPendingRecord& aValues) const {
  aValues.Clear();
  for (size_t i = 0; i < FFieldCount; ++i) {
    const std::string_view value = Value(aRecord, i);
    if (!value.empty()) aValues.Set(i, value);
  }
}

}  // namespace mox
