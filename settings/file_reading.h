#pragma once
// Reading a settings or script file: chunk by chunk, and only as far as the
// reader needs. The file itself is a callback, so the rules are tried on
// any machine.

#include <cstddef>
#include <functional>
#include <string>

namespace kelt {

// No settings or script file comes near this size. What lies beyond it is
// ignored, so a runaway file can neither exhaust the 32-bit program's memory
// nor keep the panel from starting.
inline constexpr std::size_t kReadLimit = std::size_t{64} << 20;
inline constexpr std::size_t kReadChunk = std::size_t{64} << 10;

// Fills up to `room` bytes at `into` from the file; the number of bytes
// filled, 0 at the end of the file or on an error.
using ReadSome = std::function<std::size_t(char* into, std::size_t room)>;

// A file's bytes read in chunks of kReadChunk up to its end, its first
// Ctrl-Z or `limit` bytes, whichever comes first. The Ctrl-Z and whatever
// follows it are left out: the data end there for the reader.
std::string ReadUpToEndOfData(const ReadSome& readSome, std::size_t limit = kReadLimit);

}  // namespace kelt
