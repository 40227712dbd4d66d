// Choosing and starting the transport: the library ("WNASPI32.DLL") or the pass-through layer.
#include "aspi.h"
#include "fake_nodes.h"
#include "transport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>

namespace {

class Transport : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetDeviceNodes(&Nodes);
        setenv("VREC_DRIVES", "medium=cdr", 1);
    }
    void TearDown() override
    {
        StopTransport();
        SetDeviceNodes(nullptr);
        unsetenv("VREC_DRIVES");
    }
    TFakeNodes Nodes;
};

TEST_F(Transport, PreferringPassThroughWithoutDrivesFallsBackToTheLibrary)
{
    ASSERT_EQ(chdir(VIRTUAL_RECORDER_DIR), 0);
    ASSERT_TRUE(StartTransport(true));
    EXPECT_EQ(TransportName(), "WNASPI32.DLL");
    EXPECT_EQ(GetASPI32SupportInfo(), 0x0101u);
    EXPECT_EQ(Nodes.CDDriveQueries, 24);
}

TEST_F(Transport, LibraryComesFirstWithoutThePreference)
{
    ASSERT_EQ(chdir(VIRTUAL_RECORDER_DIR), 0);
    Nodes.Drives = {DriveAt('D', 0, 0)};
    ASSERT_TRUE(StartTransport(false));
    EXPECT_EQ(TransportName(), "WNASPI32.DLL");
    EXPECT_EQ(Nodes.CDDriveQueries, 0);

    RestartTransport();  // keeps the remembered preference
    EXPECT_TRUE(TransportInitialized());
    EXPECT_EQ(TransportName(), "WNASPI32.DLL");
}

TEST_F(Transport, LibraryWithoutBothEntryPointsFailsTheStart)
{
    ASSERT_EQ(chdir(INCOMPLETE_LIBRARY_DIR), 0);
    Nodes.Drives = {DriveAt('D', 0, 0)};
    EXPECT_FALSE(StartTransport(false));
    EXPECT_FALSE(TransportInitialized());
    EXPECT_EQ(TransportName(), "");
    EXPECT_EQ(Nodes.CDDriveQueries, 0);  // the pass-through layer is not tried
    EXPECT_EQ(SendASPI32Command(nullptr), SS_NO_ASPI);
}

TEST_F(Transport, WithoutLibraryThePassThroughLayerIsTried)
{
    ASSERT_EQ(chdir(::testing::TempDir().c_str()), 0);
    Nodes.Drives = {DriveAt('D', 0, 0)};
    ASSERT_TRUE(StartTransport(false));
    EXPECT_EQ(TransportName(), "PTASPI32");
}

}  // namespace
