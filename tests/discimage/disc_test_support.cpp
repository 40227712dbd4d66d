#include "disc_test_support.h"
#include "hang_guard.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <memory>
#include <sstream>

namespace fs = std::filesystem;

TScratchDir::TScratchDir() {
    std::string pattern = (fs::temp_directory_path() / "fotolark-disc-test-XXXXXX").string();
    FPath = mkdtemp(pattern.data());
}

TScratchDir::~TScratchDir() {
    std::error_code ignored;
    fs::permissions(FPath, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(FPath, ignored);
}

std::string TScratchDir::Write(const std::string& name, const std::string& bytes) const {
    const fs::path path = fs::path(FPath) / name;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
}

std::string ReadBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

std::string PatternBytes(size_t size, int seed) {
    std::string bytes(size, '\0');
    uint32_t state = 2654435761u * static_cast<uint32_t>(seed + 1);
    for (char& c : bytes) {
        state = state * 1664525u + 1013904223u;
        c = static_cast<char>(state >> 24);
    }
    return bytes;
}

TCommandResult RunCommand(const std::string& command) {
    TCommandResult result;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen((command + " 2>&1").c_str(), "r"), pclose);
    if (!pipe) return result;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe.get())) > 0) result.Output.append(buffer, n);
    const int status = pclose(pipe.release());
    result.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string WriteImage(TMCDBurner& burner, const std::string& isoPath) {
    std::promise<std::string> done;
    burner.OnWriteDone = [&](TMCDBurner*, const std::string& error) { done.set_value(error); };
    burner.PrepareImage(true);
    burner.WriteISOFile(isoPath);
    std::future<std::string> result = done.get_future();
    if (result.wait_for(kHangGuard) != std::future_status::ready) {
        ADD_FAILURE() << "the image job did not end";
        burner.AbortWrite();
    }
    burner.WaitForJob();
    burner.OnWriteDone = nullptr;
    return result.get();
}

std::vector<std::string>& CaptureMessages(TMCDBurner& burner) {
    auto lines = std::make_shared<std::vector<std::string>>();
    burner.OnDebugMessage = [lines](TSCSIDevice*, const std::string& text, uint8_t kind) {
        lines->push_back(std::to_string(kind) + ":" + text);
    };
    return *lines;
}

std::string SessionView(const std::string& disc, uint32_t start, const std::string& viewPath) {
    std::string blocks = ReadBytes(disc);
    const size_t descriptors = 4 * 2048;  // primary, Joliet, terminator and a spare
    if (start > 0) blocks.replace(16 * 2048, descriptors, blocks.substr((start + 16) * size_t{2048}, descriptors));
    std::ofstream(viewPath, std::ios::binary) << blocks;
    return viewPath;
}

std::string SectorOf(const std::string& image, int64_t sector) {
    return image.substr(static_cast<size_t>(sector) * 2048, 2048);
}

uint32_t Little32(const std::string& bytes, size_t at) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<uint8_t>(bytes[at + i]);
    return value;
}

uint32_t Big32(const std::string& bytes, size_t at) {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value = (value << 8) | static_cast<uint8_t>(bytes[at + i]);
    return value;
}

uint16_t Little16(const std::string& bytes, size_t at) {
    return static_cast<uint16_t>(static_cast<uint8_t>(bytes[at]) | (static_cast<uint8_t>(bytes[at + 1]) << 8));
}
