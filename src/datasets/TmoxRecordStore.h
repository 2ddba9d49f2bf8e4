#pragma once
// The posted records of a data set. Each record is one compact block: the number of fields it
// lays out, the end offset of each of those values, then the value bytes back to back. The
// fields after the last one written are not laid out: they are null, and a record holding only
// a detail's handle and key costs two offsets whatever the width of its data set. A value of
// length zero is null. Blocks are cut from chunks kept across Clear, so a note's records cost no
// allocation once the first note has warmed the store; a block never moves until Clear or Reset.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace mox {

// Values are mostly a few bytes (handles, codes, amounts): copied inline instead of by a call.
inline void CopyValueBytes(char* aTo, std::string_view aFrom) {
  const size_t n = aFrom.size();
  const char* p = aFrom.data();
  if (n >= 8 && n <= 16) {
    std::memcpy(aTo, p, 8);
    std::memcpy(aTo + n - 8, p + n - 8, 8);
  } else if (n >= 4 && n < 8) {
    std::memcpy(aTo, p, 4);
    std::memcpy(aTo + n - 4, p + n - 4, 4);
  } else if (n < 4) {
    for (size_t i = 0; i < n; ++i) aTo[i] = p[i];
  } else {
    std::memcpy(aTo, p, n);
  }
}

// Room for bytes cut from chunks kept across Clear: after the first use, cutting costs no
// allocation. Room handed out never moves until Clear.
class TmoxByteArena {
 public:
  explicit TmoxByteArena(size_t aChunkSize) : FChunkSize(aChunkSize) {}
  char* Allocate(size_t aSize) {
    if (FChunk < FChunks.size() && FUsed + aSize <= FChunkSize) {
      char* room = FChunks[FChunk].get() + FUsed;
      FUsed += aSize;
      return room;
    }
    return AllocateSlow(aSize);
  }
  void Clear() {
    FLarge.clear();
    FChunk = FUsed = 0;
  }

 private:
  char* AllocateSlow(size_t aSize);
  size_t FChunkSize;
  std::vector<std::unique_ptr<char[]>> FChunks;  // of FChunkSize bytes each
  size_t FChunk = 0;                             // the chunk room is cut from
  size_t FUsed = 0;                              // bytes used in it
  std::vector<std::unique_ptr<char[]>> FLarge;   // room bigger than a chunk can hold well
};

// The record being entered or edited: one text per field, and the fields written since it was
// last cleared. Most new records get a value in two or three of their fields (the key the
// after-insert hook fills); clearing and storing them touches only those. Values live in an
// arena: each field keeps its room from record to record until Reset, and a value written again
// overwrites its room when it fits, so the text read from a field stays valid until that field
// is written again or the record is cleared.
class TmoxPendingRecord {
 public:
  TmoxPendingRecord() : FBytes(1024) {}
  // Every field empty, aFieldCount fields.
  void Reset(size_t aFieldCount) {
    FValues.assign(aFieldCount, TValue{});
    FWritten.assign(aFieldCount, 0);
    FWrittenList.clear();
    FBytes.Clear();
  }
  void Clear() {
    for (uint32_t field : FWrittenList) {
      FValues[field].size = 0;
      FWritten[field] = 0;
    }
    FWrittenList.clear();
  }
  std::string_view operator[](size_t aField) const { return {FValues[aField].data, FValues[aField].size}; }
  void Set(size_t aField, std::string_view aValue) {
    TValue& value = FValues[aField];
    const auto size = static_cast<uint32_t>(aValue.size());
    if (aValue.size() <= value.room) {
      // The text given may be this very value, or part of it.
      if (size > 0) std::memmove(value.data, aValue.data(), size);
    } else {
      // Room to grow: a field's values stay in the one room through most records.
      const uint32_t room = std::max({size, 2 * value.room, kMinRoom});
      value.data = FBytes.Allocate(room);
      value.room = room;
      CopyValueBytes(value.data, aValue);
    }
    value.size = size;
    if (!FWritten[aField]) {
      FWritten[aField] = 1;
      FWrittenList.push_back(static_cast<uint32_t>(aField));
    }
  }
  size_t Size() const { return FValues.size(); }
  // The fields that may hold a value, in the order they were first written.
  const std::vector<uint32_t>& Written() const { return FWrittenList; }
  bool WasWritten(size_t aField) const { return FWritten[aField] != 0; }

 private:
  static constexpr uint32_t kMinRoom = 16;
  struct TValue {
    char* data = nullptr;
    uint32_t size = 0;
    uint32_t room = 0;
  };
  std::vector<TValue> FValues;
  std::vector<uint8_t> FWritten;
  std::vector<uint32_t> FWrittenList;
  TmoxByteArena FBytes;
};

class TmoxRecordStore {
 public:
  // Drops every record; records from now on have aFieldCount values.
  void Reset(size_t aFieldCount);
  // Drops every record; the chunks stay for the next ones.
  void Clear();

  size_t Count() const { return FRecords.size(); }
  std::string_view Value(uint32_t aRecord, size_t aField) const {
    const char* block = FRecords[aRecord];
    const uint32_t laidOut = LaidOut(block);
    if (aField >= laidOut) return {};
    uint32_t end, start = 0;
    std::memcpy(&end, block + (1 + aField) * sizeof(uint32_t), sizeof end);
    if (aField > 0) std::memcpy(&start, block + aField * sizeof(uint32_t), sizeof start);
    return {block + (1 + laidOut) * sizeof(uint32_t) + start, end - start};
  }

  // The bytes of all of a record's values together.
  size_t ValueBytes(uint32_t aRecord) const { return DataBytes(FRecords[aRecord]); }

  // Stores a new record and returns its number.
  uint32_t Append(const TmoxPendingRecord& aValues);
  void Replace(uint32_t aRecord, const TmoxPendingRecord& aValues);
  // Copies a record's values into aValues; every non-empty value counts as written.
  void Load(uint32_t aRecord, TmoxPendingRecord& aValues) const;

 private:
  // What a pending record takes: the fields laid out (up to the last one written) and the bytes.
  struct TLayout {
    uint32_t laidOut = 0;
    size_t dataBytes = 0;
    size_t BlockSize() const { return (1 + size_t{laidOut}) * sizeof(uint32_t) + dataBytes; }
  };
  static TLayout LayoutOf(const TmoxPendingRecord& aValues);
  static uint32_t LaidOut(const char* aBlock) {
    uint32_t laidOut;
    std::memcpy(&laidOut, aBlock, sizeof laidOut);
    return laidOut;
  }
  static uint32_t DataBytes(const char* aBlock) {
    const uint32_t laidOut = LaidOut(aBlock);
    uint32_t end = 0;
    if (laidOut > 0) std::memcpy(&end, aBlock + laidOut * sizeof(uint32_t), sizeof end);
    return end;
  }
  // A new block holding the values.
  char* Encode(const TmoxPendingRecord& aValues, const TLayout& aLayout);
  // The values into a block large enough for them.
  static void Write(char* aBlock, const TmoxPendingRecord& aValues, const TLayout& aLayout);

  size_t FFieldCount = 0;
  std::vector<char*> FRecords;
  TmoxByteArena FBlocks{16384};
};

}  // namespace mox
