#pragma once
// Record numbers grouped by key, each group in record order. A detail data set reads the group
// of its master's key instead of filtering or copying records.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "datasets/moxNameIndex.h"

namespace mox {

class TmoxKeyIndex {
 public:
  void Clear() {
    FGroups.clear();
    ++FGeneration;
  }
  void Add(std::string_view aKey, uint32_t aRecord);
  void Remove(std::string_view aKey, uint32_t aRecord);
  // The records of a key. The reference stays valid until Clear; a key without records gives
  // a shared empty group, so callers look again after adding records.
  const std::vector<uint32_t>& Records(std::string_view aKey) const;
  // Changes whenever a group is created or dropped. Groups are changed in place and never move,
  // so a reference from Records taken at the same generation is still the one it would give.
  uint64_t Generation() const { return FGeneration; }

 private:
  uint64_t FGeneration = 0;
  std::unordered_map<std::string, std::vector<uint32_t>, ExactHash, std::equal_to<>> FGroups;
};

}  // namespace mox
