#include "scan_source_list.h"

#include "acquire_image.h"

TScanSourceList::TScanSourceList(std::string libraryName, QObject* parent)
    : QObject(parent), FLibraryName(std::move(libraryName)) {}

TScanSourceList::~TScanSourceList() {
    if (FWorker.joinable()) FWorker.join();
}

void TScanSourceList::Start() {
    {
        const std::lock_guard lock(FLock);
        if (FStarted) return;
        FStarted = true;
    }
    FWorker = std::thread([this] {
        std::vector<std::string> names = ListScanSources(FLibraryName);
        {
            const std::lock_guard lock(FLock);
            FNames = std::move(names);
            FListed = true;
        }
        emit SourcesListed();
    });
}

bool TScanSourceList::Listed() const {
    const std::lock_guard lock(FLock);
    return FListed;
}

std::vector<std::string> TScanSourceList::Names() const {
    const std::lock_guard lock(FLock);
    return FNames;
}
