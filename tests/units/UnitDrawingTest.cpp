// What each unit draws, pixel for pixel, on the graphics library's own bitmap.

#include <allegro.h>

#include "support/DrawnWorldTest.h"
#include "units/Base.h"
#include "units/Soldier.h"
#include "units/Tank.h"

namespace {

using BaseDrawingTest = DrawnWorldTest;
using SoldierDrawingTest = DrawnWorldTest;
using TankDrawingTest = DrawnWorldTest;

// (40, 3) has its centre at (648, 56): a box (643, 56)-(653, 61) under a roof peaking at (648, 51),
// always in the pure team colour.
TEST_F(BaseDrawingTest, RedBaseDrawsBoxAndRoofInTeamColourInEveryMode)
{
    const int red = colourValue(255, 0, 0);
    const int black = colourValue(0, 0, 0);
    Base* base = placeBase(0, 40, 3);
    for (Mode mode : {Mode::Advance, Mode::Engage}) {
        SCOPED_TRACE(testing::Message() << "mode " << static_cast<int>(mode));
        clear_to_color(bitmap(), black);
        base->setMode(field(), mode);
        base->draw(surface());
        const int inside[][2] = {{643, 56}, {653, 56}, {643, 61}, {653, 61}, {648, 59},
                                 {648, 52}, {645, 55}, {651, 55}, {648, 54}};
        for (const auto& p : inside) EXPECT_EQ(pixel(p[0], p[1]), red) << "(" << p[0] << ", " << p[1] << ")";
        const int outside[][2] = {{642, 58}, {654, 58}, {648, 62}, {648, 50}, {644, 53}, {652, 53}};
        for (const auto& p : outside) EXPECT_EQ(pixel(p[0], p[1]), black) << "(" << p[0] << ", " << p[1] << ")";
    }

    Base* blue = placeBase(1, 10, 60);  // centre (168, 968)
    blue->setMode(field(), Mode::Engage);
    blue->draw(surface());
    EXPECT_EQ(pixel(168, 970), colourValue(0, 0, 255));
    EXPECT_EQ(pixel(168, 965), colourValue(0, 0, 255));
}


// A triangle 2s wide and high centred on (168, 168); snipers wear a white cross over it.
TEST_F(SoldierDrawingTest, DrawsTriangleAndOnlySnipersCarryTheCross)
{
    const int dimRed = colourValue(127, 0, 0);
    const int white = colourValue(255, 255, 255);
    const int black = colourValue(0, 0, 0);
    struct Case {
        SoldierKind kind;
        bool cross;
    };
    for (const Case c : {Case{SoldierKind::Sniper, true}, Case{SoldierKind::Rifleman, false},
                         Case{static_cast<SoldierKind>(3), false}}) {
        SCOPED_TRACE(testing::Message() << "kind " << static_cast<int>(c.kind));
        clear_to_color(bitmap(), black);
        Soldier soldier(random(), 0, 10, 10, c.kind);
        soldier.size = 5.0f;
        soldier.draw(surface());
        const int crossColour = c.cross ? white : dimRed;
        const int crossPixels[][2] = {{168, 168}, {166, 168}, {170, 168}, {168, 166}, {168, 170}};
        for (const auto& p : crossPixels) {
            EXPECT_EQ(pixel(p[0], p[1]), crossColour) << "(" << p[0] << ", " << p[1] << ")";
        }
        EXPECT_EQ(pixel(167, 167), dimRed);  // inside the triangle, off the cross
        EXPECT_EQ(pixel(164, 172), dimRed);  // near the lower corners
        EXPECT_EQ(pixel(172, 172), dimRed);
        EXPECT_EQ(pixel(168, 164), dimRed);  // just under the apex
        EXPECT_EQ(pixel(164, 165), black);   // beside the apex
        EXPECT_EQ(pixel(172, 165), black);
        EXPECT_EQ(pixel(168, 175), black);  // below the base
    }
}


// s = 5 at (168, 168): body 163..173; in bombard mode a white box of half-size 2.5,
// truncated to 165..170, and the aim line in the team colour less 150.
TEST_F(TankDrawingTest, DrawsBodyWhiteBoxAndAimLine)
{
    const int bright = colourValue(255, 64, 64);
    const int white = colourValue(255, 255, 255);
    const int black = colourValue(0, 0, 0);
    Tank* tank = placeTank(0, 10, 10, 5);
    tank->setMode(field(), Mode::Bombard);
    tank->aimPoint = {10.0f, 20.0f};
    tank->draw(surface());

    EXPECT_EQ(pixel(165, 165), white);
    EXPECT_EQ(pixel(170, 170), white);
    EXPECT_EQ(pixel(164, 166), bright);
    EXPECT_EQ(pixel(171, 166), bright);
    EXPECT_EQ(pixel(166, 171), bright);
    EXPECT_EQ(pixel(163, 163), bright);
    EXPECT_EQ(pixel(173, 173), bright);
    EXPECT_EQ(pixel(162, 168), black);
    EXPECT_EQ(pixel(174, 168), black);
    EXPECT_EQ(pixel(168, 162), black);
    const int aimLine = colourValue(105, 0, 0);
    EXPECT_EQ(pixel(168, 169), aimLine);  // drawn over the white box
    EXPECT_EQ(pixel(168, 250), aimLine);
    EXPECT_EQ(pixel(168, 327), aimLine);

    Tank* blue = placeTank(1, 30, 30, 5);  // px 488, aiming right at px 568
    blue->setMode(field(), Mode::Bombard);
    blue->aimPoint = {35.0f, 30.0f};
    blue->draw(surface());
    EXPECT_EQ(pixel(520, 488), colourValue(0, 0, 105));
}

// A hit can send an aiming tank travelling and leave its aim point set; only bombard mode
// shows the white box and the aim line.
TEST_F(TankDrawingTest, OutsideBombardModeOnlyTheBodyIsDrawn)
{
    const int black = colourValue(0, 0, 0);
    Tank* tank = placeTank(0, 10, 10, 5);  // shade 200 until its first mode change
    tank->aimPoint = {10.0f, 20.0f};
    tank->draw(surface());
    EXPECT_EQ(pixel(168, 168), colourValue(200, 0, 0));
    EXPECT_EQ(pixel(165, 165), colourValue(200, 0, 0));
    EXPECT_EQ(pixel(168, 200), black);

    tank->setMode(field(), Mode::Travel);
    tank->draw(surface());
    EXPECT_EQ(pixel(168, 168), colourValue(127, 0, 0));
    EXPECT_EQ(pixel(168, 200), black);

    tank->setMode(field(), Mode::Bombard);
    tank->aimPoint = Vec2();  // no shell pending: white box, no line
    tank->draw(surface());
    EXPECT_EQ(pixel(168, 168), colourValue(255, 255, 255));
    EXPECT_EQ(pixel(168, 200), black);
}

}  // namespace
