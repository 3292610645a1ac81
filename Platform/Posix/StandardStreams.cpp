#include "Platform/StandardStreams.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace Platform
{
std::FILE* TakeStandardOutput()
{
    std::fflush(stdout);
    // Close-on-exec, so that no child keeps the real output open after the
    // caller has ended.
    const int kept = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
    if (kept < 0)
        return nullptr;
    std::FILE* stream = fdopen(kept, "w");
    if (!stream || dup2(STDERR_FILENO, STDOUT_FILENO) < 0)
    {
        if (stream)
            std::fclose(stream);
        else
            close(kept);
        return nullptr;
    }
    return stream;
}

int TerminalColumns(std::FILE* stream)
{
    constexpr int kUsualColumns = 80;
    if (!stream || isatty(fileno(stream)) != 1)
        return 0;
    winsize size{};
    if (ioctl(fileno(stream), TIOCGWINSZ, &size) != 0 || size.ws_col == 0)
        return kUsualColumns;
    return size.ws_col;
}
} // namespace Platform
