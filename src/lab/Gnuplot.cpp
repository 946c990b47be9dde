#include "lab/Gnuplot.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "cli/OutputFile.h"
#include "lab/Format.h"
#include "units/Entity.h"

namespace {

bool writeFile(const std::string& path, const std::string& text)
{
    std::ofstream file(path, std::ios::binary);
    file << text;
    return static_cast<bool>(file.flush());
}

bool copyInto(const std::string& from, OutputFile& to, std::string& error)
{
    std::ifstream in(from, std::ios::binary);
    std::ostringstream bytes;
    if (in.is_open()) bytes << in.rdbuf();
    if (bytes.str().empty()) {
        error = "gnuplot wrote no chart";
        return false;
    }
    if (!to.write(bytes.str(), error)) {
        error = "cannot write " + to.target() + ": " + error;
        return false;
    }
    return true;
}

// Runs gnuplot on the script in folder; its messages go to gnuplot.log there.
bool runGnuplot(const std::string& folder, std::string& error)
{
    const pid_t pid = fork();
    if (pid < 0) {
        error = std::string("cannot start gnuplot: ") + std::strerror(errno);
        return false;
    }
    if (pid == 0) {
        if (chdir(folder.c_str()) != 0) _exit(126);
        std::FILE* log = std::freopen("gnuplot.log", "w", stderr);
        if (log == nullptr) _exit(126);
        execlp("gnuplot", "gnuplot", "chart.gp", static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 127) {
        error = "gnuplot is not installed (scripts/install-deps installs it)";
        return false;
    }
    std::ifstream log(folder + "/gnuplot.log");
    std::string first, line;
    while (std::getline(log, line)) {
        if (line.find_first_not_of(" \t^") != std::string::npos) first = line;  // gnuplot's message is last
    }
    error = "gnuplot failed" + (first.empty() ? std::string() : ": " + first);
    return false;
}

void removeFolder(const std::string& folder, const std::vector<std::string>& names)
{
    for (const std::string& name : names) std::remove((folder + "/" + name).c_str());
    rmdir(folder.c_str());
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

bool drawWithGnuplot(const std::string& script, const std::vector<std::pair<std::string, std::string>>& dataFiles,
                     OutputFile& png, std::string& error)
{
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/battle-lab.XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        error = std::string("cannot make a temporary folder: ") + std::strerror(errno);
        return false;
    }
    const std::string folder = pattern;
    std::vector<std::string> names = {"chart.gp", "chart.png", "gnuplot.log"};
    bool ok = writeFile(folder + "/chart.gp", script);
    for (const auto& [name, text] : dataFiles) {
        names.push_back(name);
        ok = ok && writeFile(folder + "/" + name, text);
    }
    if (!ok) error = "cannot write the chart's data in " + folder;
    ok = ok && runGnuplot(folder, error) && copyInto(folder + "/chart.png", png, error);
    removeFolder(folder, names);
    return ok;
}
