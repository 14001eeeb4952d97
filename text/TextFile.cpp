#include "text/TextFile.h"

#include "text/SysUtils.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {
[[noreturn]] void Fail(const char* what, const std::string& fileName, int error) {
    throw Exception(std::string("Cannot ") + what + " the file \"" + fileName + "\": " + std::strerror(error));
}
} // namespace

void SaveLines(const std::string& fileName, const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text.append(line).append("\r\n");
    const int fd = ::open(fileName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        Fail("create", fileName, errno);
    // A full disk shows as a short or failed write; the file is closed in any case.
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : ENOSPC;
            ::close(fd);
            Fail("write", fileName, error);
        }
        written += static_cast<std::size_t>(n);
    }
    // Delayed write errors (a full disk on a network file system) come with the close; an interrupted
    // close has still closed the file.
    if (::close(fd) != 0 && errno != EINTR)
        Fail("write", fileName, errno);
}
