// Splitting paths at the platform's separator, and the running program's own path.
#pragma once

#include <string>
#include <string_view>

namespace quarnel {

inline constexpr char kPathSeparator = '/';

// Everything after the last separator; the whole path when it has none; "" when it ends in one.
std::string FileNameOf(std::string_view path);
// Everything up to and including the last separator; "" when there is none.
// DirectoryOf(p) + FileNameOf(p) == p for every p.
std::string DirectoryOf(std::string_view path);
// Full path of the running executable ("" when the platform cannot tell).
std::string ExeName();

}  // namespace quarnel
