#pragma once

namespace linkwell {

// The windows are designed in "MS Sans Serif" and the history in "Arial";
// where those are missing, these name the nearest fonts of similar width.
void installFontSubstitutes();

} // namespace linkwell
