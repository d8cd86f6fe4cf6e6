#include "panel/win/measurement_reader.h"

#include <utility>

namespace kelt {
namespace {

constexpr std::size_t kReaderStackBytes = 1 << 20;
constexpr std::chrono::milliseconds kReaderStopWait{2000};  // well over one poll cycle

class WindowsSleeper : public Sleeper {
public:
    void Sleep(int milliseconds) override { ::Sleep(static_cast<DWORD>(milliseconds)); }
};

}  // namespace

MeasurementReader::MeasurementReader() = default;

MeasurementReader::~MeasurementReader() { Stop(); }

bool MeasurementReader::Start(HWND panel, std::shared_ptr<ReaderFlags> flags, std::shared_ptr<Port> port) {
    mailbox_ = std::make_shared<MeasurementMailbox>(
        [panel] { return PostMessageW(panel, kMeasurementMessage, 0, 0) != FALSE; });
    flags_ = flags;
    return thread_.Start(
        [flags = std::move(flags), port = std::move(port), mailbox = mailbox_] {
            WindowsSleeper sleeper;
            MeasurementLoop(flags->readerStop, flags->linkBusy, *port, *mailbox, sleeper);
        },
        kReaderStackBytes);
}

std::deque<MeasurementTexts> MeasurementReader::TakeAll() {
    return mailbox_ ? mailbox_->TakeAll() : std::deque<MeasurementTexts>{};
}

void MeasurementReader::Stop() {
    if (flags_) flags_->readerStop = true;
    thread_.Join(kReaderStopWait);
}

}  // namespace kelt
