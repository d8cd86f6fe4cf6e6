#include "panel/win/measurement_reader.h"

#include <mutex>
#include <utility>

#include "link/measurement_loop.h"

namespace kelt {

// Line texts on their way to the window thread, in arrival order.
class MeasurementMailbox : public MeasurementSink {
public:
    void SetPanel(HWND panel) { panel_ = panel; }
    void Deliver(MeasurementTexts texts) override {
        bool wasEmpty = false;
        {
            std::lock_guard lock(mutex_);
            wasEmpty = waiting_.empty();
            waiting_.push_back(std::move(texts));
        }
        // One notice per batch; a panel that has gone simply drops it.
        if (wasEmpty) PostMessageW(panel_, kMeasurementMessage, 0, 0);
    }
    std::deque<MeasurementTexts> TakeAll() {
        std::lock_guard lock(mutex_);
        return std::exchange(waiting_, {});
    }

private:
    std::mutex mutex_;
    std::deque<MeasurementTexts> waiting_;
    HWND panel_ = nullptr;
};

namespace {

constexpr std::size_t kReaderStackBytes = 1 << 20;
constexpr std::chrono::milliseconds kReaderStopWait{2000};  // well over one poll cycle

class WindowsSleeper : public Sleeper {
public:
    void Sleep(int milliseconds) override { ::Sleep(static_cast<DWORD>(milliseconds)); }
};

}  // namespace

MeasurementReader::MeasurementReader() : mailbox_(std::make_shared<MeasurementMailbox>()) {}

MeasurementReader::~MeasurementReader() { Stop(); }

bool MeasurementReader::Start(HWND panel, std::shared_ptr<ReaderFlags> flags, std::shared_ptr<Port> port) {
    mailbox_->SetPanel(panel);
    flags_ = flags;
    return thread_.Start(
        [flags = std::move(flags), port = std::move(port), mailbox = mailbox_] {
            WindowsSleeper sleeper;
            MeasurementLoop(flags->readerStop, flags->linkBusy, *port, *mailbox, sleeper);
        },
        kReaderStackBytes);
}

std::deque<MeasurementTexts> MeasurementReader::TakeAll() { return mailbox_->TakeAll(); }

void MeasurementReader::Stop() {
    if (flags_) flags_->readerStop = true;
    thread_.Join(kReaderStopWait);
}

}  // namespace kelt
