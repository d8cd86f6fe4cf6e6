#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "settings/file_reading.h"

namespace kelt {
namespace {

// A file served from memory, at most `piece` bytes a call, followed by
// endless 'x' when `endless`; it counts the bytes handed out.
struct FakeFile {
    std::string bytes;
    bool endless = false;
    std::size_t piece = kReadChunk;
    std::size_t handedOut = 0;

    ReadSome Reader() {
        return [this](char* into, std::size_t room) -> std::size_t {
            const std::size_t count = std::min(room, piece);
            std::size_t filled = 0;
            for (; filled < count; ++filled, ++handedOut) {
                if (handedOut < bytes.size()) into[filled] = bytes[handedOut];
                else if (endless) into[filled] = 'x';
                else break;
            }
            return filled;
        };
    }
};

TEST(BoundedReading, AFileReadInShortPiecesComesBackWhole) {
    FakeFile file;
    for (std::size_t i = 0; i < 3 * kReadChunk + 17; ++i) file.bytes += static_cast<char>('a' + i % 26);
    file.piece = 1000;
    EXPECT_EQ(ReadUpToEndOfData(file.Reader()), file.bytes);
}

TEST(BoundedReading, ReadingStopsAtTheFirstCtrlZ) {
    FakeFile file;
    file.bytes = "Bottom_Depth = 42\r\n\x1A" "Commport = 3\r\n\x1A";
    file.endless = true;
    EXPECT_EQ(ReadUpToEndOfData(file.Reader()), "Bottom_Depth = 42\r\n");
    EXPECT_LE(file.handedOut, kReadChunk) << "nothing is read past the chunk with the Ctrl-Z";

    // The Ctrl-Z first in a later chunk.
    FakeFile later;
    later.bytes = std::string(kReadChunk, 'a') + "\x1A";
    later.endless = true;
    EXPECT_EQ(ReadUpToEndOfData(later.Reader()), std::string(kReadChunk, 'a'));
    EXPECT_LE(later.handedOut, 2 * kReadChunk);
}

TEST(BoundedReading, AnEndlessFileIsReadTo64MiBAndNoFurther) {
    FakeFile file;
    file.bytes = "Bottom_Depth = 42\r\n";
    file.endless = true;
    file.piece = 1000;  // short reads, so the last one must be cut to the limit
    const std::string read = ReadUpToEndOfData(file.Reader());
    EXPECT_EQ(read.size(), std::size_t{64} << 20);
    EXPECT_EQ(read.rfind(file.bytes, 0), 0u);
    EXPECT_EQ(file.handedOut, read.size()) << "the file is never asked for more";
}

// A clock that moves only when the code sleeps or a try takes time.
struct FakeClock : RetryClock {
    int nowMs = 0;
    Clock::time_point Now() override { return Clock::time_point(std::chrono::milliseconds(nowMs)); }
    void SleepUntil(Clock::time_point deadline) override {
        const auto at = std::chrono::duration_cast<std::chrono::milliseconds>(deadline.time_since_epoch());
        nowMs = std::max(nowMs, static_cast<int>(at.count()));
    }
};

// A file another program holds until `releasedAtMs`; each try takes `tryMs`.
struct HeldFile {
    HeldFile(FakeClock& c, int released, int tookMs = 0) : clock(c), releasedAtMs(released), tryMs(tookMs) {}
    FakeClock& clock;
    int releasedAtMs;
    int tryMs;
    std::vector<int> triesAtMs;

    ReadAttempt operator()() {
        triesAtMs.push_back(clock.nowMs);
        clock.nowMs += tryMs;
        return triesAtMs.back() >= releasedAtMs ? ReadAttempt::Done : ReadAttempt::Busy;
    }
};

TEST(BusyFileRetry, AFileHeldForASecondIsReadWithin50msOfItsRelease) {
    FakeClock clock;
    HeldFile file(clock, 1000);
    EXPECT_EQ(RetryWhileBusy(std::ref(file), clock), ReadAttempt::Done);
    ASSERT_GE(file.triesAtMs.size(), 2u);
    EXPECT_GE(file.triesAtMs.back(), 1000);
    EXPECT_LE(file.triesAtMs.back(), 1050);
    for (std::size_t i = 1; i < file.triesAtMs.size(); ++i)
        EXPECT_GE(file.triesAtMs[i] - file.triesAtMs[i - 1], 50) << "no busy loop";
}

TEST(BusyFileRetry, AFileHeldLongerIsGivenUpAfterTwoSeconds) {
    FakeClock clock;
    HeldFile file(clock, 1 << 30);
    EXPECT_EQ(RetryWhileBusy(std::ref(file), clock), ReadAttempt::Busy);
    EXPECT_GE(file.triesAtMs.back(), 1950);
    EXPECT_LE(clock.nowMs, 2000);

    // Slow tries count: the patience is time, not a number of tries.
    FakeClock slowClock;
    HeldFile slow(slowClock, 1 << 30, 700);
    EXPECT_EQ(RetryWhileBusy(std::ref(slow), slowClock), ReadAttempt::Busy);
    EXPECT_EQ(slow.triesAtMs, (std::vector<int>{0, 750, 1500}));
}

TEST(BusyFileRetry, AFileThatCannotBeReadForAnyOtherReasonIsTriedOnce) {
    FakeClock clock;
    int tries = 0;
    EXPECT_EQ(RetryWhileBusy([&] { ++tries; return ReadAttempt::Refused; }, clock), ReadAttempt::Refused);
    EXPECT_EQ(tries, 1);
    EXPECT_EQ(clock.nowMs, 0);
}

}  // namespace
}  // namespace kelt
