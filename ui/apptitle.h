#pragma once

namespace linkwell {

// The program's name in the task bar and the caption of every message box.
// Kept as a constant rather than as QGuiApplication::applicationDisplayName,
// which some platforms append to every window title.
inline constexpr char ApplicationTitle[] = "Sony CMD-j6 Linkwell";

} // namespace linkwell
