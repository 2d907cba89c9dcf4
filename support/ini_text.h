// The text of an INI file, read and rewritten one key at a time.
//
// "[Section]" opens a section; "key=value" lines inside it hold its keys. Section and key names
// match without regard to case and without surrounding blanks; the first matching section and
// the first matching key in it count. Lines starting with ";" or "#" are comments; other lines
// without "=" are kept but mean nothing. CR LF, LF and a lone CR end a line.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quarnel {

// The value stored under section and key, with surrounding spaces (only spaces) removed; ""
// when the section or key is absent, the value is empty or it is the text "END.-".
// IniValueIn("[window]\ntop =  1200 \n", "Window", "Top") == "1200"
std::string IniValueIn(std::string_view text, std::string_view section, std::string_view key);

// The text after storing value under section and key: an existing key line gets the new value;
// a new key goes after its section's last key line (or its last non-blank line); a new section
// goes at the end. Every other line keeps its place and content; lines end in LF. nullopt when
// the value holds a line break or a name cannot be written so that it reads back.
// IniTextWith("", "Settings", "Head1", "True") == "[Settings]\nHead1=True\n"
std::optional<std::string> IniTextWith(std::string_view text, std::string_view section,
                                       std::string_view key, std::string_view value);

}  // namespace quarnel
