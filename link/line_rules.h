#pragma once
// The instrument's line as both programs use it, without Windows: which
// line errors make a poll read nothing, and how long a write may take.

#include <cstdint>

namespace kelt {

// Receive overrun, hardware overrun, framing, transmit queue full and I/O
// error (CE_RXOVER | CE_OVERRUN | CE_FRAME | CE_TXFULL | CE_IOE): a poll that
// finds one of them reads nothing, and the bytes wait for the next poll.
// Parity errors and breaks do not stop a read.
inline constexpr std::uint32_t kLineErrorMask = 0x50B;

// A write to a line that does not drain (handshake held off, instrument
// off, a wedged adapter) gives up after this long plus this much per byte
// (a byte takes 1.04 ms at 9600 baud 8-N-1), instead of freezing the window.
inline constexpr std::uint32_t kWriteTimeoutConstantMs = 1000;
inline constexpr std::uint32_t kWriteTimeoutPerByteMs = 2;

// At exit the last bytes on their way arrive within this time; then what
// waits is read and dropped, and the port is closed.
inline constexpr int kCloseSettleMs = 1000;

// How many bytes one poll reads: none when the port reports a line error.
inline std::uint32_t BytesToRead(std::uint32_t lineErrors, std::uint32_t bytesQueued) {
    return (lineErrors & kLineErrorMask) != 0 ? 0 : bytesQueued;
}

}  // namespace kelt
