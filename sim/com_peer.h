// Whether a program holds the far end of a COM port. Only the modem lines
// can tell, and only over a cable that carries them: on a full null-modem
// cable the peer's DTR is our DSR, high while it has its port open; over a
// three-wire cable, a virtual pair that does not emulate the lines, or a
// driver that reports none, DSR never rises. So DSR counts from the first
// time it is seen high; until then the peer is taken to be there whenever
// our port is open, as the instrument itself sends whether anyone listens.
#pragma once

#include <optional>

namespace kelt::sim {

class ComPeer {
public:
    // The port was (re)opened: nothing is known of the cable yet.
    void reset() { *this = ComPeer{}; }

    // `dsr` as the driver reports it, nullopt when it cannot say; a reading
    // that fails keeps the last answer.
    bool present(std::optional<bool> dsr) {
        if (!dsr) return last_;
        if (*dsr) dsrSeen_ = true;
        last_ = *dsr || !dsrSeen_;
        return last_;
    }

private:
    bool dsrSeen_ = false;
    bool last_ = true;
};

}  // namespace kelt::sim
