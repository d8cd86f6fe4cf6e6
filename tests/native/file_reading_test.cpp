#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

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

}  // namespace
}  // namespace kelt
