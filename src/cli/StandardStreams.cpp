#include "cli/StandardStreams.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

StandardStreams StandardStreams::openMissing()
{
    StandardStreams streams;
    for (int descriptor = 0; descriptor < kCount; ++descriptor) {
        if (fcntl(descriptor, F_GETFD) >= 0 || errno != EBADF) continue;
        streams.closed_[descriptor] = true;
        // The lowest free number is this one, as the ones below it are open by now.
        const int opened = open("/dev/null", descriptor == 0 ? O_RDONLY : O_WRONLY);
        if (opened != descriptor) {
            if (opened >= 0) close(opened);
            streams.complete_ = false;
        }
    }
    return streams;
}
