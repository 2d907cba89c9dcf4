// The general paths behind Val and AppendCoord. Val and AppendCoord take a fast integer path
// for the usual numbers and fall back on these for the rest; tests and the exhaustive check in
// bench/ compare both paths on the same inputs. Also the set of recent coordinate texts that
// the reading and the writing share. Not for other callers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quarnel::internal {

// Val through a full decimal record and std::from_chars: any length, any exponent.
double ValGeneral(std::string_view text);

// AppendCoord through std::to_chars at 7 significant digits and rounding on the digits.
void AppendCoordGeneral(std::string& out, char letter, float value);
// The same written at out, which has room for kMaxCoordWordSize bytes; returns the end.
char* WriteCoordGeneral(char* out, char letter, float value);

// Number texts of coordinate words by the bits of their float, one set per thread: the texts
// WriteCoordWord wrote, and the texts CoordValTaken read that it would write as they stand. A
// value written again is copied: a program repeats many values (Z and F on almost every line),
// and most of the others were read from the source line just before. A NaN never takes either
// way, so its bits mark an empty entry.
struct CoordCache {
  struct Entry {
    std::uint32_t bits = 0xFFFFFFFF;
    std::uint32_t length = 0;
    char text[16] = {};  // at most 14 used; 16 are copied
  };
  Entry entries[256];
};
inline constexpr std::uint32_t kCoordCacheHash = 0x9E3779B1;  // spreads the bits over the index
inline constexpr int kCoordCacheShift = 24;                    // 256 entries
extern constinit thread_local CoordCache coordCache;

inline CoordCache::Entry& CoordCacheEntry(std::uint32_t bits) {
  return coordCache.entries[(bits * kCoordCacheHash) >> kCoordCacheShift];
}

}  // namespace quarnel::internal
