// A whole Track At Once recording through TSCSIDevice: an ISO image made by a public tool is
// written to a blank CD-R in the virtual recorder, and the disc's user data, read back by a
// public ISO reader, shows the files.
#include "virtual_bus.h"

#include <array>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace {

using RecordingFlow = TVirtualBusTest;

std::string RunShell(const std::string& Command)
{
    std::string output;
    FILE* pipe = popen(Command.c_str(), "r");
    if (!pipe)
        return output;
    std::array<char, 4096> chunk;
    while (size_t got = fread(chunk.data(), 1, chunk.size(), pipe))
        output.append(chunk.data(), got);
    pclose(pipe);
    return output;
}

std::vector<uint8_t> ReadFile(const std::string& Path)
{
    std::ifstream file(Path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), {});
}

TEST_F(RecordingFlow, IsoImageRecordedOnCdrReadsBackWithIsoinfo)
{
    const std::string folder = ::testing::TempDir() + "flow-files";
    const std::string iso = ::testing::TempDir() + "flow-source.iso";
    const std::string disc = ::testing::TempDir() + "flow-disc.img";
    RunShell("rm -rf '" + folder + "' && mkdir -p '" + folder + "/Images' && echo caption > '" + folder +
        "/title.txt' && head -c 300000 /dev/urandom > '" + folder + "/Images/photo.jpg'");
    RunShell("genisoimage -quiet -J -V FLOW -o '" + iso + "' '" + folder + "'");
    std::vector<uint8_t> image = ReadFile(iso);
    ASSERT_GT(image.size(), 0u);
    ASSERT_EQ(image.size() % 2048, 0u);

    SelectOnly("medium=cdr,image=" + disc);
    TSCSIDevice::CurrentDiscType = Device->GetDiscType();
    ASSERT_EQ(TSCSIDevice::CurrentDiscType, dtCDR);
    ASSERT_TRUE(Device->NextWritableAddress());
    Device->LoadEject(false);
    Device->RezeroUnit();
    Device->SetCDSpeed(0, 0);
    ASSERT_TRUE(Device->WaitReady(10000, 1000));
    ASSERT_TRUE(Device->SetWriteParameters(false, true, dtCDR));
    for (size_t offset = 0; offset < image.size(); offset += 31 * 2048) {
        const uint32_t bytes = uint32_t(std::min<size_t>(31 * 2048, image.size() - offset));
        ASSERT_TRUE(Device->Write10(Device->StartSector + uint32_t(offset / 2048), uint16_t(bytes / 2048),
                                    image.data() + offset, bytes))
            << Device->LastError();
    }
    ASSERT_TRUE(Device->ReadBufferCapacity());
    ASSERT_TRUE(Device->SynchronizeCache(120000, false));
    ASSERT_TRUE(Device->CloseTrackSession(false, TSCSIDevice::CloseImmediate));
    ASSERT_TRUE(Device->WaitReady(240000, 5000));
    ASSERT_TRUE(Device->AllowMediumRemoval(true));
    TSCSIDevice::CurrentDiscType = dtUnknown;
    StopTransport();  // closes the disc's image file

    EXPECT_EQ(ReadFile(disc), image);
    const std::string listing = RunShell("isoinfo -J -f -i '" + disc + "'");
    EXPECT_NE(listing.find("/Images/photo.jpg"), std::string::npos) << listing;
    EXPECT_NE(listing.find("/title.txt"), std::string::npos) << listing;
    RunShell("rm -rf '" + folder + "' '" + iso + "' '" + disc + "'");
}

}  // namespace
