// Compares AppendCoord with its general path on every 32-bit float: all 2^32 bit patterns,
// split over threads, each written twice (the second time as a repeated value). Prints the
// number of patterns compared and the first differences; exits 1 when any differ. Offline
// proof of the integer path, too slow to run as a test.
//
//   coord_exhaustive_check [THREADS]
#include <algorithm>
#include <atomic>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "support/number.h"
#include "support/number_internals.h"

namespace {

constexpr std::uint64_t kPatterns = std::uint64_t{1} << 32;
constexpr int kMaxReported = 20;

std::atomic<std::uint64_t> differences{0};
std::mutex reportMutex;

// Compares the bit patterns [first, last).
void CheckRange(std::uint64_t first, std::uint64_t last) {
  std::string fast, general;
  for (std::uint64_t bits = first; bits < last; ++bits) {
    const float value = std::bit_cast<float>(static_cast<std::uint32_t>(bits));
    fast.clear();
    general.clear();
    quarnel::AppendCoord(fast, 'X', value);
    quarnel::AppendCoord(fast, 'X', value);  // the second time from the set of recent values
    quarnel::internal::AppendCoordGeneral(general, 'X', value);
    general += general;
    if (fast == general) continue;
    if (differences.fetch_add(1) < kMaxReported) {
      const std::lock_guard<std::mutex> lock(reportMutex);
      std::printf("0x%08x %.9g: fast %s, general %s\n", static_cast<unsigned>(bits),
                  static_cast<double>(value), fast.c_str(), general.c_str());
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int threads = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2;
  std::vector<std::thread> workers;
  const std::uint64_t share = kPatterns / static_cast<std::uint64_t>(threads);
  for (int i = 0; i < threads; ++i) {
    const std::uint64_t first = share * static_cast<std::uint64_t>(i);
    const std::uint64_t last = i + 1 == threads ? kPatterns : first + share;
    workers.emplace_back(CheckRange, first, last);
  }
  for (std::thread& worker : workers) worker.join();
  std::printf("%llu float bit patterns compared, %llu differ\n",
              static_cast<unsigned long long>(kPatterns),
              static_cast<unsigned long long>(differences.load()));
  return differences.load() == 0 ? 0 : 1;
}
