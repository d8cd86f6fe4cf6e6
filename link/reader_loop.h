#pragma once
// The measurement reader's poll loop and the window thread's use of what it
// finds. The loop runs on its own thread and owns the framing; the texts of
// every examined line travel to the window thread, which alone touches
// PanelState's texts and the controls.

#include <atomic>
#include <cstdint>
#include <string>

#include "link/framing.h"
#include "panel/panel_state.h"
#include "panel/seams.h"

namespace kelt {

// The serial port as the reader sees it.
struct ReaderPort {
    virtual ~ReaderPort() = default;
    // Asks how many bytes wait in the input queue (a failed query or a line
    // error counts as none) and, unless none wait or linkBusy is raised by
    // then, reads exactly those bytes. Never waits for data, and keeps the
    // port from being closed between the question and the read.
    virtual std::string ReadWaiting(const std::atomic<std::int32_t>& linkBusy) = 0;
};

// Where the texts of each examined line go: to the window thread, in order.
struct ReaderSink {
    virtual ~ReaderSink() = default;
    virtual void Deliver(MeasurementTexts texts) = 0;
};

struct Sleeper {
    virtual ~Sleeper() = default;
    // 0 gives up the rest of the time slice.
    virtual void Sleep(int milliseconds) = 0;
};

// Polls until readerStop is raised, then returns 1. An idle port is asked
// again every 100 ms; while bytes keep coming the loop only yields between
// reads. After every read, the current line is examined again even when the
// read completed no new line, so the last measurement is shown once more.
int MeasurementLoop(const std::atomic<std::int32_t>& readerStop,
                    const std::atomic<std::int32_t>& linkBusy, ReaderPort& port, ReaderSink& sink,
                    Sleeper& sleeper);

// On the window thread, for each examined line in turn: stores the texts and
// shows them. The measured pulse always shows; the set frequency and width
// replace the stored settings every time but reach their boxes only while
// "Auto" is ticked; the bottom echo's depth and level reach theirs only for
// the countdown of lines after an upload (a negative countdown never ends),
// and an empty field leaves its box as it is.
void ApplyMeasurement(PanelState& state, PanelView& view, const MeasurementTexts& texts);

}  // namespace kelt
