#pragma once
// The posted records of a data set. Each record is one compact block: the end offset of every
// value, then the value bytes back to back. A value of length zero is null. Blocks are cut from
// chunks kept across Clear, so a note's records cost no allocation once the first note has
// warmed the store; a block never moves until Clear or Reset.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace mox {

class TmoxRecordStore {
 public:
  // Drops every record; records from now on have aFieldCount values.
  void Reset(size_t aFieldCount);
  // Drops every record; the chunks stay for the next ones.
  void Clear();

  size_t Count() const { return FRecords.size(); }
  std::string_view Value(uint32_t aRecord, size_t aField) const {
    const char* block = FRecords[aRecord];
    uint32_t end, start = 0;
    std::memcpy(&end, block + aField * sizeof(uint32_t), sizeof end);
    if (aField > 0) std::memcpy(&start, block + (aField - 1) * sizeof(uint32_t), sizeof start);
    return {block + FFieldCount * sizeof(uint32_t) + start, end - start};
  }

  // The bytes of all of a record's values together.
  size_t ValueBytes(uint32_t aRecord) const {
    uint32_t end = 0;
    if (FFieldCount > 0) std::memcpy(&end, FRecords[aRecord] + (FFieldCount - 1) * sizeof(uint32_t), sizeof end);
    return end;
  }

  // Stores a new record and returns its number.
  uint32_t Append(const std::vector<std::string>& aValues);
  void Replace(uint32_t aRecord, const std::vector<std::string>& aValues);
  // Copies a record's values into aValues (sized to the field count).
  void Load(uint32_t aRecord, std::vector<std::string>& aValues) const;

 private:
  // A new block holding the values.
  char* Encode(const std::vector<std::string>& aValues);
  // Offsets and bytes of the values into a block large enough for them.
  void Write(char* aBlock, const std::vector<std::string>& aValues) const;
  size_t BlockSize(uint32_t aRecord) const;
  char* Allocate(size_t aSize);

  size_t FFieldCount = 0;
  std::vector<char*> FRecords;
  std::vector<std::unique_ptr<char[]>> FChunks;  // of kChunkSize bytes each
  size_t FChunk = 0;                             // the chunk blocks are cut from
  size_t FUsed = 0;                              // bytes used in it
  std::vector<std::unique_ptr<char[]>> FLarge;   // blocks bigger than a chunk can hold well
};

}  // namespace mox
