#include "lab/BattleJobs.h"

#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>

#include "game/Battle.h"

namespace {

constexpr int kIdleMilliseconds = 200;
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

BattleJobs::BattleJobs(const BattlePlan& plan, const volatile std::sig_atomic_t& stop) : plan_(plan), stop_(stop) {}

void BattleJobs::workerMain(int socket) const
{
    std::unique_ptr<Battle> battle;
    std::int32_t index = 0;
    while (readFull(socket, &index, sizeof index)) {
        const unsigned seed = plan_.firstSeed + static_cast<unsigned>(index);
        if (battle == nullptr) {
            battle = std::make_unique<Battle>(plan_.counts, seed);
        } else {
            battle->restart(seed);
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
    const int count = std::max(1, std::min(plan_.jobs, plan_.battles));
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
            // Only this worker's end stays open, so every worker sees the parent go.
            for (const Worker& other : workers) close(other.socket);
            close(sockets[0]);
            signal(SIGINT, SIG_DFL);
            signal(SIGPIPE, SIG_DFL);
            sigset_t all;
            sigemptyset(&all);
            sigprocmask(SIG_SETMASK, &all, nullptr);
            workerMain(sockets[1]);
        }
        close(sockets[1]);
        Worker worker;
        worker.pid = pid;
        worker.socket = sockets[0];
        workers.push_back(worker);
    }
}

bool BattleJobs::assignNext(Worker& worker)
{
    if (nextIndex_ >= plan_.battles) return true;
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
    for (size_t end; (end = worker.pending.find('\n', start)) != std::string::npos; start = end + 1) {
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

void BattleJobs::endWorkers(std::vector<Worker>& workers, const OnFinished& finished, bool drain)
{
    for (Worker& worker : workers) {
        if (drain) {
            kill(worker.pid, SIGTERM);
        } else {
            shutdown(worker.socket, SHUT_WR);  // end of file: the worker leaves its loop
        }
    }
    for (Worker& worker : workers) {
        int status = 0;
        while (waitpid(worker.pid, &status, 0) < 0 && errno == EINTR) {
        }
        if (!drain && !(WIFEXITED(status) && WEXITSTATUS(status) == 0) && failure_.empty()) {
            failure_ = "a job ended with " + describeStatus(status);
        }
        // Whatever a stopped worker had sent completely is still a finished battle.
        bool closed = false;
        while (drain && !closed && worker.index >= 0 && readReports(worker, finished, closed)) {
        }
        close(worker.socket);
    }
    workers.clear();
}

BattleJobs::Result BattleJobs::run(const OnFinished& finished, const OnIdle& idle)
{
    // Ctrl-C is let in only while waiting, so it always finds the loop at a clean point.
    sigset_t interrupt, original, waitMask;
    sigemptyset(&interrupt);
    sigaddset(&interrupt, SIGINT);
    sigprocmask(SIG_BLOCK, &interrupt, &original);
    waitMask = original;
    sigdelset(&waitMask, SIGINT);

    int reported = 0;
    const OnFinished count = [&](FinishedBattle&& battle) {
        ++reported;
        finished(std::move(battle));
    };

    std::vector<Worker> workers;
    startWorkers(workers);
    for (Worker& worker : workers) assignNext(worker);

    Result result = failure_.empty() ? Result::kDone : Result::kFailed;
    while (result == Result::kDone && !stop_) {
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
        if (stop_) {
            result = Result::kInterrupted;
            break;
        }
        for (size_t i = 0; ready > 0 && i < polls.size(); ++i) {
            if (polls[i].revents == 0) continue;
            Worker& worker = *busy[i];
            bool closed = false;
            readReports(worker, count, closed);
            if (closed && worker.index >= 0) {
                // A worker died under a battle: by Ctrl-C sent to the whole terminal, or a fault.
                int status = 0;
                while (waitpid(worker.pid, &status, 0) < 0 && errno == EINTR) {
                }
                worker.pid = -1;
                if (WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) {
                    result = Result::kInterrupted;
                } else {
                    failure_ = "the job playing seed " + std::to_string(plan_.firstSeed + worker.index) +
                               " ended with " + describeStatus(status);
                    result = Result::kFailed;
                }
                break;
            }
            if (worker.index < 0) assignNext(worker);
        }
        idle();
    }
    if (result == Result::kDone && stop_) result = Result::kInterrupted;
    if (result == Result::kDone && reported < plan_.battles) {
        failure_ =
            "the jobs stopped after " + std::to_string(reported) + " of " + std::to_string(plan_.battles) + " battles";
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
    endWorkers(live, count, result != Result::kDone);
    sigprocmask(SIG_SETMASK, &original, nullptr);
    if (result == Result::kDone && !failure_.empty()) result = Result::kFailed;
    return result;
}
