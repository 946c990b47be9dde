#include "game/OddsBar.h"

#include "game/OddsCounts.h"
#include "gfx/Surface.h"
#include "units/Entity.h"

namespace {
const Colour kBlack{0, 0, 0};
const Colour kWhite{255, 255, 255};
const Colour kUnfinished{128, 128, 128};
constexpr int kTextY = OddsBar::kTop - 1;
}  // namespace

std::string OddsBar::percentText(int won, int rollouts)
{
    if (rollouts <= 0) return "--%";
    return std::to_string((200LL * won + rollouts) / (2LL * rollouts)) + "%";
}

void OddsBar::draw(Surface& target) const
{
    const int rollouts = odds_ != nullptr ? odds_->rollouts : 0;
    const int red = odds_ != nullptr ? odds_->red : 0;
    const int blue = odds_ != nullptr ? odds_->blue : 0;
    const std::string left = "Red " + percentText(red, rollouts);
    const std::string right = percentText(blue, rollouts) + " Blue";
    const int leftX = kLeft - 8 - kGlyphWidth * static_cast<int>(left.size());
    const int rightX = kRight + 9;
    target.fillBox(leftX - 2, kTop - 3, rightX + kGlyphWidth * static_cast<int>(right.size()) + 1, kBottom + 3, kBlack);
    target.drawText(left, leftX, kTextY, kWhite, kBlack);
    target.drawText(right, rightX, kTextY, kWhite, kBlack);
    target.fillBox(kLeft, kTop, kRight, kBottom, kUnfinished);
    if (rollouts <= 0) return;
    const long long width = kRight - kLeft + 1;
    const int redWidth = static_cast<int>((2 * width * red + rollouts) / (2LL * rollouts));
    const int blueWidth = static_cast<int>((2 * width * blue + rollouts) / (2LL * rollouts));
    if (redWidth > 0) target.fillBox(kLeft, kTop, kLeft + redWidth - 1, kBottom, teamColour(0));
    if (blueWidth > 0) target.fillBox(kRight - blueWidth + 1, kTop, kRight, kBottom, teamColour(1));
}
