#include "link/win/reader_thread.h"

#include <memory>

namespace kelt {
namespace {

DWORD WINAPI RunLoop(LPVOID parameter) {
    // The thread owns its loop from here on, whatever its starter does.
    const std::unique_ptr<std::function<void()>> loop(static_cast<std::function<void()>*>(parameter));
    (*loop)();
    return 1;
}

}  // namespace

bool ReaderThread::Start(std::function<void()> loop, std::size_t stackBytes) {
    auto owned = std::make_unique<std::function<void()>>(std::move(loop));
    HANDLE thread = CreateThread(nullptr, stackBytes, RunLoop, owned.get(), 0, nullptr);
    if (thread == nullptr) return false;  // the loop is freed here, never run
    owned.release();                      // now the thread's
    thread_.reset(thread);
    return true;
}

bool ReaderThread::Join(std::chrono::milliseconds bound) {
    if (!thread_) return true;
    const bool ended = WaitForSingleObject(thread_.get(), static_cast<DWORD>(bound.count())) == WAIT_OBJECT_0;
    thread_.reset();  // one release; a thread still running goes on by itself
    return ended;
}

}  // namespace kelt
