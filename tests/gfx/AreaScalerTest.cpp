// The area average against its definition, worked out plainly in floating point, and the
// scaler that keeps the last picture against a new scaler given the same picture at once.

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

// The share of picture pixel i (of from) under result pixel j (of to), along one axis.
double overlap(int i, int from, int j, int to)
{
    const double low = std::max(static_cast<double>(i) / from, static_cast<double>(j) / to);
    return std::max(0.0, std::min(static_cast<double>(i + 1) / from, static_cast<double>(j + 1) / to) - low) * to;
}

// The largest difference, in steps of any channel, between the scaled picture and the mean of
// the picture's channels under every result pixel, by area. A mean half way is rounded up; the
// floating point may put it a hair off.
int farthestFromTheMean(const Picture& picture, const Picture& scaled)
{
    int farthest = 0;
    for (int j = 0; j < scaled.height; ++j) {
        for (int i = 0; i < scaled.width; ++i) {
            double mean[3] = {};
            for (int y = 0; y < picture.height; ++y) {
                for (int x = 0; x < picture.width; ++x) {
                    const double w = overlap(y, picture.height, j, scaled.height) * overlap(x, picture.width, i, scaled.width);
                    const unsigned p = picture.rows[y][x];
                    const unsigned channel[3] = {p >> 11, (p >> 5) & 63, p & 31};
                    for (int c = 0; c < 3; ++c) mean[c] += w * channel[c];
                }
            }
            const unsigned got = scaled.rows[j][i];
            const unsigned channel[3] = {got >> 11, (got >> 5) & 63, got & 31};
            for (int c = 0; c < 3; ++c) {
                farthest = std::max(farthest, static_cast<int>(std::ceil(std::abs(channel[c] - mean[c]) - 0.5 - 1e-9)));
            }
        }
    }
    return farthest;
}

}  // namespace

TEST(AreaScaler, EveryResultPixelIsTheMeanOfThePicturePixelsUnderIt)
{
    struct {
        int fromWidth, fromHeight, toWidth, toHeight;
        int steps;  // allowed off the mean: 0 where every boundary falls on a 32nd of a result pixel
    } const cases[] = {
        {160, 128, 120, 96, 0},  // 3/4, as 1280 x 1024 on a 1366 x 768 desktop
        {64, 48, 32, 24, 0},     {160, 128, 125, 100, 1}, {160, 128, 48, 39, 1}, {37, 23, 11, 7, 1},
        {40, 32, 40, 32, 0},     // the same size: the picture as it is
        {30, 20, 45, 50, 1},     // larger
    };
    std::mt19937 random(7);
    for (const auto& sizes : cases) {
        Picture picture(sizes.fromWidth, sizes.fromHeight);
        for (auto& p : picture.pixels) p = static_cast<std::uint16_t>(random());
        Picture scaled(sizes.toWidth, sizes.toHeight, 0xabcd);
        AreaScaler scaler(sizes.fromWidth, sizes.fromHeight, sizes.toWidth, sizes.toHeight);
        picture.scaleInto(scaled, scaler);
        EXPECT_LE(farthestFromTheMean(picture, scaled), sizes.steps) << sizes.toWidth << "x" << sizes.toHeight;
        if (sizes.fromWidth == sizes.toWidth) {
            EXPECT_EQ(scaled.pixels, picture.pixels) << "the same size";
        }
    }
}

TEST(AreaScaler, APictureAfterAnotherGivesWhatItGivesAloneAndWritesEveryPixelItChanges)
{
    constexpr int kFromWidth = 130, kFromHeight = 90, kToWidth = 97, kToHeight = 67;
    std::mt19937 random(11);
    Picture picture(kFromWidth, kFromHeight);
    Picture scaled(kToWidth, kToHeight, 0x1234);
    AreaScaler scaler(kFromWidth, kFromHeight, kToWidth, kToHeight);
    picture.scaleInto(scaled, scaler);
    EXPECT_EQ(scaled.pixels, std::vector<std::uint16_t>(scaled.pixels.size(), 0)) << "a black picture, all written";

    // Sparse changes, boxes, a whole new picture, and at last nothing at all.
    for (int step = 0; step < 12; ++step) {
        if (step == 5) {
            for (auto& p : picture.pixels) p = static_cast<std::uint16_t>(random());
        } else if (step % 3 == 1) {
            const int x0 = static_cast<int>(random() % kFromWidth), y0 = static_cast<int>(random() % kFromHeight);
            const auto colour = static_cast<std::uint16_t>(random());
            for (int y = y0; y < std::min(kFromHeight, y0 + 9); ++y) {
                std::fill(picture.rows[y] + x0, picture.rows[y] + std::min(kFromWidth, x0 + 13), colour);
            }
        } else if (step != 11) {
            for (int n = 0; n < 40; ++n) picture.pixels[random() % picture.pixels.size()] = static_cast<std::uint16_t>(random());
        }
        // Any pixel left unwritten keeps a mark, and takes its old value back if not written.
        const std::vector<std::uint16_t> before = scaled.pixels;
        std::fill(scaled.pixels.begin(), scaled.pixels.end(), 0xdead);
        picture.scaleInto(scaled, scaler);
        const std::set<std::uint32_t> written(scaler.written().begin(), scaler.written().end());
        EXPECT_EQ(written.size(), scaler.written().size()) << "step " << step << ": each pixel once";
        for (size_t at = 0; at < scaled.pixels.size(); ++at) {
            if (written.count(static_cast<std::uint32_t>(at)) == 0) scaled.pixels[at] = before[at];
        }
        Picture alone(kToWidth, kToHeight);
        AreaScaler fresh(kFromWidth, kFromHeight, kToWidth, kToHeight);
        picture.scaleInto(alone, fresh);
        ASSERT_EQ(scaled.pixels, alone.pixels) << "step " << step;
        EXPECT_EQ(written.empty(), step == 11) << "step " << step;
    }
}
