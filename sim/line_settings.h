// The serial line settings the simulator can read back: on a pseudo-terminal
// those the peer chose (its termios), on a COM port only the port's own (its
// DCB), since Windows shows neither end the other's.
#pragma once

#if !defined(_WIN32)
#include <termios.h>
#endif

#include <optional>

namespace kelt::sim {

struct SerialSettings {
    long baud = 0;
    int dataBits = 8;
    char parity = 'N';  // N, E, O, M(ark), S(pace)
    int stopBits = 1;

    bool is9600_8N1() const { return baud == 9600 && dataBits == 8 && parity == 'N' && stopBits == 1; }
    friend bool operator==(const SerialSettings&, const SerialSettings&) = default;
};

#if !defined(_WIN32)
SerialSettings serialSettings(const termios& tio);
#endif

// The fields of a DCB as Windows fills them: BaudRate, ByteSize, Parity
// (0 none, 1 odd, 2 even, 3 mark, 4 space) and StopBits (0 one, 1 one and a
// half, 2 two). One and a half reads as 2, as termios reports the same
// hardware setting (CSTOPB with five data bits). Nothing outside those codes
// is taken for a setting: such a DCB gives no settings at all.
std::optional<SerialSettings> serialSettingsFromDcb(unsigned long baudRate, int byteSize, int parity,
                                                    int stopBits);

}  // namespace kelt::sim
