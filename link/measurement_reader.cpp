#include "link/measurement_reader.h"

#include <deque>
#include <mutex>
#include <utility>

#include "link/reader_loop.h"
#include "link/serial_port.h"

namespace kelt {
namespace {

constexpr DWORD kLineErrors = CE_RXOVER | CE_OVERRUN | CE_FRAME | CE_TXFULL | CE_IOE;
constexpr DWORD kReaderStackBytes = 1 << 20;
constexpr DWORD kReaderStopWaitMs = 2000;  // well over one poll cycle

class ChannelReaderPort : public ReaderPort {
public:
    explicit ChannelReaderPort(std::int32_t fileNo) : fileNo_(fileNo) {}
    std::string ReadWaiting(const std::atomic<std::int32_t>& linkBusy) override {
        return PortChannelOf(fileNo_).ReadWaiting(kLineErrors, linkBusy);
    }

private:
    std::int32_t fileNo_;
};

class WindowsSleeper : public Sleeper {
public:
    void Sleep(int milliseconds) override { ::Sleep(static_cast<DWORD>(milliseconds)); }
};

// Line texts on their way to the window thread, in arrival order.
class Mailbox : public ReaderSink {
public:
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
    void SetPanel(HWND panel) { panel_ = panel; }

private:
    std::mutex mutex_;
    std::deque<MeasurementTexts> waiting_;
    HWND panel_ = nullptr;
};

struct ReaderContext {
    PanelState* state = nullptr;
    Mailbox mailbox;
};

ReaderContext& Reader() {
    static ReaderContext context;
    return context;
}

DWORD WINAPI MeasurementReader(LPVOID parameter) {
    auto& context = *static_cast<ReaderContext*>(parameter);
    ChannelReaderPort port(context.state->portFileNo);
    WindowsSleeper sleeper;
    return static_cast<DWORD>(MeasurementLoop(context.state->readerStop, context.state->linkBusy,
                                              port, context.mailbox, sleeper));
}

}  // namespace

void StartMeasurementReader(HWND panel, PanelState& state) {
    ReaderContext& context = Reader();
    context.state = &state;
    context.mailbox.SetPanel(panel);
    state.readerThread =
        CreateThread(nullptr, kReaderStackBytes, MeasurementReader, &context, 0, nullptr);
}

void TakeMeasurements(PanelState& state, PanelView& view) {
    for (const MeasurementTexts& texts : Reader().mailbox.TakeAll())
        ApplyMeasurement(state, view, texts);
}

void StopMeasurementReader(PanelState& state) {
    state.readerStop = 1;
    if (state.readerThread == nullptr) return;  // never started: nothing to wait for
    WaitForSingleObject(state.readerThread, kReaderStopWaitMs);
    // The release is retried a bounded number of times: a handle that can
    // never be released must not keep the program from ending.
    for (int attempt = 0; attempt < 100 && !CloseHandle(state.readerThread); ++attempt) Sleep(0);
    state.readerThread = nullptr;
}

void ShutDownPanel(PanelState& state) {
    StopMeasurementReader(state);
    ClosePort(state);
}

}  // namespace kelt
