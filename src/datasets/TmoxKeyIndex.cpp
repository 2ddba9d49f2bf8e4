#include "datasets/TmoxKeyIndex.h"

#include <algorithm>
#include <cstring>

namespace mox {

namespace {

// Keys are short texts (record handles): a multiply over eight bytes at a time is enough.
size_t HashKey(std::string_view aKey) {
  uint64_t h = 0x9E3779B97F4A7C15ull ^ aKey.size();
  const char* p = aKey.data();
  size_t n = aKey.size();
  for (; n >= 8; p += 8, n -= 8) {
    uint64_t w;
    std::memcpy(&w, p, 8);
    h = (h ^ w) * 0xFF51AFD7ED558CCDull;
    h ^= h >> 32;
  }
  uint64_t w = 0;
  for (size_t i = 0; i < n; ++i) w |= static_cast<uint64_t>(static_cast<unsigned char>(p[i])) << (8 * i);
  h = (h ^ w) * 0xC4CEB9FE1A85EC53ull;
  return static_cast<size_t>(h ^ (h >> 29));
}

}  // namespace

void TmoxKeyIndex::Clear() {
  for (size_t i = 0; i < FUsed; ++i) FGroups[i]->records.clear();
  FUsed = 0;
  std::fill(FSlots.begin(), FSlots.end(), 0u);
  ++FGeneration;
}

void TmoxKeyIndex::Grow() {
  FSlots.assign(FSlots.empty() ? 16 : FSlots.size() * 2, 0u);
  const size_t mask = FSlots.size() - 1;
  for (size_t g = 0; g < FUsed; ++g) {
    size_t i = FGroups[g]->hash & mask;
    while (FSlots[i] != 0) i = (i + 1) & mask;
    FSlots[i] = static_cast<uint32_t>(g + 1);
  }
}

TmoxKeyIndex::TGroup& TmoxKeyIndex::Group(std::string_view aKey) {
  if ((FUsed + 1) * 2 > FSlots.size()) Grow();
  const size_t hash = HashKey(aKey);
  const size_t mask = FSlots.size() - 1;
  size_t i = hash & mask;
  for (; FSlots[i] != 0; i = (i + 1) & mask) {
    TGroup& group = *FGroups[FSlots[i] - 1];
    if (group.hash == hash && SameKey(group.key, aKey)) return group;
  }
  if (FUsed == FGroups.size()) FGroups.push_back(std::make_unique<TGroup>());
  TGroup& group = *FGroups[FUsed++];
  group.key.assign(aKey);
  group.hash = hash;
  FSlots[i] = static_cast<uint32_t>(FUsed);
  return group;
}

void TmoxKeyIndex::Insert(std::vector<uint32_t>& aRecords, uint32_t aRecord) {
  // New records carry the highest number, so this is nearly always a push at the end.
  if (aRecords.empty() || aRecords.back() < aRecord)
    aRecords.push_back(aRecord);
  else
    aRecords.insert(std::lower_bound(aRecords.begin(), aRecords.end(), aRecord), aRecord);
}

void TmoxKeyIndex::Add(std::string_view aKey, uint32_t aRecord) { Insert(Group(aKey).records, aRecord); }

void TmoxKeyIndex::Remove(std::string_view aKey, uint32_t aRecord) {
  auto& records = Group(aKey).records;
  auto pos = std::lower_bound(records.begin(), records.end(), aRecord);
  if (pos != records.end() && *pos == aRecord) records.erase(pos);
}

}  // namespace mox
