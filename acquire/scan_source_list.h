// The scanner sources of this run, searched once on a worker thread: SANE's device search
// can take seconds, and the window must not wait for it.
#pragma once

#include "sane_library.h"

#include <QObject>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Shown wherever the sources are needed before their search has ended.
inline constexpr const char* kLookingForScanners = "Looking for scanners...";

class TScanSourceList : public QObject {
    Q_OBJECT
public:
    explicit TScanSourceList(std::string libraryName = kSaneLibraryName, QObject* parent = nullptr);
    // Waits for a search still running.
    ~TScanSourceList() override;

    // Starts the search; later calls do nothing.
    void Start();
    bool Listed() const;
    // The device names; empty until listed.
    std::vector<std::string> Names() const;

signals:
    // Emitted once, from the worker thread, when the search has ended.
    void SourcesListed();

private:
    const std::string FLibraryName;
    mutable std::mutex FLock;
    bool FStarted = false;
    bool FListed = false;
    std::vector<std::string> FNames;
    std::thread FWorker;
};
