#pragma once
// Record numbers grouped by key, each group in record order. A detail data set reads the group
// of its master's key instead of filtering or copying records.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace mox {

// Keys are mostly record handles of one to a few digits: compared without a call.
inline bool SameKey(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  const size_t n = a.size();
  if (n >= 4 && n <= 8) {
    uint32_t a0, b0, a1, b1;
    std::memcpy(&a0, a.data(), 4);
    std::memcpy(&b0, b.data(), 4);
    std::memcpy(&a1, a.data() + n - 4, 4);
    std::memcpy(&b1, b.data() + n - 4, 4);
    return a0 == b0 && a1 == b1;
  }
  if (n < 4) {
    for (size_t i = 0; i < n; ++i)
      if (a[i] != b[i]) return false;
    return true;
  }
  return std::memcmp(a.data(), b.data(), n) == 0;
}

class TmoxKeyIndex {
 public:
  // Drops every group; the group objects and the table stay for the next records, so a note
  // after the first one costs no allocation here.
  void Clear();
  void Add(std::string_view aKey, uint32_t aRecord);
  // Adds to the group Records handed out for the record's key since the last Clear: a detail
  // posting under its master's current record already holds it, so the key is not hashed again.
  void AddTo(const std::vector<uint32_t>& aGroup, uint32_t aRecord) {
    Insert(const_cast<std::vector<uint32_t>&>(aGroup), aRecord);
  }
  void Remove(std::string_view aKey, uint32_t aRecord);
  // The records of a key; a key seen for the first time gets its (empty) group, so the
  // reference stays the group of that key, filled in place by later additions, until Clear.
  const std::vector<uint32_t>& Records(std::string_view aKey) { return Group(aKey).records; }
  // The same, with the key as the group holds it: it stays as long as the records do.
  const std::vector<uint32_t>& Records(std::string_view aKey, std::string_view& aHeldKey) {
    TGroup& group = Group(aKey);
    aHeldKey = group.key;
    return group.records;
  }
  // Changes only with Clear, the one thing that invalidates references from Records.
  uint64_t Generation() const { return FGeneration; }

 private:
  struct TGroup {
    std::string key;
    size_t hash = 0;
    std::vector<uint32_t> records;
  };
  TGroup& Group(std::string_view aKey);
  static void Insert(std::vector<uint32_t>& aRecords, uint32_t aRecord);
  void Grow();

  uint64_t FGeneration = 0;
  std::vector<std::unique_ptr<TGroup>> FGroups;  // never shrinks; the first FUsed are in use
  size_t FUsed = 0;
  std::vector<uint32_t> FSlots;  // open addressing: 1 + position in FGroups, 0 for a free slot
};

}  // namespace mox
