// The producer and its bounded cache: block contents, padding, waiting for space, stopping.
#include "cache_thread.h"
#include "disc_test_support.h"
#include "hang_guard.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace {

using namespace std::chrono_literals;

class CacheThreadTest : public ::testing::Test {
protected:
    TScratchDir Scratch;
    TMCDBurner Burner;

    std::unique_ptr<TCacheThread> StartCache() {
        Burner.PrepareImage(true);
        auto cache = std::make_unique<TCacheThread>(Burner.CacheSize(), Burner.WritePostGap,
                                                    Burner.TrackSectors() * 2048, Burner.HeaderStream());
        cache->Start();
        return cache;
    }

    // Takes every block until the end of the image; the block lengths and the bytes.
    static std::vector<int32_t> TakeAll(TCacheThread& cache, std::string& bytes) {
        std::vector<int32_t> lengths;
        std::vector<char> buffer(kCacheBlockSize);
        for (;;) {
            const int32_t length = cache.TakeBlock(buffer.data());
            if (length == 0) break;
            if (length < 0) {
                cache.WaitForBlock(std::chrono::duration_cast<std::chrono::milliseconds>(kHangGuard));
                continue;
            }
            lengths.push_back(length);
            bytes.append(buffer.data(), static_cast<size_t>(length));
        }
        return lengths;
    }

    // True once the cache is ready (full, or every block produced) or the producer has failed.
    static bool WaitUntilReady(TCacheThread& cache) {
        cache.WaitForReady(std::chrono::duration_cast<std::chrono::milliseconds>(kHangGuard));
        return cache.Ready();
    }

    // The producer lists one block after another as long as there is room; this waits until
    // `count` are listed, re-checking as the cache changes.
    static bool WaitUntilListed(TCacheThread& cache, int32_t count) {
        const auto giveUp = std::chrono::steady_clock::now() + kHangGuard;
        while (cache.ListedBlocks() != count && std::chrono::steady_clock::now() < giveUp) std::this_thread::yield();
        return cache.ListedBlocks() == count;
    }
};

TEST_F(CacheThreadTest, ShortImageIsPaddedTo300SectorsWithFF) {
    auto cache = StartCache();
    EXPECT_EQ(Burner.ImageBlocks(), 300);
    std::string bytes;
    TakeAll(*cache, bytes);
    ASSERT_EQ(bytes.size(), 300u * 2048);
    EXPECT_EQ(bytes.substr(0, 26 * 2048), Burner.HeaderStream());
    EXPECT_EQ(bytes.substr(26 * 2048), std::string(274 * 2048, '\xFF'));
    cache->EndProducer();
    EXPECT_TRUE(cache->ProducerDone());
    EXPECT_EQ(cache->ErrorText(), "") << "a stop after the last byte is no abort";
}

TEST_F(CacheThreadTest, WithoutPostGapTheImageIsNotPadded) {
    Burner.WritePostGap = false;
    auto cache = StartCache();
    EXPECT_EQ(Burner.ImageBlocks(), 26);
    std::string bytes;
    TakeAll(*cache, bytes);
    EXPECT_EQ(bytes.size(), 26u * 2048);
}

TEST_F(CacheThreadTest, ImageOfExactly300SectorsIsNotPadded) {
    const std::string data = PatternBytes(274 * 2048, 1);
    Burner.InsertFile("\\", Scratch.Write("fill.bin", data), false);
    auto cache = StartCache();
    EXPECT_EQ(Burner.TrackSectors(), 300);
    std::string bytes;
    TakeAll(*cache, bytes);
    ASSERT_EQ(bytes.size(), 300u * 2048);
    EXPECT_EQ(bytes.substr(26 * 2048), data);
}

TEST_F(CacheThreadTest, SmallFilesShareABlockOnSectorBoundaries) {
    Burner.WritePostGap = false;
    for (int i = 0; i < 3; ++i) Burner.InsertFile("\\", Scratch.Write("f" + std::to_string(i) + ".txt", PatternBytes(100, i)), false);
    auto cache = StartCache();
    std::string bytes;
    const auto lengths = TakeAll(*cache, bytes);
    EXPECT_EQ(lengths, (std::vector<int32_t>{26 * 2048, 3 * 2048}));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(bytes.substr((26 + i) * 2048, 100), PatternBytes(100, i)) << i;
}

TEST_F(CacheThreadTest, AFileOfOneBlockFillsItsBlockAlone) {
    Burner.WritePostGap = false;
    const std::string data = PatternBytes(kCacheBlockSize, 7);
    Burner.InsertFile("\\", Scratch.Write("block.bin", data), false);
    Burner.InsertFile("\\", Scratch.Write("after.bin", "tail"), false);
    auto cache = StartCache();
    std::string bytes;
    const auto lengths = TakeAll(*cache, bytes);
    EXPECT_EQ(lengths, (std::vector<int32_t>{26 * 2048, kCacheBlockSize, 2048}));
    EXPECT_EQ(bytes.substr(26 * 2048, kCacheBlockSize), data);
    EXPECT_EQ(bytes.substr(26 * 2048 + kCacheBlockSize, 4), "tail");
}

