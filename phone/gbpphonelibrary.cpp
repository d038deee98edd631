#include "gbpphonelibrary.h"

#include "gbp/gbp.h"

namespace linkwell {

std::int32_t GbpPhoneLibrary::InitGBPMode(std::uint8_t port)
{
    return ::InitGBPMode(port);
}

std::int32_t GbpPhoneLibrary::EndGBPMode()
{
    return ::EndGBPMode();
}

std::int32_t GbpPhoneLibrary::ReadNVMFile(std::int32_t section, std::int32_t subsection, char* buffer, std::int32_t size)
{
    return ::ReadNVMFile(section, subsection, buffer, size);
}

std::int32_t GbpPhoneLibrary::WriteNVMFile(std::int32_t section, std::int32_t subsection, const char* data, std::int32_t size)
{
    return ::WriteNVMFile(section, subsection, data, size);
}

std::int32_t GbpPhoneLibrary::ClearNVMFile(std::int32_t section, std::int32_t subsection)
{
    return ::ClearNVMFile(section, subsection);
}

} // namespace linkwell
