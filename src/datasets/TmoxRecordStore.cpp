#include "datasets/TmoxRecordStore.h"

#include <limits>
#include <stdexcept>

namespace mox {

char* TmoxByteArena::AllocateSlow(size_t aSize) {
  if (aSize > FChunkSize / 4) {
    FLarge.push_back(std::make_unique_for_overwrite<char[]>(aSize));
    return FLarge.back().get();
  }
  if (FChunk < FChunks.size()) {
    ++FChunk;
    FUsed = 0;
  }
  if (FChunk == FChunks.size()) FChunks.push_back(std::make_unique_for_overwrite<char[]>(FChunkSize));
  return Allocate(aSize);
}

void TmoxRecordStore::Reset(size_t aFieldCount) {
  Clear();
  FFieldCount = aFieldCount;
}

void TmoxRecordStore::Clear() {
  FRecords.clear();
  FBlocks.Clear();
}

TmoxRecordStore::TLayout TmoxRecordStore::LayoutOf(const TmoxPendingRecord& aValues) {
  TLayout layout;
  for (const uint32_t field : aValues.Written()) {
    layout.dataBytes += aValues[field].size();
    if (field >= layout.laidOut) layout.laidOut = field + 1;
  }
  if (layout.dataBytes > std::numeric_limits<uint32_t>::max()) throw std::length_error("registro grande demais");
  return layout;
}

char* TmoxRecordStore::Encode(const TmoxPendingRecord& aValues, const TLayout& aLayout) {
  char* block = FBlocks.Allocate(aLayout.BlockSize());
  Write(block, aValues, aLayout);
  return block;
}

void TmoxRecordStore::Write(char* aBlock, const TmoxPendingRecord& aValues, const TLayout& aLayout) {
  std::memcpy(aBlock, &aLayout.laidOut, sizeof aLayout.laidOut);
  char* offsets = aBlock + sizeof(uint32_t);
  char* data = offsets + aLayout.laidOut * sizeof(uint32_t);
  uint32_t end = 0;
  for (uint32_t i = 0; i < aLayout.laidOut; ++i) {
    // Fields never written are empty: only their offset is stored.
    if (aValues.WasWritten(i)) {
      const std::string_view v = aValues[i];
      CopyValueBytes(data + end, v);
      end += static_cast<uint32_t>(v.size());
    }
    std::memcpy(offsets + i * sizeof(uint32_t), &end, sizeof end);
  }
}

uint32_t TmoxRecordStore::Append(const TmoxPendingRecord& aValues) {
  if (FRecords.size() >= std::numeric_limits<uint32_t>::max()) throw std::length_error("registros demais");
  char* block = Encode(aValues, LayoutOf(aValues));
  FRecords.push_back(block);
  return static_cast<uint32_t>(FRecords.size() - 1);
}

void TmoxRecordStore::Replace(uint32_t aRecord, const TmoxPendingRecord& aValues) {
  // An edit that fits is written over the old block; a longer one takes a new block and the old
  // one waits for Clear, so a record edited again and again costs at most its largest size.
  const TLayout layout = LayoutOf(aValues);
  const char* old = FRecords[aRecord];
  if (layout.BlockSize() <= (1 + size_t{LaidOut(old)}) * sizeof(uint32_t) + DataBytes(old)) {
    Write(FRecords[aRecord], aValues, layout);
    return;
  }
  FRecords[aRecord] = Encode(aValues, layout);
}

void TmoxRecordStore::Load(uint32_t aRecord, TmoxPendingRecord& aValues) const {
  aValues.Clear();
  const uint32_t laidOut = LaidOut(FRecords[aRecord]);
  for (size_t i = 0; i < laidOut; ++i) {
    const std::string_view value = Value(aRecord, i);
    if (!value.empty()) aValues.Set(i, value);
  }
}

}  // namespace mox
