// Fixture: the real transport start with the virtual recorder library in the working folder,
// and a device whose waiting loops count their pauses instead of sleeping.
#pragma once

#include "fake_nodes.h"
#include "scsi_device.h"
#include "transport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

class TCountingDevice : public TSCSIDevice {
public:
    int Pauses = 0;
    // Set: a pending request is given up at once, as when its time has run out.
    bool GiveUpPendingRequests = false;
    std::vector<int> CompletionTimeouts;  // the time limits of the completion waits, in ms
    // Set: every pause and completion wait is ended early by a cancel, as by the user's abort.
    bool CancelInWaits = false;

protected:
    void Pause(int) override
    {
        ++Pauses;
        if (CancelInWaits)
            CancelDriveWaits();
    }
    void WaitForCompletion(int Event, int TimeoutMs) override
    {
        CompletionTimeouts.push_back(TimeoutMs);
        if (CancelInWaits)
            CancelDriveWaits();
        if (!GiveUpPendingRequests)
            TSCSIDevice::WaitForCompletion(Event, TimeoutMs);
    }
};

class TVirtualBusTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(chdir(VIRTUAL_RECORDER_DIR), 0);
        SetDeviceNodes(&Nodes);  // whatever drives this machine has stay out of the tests
        LogPath = ::testing::TempDir() + "vrec-" + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".log";
        std::remove(LogPath.c_str());
        setenv("VREC_LOG", LogPath.c_str(), 1);
    }

    void TearDown() override
    {
        Device.reset();
        StopTransport();
        SetDeviceNodes(nullptr);
        unsetenv("VREC_LOG");
        unsetenv("VREC_DRIVES");
        unsetenv("VREC_ASYNC");
        std::remove(LogPath.c_str());
    }

    // Starts the transport on drives described in the virtual recorder's VREC_DRIVES syntax
    // and scans the bus with a fresh device component.
    void StartBus(const std::string& Drives)
    {
        setenv("VREC_DRIVES", Drives.c_str(), 1);
        std::remove(LogPath.c_str());  // each bus starts its own log
        Device = std::make_unique<TCountingDevice>();
        Device->OnDebugMessage = [this](TSCSIDevice*, const std::string& Message, uint8_t Kind) {
            Trace.push_back(Message);
            TraceKinds.push_back(Kind);
        };
        ASSERT_TRUE(Device->InitializeASPI(true));
    }

    // Starts the bus with one drive and selects it.
    void SelectOnly(const std::string& Drive)
    {
        StartBus(Drive);
        Device->SelectDevice("0:0:0");
        ASSERT_EQ(Device->HaId(), 0) << Drive;
        Trace.clear();
    }

    // Lines of the virtual recorder's log that contain Text.
    std::vector<std::string> Log(const std::string& Text) const
    {
        std::vector<std::string> lines;
        std::ifstream file(LogPath);
        for (std::string line; std::getline(file, line);)
            if (line.find(Text) != std::string::npos)
                lines.push_back(line);
        return lines;
    }

    TFakeNodes Nodes;
    std::string LogPath;
    std::unique_ptr<TCountingDevice> Device;
    std::vector<std::string> Trace;
    std::vector<uint8_t> TraceKinds;
};
