#include "lab/LineReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

LineReader::~LineReader()
{
    if (owned_) close(descriptor_);
}

bool LineReader::open(const std::string& path, std::string& error)
{
    const bool standardInput = path == "-";
    name_ = standardInput ? "standard input" : path;
    descriptor_ = standardInput ? STDIN_FILENO : ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    owned_ = !standardInput && descriptor_ >= 0;
    struct stat identity {};
    if (descriptor_ < 0 || fstat(descriptor_, &identity) != 0) {
        error = "cannot read " + name_ + ": " + std::strerror(errno);
        return false;
    }
    if (S_ISDIR(identity.st_mode)) {  // some systems let a folder be opened and read
        error = "cannot read " + name_ + ": " + std::strerror(EISDIR);
        return false;
    }
    return true;
}

bool LineReader::fill()
{
    if (atEnd_) return false;
    start_ = 0;
    end_ = 0;
    for (;;) {
        const ssize_t n = read(descriptor_, buffer_, sizeof buffer_);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) error_ = "cannot read " + name_ + ": " + std::strerror(errno);
        if (n <= 0) {
            atEnd_ = true;
            return false;
        }
        end_ = static_cast<size_t>(n);
        return true;
    }
}

LineReader::Result LineReader::next(std::string& line)
{
    line.clear();
    bool any = false;  // something of a line was seen: the last line may have no end
    for (;;) {
        if (start_ == end_ && !fill()) {
            if (!error_.empty()) return Result::kFailed;
            if (!any) return Result::kEnd;
            ++number_;
            return Result::kLine;
        }
        any = true;
        const char* from = buffer_ + start_;
        const void* found = std::memchr(from, '\n', end_ - start_);
        const size_t length = found != nullptr ? static_cast<size_t>(static_cast<const char*>(found) - from) : end_ - start_;
        if (line.size() + length > kLongestLine) {
            ++number_;
            return Result::kTooLong;
        }
        line.append(from, length);
        start_ += length;
        if (found != nullptr) {
            ++start_;
            ++number_;
            return Result::kLine;
        }
    }
}
