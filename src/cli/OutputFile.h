#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <string>

// A file that a program writes as a whole. An existing regular file, or a name where nothing
// is yet, is written under a temporary name beside it (".NAME.PID-N.part", so the rename stays
// on one file system) and takes the name only on commit(): until then the old file is left
// alone, and two writers leave one complete file, not a mix. The part file keeps the
// permission bits of the file it replaces. A symbolic link is followed: the file it points to
// is replaced and the link stays.
//
// A name that is something else (a device, a pipe, a socket, /dev/stdout on a pipe) is written
// straight into, so a device stays a device and a reader at the other end of a pipe gets the
// bytes as they come. A folder is refused.
//
// Until it is committed or discarded, the part file is held by SignalCleanup, so that a
// second stop signal removes it too.
class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();  // discards what is not committed

    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // ---- the life of a file ----
    // Opens the file for path. On failure returns false with the reason (strerror) in error.
    bool open(const std::string& path, std::string& error);
    // Writes straight into what an open descriptor leads to (standard output), through a copy
    // of it; name is the target's name in messages. On failure returns false with the reason.
    bool openDescriptor(int descriptor, const std::string& name, std::string& error);
    // Writes all of data, going on after a signal. On failure returns false with the reason.
    bool write(const void* data, size_t size, std::string& error);
    bool write(const std::string& text, std::string& error) { return write(text.data(), text.size(), error); }
    // Writes the file to the disk and gives it its name; closes it either way.
    bool commit(std::string& error);
    // Closes the file and removes the part file; the name keeps what it had.
    void discard();

    // ---- what it is ----
    bool isOpen() const { return descriptor_ >= 0; }
    bool replacesTarget() const { return !partPath_.empty(); }  // false: written straight into
    const std::string& target() const { return target_; }       // the name the file takes
    const std::string& partPath() const { return partPath_; }   // empty when written straight

    // Whether two names lead to one file (or one place for a file), links followed.
    static bool samePlace(const std::string& a, const std::string& b);
    // Whether a name leads to the file an open descriptor leads to (/dev/stdout and the file
    // that standard output was sent to both lead to standard output's).
    static bool sameFile(const std::string& path, int descriptor);

private:
    bool openPart(const struct stat* existing, std::string& error);
    void closeDescriptor();

    std::string target_;    // the regular file's name, links followed; or the name as given
    std::string partPath_;  // the name written under; empty when written straight
    int descriptor_ = -1;
};
