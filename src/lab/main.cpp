// battle-lab: many seeded battles without a screen, with statistics and a chart.

#include <unistd.h>

#include <cstdio>

#include "cli/StandardStreams.h"
#include "lab/Lab.h"

int main(int argc, char** argv)
{
    const StandardStreams streams = StandardStreams::openMissing();
    if (!streams.complete()) return 1;
    // A closed standard output cannot take the summary or the lines.
    return runLab(argc, argv, streams.wasClosed(STDOUT_FILENO) ? nullptr : stdout, stderr);
}
