#pragma once
// The panel's measurement reader without Windows: the poll loop over the
// line, the framing of the instrument's messages and the check of each
// line. The texts of every examined line go on, in order, to whoever shows
// them (the window thread, in the program).

#include <atomic>
#include <deque>

#include "link/framing.h"
#include "link/mailbox.h"
#include "link/seams.h"

namespace kelt {

// Where the texts of each examined line go.
struct MeasurementSink {
    virtual ~MeasurementSink() = default;
    virtual void Deliver(MeasurementTexts texts) = 0;
};

// The texts on their way from the reader's thread to the thread that shows
// them (link/mailbox.h): `notify` tells that thread to look.
class MeasurementMailbox : public MeasurementSink {
public:
    explicit MeasurementMailbox(Notify notify) : notify_(std::move(notify)) {}
    void Deliver(MeasurementTexts texts) override { box_.Deliver(std::move(texts), notify_); }
    // Everything delivered since the last call; the next delivery notifies.
    std::deque<MeasurementTexts> TakeAll() { return box_.Take(); }

private:
    Mailbox<MeasurementTexts> box_;
    Notify notify_;
};

// Polls until readerStop is raised, then returns 1. An idle port is asked
// again every 100 ms; while bytes keep coming the loop only yields between
// reads. Every read is framed, however large: of the lines it completes only
// the last is examined, and a read that completes none shows nothing again,
// so each line the instrument sends is examined at most once.
int MeasurementLoop(const std::atomic<bool>& readerStop, const std::atomic<bool>& linkBusy,
                    LinePort& port, MeasurementSink& sink, Sleeper& sleeper);

}  // namespace kelt
