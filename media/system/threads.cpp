// Worker threads: std::thread started at the highest priority the system grants, joined on destruction.
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
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

}  // namespace media
