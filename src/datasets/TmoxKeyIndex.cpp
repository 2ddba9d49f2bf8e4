#include "datasets/TmoxKeyIndex.h"

#include <algorithm>

namespace mox {

namespace {
const std::vector<uint32_t> kNoRecords;
}

void TmoxKeyIndex::Add(std::string_view aKey, uint32_t aRecord) {
  auto it = FGroups.find(aKey);
  if (it == FGroups.end()) {
    it = FGroups.emplace(std::string(aKey), std::vector<uint32_t>{}).first;
    ++FGeneration;
  }
  auto& group = it->second;
  // New records carry the highest number, so this is nearly always a push at the end.
  if (group.empty() || group.back() < aRecord)
    group.push_back(aRecord);
  else
    group.insert(std::lower_bound(group.begin(), group.end(), aRecord), aRecord);
}

void TmoxKeyIndex::Remove(std::string_view aKey, uint32_t aRecord) {
  auto it = FGroups.find(aKey);
  if (it == FGroups.end()) return;
  auto& group = it->second;
  auto pos = std::lower_bound(group.begin(), group.end(), aRecord);
  if (pos != group.end() && *pos == aRecord) group.erase(pos);
}

const std::vector<uint32_t>& TmoxKeyIndex::Records(std::string_view aKey) const {
  auto it = FGroups.find(aKey);
  return it == FGroups.end() ? kNoRecords : it->second;
}

}  // namespace mox
