#include "app/fontconfigpreload.h"

#include <fontconfig/fontconfig.h>

namespace linkwell {

// FcInit reads the configuration once per process and keeps it as the one
// Qt's font database then asks for; fontconfig guards it against two threads.
FontConfigPreload::FontConfigPreload() : reader_([] { FcInit(); }) {}

FontConfigPreload::~FontConfigPreload()
{
    wait();
}

void FontConfigPreload::wait()
{
    if (reader_.joinable())
        reader_.join();
}

} // namespace linkwell
