// An ASPI-style library that lacks SendASPI32Command: the transport must refuse it.
#include <cstdint>

extern "C" __attribute__((visibility("default"))) uint32_t GetASPI32SupportInfo(void)
{
    return 0x0101;
}
