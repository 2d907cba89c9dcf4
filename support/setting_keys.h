// The sections and keys of Quarnel.INI, the names the file has always used.
#pragma once

#include <string_view>

namespace quarnel::setting {

inline constexpr std::string_view kSettings = "Settings";  // [Settings]
inline constexpr std::string_view kSourcePath = "SourcePath";
inline constexpr std::string_view kDestinationPath = "DestinationPath";
inline constexpr std::string_view kLength = "X-Dimension";     // the length box's text
inline constexpr std::string_view kHeight = "Y-Dimension";     // the height box's text
inline constexpr std::string_view kThickness = "Z-Dimension";  // the thickness box's text
inline constexpr std::string_view kHeadOne = "Head1";          // "True" when head 1 is chosen
// The file lists' filters: "All files" (also for anything else) or "Programs".
inline constexpr std::string_view kSourceFilter = "SourceFilter";
inline constexpr std::string_view kDestinationFilter = "DestinationFilter";

inline constexpr std::string_view kWindow = "Window";  // [Window]: the main window's position
inline constexpr std::string_view kTop = "Top";        // twips, also in [DirDialogBox]
inline constexpr std::string_view kLeft = "Left";      // twips, also in [DirDialogBox]
// The size of the windows that can be resized, in twips, in their sections.
inline constexpr std::string_view kWindowWidth = "Width";
inline constexpr std::string_view kWindowHeight = "Height";
inline constexpr std::string_view kReportWindow = "ReportWindow";    // [ReportWindow]: its place
inline constexpr std::string_view kPreviewWindow = "PreviewWindow";  // [PreviewWindow]: its place

// [MachiningTime]: what the time estimate takes from the machine.
inline constexpr std::string_view kMachiningTime = "MachiningTime";
inline constexpr std::string_view kRapidRate = "RapidRate";            // mm/min
inline constexpr std::string_view kToolChangeTime = "ToolChangeTime";  // seconds

inline constexpr std::string_view kDirectoryDialog = "DirDialogBox";  // [DirDialogBox]
inline constexpr std::string_view kLastDirectory = "LastDir";

}  // namespace quarnel::setting
