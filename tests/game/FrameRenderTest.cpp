#include <allegro.h>

#include <string>

#include "game/FrameRender.h"
#include "gfx/Canvas.h"
#include "support/DrawnWorldTest.h"
#include "units/Renderer.h"

namespace {

const std::string kExitHint = "Push Esc To Exit";

// Left edge of a text centred on the HUD's x with the default 8-pixel-wide font.
int centredLeft(const std::string& text)
{
    return 640 - 8 * static_cast<int>(text.size()) / 2;
}

int countDiffering(BITMAP* actual, BITMAP* expected, int x0, int y0, int x1, int y1)
{
    int differing = 0;
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            if (getpixel(actual, x, y) != getpixel(expected, x, y)) ++differing;
        }
    }
    return differing;
}

// A full-screen bitmap in one colour, to draw the expected picture into.
BITMAP* referenceBitmap(int colour)
{
    BITMAP* bitmap = create_bitmap_ex(16, 1280, 1024);
    clear_to_color(bitmap, colour);
    return bitmap;
}

// An object that paints the whole back buffer, to see what is drawn over objects.
class FullScreenPaint : public Renderer {
public:
    void draw(Surface& target) const override { target.fillBox(0, 0, 1279, 1023, {0, 200, 0}); }
    void update(Battlefield&, Random&) override {}
    ObjectKind getType() const override { return ObjectKind::Effect; }
    std::unique_ptr<Renderer> clone() const override { return std::make_unique<FullScreenPaint>(*this); }
};

using FrameRenderTest = DrawnWorldTest;

}  // namespace

TEST_F(FrameRenderTest, TerrainIsShadedSixteenGreysPerLevel)
{
    struct {
        int x, y, h, grey;
    } const cells[] = {{2, 3, 1, 16}, {20, 30, 15, 240}, {50, 10, 8, 128}, {40, 40, 0, 0}};
    for (const auto& c : cells) field().setHeight(c.x, c.y, c.h);
    renderFrame(field(), canvas());
    const int black = colourValue(0, 0, 0);
    for (const auto& c : cells) {
        SCOPED_TRACE(::testing::Message() << "cell (" << c.x << ", " << c.y << ") height " << c.h);
        const int grey = colourValue(c.grey, c.grey, c.grey);
        const int left = 16 * c.x, top = 16 * c.y;
        // The box runs from (16x, 16y) to (16x + 16, 16y + 16), both corners included.
        EXPECT_EQ(pixel(left, top), grey);
        EXPECT_EQ(pixel(left + 8, top + 8), grey);
        EXPECT_EQ(pixel(left + 16, top + 16), grey);
        EXPECT_EQ(pixel(left + 17, top + 8), black);
        EXPECT_EQ(pixel(left + 8, top + 17), black);
        EXPECT_EQ(pixel(left - 1, top), black);
        EXPECT_EQ(pixel(left, top - 1), black);
    }
}

TEST_F(FrameRenderTest, LaterCellWinsOnSharedEdges)
{
    // Cells are drawn column by column, top to bottom within a column.
    field().setHeight(3, 4, 5);  // grey 80, box 48..64 x 64..80
    field().setHeight(4, 4, 9);  // grey 144, box 64..80 x 64..80
    field().setHeight(3, 5, 7);  // grey 112, box 48..64 x 80..96
    renderFrame(field(), canvas());
    struct {
        int x, y, grey;
    } const probes[] = {
        {63, 70, 80},  {64, 70, 144}, {64, 64, 144}, {56, 79, 80}, {56, 80, 112},
        {48, 96, 112}, {64, 80, 144},  // all three boxes meet; column 4 is drawn after both cells of column 3
        {64, 96, 112}, {80, 80, 144}, {81, 80, 0},   {65, 81, 0},  {64, 97, 0},
    };
    for (const auto& p : probes) {
        EXPECT_EQ(pixel(p.x, p.y), colourValue(p.grey, p.grey, p.grey)) << "pixel (" << p.x << ", " << p.y << ")";
    }
}

