#pragma once

#include "game/UnitCounts.h"

// Places both bases and the starting armies, and sends each team towards the enemy base.
void deployArmies();

// A wave: half of every count again, one attempt per unit; resets the reinforcement timer.
void launchReinforcements();

// Gives every unit of the team (bases included) the goal cell.
void setTeamGoal(int team, float goalX, float goalY);
