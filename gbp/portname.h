#pragma once

#include <cstdlib>
#include <string>

namespace gbp {

// The device behind COM port `port`: the environment variable
// LINKWELL_COM<port> when it is set and not empty (a USB adapter, or the
// emulator's pseudo-terminal), else the platform's port of that number.
// Port 0 names nothing.
inline std::string portDeviceName(unsigned port)
{
    if (port == 0)
        return {};
    const std::string number = std::to_string(port);
    const char* fromEnvironment = std::getenv(("LINKWELL_COM" + number).c_str());
    if (fromEnvironment && *fromEnvironment)
        return fromEnvironment;
#if defined(_WIN32)
    return "COM" + number;
#else
    return "/dev/ttyS" + std::to_string(port - 1);
#endif
}

} // namespace gbp
