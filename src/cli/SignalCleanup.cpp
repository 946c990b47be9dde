#include "cli/SignalCleanup.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace {

// A name is written while its slot is free and then published; a handler reads only published
// slots, so it never sees half a name.
struct FileSlot {
    std::atomic<bool> published{false};
    char path[SignalCleanup::kPathBytes] = {};
};

FileSlot files[SignalCleanup::kFiles];
std::atomic<pid_t> processes[SignalCleanup::kProcesses];  // 0 for a free slot

static_assert(std::atomic<bool>::is_always_lock_free, "a handler reads the flags");
static_assert(std::atomic<pid_t>::is_always_lock_free, "a handler reads the ids");

}  // namespace

bool SignalCleanup::addFile(const std::string& path)
{
    if (path.empty() || path.size() >= static_cast<size_t>(kPathBytes)) return false;
    for (FileSlot& slot : files) {
        if (slot.published.load()) continue;
        std::memcpy(slot.path, path.c_str(), path.size() + 1);
        slot.published.store(true);
        return true;
    }
    return false;
}

void SignalCleanup::forgetFile(const std::string& path)
{
    for (FileSlot& slot : files) {
        if (slot.published.load() && path == slot.path) {
            slot.published.store(false);
            return;
        }
    }
}

bool SignalCleanup::addProcess(pid_t pid)
{
    if (pid <= 0) return false;  // kill() would take 0 and -1 for groups of processes
    for (std::atomic<pid_t>& slot : processes) {
        pid_t free = 0;
        if (slot.compare_exchange_strong(free, pid)) return true;
    }
    return false;
}

void SignalCleanup::forgetProcess(pid_t pid)
{
    for (std::atomic<pid_t>& slot : processes) {
        pid_t held = pid;
        if (slot.compare_exchange_strong(held, 0)) return;
    }
}

void SignalCleanup::run()
{
    const int savedErrno = errno;  // the interrupted code may be about to read it
    for (FileSlot& slot : files) {
        if (slot.published.load()) unlink(slot.path);
    }
    for (std::atomic<pid_t>& slot : processes) {
        const pid_t pid = slot.load();
        if (pid > 0) kill(pid, SIGKILL);
    }
    errno = savedErrno;
}
