#include "lab/Gnuplot.h"

#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "cli/OutputFile.h"
#include "cli/SignalCleanup.h"
#include "lab/Format.h"
#include "units/Entity.h"

namespace {

constexpr int kNotFound = 127;  // the exit status of a program that could not be run
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

// A file in memory, gone with the last descriptor to it.
class MemoryFile {
public:
    explicit MemoryFile(const char* name) : descriptor_(memfd_create(name, MFD_CLOEXEC)) {}
    ~MemoryFile()
    {
        if (descriptor_ >= 0) close(descriptor_);
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    int descriptor() const { return descriptor_; }

    bool write(const std::string& text) const
    {
        size_t done = 0;
        while (done < text.size()) {
            const ssize_t n = ::write(descriptor_, text.data() + done, text.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            done += static_cast<size_t>(n);
        }
        return lseek(descriptor_, 0, SEEK_SET) == 0;
    }

    std::string read() const
    {
        std::string text;
        char buffer[65536];
        if (lseek(descriptor_, 0, SEEK_SET) != 0) return text;
        for (;;) {
            const ssize_t n = ::read(descriptor_, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return text;
            text.append(buffer, static_cast<size_t>(n));
        }
    }

private:
    int descriptor_;
};

// Waits for a child and gives its status. It stays held by SignalCleanup until it is reaped, so
// that a signal kills it while it runs, and never a process that later got its id.
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

// Runs gnuplot on the script in the file script, its picture going to picture and its
// messages to log. Gives its status, or -1 (with errno) when it could not be started.
int runGnuplot(const MemoryFile& script, const MemoryFile& picture, const MemoryFile& log)
{
    // The stop signals wait until gnuplot is held by SignalCleanup, and gnuplot starts with
    // them as a new program has them, not with this program's handlers.
    sigset_t stops, before;
    sigemptyset(&stops);
    for (int stop : kStopSignals) sigaddset(&stops, stop);
    pthread_sigmask(SIG_BLOCK, &stops, &before);
    const pid_t pid = fork();
    if (pid == 0) {
        for (int stop : kStopSignals) {
            struct sigaction action {};
            sigaction(stop, nullptr, &action);
            if (action.sa_handler != SIG_IGN) signal(stop, SIG_DFL);
        }
        signal(SIGPIPE, SIG_DFL);
        sigprocmask(SIG_SETMASK, &before, nullptr);
        if (dup2(script.descriptor(), STDIN_FILENO) < 0 || dup2(picture.descriptor(), STDOUT_FILENO) < 0 ||
            dup2(log.descriptor(), STDERR_FILENO) < 0) {
            _exit(kNotFound);
        }
        execlp("gnuplot", "gnuplot", static_cast<char*>(nullptr));
        _exit(kNotFound);
    }
    const int reason = errno;
    if (pid > 0) SignalCleanup::addProcess(pid);
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
    if (pid < 0) {
        errno = reason;
        return -1;
    }
    return reap(pid);
}

}  // namespace

bool programOnPath(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::stringstream folders(path != nullptr ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        const std::string candidate = (folder.empty() ? "." : folder) + "/" + name;
        struct stat info {};
        if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(candidate.c_str(), X_OK) == 0) {
            return true;
        }
    }
    return false;
}

std::string teamHexColour(int team)
{
    const Colour c = teamColour(team);
    return format("#%02x%02x%02x", c.r, c.g, c.b);
}

bool drawWithGnuplot(const std::string& script, const std::vector<std::pair<std::string, std::string>>& dataBlocks,
                     OutputFile& png, std::string& error)
{
    const MemoryFile input("chart.gp"), picture("chart.png"), log("gnuplot.log");
    if (input.descriptor() < 0 || picture.descriptor() < 0 || log.descriptor() < 0) {
        error = std::string("cannot make the chart's files in memory: ") + std::strerror(errno);
        return false;
    }
    std::string text;
    for (const auto& [name, data] : dataBlocks) text += name + " << EOD\n" + data + "EOD\n";
    if (!input.write(text + script)) {
        error = std::string("cannot write the chart's data in memory: ") + std::strerror(errno);
        return false;
    }
    const int status = runGnuplot(input, picture, log);
    if (status < 0) {
        error = std::string("cannot start gnuplot: ") + std::strerror(errno);
        return false;
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == kNotFound) {
        error = "gnuplot is not on PATH (scripts/install-deps installs it)";
        return false;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::stringstream messages(log.read());
        std::string last, line;
        while (std::getline(messages, line)) {
            if (line.find_first_not_of(" \t^") != std::string::npos) last = line;  // gnuplot's message is last
        }
        error = "gnuplot failed" + (last.empty() ? std::string() : ": " + last);
        return false;
    }
    const std::string bytes = picture.read();
    if (bytes.empty()) {
        error = "gnuplot wrote no chart";
        return false;
    }
    if (!png.write(bytes, error)) {
        error = "cannot write " + png.target() + ": " + error;
        return false;
    }
    return true;
}
