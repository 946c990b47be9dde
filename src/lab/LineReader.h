#pragma once

#include <cstddef>
#include <string>

// Reads a file, or standard input for "-", line by line. A line longer than the bound is not
// kept but reported, so that no input, however long its lines, holds more memory than the
// bound and a buffer.
class LineReader {
public:
    static constexpr size_t kLongestLine = 64 * 1024;  // bytes, without the line end

    enum class Result {
        kLine,     // line holds the next line, without its end
        kEnd,      // no more lines
        kTooLong,  // the line has more than kLongestLine bytes
        kFailed,   // it could not be read: error() says why
    };

    LineReader() = default;
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // Opens path ("-" for standard input). On failure returns false with "cannot read PATH:
    // reason" in error.
    bool open(const std::string& path, std::string& error);
    Result next(std::string& line);

    long lineNumber() const { return number_; }  // of the line last read, from 1
    const std::string& error() const { return error_; }
    // The path as messages name it: "standard input" for "-".
    const std::string& name() const { return name_; }

private:
    bool fill();  // reads more into the buffer; false at the end or on failure

    int descriptor_ = -1;
    bool owned_ = false;  // opened here, closed here (standard input is not)
    std::string name_;
    char buffer_[16384];
    size_t start_ = 0;  // of what is not yet taken in the buffer
    size_t end_ = 0;
    bool atEnd_ = false;
    long number_ = 0;
    std::string error_;
};
