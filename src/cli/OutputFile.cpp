#include "cli/OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "cli/SignalCleanup.h"

namespace {

constexpr int kPartAttempts = 100;          // part names tried before giving up
constexpr int kMostLinks = 40;              // as the kernel follows them
constexpr size_t kLongestPartStem = 200;    // of the name in a part name, which must stay under 255 bytes
constexpr mode_t kPermissionBits = 07777;
constexpr mode_t kNewFileMode = 0666;  // less the umask, as for any new file

std::string folderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

std::string nameOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The name a path ends at once the symbolic links of its last part are followed, whether or
// not a file is there. 0, or the reason it cannot be known.
int followLinks(const std::string& path, std::string& target)
{
    target = path;
    for (int hop = 0; hop <= kMostLinks; ++hop) {
        struct stat info {};
        if (lstat(target.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return 0;
        char link[PATH_MAX];
        const ssize_t length = readlink(target.c_str(), link, sizeof link - 1);
        if (length < 0) return errno;
        link[length] = '\0';
        target = link[0] == '/' ? std::string(link) : folderOf(target) + link;
    }
    return ELOOP;
}

}  // namespace

OutputFile::~OutputFile()
{
    discard();
}

bool OutputFile::open(const std::string& path, std::string& error)
{
    discard();
    if (path.empty()) {
        error = std::strerror(ENOENT);
        return false;
    }
    struct stat existing {};
    if (stat(path.c_str(), &existing) != 0) {
        if (errno != ENOENT) {
            error = std::strerror(errno);
            return false;
        }
        // Nothing there, or a link to nothing: the new file goes where the links end.
        if (const int reason = followLinks(path, target_)) {
            error = std::strerror(reason);
            return false;
        }
        return openPart(nullptr, error);
    }
    if (S_ISDIR(existing.st_mode)) {
        error = std::strerror(EISDIR);
        return false;
    }
    if (S_ISREG(existing.st_mode)) {
        // Replaced under the name the links end at, when that name still leads to this file
        // (a file already deleted, or one reached through /proc, has no such name).
        struct stat found {};
        if (followLinks(path, target_) == 0 && stat(target_.c_str(), &found) == 0 &&
            found.st_dev == existing.st_dev && found.st_ino == existing.st_ino) {
            return openPart(&existing, error);
        }
    }
    target_ = path;
    const int truncate = S_ISREG(existing.st_mode) ? O_TRUNC : 0;
    descriptor_ = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | truncate);
    if (descriptor_ < 0) {
        error = std::strerror(errno);
        return false;
    }
    return true;
}

bool OutputFile::openDescriptor(int descriptor, const std::string& name, std::string& error)
{
    discard();
    descriptor_ = fcntl(descriptor, F_DUPFD_CLOEXEC, 0);
    if (descriptor_ < 0) {
        error = std::strerror(errno);
        return false;
    }
    target_ = name;
    return true;
}

bool OutputFile::openPart(const struct stat* existing, std::string& error)
{
    const std::string stem = folderOf(target_) + "." + nameOf(target_).substr(0, kLongestPartStem) + "." +
                             std::to_string(getpid()) + "-";
    for (int attempt = 0; attempt < kPartAttempts; ++attempt) {
        partPath_ = stem + std::to_string(attempt) + ".part";
        // Held before it exists: a signal right after the file is made still finds it.
        SignalCleanup::addFile(partPath_);
        descriptor_ = ::open(partPath_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
        if (descriptor_ >= 0) break;
        const int reason = errno;
        SignalCleanup::forgetFile(partPath_);
        partPath_.clear();
        if (reason != EEXIST) {
            error = std::strerror(reason);
            return false;
        }
    }
    if (descriptor_ < 0) {
        error = std::strerror(EEXIST);
        return false;
    }
    if (existing != nullptr) fchmod(descriptor_, existing->st_mode & kPermissionBits);
    return true;
}

bool OutputFile::write(const void* data, size_t size, std::string& error)
{
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(descriptor_, bytes, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error = std::strerror(n < 0 ? errno : EIO);
            return false;
        }
        bytes += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool OutputFile::commit(std::string& error)
{
    if (!isOpen()) {
        error = std::strerror(EBADF);
        return false;
    }
    int reason = 0;
    if (replacesTarget() && fsync(descriptor_) != 0) reason = errno;
    if (::close(descriptor_) != 0 && reason == 0) reason = errno;
    descriptor_ = -1;
    if (reason == 0 && replacesTarget() && std::rename(partPath_.c_str(), target_.c_str()) != 0) reason = errno;
    if (reason != 0) {
        error = std::strerror(reason);
        discard();
        return false;
    }
    if (replacesTarget()) SignalCleanup::forgetFile(partPath_);
    partPath_.clear();
    return true;
}

void OutputFile::discard()
{
    closeDescriptor();
    if (!partPath_.empty()) {
        ::unlink(partPath_.c_str());
        SignalCleanup::forgetFile(partPath_);
        partPath_.clear();
    }
}

void OutputFile::closeDescriptor()
{
    if (descriptor_ >= 0) ::close(descriptor_);
    descriptor_ = -1;
}

bool OutputFile::samePlace(const std::string& a, const std::string& b)
{
    struct stat first {};
    struct stat second {};
    if (stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0) {
        return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
    }
    // Not both there: the same name in the same folder, however each was written.
    const auto place = [](const std::string& path) {
        std::string target;
        if (followLinks(path, target) != 0) target = path;
        const std::string folder = folderOf(target);
        char* real = realpath(folder.empty() ? "." : folder.c_str(), nullptr);
        if (real == nullptr) return target;
        const std::string placed = std::string(real) + "/" + nameOf(target);
        std::free(real);
        return placed;
    };
    return place(a) == place(b);
}

bool OutputFile::sameFile(const std::string& path, int descriptor)
{
    struct stat named {};
    struct stat open {};
    return stat(path.c_str(), &named) == 0 && fstat(descriptor, &open) == 0 && named.st_dev == open.st_dev &&
           named.st_ino == open.st_ino;
}
