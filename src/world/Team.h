#pragma once

// Teams are numbers: 0 is red and 1 is blue, the two armies of every battle. Any other number is
// a team of its own (tests build them), and kNoTeam stands for none at all.
constexpr int kRedTeam = 0;
constexpr int kBlueTeam = 1;
constexpr int kNoTeam = -1;
