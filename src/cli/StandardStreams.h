#pragma once

// Standard input, output and error as the process found them. A program started with one of
// descriptors 0, 1 and 2 closed (`prog >&-`) would hand that number to the first file or
// socket it opens, and whatever it prints would go there: into a job's socket, into the file
// being written. So the first thing main does is put /dev/null on every one that is closed,
// and remember which they were.
class StandardStreams {
public:
    static constexpr int kCount = 3;  // standard input, output and error

    // Opens /dev/null on each of 0, 1 and 2 that is closed. Call before anything is opened.
    static StandardStreams openMissing();

    bool complete() const { return complete_; }                            // all three are open now
    bool wasClosed(int descriptor) const { return closed_[descriptor]; }  // before openMissing

private:
    bool closed_[kCount] = {};  // per descriptor: it was closed at the start
    bool complete_ = true;      // false when /dev/null could not be opened for one
};
