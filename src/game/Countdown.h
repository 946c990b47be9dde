#pragma once

#include <string>

class Battlefield;

// Frames between two reinforcement waves.
constexpr int kReinforcementFrames = 3000;

// The countdown text's left edge and top.
constexpr int kCountdownX = 640;
constexpr int kCountdownY = 32;

// Frames left until the next reinforcement wave.
extern int reinforcementTimer;

// Counts the reinforcement timer down once per frame while the battle runs, and launches a
// wave when it runs out.
void countDownReinforcements(const Battlefield& field);

// "Reinforcements in N".
std::string countdownText(int timer);
void drawCountdownText();
