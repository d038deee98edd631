#include "gbp.h"

#include "link.h"

#include <mutex>

namespace {

// The library holds at most one link, as its callers expect, and takes one
// call at a time: a second thread's call waits until the first is done, so
// neither sees the other's answers on the line.
struct TheLink {
    std::mutex mutex;
    gbp::Link link;
};

TheLink& theLink()
{
    static TheLink instance;
    return instance;
}

template <typename Call> int32_t serialised(Call call)
{
    TheLink& the = theLink();
    const std::lock_guard<std::mutex> lock(the.mutex);
    return call(the.link);
}

} // namespace

extern "C" {

int32_t InitGBPMode(uint8_t port)
{
    return serialised([&](gbp::Link& link) { return link.open(port); });
}

int32_t EndGBPMode(void)
{
    return serialised([](gbp::Link& link) { return link.close(); });
}

int32_t GetNVMFileSize(int32_t section, int32_t subsection)
{
    return serialised([&](gbp::Link& link) { return link.fileSize(section, subsection); });
}

int32_t ReadNVMFile(int32_t section, int32_t subsection, char* buffer, int32_t size)
{
    return serialised([&](gbp::Link& link) { return link.read(section, subsection, buffer, size); });
}

int32_t WriteNVMFile(int32_t section, int32_t subsection, const char* data, int32_t size)
{
    return serialised([&](gbp::Link& link) { return link.write(section, subsection, data, size); });
}

int32_t ClearNVMFile(int32_t section, int32_t subsection)
{
    return serialised([&](gbp::Link& link) { return link.clear(section, subsection); });
}

} // extern "C"
