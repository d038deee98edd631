#pragma once

#include "phone/phonelibrary.h"

namespace linkwell {

// The phone operations over our gbp library. The library holds the one link,
// so every instance talks to the same phone.
class GbpPhoneLibrary : public PhoneLibrary {
public:
    std::int32_t InitGBPMode(std::uint8_t port) override;
    std::int32_t EndGBPMode() override;
    std::int32_t ReadNVMFile(std::int32_t section, std::int32_t subsection, char* buffer, std::int32_t size) override;
    std::int32_t WriteNVMFile(std::int32_t section, std::int32_t subsection, const char* data, std::int32_t size) override;
    std::int32_t ClearNVMFile(std::int32_t section, std::int32_t subsection) override;
};

} // namespace linkwell
