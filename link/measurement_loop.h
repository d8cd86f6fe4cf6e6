#pragma once
// The panel's measurement reader without Windows: the poll loop over the
// line, the framing of the instrument's messages and the check of each
// line. The texts of every examined line go on, in order, to whoever shows
// them (the window thread, in the program).

#include <atomic>

#include "link/framing.h"
#include "link/seams.h"

namespace kelt {

// Where the texts of each examined line go.
struct MeasurementSink {
    virtual ~MeasurementSink() = default;
    virtual void Deliver(MeasurementTexts texts) = 0;
};

// Polls until readerStop is raised, then returns 1. An idle port is asked
// again every 100 ms; while bytes keep coming the loop only yields between
// reads. After every read, the current line is examined again even when the
// read completed no new line, so the last measurement is shown once more.
int MeasurementLoop(const std::atomic<bool>& readerStop, const std::atomic<bool>& linkBusy,
                    LinePort& port, MeasurementSink& sink, Sleeper& sleeper);

}  // namespace kelt
