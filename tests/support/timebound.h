#pragma once

namespace linkwell::testing {

// A bound on how long something may take, in milliseconds. The sanitized
// build runs every instruction several times over, so its bounds are wider;
// the plain build is held to the figure itself.
inline constexpr int timeBound(int milliseconds)
{
#if defined(LINKWELL_SANITIZED)
    return milliseconds * 4;
#else
    return milliseconds;
#endif
}

} // namespace linkwell::testing
