#pragma once
// What a reader thread hands to a window thread: items in arrival order,
// with one notice standing for the whole queue, so that a fast line cannot
// flood the window's message queue. A notice that could not be given (the
// window's queue full, the window gone) is tried again with the next item,
// so one lost notice never stops the hand-over.

#include <cstddef>
#include <deque>
#include <functional>
#include <iterator>
#include <limits>
#include <mutex>
#include <utility>

namespace kelt {

// `notify` tells the other thread to look, and never waits for it (it runs
// under the mailbox's lock); false when the notice could not be given.
using Notify = std::function<bool()>;

template <class Item>
class Mailbox {
public:
    // Queues the item and gives a notice unless one stands for the queue.
    // False when no notice stands for it now.
    bool Deliver(Item item, const Notify& notify) {
        std::lock_guard lock(mutex_);
        waiting_.push_back(std::move(item));
        return NoticeStands(notify);
    }
    // Up to `most` items, oldest first; `more` says whether any are left.
    // Taking answers the notice: items delivered later give a new one.
    std::deque<Item> Take(std::size_t most = std::numeric_limits<std::size_t>::max(), bool* more = nullptr) {
        std::lock_guard lock(mutex_);
        noticeOutstanding_ = false;
        std::deque<Item> taken;
        if (most >= waiting_.size()) {
            taken.swap(waiting_);
        } else {
            const auto end = waiting_.begin() + static_cast<std::ptrdiff_t>(most);
            taken.assign(std::make_move_iterator(waiting_.begin()), std::make_move_iterator(end));
            waiting_.erase(waiting_.begin(), end);
        }
        if (more != nullptr) *more = !waiting_.empty();
        return taken;
    }
    // Items left over after a Take: a notice for them, unless one stands.
    void NotifyIfWaiting(const Notify& notify) {
        std::lock_guard lock(mutex_);
        if (!waiting_.empty()) NoticeStands(notify);
    }
    // Items that can never be looked at (their window is gone) are dropped.
    void Clear() {
        std::lock_guard lock(mutex_);
        waiting_.clear();
    }
    bool Empty() {
        std::lock_guard lock(mutex_);
        return waiting_.empty();
    }

private:
    bool NoticeStands(const Notify& notify) {
        if (!noticeOutstanding_) noticeOutstanding_ = notify();
        return noticeOutstanding_;
    }

    std::mutex mutex_;
    std::deque<Item> waiting_;
    bool noticeOutstanding_ = false;
};

}  // namespace kelt
