#pragma once
// Names of fields and data sets: compared without regard to ASCII letter case, and hashed the
// same way so a name can be found in a hash map without building a folded copy.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace mox {

inline char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

inline std::string AsciiUpperCase(std::string_view aText) {
  std::string out(aText);
  for (char& c : out) c = AsciiUpper(c);
  return out;
}

// Equal bytes; most names are 8 to 16 bytes long, compared as two words without a call.
inline bool SameBytes(const char* a, const char* b, size_t n) {
  if (n < 8 || n > 16) return n == 0 || std::memcmp(a, b, n) == 0;
  uint64_t a0, b0, a1, b1;
  std::memcpy(&a0, a, 8);
  std::memcpy(&b0, b, 8);
  std::memcpy(&a1, a + n - 8, 8);
  std::memcpy(&b1, b + n - 8, 8);
  return a0 == b0 && a1 == b1;
}

inline bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  // Names are nearly always written as declared.
  if (SameBytes(a.data(), b.data(), a.size())) return true;
  for (size_t i = 0; i < a.size(); ++i)
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  return true;
}

// Hashes eight bytes at a time; OR-ing 0x20 folds letter case (other characters may share a
// hash, which only costs an extra comparison).
inline size_t HashName(std::string_view aName) noexcept {
  const char* p = aName.data();
  size_t n = aName.size();
  uint64_t h = 0x9E3779B97F4A7C15ull ^ (n * 0xFF51AFD7ED558CCDull);
  auto mix = [&h](uint64_t w) {
    h = (h ^ (w | 0x2020202020202020ull)) * 0x100000001B3ull;
    h ^= h >> 29;
  };
  if (n >= 8) {
    for (; n > 8; p += 8, n -= 8) {
      uint64_t w;
      std::memcpy(&w, p, 8);
      mix(w);
    }
    uint64_t w;  // the last eight bytes, overlapping the previous block when needed
    std::memcpy(&w, p + n - 8, 8);
    mix(w);
  } else {
    uint64_t w = 0;
    for (size_t i = 0; i < n; ++i) w |= static_cast<uint64_t>(static_cast<unsigned char>(p[i])) << (8 * i);
    mix(w);
  }
  return static_cast<size_t>(h ^ (h >> 32));
}

struct NameHash {
  using is_transparent = void;
  size_t operator()(std::string_view aName) const noexcept { return HashName(aName); }
};

struct NameEqual {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const noexcept { return SameName(a, b); }
};

// A map from names to values where look-up ignores letter case.
template <typename T>
using NameMap = std::unordered_map<std::string, T, NameHash, NameEqual>;

// Exact-match hashing for string_view look-ups in maps keyed by std::string.
struct ExactHash {
  using is_transparent = void;
  size_t operator()(std::string_view aText) const noexcept { return std::hash<std::string_view>{}(aText); }
};

// Open-addressing index from names (letter case ignored) to positions in a list that holds the
// names; Find reads the names through aNameOf, so they are not stored twice.
class TmoxNameTable {
 public:
  void Clear() {
    FSlots.clear();
    FCount = 0;
  }

  // The name must not be in the table yet.
  void Insert(std::string_view aName, uint32_t aPos) {
    if ((FCount + 1) * 2 > FSlots.size()) Grow();
    Place(HashName(aName), aPos);
    ++FCount;
  }

  // The position of the name, or -1.
  template <typename NameOf>
  int64_t Find(std::string_view aName, NameOf aNameOf) const {
    if (FSlots.empty()) return -1;
    const size_t hash = HashName(aName);
    const size_t mask = FSlots.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
      const Slot& slot = FSlots[i];
      if (slot.pos == kEmpty) return -1;
      if (slot.hash == hash && SameName(aNameOf(slot.pos), aName)) return slot.pos;
    }
  }

 private:
  static constexpr uint32_t kEmpty = 0xFFFFFFFFu;
  struct Slot {
    size_t hash = 0;
    uint32_t pos = kEmpty;
  };

  void Place(size_t aHash, uint32_t aPos) {
    const size_t mask = FSlots.size() - 1;
    size_t i = aHash & mask;
    while (FSlots[i].pos != kEmpty) i = (i + 1) & mask;
    FSlots[i] = Slot{aHash, aPos};
  }

  void Grow() {
    std::vector<Slot> old = std::move(FSlots);
    FSlots.assign(old.empty() ? 16 : old.size() * 2, Slot{});
    for (const Slot& slot : old)
      if (slot.pos != kEmpty) Place(slot.hash, slot.pos);
  }

  std::vector<Slot> FSlots;
  size_t FCount = 0;
};

}  // namespace mox
