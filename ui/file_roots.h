// The file-system roots that the directory browser offers in place of drives.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quarnel {

// "/" followed by the mount points under /media, /mnt and /run/media listed in mountsText (the
// format of /proc/self/mounts, with its octal escapes such as "\040" for a blank), sorted and
// without duplicates.
std::vector<std::string> RootsFromMounts(std::string_view mountsText);
// RootsFromMounts of this process's /proc/self/mounts ("/" alone when it cannot be read).
std::vector<std::string> FileSystemRoots();

// The root of roots that holds path: the longest one that is path itself or a directory above
// it; "" when none does (a relative path, or roots without "/").
std::string RootOf(const std::string& path, const std::vector<std::string>& roots);

// True when directory exists and can be opened for listing.
bool CanOpenDirectory(const std::string& directory);

}  // namespace quarnel
