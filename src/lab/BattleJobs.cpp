#include "lab/BattleJobs.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>

#include "cli/SignalCleanup.h"
#include "game/Battle.h"

namespace {

constexpr int kIdleMilliseconds = 200;
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};
// Descriptors kept free beside the jobs' sockets: the second end of the socket pair being made,
// the output files, gnuplot's files and pipes at the end.
constexpr long kSpareDescriptors = 16;
constexpr char kAliveTag = 'A';  // a line of alive samples, sent before its battle's outcome line

bool readFull(int fd, void* data, size_t size)
{
    char* bytes = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t n = read(fd, bytes, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

void writeFull(int fd, const std::string& text)
{
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) _exit(1);  // the parent is gone: nobody wants the rest
        done += static_cast<size_t>(n);
    }
}

std::vector<AliveSample> parseAlive(const std::string& line)
{
    std::vector<AliveSample> samples;
    const char* p = line.c_str() + 1;
    char* end = nullptr;
    for (;;) {
        AliveSample sample;
        bool complete = true;
        for (int team = 0; team < kSides && complete; ++team) {
            const long value = std::strtol(p, &end, 10);
            complete = end != p;
            sample.units[team] = static_cast<int>(value);
            p = end;
        }
        if (!complete) break;
        samples.push_back(sample);
    }
    return samples;
}

// The descriptors this process has open now.
long openDescriptors()
{
    DIR* folder = opendir("/proc/self/fd");
    if (folder == nullptr) return 3;  // no /proc: the standard ones at least
    long count = 0;
    while (readdir(folder) != nullptr) ++count;
    closedir(folder);
    return count - 3;  // ".", ".." and the folder's own descriptor
}

// Waits for a child that has been told to end. It stays held by SignalCleanup until it is
// reaped, so that a second signal kills it if it hangs, and never a process that later got its id.
int reap(pid_t pid)
{
    siginfo_t info{};
    while (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT) < 0 && errno == EINTR) {
    }
    SignalCleanup::forgetProcess(pid);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

std::string describeStatus(int status)
{
    if (WIFSIGNALED(status)) return std::string("killed by signal ") + std::to_string(WTERMSIG(status));
    return "exit status " + std::to_string(WEXITSTATUS(status));
}

}  // namespace

struct BattleJobs::Worker {
    pid_t pid = -1;
    int socket = -1;
    int index = -1;  // battle under way; -1 when idle
    std::string pending;
    std::vector<AliveSample> alive;
};

int BattleJobs::jobsThatFit(int wanted)
{
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return wanted;
    const long room = static_cast<long>(limit.rlim_cur) - openDescriptors() - kSpareDescriptors;
    return static_cast<int>(std::clamp<long>(room, 1, wanted));
}

BattleJobs::BattleJobs(const BattlePlan& plan, StopCheck stopRequested)
    : plan_(plan), stopRequested_(stopRequested ? std::move(stopRequested) : [] { return false; })
{
}

void BattleJobs::workerMain(int socket) const
{
    std::unique_ptr<Battle> battle;
    std::int32_t index = 0;
    while (readFull(socket, &index, sizeof index)) {
        const UnitCounts counts = plan_.study.counts(index);
        const unsigned seed = plan_.study.seed(index);
        if (battle == nullptr) {
            battle = std::make_unique<Battle>(counts, seed);
        } else {
            battle->restart(counts, seed);
        }
        std::vector<AliveSample> alive;
        const BattleOutcome outcome = playBattle(*battle, plan_.maxFrames, plan_.sampleAlive ? &alive : nullptr);
        std::string report;
        if (plan_.sampleAlive) {
            report += kAliveTag;
            for (const AliveSample& s : alive) {
                for (int team = 0; team < kSides; ++team) report += " " + std::to_string(s.units[team]);
            }
            report += '\n';
        }
        report += outcomeLine(outcome) + '\n';
        writeFull(socket, report);
    }
    _exit(0);  // no destructors, no atexit handlers: they belong to the parent
}

