#pragma once

#include <cstdint>

namespace linkwell {

// The phone service library's operations as the program calls them. The
// window and the sequences talk to this, so tests can script a phone.
class PhoneLibrary {
public:
    virtual ~PhoneLibrary() = default;

    // 0: link open; -1: a port is already open (usable); other values: not opened.
    virtual std::int32_t InitGBPMode(std::uint8_t port) = 0;
    // 0: closed; -4: no port was open.
    virtual std::int32_t EndGBPMode() = 0;
    // > 0: the file's real size (at most `size` bytes copied); 0: empty file; < 0: error.
    virtual std::int32_t ReadNVMFile(std::int32_t section, std::int32_t subsection, char* buffer, std::int32_t size) = 0;
    // 0: stored; other values: error.
    virtual std::int32_t WriteNVMFile(std::int32_t section, std::int32_t subsection, const char* data, std::int32_t size) = 0;
    // 0: cleared; other values: failure.
    virtual std::int32_t ClearNVMFile(std::int32_t section, std::int32_t subsection) = 0;
};

// The favourites file of the phone.
inline constexpr std::int32_t FavouritesSection = 2;
inline constexpr std::int32_t FavouritesSubsection = 1;

} // namespace linkwell