TEST_F(FrameRenderTest, EveryFrameShowsTheTerrainAsItIsNow)
{
    field().setHeight(5, 5, 3);
    renderFrame(field(), canvas());
    EXPECT_EQ(pixel(85, 85), colourValue(48, 48, 48));

    field().setHeight(5, 5, 0);
    field().setHeight(6, 6, 15);
    renderFrame(field(), canvas());
    EXPECT_EQ(pixel(85, 85), colourValue(0, 0, 0));
    EXPECT_EQ(pixel(104, 104), colourValue(240, 240, 240));

    // Another battlefield drawn on the same canvas: its own (flat) terrain is drawn.
    Battlefield other;
    renderFrame(other, canvas());
    EXPECT_EQ(pixel(104, 104), colourValue(0, 0, 0));
    renderFrame(field(), canvas());
    EXPECT_EQ(pixel(104, 104), colourValue(240, 240, 240));
}

TEST_F(FrameRenderTest, ExitHintIsCentredAtTheBottomOnEveryFrame)
{
    BITMAP* expected = referenceBitmap(makecol16(0, 0, 0));
    textout_ex(expected, font, kExitHint.c_str(), centredLeft(kExitHint), 992, makecol16(255, 255, 255),
               makecol16(0, 0, 0));
    for (bool gameOver : {false, true}) {
        field().gameOver = gameOver;
        clear_to_color(bitmap(), makecol16(9, 9, 9));  // nothing left over from a previous frame
        renderFrame(field(), canvas());
        EXPECT_EQ(countDiffering(bitmap(), expected, 500, 980, 780, 1023), 0) << "gameOver " << gameOver;
    }
    destroy_bitmap(expected);
}

TEST_F(FrameRenderTest, GameOverTextOnlyOnceABaseHasFallen)
{
    struct {
        bool gameOver;
        int eliminatedTeam;
        const char* text;  // null: no text
    } const cases[] = {
        {false, 0, nullptr},
        {true, 0, "Game Over, the Red Team has been eliminated!"},
        {true, 1, "Game Over, the Blue Team has been eliminated!"},
        {true, kNoTeam, "Game Over, the  has been eliminated!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "gameOver " << c.gameOver << ", eliminatedTeam " << c.eliminatedTeam);
        field().gameOver = c.gameOver;
        field().eliminatedTeam = c.eliminatedTeam;
        renderFrame(field(), canvas());
        BITMAP* expected = referenceBitmap(makecol16(0, 0, 0));
        if (c.text != nullptr) {
            textout_ex(expected, font, c.text, centredLeft(c.text), 512, makecol16(255, 0, 0), makecol16(0, 0, 0));
        }
        EXPECT_EQ(countDiffering(bitmap(), expected, 200, 490, 1080, 540), 0);
        destroy_bitmap(expected);
    }
}

TEST_F(FrameRenderTest, ObjectsCoverTheTerrainAndTheHudCoversObjects)
{
    field().setHeight(0, 0, 15);
    field().setHeight(40, 32, 7);
    field().gameOver = true;
    field().eliminatedTeam = 0;
    field().addObject(std::make_unique<FullScreenPaint>());
    renderFrame(field(), canvas());

    const std::string gameOverText = "Game Over, the Red Team has been eliminated!";
    BITMAP* expected = referenceBitmap(makecol16(0, 200, 0));
    textout_ex(expected, font, gameOverText.c_str(), centredLeft(gameOverText), 512, makecol16(255, 0, 0),
               makecol16(0, 0, 0));
    textout_ex(expected, font, kExitHint.c_str(), centredLeft(kExitHint), 992, makecol16(255, 255, 255),
               makecol16(0, 0, 0));
    EXPECT_EQ(countDiffering(bitmap(), expected, 0, 0, 1279, 1023), 0);
    destroy_bitmap(expected);
}

TEST(TeamNameTest, NamesOnlyTheTwoTeams)
{
    struct {
        int team;
        const char* name;
    } const cases[] = {{0, "Red Team"}, {1, "Blue Team"}, {2, ""}, {4, ""}, {-1, ""}};
    for (const auto& c : cases) EXPECT_EQ(teamName(c.team), c.name) << "team " << c.team;
}