void BattleJobs::startWorkers(std::vector<Worker>& workers)
{
    const int count = std::max(1, std::min(plan_.jobs, plan_.study.battles()));
    const pid_t parent = getpid();
    for (int j = 0; j < count; ++j) {
        int sockets[2];
        if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) != 0) {
            failure_ = std::string("cannot start a job: ") + std::strerror(errno);
            return;
        }
        const pid_t pid = fork();
        if (pid < 0) {
            failure_ = std::string("cannot start a job: ") + std::strerror(errno);
            close(sockets[0]);
            close(sockets[1]);
            return;
        }
        if (pid == 0) {
            // Dies with the run, even when it is killed; a run already gone by now is missed
            // by the signal, hence the look at the parent.
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (getppid() != parent) _exit(1);
            // Only this worker's end stays open, so every worker sees the parent go.
            for (const Worker& other : workers) close(other.socket);
            close(sockets[0]);
            // Nothing of the run's standard input and output: a pipe around the run ends with it.
            const int nothing = open("/dev/null", O_RDWR);
            if (nothing >= 0) {
                dup2(nothing, STDIN_FILENO);
                dup2(nothing, STDOUT_FILENO);
                if (nothing > STDERR_FILENO) close(nothing);
            }
            for (int stop : kStopSignals) signal(stop, SIG_IGN);  // the run stops its workers itself
            signal(SIGPIPE, SIG_DFL);
            sigset_t none;
            sigemptyset(&none);
            sigprocmask(SIG_SETMASK, &none, nullptr);
            workerMain(sockets[1]);
        }
        SignalCleanup::addProcess(pid);
        close(sockets[1]);
        Worker worker;
        worker.pid = pid;
        worker.socket = sockets[0];
        workers.push_back(worker);
    }
}

bool BattleJobs::assignNext(Worker& worker, const std::vector<Worker>& workers)
{
    if (nextIndex_ >= plan_.study.battles()) return true;
    int earliest = nextIndex_;
    for (const Worker& other : workers) {
        if (other.index >= 0) earliest = std::min(earliest, other.index);
    }
    if (nextIndex_ - earliest >= std::max(1, plan_.maxAhead)) return true;  // after the earliest reports
    const std::int32_t index = nextIndex_;
    // A worker that died makes the send fail; its end of file tells the rest.
    if (send(worker.socket, &index, sizeof index, MSG_NOSIGNAL) != static_cast<ssize_t>(sizeof index)) return false;
    worker.index = index;
    ++nextIndex_;
    return true;
}

bool BattleJobs::readReports(Worker& worker, const OnFinished& finished, bool& closed)
{
    char buffer[65536];
    const ssize_t n = recv(worker.socket, buffer, sizeof buffer, 0);
    if (n < 0) return errno == EINTR || errno == EAGAIN;
    closed = n == 0;
    worker.pending.append(buffer, static_cast<size_t>(n));
    size_t start = 0;
    for (size_t end; !halted_ && (end = worker.pending.find('\n', start)) != std::string::npos; start = end + 1) {
        std::string line = worker.pending.substr(start, end - start);
        if (!line.empty() && line[0] == kAliveTag) {
            worker.alive = parseAlive(line);
            continue;
        }
        FinishedBattle battle;
        battle.index = worker.index;
        battle.line = std::move(line);
        battle.alive = std::move(worker.alive);
        worker.alive.clear();
        worker.index = -1;
        finished(std::move(battle));
    }
    worker.pending.erase(0, start);
    return true;
}

