#pragma once

#include <cstdint>
#include <vector>

// Scales pictures of 16-bit pixels (red in the top 5 bits, green in the middle 6, blue in the
// low 5) from one size to another by area averaging: every pixel of the result is the mean of
// the picture's pixels under it, each weighted by the share of its area that lies there (in
// 32nds of a result pixel along each axis), rounded to the nearest 16-bit colour. Shrunk so, a
// row or column one pixel thin still shows, lighter, where picking the nearest pixel would
// drop some of them and cut letters into other letters.
//
// Pictures come one after another, as the frames of a battle do, and most of a frame is the
// frame before: the scaler keeps the last picture and the weighted sums under every result
// pixel, and a new picture costs a comparison plus work for the pixels that changed only.
// The result is the same as the first picture's would be, to the bit: the sums are whole
// numbers, three channels side by side in one 64-bit number per result pixel.
class AreaScaler {
public:
    AreaScaler(int fromWidth, int fromHeight, int toWidth, int toHeight);  // every size at least 1

    int fromWidth() const { return fromWidth_; }
    int fromHeight() const { return fromHeight_; }
    int toWidth() const { return toWidth_; }
    int toHeight() const { return toHeight_; }

    // Takes the next picture, from: fromHeight rows (the addresses of their first pixels) of
    // fromWidth pixels, so that both plain buffers and the graphics library's bitmaps can be
    // read. Writes into to (toHeight rows of toWidth pixels) every result pixel the change
    // from the last picture reaches, and all of them the first time.
    void update(const std::uint16_t* const* from, std::uint16_t* const* to);

    // The result pixels the last update wrote, as y x toWidth + x (each once when the picture
    // shrinks).
    const std::vector<std::uint32_t>& written() const { return written_; }

private:
    // The result pixels a picture pixel lies under along one axis (at most two when the
    // picture shrinks), with the units of it that lie under each.
    struct Span {
        int first;   // the first result pixel
        int count;   // how many, from first on
        int weight;  // where their weights start in Axis::weights
    };
    struct Axis {
        std::vector<Span> spans;            // per picture pixel
        std::vector<std::uint8_t> weights;  // of every span
    };
    // Changes on their way into sums_, by result column: those of the picture row being
    // compared, summed along it, then those of a result row, so that a result pixel's sum is
    // read and written once per picture however many of the pixels under it changed.
    struct Changes {
        int row = -1;                        // the result row, or -1 for none
        std::vector<std::uint64_t> sums;     // per result column
        std::vector<std::uint8_t> marked;    // per result column: in columns
        std::vector<int> columns;            // those with a change
        explicit Changes(int width) : sums(width, 0), marked(width, 0) {}
        void add(int column, std::uint64_t change)
        {
            if (marked[column] == 0) {
                marked[column] = 1;
                columns.push_back(column);
            }
            sums[column] += change;
        }
    };
    static Axis axisOf(int from, int to);
    void change(int x, std::uint64_t difference);  // picture pixel x of the row compared
    void endRow(int y);                           // picture row y compared
    void settle(Changes& row);                    // a result row's changes into sums_ and to_

    int fromWidth_, fromHeight_, toWidth_, toHeight_;
    Axis columns_;                       // per picture column
    Axis rows_;                          // per picture row
    std::vector<std::uint16_t> last_;    // the last picture, row after row; black at first
    std::vector<std::uint64_t> sums_;    // per result pixel
    std::uint16_t* const* to_ = nullptr; // the result rows, during update
    Changes alongRow_;                   // of the picture row being compared
    Changes resultRows_[2];              // of two result rows, by the row's parity
    std::vector<std::uint32_t> written_;
    bool fresh_ = true;  // nothing written yet
};
