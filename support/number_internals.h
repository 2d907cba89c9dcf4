// The general paths behind Val and AppendCoord. Val and AppendCoord take a fast integer path
// for the usual numbers and fall back on these for the rest; tests and the exhaustive check in
// bench/ compare both paths on the same inputs. Not for other callers.
#pragma once

#include <string>
#include <string_view>

namespace quarnel::internal {

// Val through a full decimal record and std::from_chars: any length, any exponent.
double ValGeneral(std::string_view text);

// AppendCoord through std::to_chars at 7 significant digits and rounding on the digits.
void AppendCoordGeneral(std::string& out, char letter, float value);
// The same written at out, which has room for kMaxCoordWordSize bytes; returns the end.
char* WriteCoordGeneral(char* out, char letter, float value);

}  // namespace quarnel::internal
