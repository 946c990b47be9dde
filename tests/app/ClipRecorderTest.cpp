#include <fstream>
#include <iterator>
#include <allegro.h>
#include <gif_lib.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "game/Battle.h"
#include "app/ClipPalette.h"
#include "app/ClipRecorder.h"
#include "game/Countdown.h"
#include "game/FrameRender.h"
#include "support/DrawnWorldTest.h"
#include "units/Base.h"
#include "world/Random.h"

namespace fs = std::filesystem;

namespace {

constexpr unsigned kSeed = 11;

UnitCounts smallArmies()
{
    return UnitCounts::bothSides(12, 4, 4);
}

struct GifCloser {
    void operator()(GifFileType* gif) const { DGifCloseFile(gif, nullptr); }
};
using Gif = std::unique_ptr<GifFileType, GifCloser>;

Gif readGif(const fs::path& path)
{
    int error = 0;
    Gif gif(DGifOpenFileName(path.c_str(), &error));
    EXPECT_NE(gif, nullptr) << path;
    if (gif != nullptr) {
        EXPECT_EQ(DGifSlurp(gif.get()), GIF_OK);
    }
    return gif;
}

// Every picture of a clip as a viewer shows it: each drawn over the one before.
std::vector<std::vector<std::uint8_t>> shownPictures(const GifFileType& gif)
{
    std::vector<std::vector<std::uint8_t>> shown;
    std::vector<std::uint8_t> screen(static_cast<size_t>(gif.SWidth * gif.SHeight), 0);
    for (int n = 0; n < gif.ImageCount; ++n) {
        const SavedImage& image = gif.SavedImages[n];
        GraphicsControlBlock control{};
        DGifSavedExtensionToGCB(const_cast<GifFileType*>(&gif), n, &control);
        const GifImageDesc& d = image.ImageDesc;
        for (int y = 0; y < d.Height; ++y) {
            for (int x = 0; x < d.Width; ++x) {
                const int entry = image.RasterBits[y * d.Width + x];
                if (entry != control.TransparentColor) screen[(d.Top + y) * gif.SWidth + d.Left + x] = entry;
            }
        }
        shown.push_back(screen);
    }
    return shown;
}

class ClipRecorderTest : public DrawnWorldTest {
protected:
    void SetUp() override
    {
        DrawnWorldTest::SetUp();
        std::string pattern = (fs::temp_directory_path() / "clip-test-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
    }
    void TearDown() override
    {
        fs::remove_all(folder_);
        DrawnWorldTest::TearDown();
    }

    std::string record(const fs::path& path, int frames, const ClipProgress& progress = nullptr)
    {
        return recordClip({path.string(), frames, kSeed, smallArmies()}, progress);
    }

    std::vector<fs::path> filesIn(const fs::path& folder) const
    {
        std::vector<fs::path> found;
        for (const auto& entry : fs::directory_iterator(folder)) found.push_back(entry.path().filename());
        return found;
    }

    fs::path folder_;
};

TEST_F(ClipRecorderTest, WritesHalfSizePicturesEveryOtherFrameLoopingForever)
{
    const fs::path path = folder_ / "clip.gif";
    ASSERT_EQ(record(path, 5), "");
    EXPECT_EQ(filesIn(folder_), std::vector<fs::path>{"clip.gif"});
    Gif gif = readGif(path);
    ASSERT_NE(gif, nullptr);
    EXPECT_EQ(gif->SWidth, 640);
    EXPECT_EQ(gif->SHeight, 512);
    ASSERT_EQ(gif->ImageCount, 3);  // after frames 1, 3 and 5
    const SavedImage& first = gif->SavedImages[0];
    EXPECT_EQ(first.ImageDesc.Width, 640);
    EXPECT_EQ(first.ImageDesc.Height, 512);

    bool loops = false;
    for (int n = 0; n + 1 < first.ExtensionBlockCount; ++n) {
        const ExtensionBlock& app = first.ExtensionBlocks[n];
        const ExtensionBlock& data = first.ExtensionBlocks[n + 1];
        loops = loops || (app.Function == APPLICATION_EXT_FUNC_CODE && app.ByteCount == 11 &&
                          std::string(reinterpret_cast<char*>(app.Bytes), 11) == "NETSCAPE2.0" && data.ByteCount == 3 &&
                          data.Bytes[0] == 1 && data.Bytes[1] == 0 && data.Bytes[2] == 0);
    }
    EXPECT_TRUE(loops) << "no NETSCAPE2.0 extension with a loop count of 0 before the first picture";

    const int delays[] = {3, 3, 4};
    for (int n = 0; n < 3; ++n) {
        GraphicsControlBlock control{};
        ASSERT_EQ(DGifSavedExtensionToGCB(gif.get(), n, &control), GIF_OK);
        EXPECT_EQ(control.DelayTime, delays[n]) << "picture " << n;
    }
}

TEST_F(ClipRecorderTest, FirstPictureShowsTheSeedsTerrainAndBothBases)
{
    const fs::path path = folder_ / "clip.gif";
    ASSERT_EQ(record(path, 1), "");
    Gif gif = readGif(path);
    ASSERT_NE(gif, nullptr);
    ASSERT_EQ(gif->ImageCount, 1);
    const std::vector<std::uint8_t> picture = shownPictures(*gif).at(0);
    auto colourAt = [&](int x, int y) { return gif->SColorMap->Colors[picture[y * 640 + x]]; };

    Random terrainDraws(kSeed);
    Battlefield terrain;
    terrain.generateTerrain(terrainDraws);
    // The same battle after its first frame, to leave out the cells something is drawn on.
    Battle battle(smallArmies(), kSeed);
    battle.frame();
    std::vector<bool> covered(kColumns * kRows, false);
    auto cover = [&](int cx, int cy) {
        for (int x = cx - 1; x <= cx + 1; ++x) {
            for (int y = cy - 1; y <= cy + 1; ++y) {
                if (x >= 0 && y >= 0 && x < kColumns && y < kRows) covered[x * kRows + y] = true;
            }
        }
    };
    for (const auto& object : battle.field().objects) cover(object->x, object->y);
    for (int x = 36; x <= 52; ++x) cover(x, 2);   // the countdown text
    for (int x = 34; x <= 45; ++x) cover(x, 62);  // the exit hint

    int checked = 0;
    for (int x = 0; x < kColumns; ++x) {
        for (int y = 0; y < kRows; ++y) {
            if (covered[x * kRows + y]) continue;
            const int grey = 16 * terrain.heightAt(static_cast<float>(x), static_cast<float>(y));
            const GifColorType c = colourAt(8 * x + 4, 8 * y + 4);
            ASSERT_TRUE(c.Red == grey && c.Green == grey && c.Blue == grey)
                << "cell " << x << "," << y << " is " << int{c.Red} << "," << int{c.Green} << "," << int{c.Blue}
                << ", not the grey " << grey;
            ++checked;
        }
    }
    EXPECT_GT(checked, kColumns * kRows / 2);

    for (const Base* base : objectsOf<Base>(battle.field())) {
        int teamPixels = 0;
        for (int y = 8 * base->y; y < 8 * base->y + 8; ++y) {
            for (int x = 8 * base->x; x < 8 * base->x + 8; ++x) {
                const GifColorType c = colourAt(x, y);
                teamPixels += base->team == 0 ? (c.Red == 255 && c.Green == 0 && c.Blue == 0)
                                              : (c.Red == 0 && c.Green == 0 && c.Blue == 255);
            }
        }
        EXPECT_GE(teamPixels, 10) << "base of team " << base->team;
    }
}

TEST_F(ClipRecorderTest, PicturesShowTheFramesAsDrawn)
{
    const fs::path path = folder_ / "clip.gif";
    std::vector<int> reported;
    ASSERT_EQ(record(path, 40,
                     [&](int done, int total, bool finished) {
                         EXPECT_EQ(total, 40);
                         reported.push_back(finished ? -done : done);
                     }),
              "");
    ASSERT_EQ(reported.size(), 41u);
    EXPECT_EQ(reported[0], 1);
    EXPECT_EQ(reported[39], 40);
    EXPECT_EQ(reported[40], -40);

    Gif gif = readGif(path);
    ASSERT_NE(gif, nullptr);
    const auto shown = shownPictures(*gif);
    ASSERT_EQ(shown.size(), 20u);
    const ClipPalette palette;
    std::vector<std::uint8_t> expected;
    Battle battle(smallArmies(), kSeed);
    for (int frame = 1; frame <= 40; ++frame) {
        battle.frame();
        if (frame % 2 == 0) continue;
        renderFrame(battle.field(), canvas());
        drawCountdownText(surface(), battle.reinforcementTimer());
        palette.shrink(bitmap(), expected);
        ASSERT_TRUE(shown[frame / 2] == expected) << "picture " << frame / 2 << " (after frame " << frame << ")";
    }
    EXPECT_NE(shown.front(), shown.back());
}

// With the odds, each picture has the bar across its top (rows 9 to 20, 4 to 10 at half size)
// and nothing else of its own; the odds are worked out before each picture, so a clip recorded
// again is the same file, byte for byte.
TEST_F(ClipRecorderTest, AClipWithTheOddsIsTheSameEveryTimeAndDiffersOnlyInTheBar)
{
    const int kFrames = 121;  // the moments 0, 60 and 120
    auto readBytes = [](const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::vector<char>(std::istreambuf_iterator<char>(in), {});
    };
    for (const char* name : {"odds.gif", "again.gif"}) {
        ASSERT_EQ(recordClip({(folder_ / name).string(), kFrames, kSeed, smallArmies(), 0, true}), "");
    }
    ASSERT_EQ(record(folder_ / "plain.gif", kFrames), "");
    EXPECT_TRUE(readBytes(folder_ / "odds.gif") == readBytes(folder_ / "again.gif"));
    Gif odds = readGif(folder_ / "odds.gif");
    Gif plain = readGif(folder_ / "plain.gif");
    ASSERT_NE(odds, nullptr);
    ASSERT_NE(plain, nullptr);
    const auto withOdds = shownPictures(*odds);
    const auto without = shownPictures(*plain);
    ASSERT_EQ(withOdds.size(), without.size());
    for (size_t n = 0; n < withOdds.size(); ++n) {
        int inBar = 0;
        int elsewhere = 0;
        for (size_t i = 0; i < withOdds[n].size(); ++i) {
            if (withOdds[n][i] == without[n][i]) continue;
            const size_t row = i / 640;
            (row >= 4 && row <= 10 ? inBar : elsewhere) += 1;
        }
        EXPECT_GT(inBar, 200) << "picture " << n;
        EXPECT_EQ(elsewhere, 0) << "picture " << n;
    }
}

// A clip shows what the program shows: once the base has fallen, the results panel too.
TEST_F(ClipRecorderTest, AClipOfABattleThatEndsShowsItsResults)
{
    const UnitCounts redOnly{300, 0, 50, 0, 50, 0};  // the blue base falls in frame 589
    const fs::path path = folder_ / "clip.gif";
    ASSERT_EQ(recordClip({path.string(), 591, kSeed, redOnly}), "");
    Gif gif = readGif(path);
    ASSERT_NE(gif, nullptr);
    const auto shown = shownPictures(*gif);
    ASSERT_EQ(shown.size(), 296u);

    Battle battle(redOnly, kSeed);
    for (int frame = 1; frame <= 591; ++frame) battle.frame();
    ASSERT_TRUE(battle.over());
    drawBattleFrame(battle, canvas());
    std::vector<std::uint8_t> expected;
    ClipPalette().shrink(bitmap(), expected);
    EXPECT_TRUE(shown.back() == expected);
    renderFrame(battle.field(), canvas());
    drawCountdownText(surface(), battle.reinforcementTimer());
    ClipPalette().shrink(bitmap(), expected);
    EXPECT_FALSE(shown.back() == expected) << "the panel is missing";
}

TEST_F(ClipRecorderTest, BadRequestsSayWhyAndLeaveNoFile)
{
    const fs::path path = folder_ / "clip.gif";
    for (int frames : {0, -3}) {
        const std::string error = record(path, frames);
        EXPECT_NE(error.find("at least 1 frame"), std::string::npos) << error;
    }
    EXPECT_NE(record(folder_ / "missing" / "clip.gif", 3).find("cannot write"), std::string::npos);
    fs::create_directory(folder_ / "taken");
    EXPECT_NE(record(folder_ / "taken", 3).find("cannot write"), std::string::npos);
    EXPECT_EQ(filesIn(folder_), std::vector<fs::path>{"taken"});
    EXPECT_TRUE(fs::is_empty(folder_ / "taken"));
}

TEST_F(ClipRecorderTest, FailingAtTheEndRemovesTheUnfinishedFile)
{
    // A folder appears under the clip's name while it is recorded: the finished file cannot
    // take its name, and the file written so far must go.
    const fs::path path = folder_ / "clip.gif";
    const std::string error = record(path, 6, [&](int done, int, bool) {
        if (done == 3) fs::create_directories(path / "inside");
    });
    EXPECT_EQ(error.rfind("cannot write " + path.string() + ": ", 0), 0u) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos);
    EXPECT_EQ(filesIn(folder_), std::vector<fs::path>{"clip.gif"});
    EXPECT_TRUE(fs::is_directory(path));
}

}  // namespace
