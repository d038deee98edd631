// Writes the seed corpus of fuzz_frame into the folder given: one file per
// frame on the line, requests and answers of every command, up to the longest
// payload. Random bytes almost never pass the CRC, so without these the
// fuzzer would hardly ever decode a frame with more than a byte of payload.
//
//   build-fuzz/fuzz/make_frame_seeds fuzz/seeds/fuzz_frame

#include "gbp/protocol.h"

#include <cstdio>
#include <cstdlib>
#include <string>

using namespace gbp::protocol;

namespace {

std::string folder;
int written = 0;

void put(const std::string& name, const Bytes& line)
{
    const std::string path = folder + "/" + name;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file || std::fwrite(line.data(), 1, line.size(), file) != line.size() || std::fclose(file) != 0) {
        std::fprintf(stderr, "make_frame_seeds: cannot write %s\n", path.c_str());
        std::exit(1);
    }
    ++written;
}

Bytes frameBytes(std::uint8_t command, std::uint8_t sequence, std::uint8_t status, const Bytes& payload)
{
    Frame frame;
    frame.command = command;
    frame.sequence = sequence;
    frame.status = status;
    frame.payload = payload;
    return *encode(frame);
}

// File bytes as a phone holds them: a favourites image's signature, then
// every byte value, flags and escapes among them, so stuffing is exercised.
Bytes fileBytes(std::size_t size, int salt)
{
    const std::string signature("MME20C", 7);
    Bytes bytes(signature.begin(), signature.end());
    for (std::size_t i = bytes.size(); i < size; ++i)
        bytes.push_back(std::uint8_t(i * 7 + std::size_t(salt)));
    bytes.resize(size);
    return bytes;
}

Bytes address(std::int32_t section, std::int32_t subsection)
{
    Bytes payload;
    putU32(payload, std::uint32_t(section));
    putU32(payload, std::uint32_t(subsection));
    return payload;
}

Bytes readRequest(std::uint32_t offset, std::uint16_t count)
{
    Bytes payload = address(2, 1);
    putU32(payload, offset);
    putU16(payload, count);
    return payload;
}

Bytes writeRequest(std::uint32_t offset, std::uint32_t total, const Bytes& data)
{
    Bytes payload = address(2, 1);
    putU32(payload, offset);
    putU32(payload, total);
    payload.insert(payload.end(), data.begin(), data.end());
    return payload;
}

Bytes joined(Bytes first, const Bytes& second)
{
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_frame_seeds FOLDER\n");
        return 2;
    }
    folder = argv[1];
    const std::uint8_t A = AnswerBit;
    Bytes size2000;
    putU32(size2000, 2000);

    put("filesize-request", frameBytes(FileSize, 1, Ok, address(2, 1)));
    put("filesize-answer", frameBytes(FileSize | A, 1, Ok, size2000));
    put("filesize-answer-no-such-file", frameBytes(FileSize | A, 2, NoSuchFile, {}));
    put("readchunk-request", frameBytes(ReadChunk, 2, Ok, readRequest(0, 512)));
    put("readchunk-request-last", frameBytes(ReadChunk, 5, Ok, readRequest(1536, 464)));
    put("readchunk-answer-512", frameBytes(ReadChunk | A, 2, Ok, fileBytes(512, 0)));
    put("readchunk-answer-464", frameBytes(ReadChunk | A, 5, Ok, fileBytes(464, 3)));
    put("readchunk-answer-bad-argument", frameBytes(ReadChunk | A, 6, BadArgument, {}));
    put("writechunk-request-first", frameBytes(WriteChunk, 7, Ok, writeRequest(0, 2000, fileBytes(512, 1))));
    put("writechunk-request-last", frameBytes(WriteChunk, 10, Ok, writeRequest(1536, 2000, fileBytes(464, 2))));
    put("writechunk-request-empty-file", frameBytes(WriteChunk, 11, Ok, writeRequest(0, 0, {})));
    put("writechunk-answer", frameBytes(WriteChunk | A, 7, Ok, {}));
    put("writechunk-answer-refused", frameBytes(WriteChunk | A, 8, BadArgument, {}));
    put("clearfile-request", frameBytes(ClearFile, 12, Ok, address(2, 1)));
    put("clearfile-answer", frameBytes(ClearFile | A, 12, Ok, {}));
    put("leave-request", frameBytes(Leave, 0, Ok, {}));
    put("leave-answer", frameBytes(Leave | A, 13, Ok, {}));
    put("unknown-command-answer", frameBytes(0x20 | A, 14, UnknownCommand, {}));
    put("bad-request-answer", frameBytes(FileSize | A, 15, BadRequest, {}));
    put("largest-payload", frameBytes(WriteChunk, 255, Ok, fileBytes(MaxPayload, 5)));
    put("all-flags-payload", frameBytes(ReadChunk | A, 0x7E, Ok, Bytes(ChunkSize, Flag)));
    put("all-escapes-payload", frameBytes(ReadChunk | A, 0x7D, Ok, Bytes(ChunkSize, Escape)));
    // The line as the host sees it: a late answer, then the one it waits for;
    // noise without a flag before an answer; the blind Leave and CR of the open.
    put("late-answer-then-answer",
        joined(frameBytes(ReadChunk | A, 2, Ok, fileBytes(512, 0)), frameBytes(ReadChunk | A, 3, Ok, fileBytes(512, 4))));
    put("noise-then-answer", joined(Bytes{0x01, 0x7D, 'O', 'K', '\r', '\n', 0xFF, 0x00}, frameBytes(FileSize | A, 1, Ok, size2000)));
    put("leave-then-cr", joined(frameBytes(Leave, 0, Ok, {}), Bytes{'\r'}));
    std::printf("%d seeds in %s\n", written, folder.c_str());
    return 0;
}
