#include "link/measurement_loop.h"

#include "link/poll_loop.h"

namespace kelt {

int MeasurementLoop(const std::atomic<bool>& readerStop, const std::atomic<bool>& linkBusy,
                    LinePort& port, MeasurementSink& sink, Sleeper& sleeper) {
    MeasurementFramer framer;
    PollLine(readerStop, linkBusy, port, sleeper, AfterRead::Yield, [&](std::string_view bytes) {
        if (framer.Feed(bytes) && IsMeasurementLine(framer.currentLine()))
            sink.Deliver(SplitMeasurement(framer.currentLine()));
    });
    return 1;
}

}  // namespace kelt