TEST_F(CacheThreadTest, ReadsExactlyTheRecordedSize) {
    Burner.WritePostGap = false;
    const std::string grows = Scratch.Write("grows.bin", "12345");
    const std::string shrinks = Scratch.Write("shrinks.bin", std::string(5000, 's'));
    Burner.InsertFile("\\", grows, false);
    Burner.InsertFile("\\", shrinks, false);
    Scratch.Write("grows.bin", "1234567890");
    Scratch.Write("shrinks.bin", "ss");
    auto cache = StartCache();
    std::string bytes;
    TakeAll(*cache, bytes);
    ASSERT_EQ(bytes.size(), (26u + 1 + 3) * 2048);
    EXPECT_EQ(bytes.substr(26 * 2048, 2048), "12345" + std::string(2043, '\0'));
    EXPECT_EQ(bytes.substr(27 * 2048, 5000), "ss" + std::string(4998, '\0'));
}

TEST_F(CacheThreadTest, FillsUpToCapacityLessOneAndResumesAfterATake) {
    Burner.SetCacheSize(2097152);  // 32 blocks
    Burner.InsertFile("\\", Scratch.Write("big.bin", PatternBytes(40 * kCacheBlockSize, 3)), false);
    auto cache = StartCache();
    ASSERT_TRUE(WaitUntilReady(*cache));
    EXPECT_EQ(cache->Capacity(), 32);
    EXPECT_EQ(cache->ListedBlocks(), 31);  // ready the moment it began to wait for space

    std::vector<char> buffer(kCacheBlockSize);
    EXPECT_GT(cache->TakeBlock(buffer.data()), 0);
    EXPECT_TRUE(WaitUntilListed(*cache, 31));
    std::string rest;
    TakeAll(*cache, rest);
    EXPECT_EQ(cache->ErrorText(), "");
}

TEST_F(CacheThreadTest, StopWhileWaitingForSpaceEndsTheProducer) {
    Burner.SetCacheSize(2097152);
    Burner.InsertFile("\\", Scratch.Write("big.bin", PatternBytes(40 * kCacheBlockSize, 3)), false);
    auto cache = StartCache();
    ASSERT_TRUE(WaitUntilReady(*cache));
    cache->EndProducer();
    EXPECT_TRUE(cache->ProducerDone());
    EXPECT_EQ(cache->ErrorText(), "OPERATION ABORTED BY USER");
    EXPECT_EQ(cache->ListedBlocks(), 0);  // the listed blocks are released
    std::vector<char> buffer(kCacheBlockSize);
    EXPECT_EQ(cache->TakeBlock(buffer.data()), 0);
}

TEST_F(CacheThreadTest, TakeBlockBeforeAnyBlockAndAfterTheLast) {
    Burner.PrepareImage(true);
    TCacheThread cache(Burner.CacheSize(), true, Burner.TrackSectors() * 2048, Burner.HeaderStream());
    std::vector<char> buffer(kCacheBlockSize);
    EXPECT_EQ(cache.TakeBlock(buffer.data()), -1);  // nothing produced yet, the producer has not ended
    cache.Start();
    std::string bytes;
    TakeAll(cache, bytes);
    EXPECT_EQ(cache.TakeBlock(buffer.data()), 0);
}

// The image ends with its last byte: the recording thread does not wait for the producer
// to notice that everything has been taken.
TEST_F(CacheThreadTest, TakingTheLastBlockEndsTheImageAtOnce) {
    Burner.WritePostGap = false;
    Burner.InsertFile("\\", Scratch.Write("a.bin", PatternBytes(3 * kCacheBlockSize, 5)), false);
    auto cache = StartCache();
    ASSERT_TRUE(WaitUntilReady(*cache));
    std::vector<char> buffer(kCacheBlockSize);
    int64_t taken = 0;
    while (taken < Burner.TrackSectors() * 2048) {
        const int32_t length = cache->TakeBlock(buffer.data());
        ASSERT_NE(length, 0);
        if (length < 0) cache->WaitForBlock(1ms);
        else taken += length;
    }
    EXPECT_EQ(cache->TakeBlock(buffer.data()), 0);
    cache->EndProducer();
    EXPECT_EQ(cache->ErrorText(), "");
}

TEST_F(CacheThreadTest, AFileDeletedAfterItWasAddedEndsTheProducer) {
    const std::string gone = Scratch.Write("gone.jpg", "soon deleted");
    Burner.InsertFile("\\", gone, false);
    std::filesystem::remove(gone);
    auto cache = StartCache();
    WaitUntilReady(*cache);  // a failing producer wakes this wait too
    cache->EndProducer();
    EXPECT_EQ(cache->ErrorText(), "CAN'T OPEN FILE \"" + gone + "\" OR FILE IS IN USES BY OTHER SOFTWARE");
    EXPECT_EQ(cache->CurrentFile(), gone);
}

// A source that can be opened but not read (here: replaced by a folder) ends the producer
// with a read error instead of leaving zeros in the image.
TEST_F(CacheThreadTest, AFileThatCannotBeReadEndsTheProducer) {
    const std::string path = Scratch.Write("photo.jpg", "bytes");
    Burner.InsertFile("\\", path, false);
    std::filesystem::remove(path);
    std::filesystem::create_directory(path);
    auto cache = StartCache();
    WaitUntilReady(*cache);  // a failing producer wakes this wait too
    cache->EndProducer();
    EXPECT_EQ(cache->ErrorText(), "CAN'T READ FILE \"" + path + "\"");
}

} // namespace
