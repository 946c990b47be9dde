#include "app/GifClipWriter.h"

#include <gif_lib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace {
constexpr int kColourResolution = 8;  // bits per channel of the palette
constexpr size_t kWriteSize = 65536;  // bytes gathered before each write

// "NETSCAPE2.0" with a loop count of 0: browsers and viewers loop the pictures forever.
constexpr char kLoopApplication[] = "NETSCAPE2.0";
constexpr std::uint8_t kLoopForever[] = {1, 0, 0};

std::string gifReason(int gifError)
{
    const char* text = GifErrorString(gifError);
    return text != nullptr ? text : "GIF encoder error " + std::to_string(gifError);
}

}  // namespace

GifClipWriter::GifClipWriter(const std::string& path, int width, int height, const ClipPalette& palette)
    : path_(path), width_(width), height_(height)
{
    std::string reason;
    if (path == "-") {
        // Standard output, as a pipe or a file it was sent to; a terminal would only show noise.
        path_ = "standard output";
        if (isatty(STDOUT_FILENO) != 0) fail("it is a terminal");
        if (!file_.openDescriptor(STDOUT_FILENO, path_, reason)) fail(reason);
    } else if (!file_.open(path, reason)) {
        fail(reason);
    }

    int error = 0;
    gif_ = EGifOpen(this, writeBytes, &error);
    if (gif_ == nullptr) fail(gifReason(error));
    GifColorType colours[ClipPalette::kColours];
    for (int entry = 0; entry < ClipPalette::kColours; ++entry) {
        const ClipPalette::Rgb& c = palette.colours()[static_cast<size_t>(entry)];
        colours[entry] = {c.r, c.g, c.b};
    }
    ColorMapObject* map = GifMakeMapObject(ClipPalette::kColours, colours);
    if (map == nullptr) fail(strerror(ENOMEM));
    EGifSetGifVersion(gif_, true);
    const int written = EGifPutScreenDesc(gif_, width, height, kColourResolution, 0, map);
    GifFreeMapObject(map);
    check(written, gif_->Error);
    check(EGifPutExtensionLeader(gif_, APPLICATION_EXT_FUNC_CODE), gif_->Error);
    check(EGifPutExtensionBlock(gif_, sizeof kLoopApplication - 1, kLoopApplication), gif_->Error);
    check(EGifPutExtensionBlock(gif_, sizeof kLoopForever, kLoopForever), gif_->Error);
    check(EGifPutExtensionTrailer(gif_), gif_->Error);
}

GifClipWriter::~GifClipWriter()
{
    discard();
}

void GifClipWriter::add(const std::vector<std::uint8_t>& picture, int delay)
{
    if (picture.size() != static_cast<size_t>(width_) * static_cast<size_t>(height_)) {
        fail("a picture of the wrong size");
    }
    if (!started_) {
        putImage(0, 0, width_, height_, picture.data(), delay, NO_TRANSPARENT_COLOR);
        shown_ = picture;
        started_ = true;
        return;
    }

    // The rectangle around every pixel that changed.
    int top = height_, bottom = -1, left = width_, right = -1;
    for (int y = 0; y < height_; ++y) {
        const std::uint8_t* now = picture.data() + static_cast<size_t>(y) * width_;
        const std::uint8_t* before = shown_.data() + static_cast<size_t>(y) * width_;
        if (std::memcmp(now, before, static_cast<size_t>(width_)) == 0) continue;
        top = std::min(top, y);
        bottom = y;
        int first = 0;
        while (now[first] == before[first]) ++first;
        int last = width_ - 1;
        while (now[last] == before[last]) --last;
        left = std::min(left, first);
        right = std::max(right, last);
    }
    if (bottom < 0) {
        // Nothing changed: one transparent pixel still carries the picture's time.
        const std::uint8_t nothing = ClipPalette::kTransparent;
        putImage(0, 0, 1, 1, &nothing, delay, ClipPalette::kTransparent);
        return;
    }

    const int width = right - left + 1;
    const int height = bottom - top + 1;
    scratch_.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    std::uint8_t* out = scratch_.data();
    for (int y = top; y <= bottom; ++y) {
        const size_t row = static_cast<size_t>(y) * width_;
        for (int x = left; x <= right; ++x) {
            const std::uint8_t now = picture[row + x];
            std::uint8_t& before = shown_[row + x];
            *out++ = now == before ? ClipPalette::kTransparent : now;
            before = now;
        }
    }
    putImage(left, top, width, height, scratch_.data(), delay, ClipPalette::kTransparent);
}

void GifClipWriter::putImage(int left, int top, int width, int height, const std::uint8_t* pixels, int delay,
                             int transparent)
{
    GraphicsControlBlock control{};
    control.DisposalMode = DISPOSE_DO_NOT;  // the next picture is drawn over this one
    control.UserInputFlag = false;
    control.DelayTime = delay;
    control.TransparentColor = transparent;
    GifByteType extension[4];
    const size_t length = EGifGCBToExtension(&control, extension);
    check(EGifPutExtension(gif_, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension), gif_->Error);
    check(EGifPutImageDesc(gif_, left, top, width, height, false, nullptr), gif_->Error);
    for (int y = 0; y < height; ++y) {
        // The encoder reads the row but takes it through a non-const pointer.
        auto* row = const_cast<GifPixelType*>(pixels + static_cast<size_t>(y) * width);
        check(EGifPutLine(gif_, row, width), gif_->Error);
    }
}

void GifClipWriter::finish()
{
    if (!started_) fail("no picture to write");
    int error = 0;
    GifFileType* gif = gif_;
    gif_ = nullptr;
    if (EGifCloseFile(gif, &error) != GIF_OK) fail(gifReason(error));
    // The encoder does not check the write of its closing byte; the last bytes are written here.
    if (!writeError_.empty() || !flushBytes()) fail(writeError_);
    std::string reason;
    if (!file_.commit(reason)) fail(reason);
}

void GifClipWriter::fail(const std::string& reason)
{
    discard();
    throw std::runtime_error("cannot write " + path_ + ": " + reason);
}

void GifClipWriter::check(int gifResult, int gifError)
{
    if (gifResult == GIF_OK) return;
    // A failed write says more than the encoder's own code for it.
    fail(!writeError_.empty() ? writeError_ : gifReason(gifError));
}

void GifClipWriter::discard()
{
    if (gif_ != nullptr) {
        int ignored = 0;
        EGifCloseFile(gif_, &ignored);
        gif_ = nullptr;
    }
    file_.discard();
    bytes_.clear();
}

bool GifClipWriter::flushBytes()
{
    if (!file_.write(bytes_, writeError_)) return false;
    bytes_.clear();
    return true;
}

int GifClipWriter::writeBytes(GifFileType* gif, const std::uint8_t* bytes, int count)
{
    auto* writer = static_cast<GifClipWriter*>(gif->UserData);
    if (!writer->writeError_.empty()) return 0;
    writer->bytes_.append(reinterpret_cast<const char*>(bytes), static_cast<size_t>(count));
    if (writer->bytes_.size() >= kWriteSize && !writer->flushBytes()) return 0;
    return count;
}
