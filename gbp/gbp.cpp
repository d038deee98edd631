#include "gbp.h"

#include "link.h"

namespace {

// The library holds at most one link, as its callers expect.
gbp::Link& theLink()
{
    static gbp::Link link;
    return link;
}

} // namespace

extern "C" {

int32_t InitGBPMode(uint8_t port)
{
    return theLink().open(port);
}

int32_t EndGBPMode(void)
{
    return theLink().close();
}

int32_t GetNVMFileSize(int32_t section, int32_t subsection)
{
    return theLink().fileSize(section, subsection);
}

int32_t ReadNVMFile(int32_t section, int32_t subsection, char* buffer, int32_t size)
{
    return theLink().read(section, subsection, buffer, size);
}

int32_t WriteNVMFile(int32_t section, int32_t subsection, const char* data, int32_t size)
{
    return theLink().write(section, subsection, data, size);
}

int32_t ClearNVMFile(int32_t section, int32_t subsection)
{
    return theLink().clear(section, subsection);
}

} // extern "C"
