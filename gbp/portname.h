#pragma once

#include <QString>
#include <QtGlobal>

namespace gbp {

// The device behind COM port `port`: the environment variable
// LINKWELL_COM<port> when it is set and not empty (a USB adapter, or the
// emulator's pseudo-terminal), else the platform's port of that number.
// Port 0 names nothing.
inline QString portDeviceName(unsigned port)
{
    if (port == 0)
        return {};
    const QString fromEnvironment =
        qEnvironmentVariable(QStringLiteral("LINKWELL_COM%1").arg(port).toLatin1().constData());
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
#if defined(Q_OS_WIN)
    return QStringLiteral("COM%1").arg(port);
#else
    return QStringLiteral("/dev/ttyS%1").arg(port - 1);
#endif
}

} // namespace gbp
