#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/ClipPalette.h"
#include "cli/OutputFile.h"

struct GifFileType;

// Writes an animated GIF that loops forever, picture by picture, in one global palette.
//
// The file is an OutputFile: a regular file (or a new one) is written under a temporary name in
// its folder and takes its own name only when finish() succeeds, so no half-written file is
// ever found under that name: a writer destroyed unfinished, or one whose writing failed,
// removes its temporary file. A device, a pipe or /dev/stdout is written straight into. Every
// failure throws std::runtime_error with one line that names the path and the reason.
//
// The first picture is stored whole; each later one only as the rectangle around the pixels that
// changed, the unchanged pixels in it transparent, drawn over the previous picture.
class GifClipWriter {
public:
    GifClipWriter(const std::string& path, int width, int height, const ClipPalette& palette);
    ~GifClipWriter();

    GifClipWriter(const GifClipWriter&) = delete;
    GifClipWriter& operator=(const GifClipWriter&) = delete;

    // Adds a picture of width x height palette entries, row after row, shown for the given
    // number of hundredths of a second.
    void add(const std::vector<std::uint8_t>& picture, int delay);

    // Ends the file, writes it to the disk and gives it its name.
    void finish();

private:
    [[noreturn]] void fail(const std::string& reason);
    void check(int gifResult, int gifError);
    void putImage(int left, int top, int width, int height, const std::uint8_t* pixels, int delay, int transparent);
    void discard();
    bool flushBytes();
    static int writeBytes(GifFileType* gif, const std::uint8_t* bytes, int count);

    std::string path_;  // the name the file takes when finished
    int width_, height_;
    OutputFile file_;
    std::string bytes_;  // encoded and not yet written: the encoder hands over a few bytes at a time
    GifFileType* gif_ = nullptr;
    std::string writeError_;             // the reason of the first failed write, empty while none failed
    std::vector<std::uint8_t> shown_;    // what the GIF shows after the pictures so far
    std::vector<std::uint8_t> scratch_;  // the rectangle being written
    bool started_ = false;               // the first picture is written
};
