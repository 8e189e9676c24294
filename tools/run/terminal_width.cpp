#include "run/terminal_width.h"

#include <sys/ioctl.h>

#include <cstdlib>

namespace paketlog {
namespace tool {

std::size_t terminal_width(unsigned given, const char* columns, int fd) {
    if (given != 0) return given;
    if (columns != nullptr && *columns >= '1' && *columns <= '9') {
        char* end = nullptr;
        const unsigned long n = std::strtoul(columns, &end, 10);
        if (*end == '\0' && n <= 1000) return n;
    }
    struct winsize size {};
    if (::ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col != 0) return size.ws_col;
    return kDefaultWidth;
}

}  // namespace tool
}  // namespace paketlog
