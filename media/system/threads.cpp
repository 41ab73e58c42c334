// Worker threads: std::thread started at the highest priority the system grants, joined on destruction;
// the notice board between a thread that posts and threads that wait.
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "media/system/system.h"

namespace media {

namespace {

// Linux gives normal (SCHED_OTHER) threads their priority through a per-thread nice value. Real-time
// scheduling is not used: a busy worker under SCHED_FIFO could starve the whole desktop. Lowering
// the nice value needs privilege or RLIMIT_NICE; where refused the thread keeps its priority.
void raiseCurrentThreadPriority() {
    id_t thread = static_cast<id_t>(::gettid());
    if (::setpriority(PRIO_PROCESS, thread, -20) == 0) return;
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_NICE, &limit) == 0 && limit.rlim_cur > 20 && limit.rlim_cur != RLIM_INFINITY)
        ::setpriority(PRIO_PROCESS, thread, 20 - static_cast<int>(limit.rlim_cur));
}

}  // namespace

int processorCount() {
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (::sched_getaffinity(0, sizeof allowed, &allowed) == 0 && CPU_COUNT(&allowed) > 0)
        return CPU_COUNT(&allowed);
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

struct Thread::Impl {
    std::thread thread;
};

Thread::Thread() : impl_(std::make_unique<Impl>()) {}

// A thread object destroyed by its own worker cannot join itself; it lets the worker run out instead.
Thread::~Thread() {
    if (impl_->thread.joinable() && impl_->thread.get_id() == std::this_thread::get_id())
        impl_->thread.detach();
    join();
}

bool Thread::start(std::function<void()> procedure) {
    if (!procedure || impl_->thread.joinable()) return false;
    impl_->thread = std::thread([work = std::move(procedure)] {
        raiseCurrentThreadPriority();
        work();
    });
    return true;
}

void Thread::join() {
    if (impl_->thread.joinable() && impl_->thread.get_id() != std::this_thread::get_id())
        impl_->thread.join();
}

bool Thread::joinable() const {
    return impl_->thread.joinable();
}

struct NoticeBoard::Impl {
    mutable std::mutex mutex;
    mutable std::condition_variable posted;
    std::vector<Notice> notices;

    // With the mutex held.
    std::vector<Notice> from(std::size_t first) const {
        if (first >= notices.size()) return {};
        return {notices.begin() + static_cast<std::ptrdiff_t>(first), notices.end()};
    }
};

NoticeBoard::NoticeBoard() : impl_(std::make_unique<Impl>()) {}

NoticeBoard::~NoticeBoard() = default;

void NoticeBoard::post(Notice notice) {
    {
        std::lock_guard lock(impl_->mutex);
        impl_->notices.push_back(notice);
    }
    impl_->posted.notify_all();
}

std::vector<NoticeBoard::Notice> NoticeBoard::readFrom(std::size_t from) const {
    std::lock_guard lock(impl_->mutex);
    return impl_->from(from);
}

std::vector<NoticeBoard::Notice> NoticeBoard::waitFrom(std::size_t from,
                                                       const std::atomic<bool>& stop) const {
    std::unique_lock lock(impl_->mutex);
    impl_->posted.wait(lock, [&] { return impl_->notices.size() > from || stop.load(); });
    return impl_->from(from);
}

// The mutex is taken so that a waiter between its test of the flag and its wait cannot miss this.
void NoticeBoard::wakeAll() {
    { std::lock_guard lock(impl_->mutex); }
    impl_->posted.notify_all();
}

void NoticeBoard::clear() {
    std::lock_guard lock(impl_->mutex);
    impl_->notices.clear();
}

}  // namespace media
