#pragma once

#include <string>

class Surface;

// Frames between two reinforcement waves.
constexpr int kReinforcementFrames = 3000;

// The countdown text's left edge and top.
constexpr int kCountdownX = 640;
constexpr int kCountdownY = 32;

// "Reinforcements in N".
std::string countdownText(int timer);
void drawCountdownText(Surface& target, int timer);
