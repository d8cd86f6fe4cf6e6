#include "line_settings.h"

namespace kelt::sim {

#if !defined(_WIN32)
SerialSettings serialSettings(const termios& tio) {
    struct SpeedName { speed_t code; long baud; };
    static constexpr SpeedName kSpeeds[] = {
        {B0, 0}, {B50, 50}, {B75, 75}, {B110, 110}, {B134, 134}, {B150, 150}, {B200, 200},
        {B300, 300}, {B600, 600}, {B1200, 1200}, {B1800, 1800}, {B2400, 2400}, {B4800, 4800},
        {B9600, 9600}, {B19200, 19200}, {B38400, 38400}, {B57600, 57600}, {B115200, 115200},
        {B230400, 230400}, {B460800, 460800}, {B921600, 921600},
    };
    SerialSettings s;
    s.baud = -1;  // a rate this table does not name
    const speed_t speed = cfgetospeed(&tio);
    for (const auto& sp : kSpeeds) {
        if (sp.code == speed) s.baud = sp.baud;
    }
    switch (tio.c_cflag & CSIZE) {
        case CS5: s.dataBits = 5; break;
        case CS6: s.dataBits = 6; break;
        case CS7: s.dataBits = 7; break;
        default: s.dataBits = 8; break;
    }
    const bool odd = tio.c_cflag & PARODD;
    if (!(tio.c_cflag & PARENB)) s.parity = 'N';
    else if (tio.c_cflag & CMSPAR) s.parity = odd ? 'M' : 'S';
    else s.parity = odd ? 'O' : 'E';
    s.stopBits = (tio.c_cflag & CSTOPB) ? 2 : 1;
    return s;
}
#endif

std::optional<SerialSettings> serialSettingsFromDcb(unsigned long baudRate, int byteSize, int parity,
                                                    int stopBits) {
    static constexpr char kParities[] = {'N', 'O', 'E', 'M', 'S'};
    if (byteSize < 5 || byteSize > 8 || parity < 0 || parity > 4 || stopBits < 0 || stopBits > 2)
        return std::nullopt;
    SerialSettings s;
    // The CBR_ constants are the rates themselves.
    s.baud = static_cast<long>(baudRate);
    s.dataBits = byteSize;
    s.parity = kParities[parity];
    s.stopBits = stopBits == 0 ? 1 : 2;
    return s;
}

}  // namespace kelt::sim