void BattleJobs::endWorkers(std::vector<Worker>& workers, const OnFinished& finished, Result result)
{
    for (Worker& worker : workers) {
        if (result == Result::kDone) {
            // End of file: an idle worker leaves its loop, also one that was stopped and goes on.
            shutdown(worker.socket, SHUT_WR);
            kill(worker.pid, SIGCONT);
        } else {
            kill(worker.pid, SIGKILL);  // ends a stopped worker too
        }
    }
    const bool drain = result != Result::kDone && !halted_;
    for (Worker& worker : workers) {
        const int status = reap(worker.pid);
        if (result == Result::kDone && !(WIFEXITED(status) && WEXITSTATUS(status) == 0) && failure_.empty()) {
            failure_ = "a job ended with " + describeStatus(status);
        }
        // Whatever a killed worker had sent completely is still a finished battle.
        bool closed = false;
        while (drain && !halted_ && !closed && worker.index >= 0 && readReports(worker, finished, closed)) {
        }
        close(worker.socket);
    }
    workers.clear();
}

BattleJobs::Result BattleJobs::run(const OnFinished& finished, const OnIdle& idle)
{
    // A stop signal is let in while waiting, so that the look at the stop request and the wait
    // cannot miss one in between; everywhere else it is let in at once (a second one must be
    // able to end the process while a line is being written).
    sigset_t stops, original, waitMask;
    sigemptyset(&stops);
    for (int stop : kStopSignals) sigaddset(&stops, stop);
    sigprocmask(SIG_SETMASK, nullptr, &original);
    waitMask = original;
    for (int stop : kStopSignals) sigdelset(&waitMask, stop);

    int reported = 0;
    const OnFinished count = [&](FinishedBattle&& battle) {
        ++reported;
        finished(std::move(battle));
    };
    const auto assignIdle = [&](std::vector<Worker>& workers) {
        for (Worker& worker : workers) {
            if (worker.index < 0) assignNext(worker, workers);
        }
    };

    std::vector<Worker> workers;
    startWorkers(workers);
    assignIdle(workers);

    Result result = failure_.empty() ? Result::kDone : Result::kFailed;
    while (result == Result::kDone) {
        sigprocmask(SIG_BLOCK, &stops, nullptr);
        if (stopRequested_()) {
            result = Result::kInterrupted;
            break;
        }
        std::vector<pollfd> polls;
        std::vector<Worker*> busy;
        for (Worker& worker : workers) {
            if (worker.index < 0) continue;
            polls.push_back({worker.socket, POLLIN, 0});
            busy.push_back(&worker);
        }
        if (busy.empty()) break;
        const timespec timeout = {0, kIdleMilliseconds * 1000000L};
        const int ready = ppoll(polls.data(), polls.size(), &timeout, &waitMask);
        sigprocmask(SIG_SETMASK, &original, nullptr);
        if (stopRequested_()) {
            result = Result::kInterrupted;
            break;
        }
        for (size_t i = 0; ready > 0 && i < polls.size() && !halted_; ++i) {
            if (polls[i].revents == 0) continue;
            Worker& worker = *busy[i];
            bool closed = false;
            readReports(worker, count, closed);
            if (closed && worker.index >= 0 && !halted_) {
                const int status = reap(worker.pid);
                worker.pid = -1;
                failure_ = "the job playing seed " + std::to_string(plan_.study.seed(worker.index)) + " ended with " +
                           describeStatus(status);
                result = Result::kFailed;
                break;
            }
        }
        if (halted_) break;
        assignIdle(workers);
        idle();
        if (halted_) break;
    }
    sigprocmask(SIG_SETMASK, &original, nullptr);
    if (halted_) result = Result::kFailed;
    if (result == Result::kDone && reported < plan_.study.battles()) {
        failure_ = "the jobs stopped after " + std::to_string(reported) + " of " +
                   std::to_string(plan_.study.battles()) + " battles";
        result = Result::kFailed;
    }
    // Workers already reaped keep their socket for the drain but are not waited for again.
    std::vector<Worker> live;
    for (Worker& worker : workers) {
        if (worker.pid > 0) {
            live.push_back(worker);
        } else {
            close(worker.socket);
        }
    }
    endWorkers(live, count, result);
    if (result == Result::kDone && !failure_.empty()) result = Result::kFailed;
    return result;
}
