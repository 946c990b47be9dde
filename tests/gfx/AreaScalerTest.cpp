#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <set>
#include <vector>

#include "gfx/AreaScaler.h"

namespace {

struct Picture {
    int width, height;
    std::vector<std::uint16_t> pixels;
    std::vector<std::uint16_t*> rows;
    Picture(int w, int h, std::uint16_t fill = 0) : width(w), height(h), pixels(static_cast<size_t>(w) * h, fill)
    {
        for (int y = 0; y < h; ++y) rows.push_back(&pixels[static_cast<size_t>(y) * w]);
    }
    void scaleInto(Picture& to, AreaScaler& scaler) const { scaler.update(rows.data(), to.rows.data()); }
};

// The most any channel of the scaled picture is off, in steps, from the mean by area of the picture's
// pixels under it, worked out plainly in floating point (a mean half way may round either way).
int farthestFromTheMean(const Picture& picture, const Picture& scaled)
{
    // The share of pixel i of n under pixel j of m along one axis, in units of pixel j.
    const auto overlap = [](int i, int n, int j, int m) {
        return std::max(0.0, std::min((i + 1.0) / n, (j + 1.0) / m) - std::max(1.0 * i / n, 1.0 * j / m)) * m;
    };
    int farthest = 0;
    for (const int shift : {11, 5, 0}) {
        const auto channel = [shift](unsigned p) { return (p >> shift) & (shift == 5 ? 63u : 31u); };
        for (int j = 0; j < scaled.height; ++j) {
            for (int i = 0; i < scaled.width; ++i) {
                double mean = 0;
                for (int y = j * picture.height / scaled.height; y * scaled.height < (j + 1) * picture.height; ++y) {
                    for (int x = i * picture.width / scaled.width; x * scaled.width < (i + 1) * picture.width; ++x) {
                        mean += overlap(y, picture.height, j, scaled.height) *
                                overlap(x, picture.width, i, scaled.width) * channel(picture.rows[y][x]);
                    }
                }
                farthest = std::max(
                    farthest, static_cast<int>(std::ceil(std::abs(channel(scaled.rows[j][i]) - mean) - 0.5 - 1e-9)));
            }
        }
    }
    return farthest;
}

}  // namespace

// A black picture, a random one held against the mean, then sparse pixels, boxes, a whole new
// picture and at last no change, each against a new scaler given the same picture at once.
TEST(AreaScaler, EachPixelIsTheMeanUnderItAndAPictureAfterAnotherGivesWhatItGivesAlone)
{
    // Sizes, and the steps allowed off the mean: none at the same size and where every boundary
    // falls on a 32nd of a result pixel (3/4 is 1280 x 1024 on a 1366 x 768 desktop).
    const int sizes[][5] = {{160, 128, 120, 96, 0}, {64, 48, 32, 24, 0}, {160, 128, 125, 100, 1}, {160, 128, 48, 39, 1},
                            {37, 23, 11, 7, 1},     {40, 32, 40, 32, 0}, {30, 20, 45, 50, 1},     {130, 90, 97, 67, 1}};
    const int changes[][3] = {{40, 1, 1}, {3, 13, 9}, {1, 999, 999}, {40, 1, 1}, {2, 13, 9}, {0, 0, 0}};
    std::mt19937 random(7), other(11);
    const auto colour = [&other] { return static_cast<std::uint16_t>(other()); };
    for (const auto& [fromWidth, fromHeight, toWidth, toHeight, allowed] : sizes) {
        SCOPED_TRACE(testing::Message() << fromWidth << "x" << fromHeight << " to " << toWidth << "x" << toHeight);
        Picture picture(fromWidth, fromHeight), scaled(toWidth, toHeight, 0x1234);
        AreaScaler scaler(fromWidth, fromHeight, toWidth, toHeight);
        picture.scaleInto(scaled, scaler);
        EXPECT_EQ(scaled.pixels, std::vector<std::uint16_t>(scaled.pixels.size(), 0)) << "a black picture, all written";
        for (auto& p : picture.pixels) p = static_cast<std::uint16_t>(random());
        picture.scaleInto(scaled, scaler);
        EXPECT_LE(farthestFromTheMean(picture, scaled), allowed);
        for (const auto& [boxes, boxWidth, boxHeight] : changes) {
            for (int box = 0; box < boxes; ++box) {
                const int w = std::min(boxWidth, fromWidth), h = std::min(boxHeight, fromHeight);
                const int x0 = static_cast<int>(other() % (fromWidth - w + 1));
                const int y0 = static_cast<int>(other() % (fromHeight - h + 1));
                for (int y = y0; y < y0 + h; ++y) std::generate(picture.rows[y] + x0, picture.rows[y] + x0 + w, colour);
            }
            const std::vector<std::uint16_t> last = scaled.pixels;
            picture.scaleInto(scaled, scaler);
            Picture alone(toWidth, toHeight);
            AreaScaler fresh(fromWidth, fromHeight, toWidth, toHeight);
            picture.scaleInto(alone, fresh);
            ASSERT_EQ(scaled.pixels, alone.pixels);
            // Every result pixel that changed is written, and each once where the picture shrinks.
            const std::set<std::uint32_t> written(scaler.written().begin(), scaler.written().end());
            for (size_t n = 0; n < last.size(); ++n) EXPECT_TRUE(last[n] == scaled.pixels[n] || written.count(n)) << n;
            EXPECT_TRUE(toWidth > fromWidth || written.size() == scaler.written().size());
            EXPECT_TRUE(boxes > 0 || written.empty()) << "no change, nothing written";
        }
    }
}
