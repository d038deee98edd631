#pragma once

#include <array>
#include <cstdint>

// Every limit of the favourites image, in one place. Offsets count from the
// start of the image; the signature takes offsets 0 to 6.
namespace linkwell::limits {

// "MME20C" and the zero byte that closes it; all seven bytes are compared.
inline constexpr std::array<char, 7> Signature{'M', 'M', 'E', '2', '0', 'C', '\0'};
inline constexpr int SignatureSize = int(Signature.size());

inline constexpr int MaxEntries = 100;

// A URL byte may stand at offsets up to 1992; at 1993 or beyond the URL is cut.
inline constexpr int UrlCutOffset = 1993;
inline constexpr int LastUrlByteOffset = UrlCutOffset - 1;
// A name byte may stand at offsets up to 1995; at 1996 or beyond the name is cut.
inline constexpr int NameCutOffset = 1996;
inline constexpr int LastNameByteOffset = NameCutOffset - 1;

// The two terminator pairs of one record: 0x00 '=' after the URL, 0x00 0x01 after the name.
inline constexpr char UrlTerminator[2] = {'\0', '='};
inline constexpr char NameTerminator[2] = {'\0', '\x01'};
inline constexpr int RecordOverhead = 4;

inline constexpr int MaxImageSize = 1998;
// Below this size there is room for one more record of a one-character name and URL.
inline constexpr int InsertRefusedSize = 1993;

inline constexpr int MaxTypedChars = 255;
inline constexpr int TransferSize = 2000;
// The most bytes of a received image or an image file that are looked at.
inline constexpr int BufferSize = 2048;

static_assert(LastNameByteOffset + 1 + RecordOverhead / 2 == MaxImageSize);
static_assert(1 + (InsertRefusedSize - 1) + 1 + RecordOverhead == MaxImageSize);
static_assert(MaxImageSize <= TransferSize && TransferSize <= BufferSize);

} // namespace linkwell::limits
