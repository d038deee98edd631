#pragma once

#include "phone/phonelibrary.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

namespace linkwell::testing {

// A phone behind the library interface: one favourites file, a link that is
// open or not, and scripted results that override the sound behaviour one call
// at a time. Every call is logged as "Name(arguments)".
class ScriptedPhone : public PhoneLibrary {
public:
    std::int32_t InitGBPMode(std::uint8_t port) override;
    std::int32_t EndGBPMode() override;
    std::int32_t ReadNVMFile(std::int32_t section, std::int32_t subsection, char* buffer, std::int32_t size) override;
    std::int32_t WriteNVMFile(std::int32_t section, std::int32_t subsection, const char* data, std::int32_t size) override;
    std::int32_t ClearNVMFile(std::int32_t section, std::int32_t subsection) override;

    QByteArray file;
    bool linkOpen = false;
    QStringList calls;

    // Taken first in, first out; an empty queue means the phone behaves well.
    QList<std::int32_t> initResults;
    QList<std::int32_t> readResults;
    QList<std::int32_t> clearResults;
    QList<std::int32_t> writeResults;
};

} // namespace linkwell::testing
