#include "link/measurement_loop.h"

#include "link/poll_loop.h"

#include <utility>

namespace kelt {

void MeasurementMailbox::Deliver(MeasurementTexts texts) {
    std::lock_guard lock(mutex_);
    waiting_.push_back(std::move(texts));
    // A notice only asks the other thread to look; giving it never waits.
    if (!noticeOutstanding_) noticeOutstanding_ = notify_();
}

std::deque<MeasurementTexts> MeasurementMailbox::TakeAll() {
    std::lock_guard lock(mutex_);
    noticeOutstanding_ = false;
    return std::exchange(waiting_, {});
}

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
