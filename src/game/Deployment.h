#pragma once

#include "game/UnitCounts.h"

class Battlefield;
class Random;

// Places both bases and the starting armies, and sends each team towards the enemy base.
void deployArmies(Battlefield& field, Random& random, const UnitCounts& counts);

// A wave: half of every count again, one attempt per unit.
void launchReinforcements(Battlefield& field, Random& random, const UnitCounts& counts);

// Gives every unit of the team (bases included) the goal cell.
void setTeamGoal(Battlefield& field, int team, float goalX, float goalY);
