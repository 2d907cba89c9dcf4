// Finding the desktop's system information program.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace quarnel {

// Known system information programs, in the order they are preferred.
inline constexpr std::array<const char*, 4> kSystemInfoTools = {
    "hardinfo2", "hardinfo", "kinfocenter", "gnome-system-monitor"};

// Full path of the first known program that is an executable regular file in a directory of
// searchPath (colon-separated, like PATH; empty entries are skipped); nullopt when none is.
std::optional<std::string> FindSystemInfoTool(std::string_view searchPath);

}  // namespace quarnel
