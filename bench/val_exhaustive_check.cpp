// Compares Val's short path with the general path on every text it takes: a sign (none, "-",
// "+"), up to five digits, and optionally a point with up to four digits after it, at least one
// digit in all. Each text is read by ValTaken three times, ending at the end of the text,
// before " X" and before "\tY", and must give the general path's value (to the bit) and take
// the number and the blank after it. Then CoordValTaken reads it twice (at the end of the text,
// and before 16 more bytes, which changes how a remembered text is copied); when the set of
// coordinate texts then holds one for the value's float, which WriteCoordWord would copy, it
// must be what the general path writes.
// Prints the number of texts compared and the first differences; exits 1 when any differ.
// Offline proof of the short path, too slow to run as a test.
//
//   val_exhaustive_check [THREADS]
#include <algorithm>
#include <atomic>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "support/number.h"
#include "support/number_in_place.h"
#include "support/number_internals.h"

namespace {

constexpr int kWholeDigits = 5;
constexpr int kDecimals = 4;
constexpr int kMaxReported = 20;
constexpr std::string_view kSigns[] = {"", "-", "+"};
constexpr std::string_view kEndings[] = {"", " X", "\tY"};
constexpr std::string_view kCoordEndings[] = {"", " Y1234567890123456"};

// The texts of one form: a sign, whole digits, and decimals after a point when decimals >= 0.
struct Form {
  std::string_view sign;
  int whole;
  int decimals;  // -1: no point
};

std::atomic<std::uint64_t> compared{0};
std::atomic<std::uint64_t> differences{0};
std::mutex reportMutex;

void Report(const std::string& text, double fast, double general, std::size_t taken) {
  if (differences.fetch_add(1) >= kMaxReported) return;
  const std::lock_guard<std::mutex> lock(reportMutex);
  std::printf("\"%s\": fast %.17g, general %.17g, taken %zu\n", text.c_str(), fast, general, taken);
}

void ReportCoord(const std::string& text, std::string_view fast, std::string_view general) {
  if (differences.fetch_add(1) >= kMaxReported) return;
  const std::lock_guard<std::mutex> lock(reportMutex);
  std::printf("\"%s\": written %.*s, general %.*s\n", text.c_str(), static_cast<int>(fast.size()),
              fast.data(), static_cast<int>(general.size()), general.data());
}

bool SameBits(double a, double b) {
  return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

// Compares every text of the form whose first digit (of all its digits) is first.
void CheckForm(const Form& form, int first) {
  const int digits = form.whole + std::max(form.decimals, 0);
  std::string number(form.sign);
  const std::size_t start = number.size();
  number.append(static_cast<std::size_t>(form.whole), '0');
  if (form.decimals >= 0) number += '.';
  number.append(static_cast<std::size_t>(std::max(form.decimals, 0)), '0');
  std::vector<std::size_t> at;  // the digit positions in number
  for (std::size_t i = start; i < number.size(); ++i) {
    if (number[i] != '.') at.push_back(i);
  }
  std::string text;
  std::uint64_t count = 0;
  if (digits == 0) return;
  number[at[0]] = static_cast<char>('0' + first);
  for (;;) {
    const double general = quarnel::internal::ValGeneral(number);
    for (const std::string_view ending : kEndings) {
      text = number;
      text += ending;
      std::size_t taken = 0;
      const double fast = quarnel::ValTaken(text, taken);
      const std::size_t expected = number.size() + (ending.empty() ? 0 : 1);
      if (!SameBits(fast, general) || taken != expected) Report(text, fast, general, taken);
    }
    for (const std::string_view ending : kCoordEndings) {
      text = number;
      text += ending;
      std::size_t taken = 0;
      const double fast = quarnel::CoordValTaken(text, taken);
      if (!SameBits(fast, general)) Report(text, fast, general, taken);
      // A text in the set is what WriteCoordWord copies; without one it takes its integer
      // path, which coord_exhaustive_check proves on every float.
      const auto bits = std::bit_cast<std::uint32_t>(static_cast<float>(fast));
      const quarnel::internal::CoordCache::Entry& entry = quarnel::internal::CoordCacheEntry(bits);
      if (entry.bits != bits) continue;
      char generalWord[quarnel::kMaxCoordWordSize];
      const std::string_view generalText(
          generalWord + 1,
          quarnel::internal::WriteCoordGeneral(generalWord, 'X', static_cast<float>(general)) -
              generalWord - 1);
      const std::string_view remembered(entry.text, entry.length);
      if (remembered != generalText) ReportCoord(text, remembered, generalText);
    }
    ++count;
    // The next digits, the last one fastest; the first digit stays.
    std::size_t k = at.size();
    while (--k > 0 && number[at[k]] == '9') number[at[k]] = '0';
    if (k == 0) break;
    ++number[at[k]];
  }
  compared.fetch_add(count);
}

}  // namespace

int main(int argc, char** argv) {
  const int threads = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2;
  struct Task {
    Form form;
    int first;
  };
  std::vector<Task> tasks;
  for (const std::string_view sign : kSigns) {
    for (int whole = 0; whole <= kWholeDigits; ++whole) {
      for (int decimals = -1; decimals <= kDecimals; ++decimals) {
        if (whole + std::max(decimals, 0) == 0) continue;
        for (int first = 0; first <= 9; ++first) tasks.push_back({{sign, whole, decimals}, first});
      }
    }
  }
  // The largest forms first, so that the threads finish together.
  std::stable_sort(tasks.begin(), tasks.end(), [](const Task& a, const Task& b) {
    return a.form.whole + a.form.decimals > b.form.whole + b.form.decimals;
  });
  std::atomic<std::size_t> next{0};
  std::vector<std::thread> workers;
  for (int i = 0; i < threads; ++i) {
    workers.emplace_back([&] {
      for (std::size_t k = next++; k < tasks.size(); k = next++) CheckForm(tasks[k].form, tasks[k].first);
    });
  }
  for (std::thread& worker : workers) worker.join();
  std::printf("%llu number texts compared (each read 5 times), %llu differ\n",
              static_cast<unsigned long long>(compared.load()),
              static_cast<unsigned long long>(differences.load()));
  return differences.load() == 0 ? 0 : 1;
}
