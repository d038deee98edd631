#include "scriptedphone.h"

#include <algorithm>
#include <cstring>

namespace linkwell::testing {

namespace {

QString args(std::int32_t section, std::int32_t subsection)
{
    return QString::number(section) + ',' + QString::number(subsection);
}

} // namespace

std::int32_t ScriptedPhone::InitGBPMode(std::uint8_t port)
{
    calls << QStringLiteral("InitGBPMode(%1)").arg(port);
    if (!initResults.isEmpty()) {
        const std::int32_t result = initResults.takeFirst();
        linkOpen = linkOpen || result == 0;
        return result;
    }
    if (linkOpen)
        return -1;
    linkOpen = true;
    return 0;
}

std::int32_t ScriptedPhone::EndGBPMode()
{
    calls << QStringLiteral("EndGBPMode()");
    if (!linkOpen)
        return -4;
    linkOpen = false;
    return 0;
}

std::int32_t ScriptedPhone::ReadNVMFile(std::int32_t section, std::int32_t subsection, char* buffer, std::int32_t size)
{
    calls << QStringLiteral("ReadNVMFile(%1,%2)").arg(args(section, subsection)).arg(size);
    if (!readResults.isEmpty())
        return readResults.takeFirst();
    if (!linkOpen)
        return -4;
    std::memcpy(buffer, file.constData(), size_t(std::min<qsizetype>(size, file.size())));
    return std::int32_t(file.size());
}

std::int32_t ScriptedPhone::WriteNVMFile(std::int32_t section, std::int32_t subsection, const char* data, std::int32_t size)
{
    calls << QStringLiteral("WriteNVMFile(%1,%2)").arg(args(section, subsection)).arg(size);
    if (!writeResults.isEmpty())
        return writeResults.takeFirst();
    if (!linkOpen)
        return -4;
    file = QByteArray(data, size);
    return 0;
}

std::int32_t ScriptedPhone::ClearNVMFile(std::int32_t section, std::int32_t subsection)
{
    calls << QStringLiteral("ClearNVMFile(%1)").arg(args(section, subsection));
    if (!clearResults.isEmpty())
        return clearResults.takeFirst();
    if (!linkOpen)
        return -4;
    file.clear();
    return 0;
}

} // namespace linkwell::testing
