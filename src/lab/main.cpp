// battle-lab: many seeded battles without a screen, with statistics and a chart.

#include <cstdio>

#include "lab/Lab.h"

int main(int argc, char** argv)
{
    return runLab(argc, argv, stdout, stderr);
}
