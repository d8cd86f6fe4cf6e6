#pragma once
// The measurement reader thread: polls the port, frames the instrument's
// lines and hands each examined line's texts to the panel's window thread,
// which alone stores and shows them.

#include <windows.h>

#include <deque>
#include <memory>

#include "link/framing.h"
#include "link/measurement_loop.h"
#include "link/win/port.h"
#include "link/win/reader_thread.h"
#include "panel/panel_state.h"

namespace kelt {

// Posted to the panel when line texts wait in the reader's mailbox.
inline constexpr UINT kMeasurementMessage = WM_APP + 1;

class MeasurementReader {
public:
    MeasurementReader();
    ~MeasurementReader();
    MeasurementReader(const MeasurementReader&) = delete;
    MeasurementReader& operator=(const MeasurementReader&) = delete;

    // Starts the reader on its own thread (1 MiB stack) for this panel. The
    // thread holds the flags, the port and the mailbox it uses.
    bool Start(HWND panel, std::shared_ptr<ReaderFlags> flags, std::shared_ptr<Port> port);
    // On the window thread: the texts of every line examined since the last
    // call, in order.
    std::deque<MeasurementTexts> TakeAll();
    // Raises readerStop and waits for the reader to end, within a bound, so
    // that the port is never closed under a poll cycle.
    void Stop();

private:
    std::shared_ptr<MeasurementMailbox> mailbox_;
    std::shared_ptr<ReaderFlags> flags_;
    ReaderThread thread_;
};

}  // namespace kelt
