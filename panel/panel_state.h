#pragma once
// The one record of the control panel. Field names follow the panel's own
// vocabulary so that every procedure speaks the same language.
//
// Threads: the window thread owns every field. The measurement reader only
// looks at the two flags it shares with the window thread (atomic, apart
// from the rest) and hands the texts of each line over through a mailbox,
// so that only the window thread ever writes a text or touches a control.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "settings/stored_settings.h"

namespace kelt {

// What the measurement reader and the window thread share.
struct ReaderFlags {
    // Raised while the window thread writes commands: the reader starts no
    // read meanwhile.
    std::atomic<bool> linkBusy{false};
    // Raised once the panel has closed: the reader ends at its next pass.
    std::atomic<bool> readerStop{false};
};

struct PanelState : StoredSettings {
    // Working values in slider steps (depths in tenths of the depth unit).
    std::int32_t bottomDepthSteps = 0;
    std::int32_t fishDepthSteps = 0;  // never deeper than bottomDepthSteps
    std::int32_t onPulses = 0;
    std::int32_t offPulses = 0;

    // The port in use: its number once open (0 asks for a port again), the
    // text it was opened with, and whether the user has ever chosen a port
    // through the menu (after that an upload shows no splash).
    std::int32_t portOpen = 0;
    std::string portInUseText;
    bool portReselect = false;

    // Lines after an upload that still echo the instrument's bottom echo
    // into its boxes; negative never ends.
    std::int16_t readerCountdown = 0;

    // Shared, so that a reader thread let go at the end still has them.
    std::shared_ptr<ReaderFlags> shared = std::make_shared<ReaderFlags>();
};

}  // namespace kelt
