#include <malloc.h>

#include <iostream>

#include "cli/convert_command.h"

// Blocks of a quarter megabyte and more (sources, programs, toolpaths) are mapped on their own
// and go back to the system when freed, so that a batch's peak memory is that of its files in
// flight. By default glibc raises this threshold as large blocks are freed and keeps them.
constexpr int kMappedBlockBytes = 256 * 1024;

int main(int argc, char** argv) {
  mallopt(M_MMAP_THRESHOLD, kMappedBlockBytes);
  return quarnel::RunConvertCommand(argc, argv, std::cout, std::cerr);
}
