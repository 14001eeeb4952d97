#include "text/TextFile.h"

#include "text/SysUtils.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>
#include <utility>

namespace {

constexpr std::size_t FlushSize = 1 << 16;
// Linux's own limit on symbolic links followed for one name.
constexpr int MaxLinks = 40;

// The folder part of path with its final slash ("" for a bare name), and the name after it.
std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string NameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

[[noreturn]] void Refuse(const std::string& fileName, const std::string& why) {
    throw Exception("Cannot write " + fileName + ": " + why);
}

[[noreturn]] void RefuseErrno(const std::string& fileName, int error) {
    Refuse(fileName, error ? std::strerror(error) : "Input/output error");
}

// Follows the symbolic links of the name's last part, so the new content lands where a link points and the link
// itself stays.
std::string Resolve(const std::string& fileName) {
    std::string path = fileName;
    for (int links = 0;; ++links) {
        struct stat info {};
        if (lstat(path.c_str(), &info) != 0) {
            if (errno == ENOENT)
                return path;
            RefuseErrno(fileName, errno);
        }
        if (!S_ISLNK(info.st_mode))
            return path;
        if (links == MaxLinks)
            RefuseErrno(fileName, ELOOP);
        std::string target(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 255) + 1, '\0');
        const ssize_t length = readlink(path.c_str(), target.data(), target.size());
        if (length < 0)
            RefuseErrno(fileName, errno);
        target.resize(static_cast<std::size_t>(length));
        path = !target.empty() && target[0] == '/' ? target : FolderOf(path) + target;
    }
}

// Refuses what the file at target must not be replaced with text; true when a regular file is there.
bool CheckTarget(const std::string& fileName, const std::string& target, const std::string& databaseFile,
                 struct stat& info) {
    if (lstat(target.c_str(), &info) != 0) {
        if (errno == ENOENT)
            return false;
        RefuseErrno(fileName, errno);
    }
    if (!S_ISREG(info.st_mode))
        Refuse(fileName, "not a regular file");
    struct stat database {};
    if (!databaseFile.empty() && stat(databaseFile.c_str(), &database) == 0 && database.st_dev == info.st_dev &&
        database.st_ino == info.st_ino)
        Refuse(fileName, "it is the database file");
    return true;
}

// The rename that replaces the file needs only the folder's permission, not the file's: a file this user may not
// write (a read-only export, another user's file) is refused as writing it in place would be. It is opened for
// writing without truncating and closed again, never waiting (only a regular file gets here), and nothing of it
// changes.
void CheckWritable(const std::string& fileName, const std::string& target) {
    const int handle = open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC);
    if (handle < 0)
        RefuseErrno(fileName, errno);
    close(handle);
}

// A name of its own beside the target, made with O_EXCL so no other file is ever opened; the mode 0666 lets
// the umask decide a new file's permissions.
int CreateTemporary(const std::string& fileName, const std::string& target, std::string& temporary) {
    static std::mt19937 random(std::random_device{}() ^ static_cast<unsigned>(getpid()));
    const std::string stem = FolderOf(target) + "." + NameOf(target).substr(0, 100) + ".";
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = stem + std::to_string(random() % 1000000000u) + ".tmp";
        const int handle = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (handle >= 0)
            return handle;
        if (errno != EEXIST)
            break;
    }
    const int error = errno;
    temporary.clear();
    RefuseErrno(fileName, error);
}

} // namespace

TTextFile::TTextFile(std::string fileName, const std::string& databaseFile)
    : FFileName(std::move(fileName)), FDatabaseFile(databaseFile) {
    FTarget = Resolve(FFileName);
    struct stat old {};
    FExisted = CheckTarget(FFileName, FTarget, FDatabaseFile, old);
    if (FExisted)
        CheckWritable(FFileName, FTarget);
    FHandle = CreateTemporary(FFileName, FTarget, FTemporary);
    if (!FExisted)
        return;
    // The file keeps its owner where the system allows it, and its permissions.
    struct stat created {};
    if (fstat(FHandle, &created) == 0 && (created.st_uid != old.st_uid || created.st_gid != old.st_gid) &&
        fchown(FHandle, old.st_uid, old.st_gid) != 0) {
        // Only root may give a file away: the new content then belongs to whoever wrote it.
    }
    if (fchmod(FHandle, old.st_mode & 07777) != 0)
        Fail(errno);
}

TTextFile::~TTextFile() {
    Discard();
}

void TTextFile::WriteLn(std::string_view line) {
    FBuffer.append(line);
    FBuffer.append("\r\n");
    if (FBuffer.size() >= FlushSize)
        Flush();
}

void TTextFile::Write(std::string_view bytes) {
    FBuffer.append(bytes);
    if (FBuffer.size() >= FlushSize)
        Flush();
}

void TTextFile::Flush() {
    std::size_t done = 0;
    while (done < FBuffer.size()) {
        const ssize_t written = write(FHandle, FBuffer.data() + done, FBuffer.size() - done);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            Fail(errno);
        }
        done += static_cast<std::size_t>(written);
    }
    FBuffer.clear();
}

void TTextFile::Close() {
    Flush();
    if (fsync(FHandle) != 0 && errno != EINVAL)
        Fail(errno);
    const int handle = std::exchange(FHandle, -1);
    if (close(handle) != 0)
        Fail(errno);
    // The target may have changed while the lines were written: the same refusals hold at the last moment.
    struct stat now {};
    if (CheckTarget(FFileName, FTarget, FDatabaseFile, now))
        CheckWritable(FFileName, FTarget);
    if (rename(FTemporary.c_str(), FTarget.c_str()) != 0)
        Fail(errno);
    FTemporary.clear();
    // The new name itself is on the disk only once its folder is.
    const std::string folder = FolderOf(FTarget);
    const int directory = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directory >= 0) {
        fsync(directory);
        close(directory);
    }
}

void TTextFile::Discard() noexcept {
    if (FHandle >= 0)
        close(std::exchange(FHandle, -1));
    if (!FTemporary.empty())
        unlink(std::exchange(FTemporary, {}).c_str());
}

void TTextFile::Fail(int error) {
    Discard();
    RefuseErrno(FFileName, error);
}

TPrivateFolder::TPrivateFolder(const std::string& fileName, const std::string& kind) {
    const char* base = getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/brivane-" + kind + "-XXXXXX";
    if (!mkdtemp(pattern.data()))
        Refuse(fileName, "no temporary folder");
    FPath = pattern;
}

TPrivateFolder::~TPrivateFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(FPath, ignored);
}

void SaveLines(const std::string& fileName, const std::vector<std::string>& lines, const std::string& databaseFile) {
    TTextFile file(fileName, databaseFile);
    for (const std::string& line : lines)
        file.WriteLn(line);
    file.Close();
}

std::string FieldText(std::string_view text) {
    std::string field(text);
    for (char& c : field)
        if (c == '\t' || c == '\r' || c == '\n')
            c = ' ';
    return field;
}

TReadOutcome ReadRegularFile(const std::string& path, std::size_t maxBytes, std::string& content, std::string& error) {
    content.clear();
    error.clear();
    // Looked at before it is opened, since opening some devices does something; opened without blocking, and
    // looked at again, in case the name was changed in between.
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        error = std::strerror(errno);
        return TReadOutcome::Failed;
    }
    if (!S_ISREG(info.st_mode))
        return TReadOutcome::NotRegular;
    const int handle = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (handle < 0) {
        error = std::strerror(errno);
        return TReadOutcome::Failed;
    }
    struct Closer {
        int Handle;
        ~Closer() { close(Handle); }
    } closer{handle};
    if (fstat(handle, &info) != 0) {
        error = std::strerror(errno);
        return TReadOutcome::Failed;
    }
    if (!S_ISREG(info.st_mode))
        return TReadOutcome::NotRegular;
    if (static_cast<std::size_t>(info.st_size) > maxBytes)
        return TReadOutcome::TooLarge;
    // The size a file reports is not always what it gives (files of /proc report none): read at most one byte
    // past the limit.
    content.resize(static_cast<std::size_t>(info.st_size) + 1);
    std::size_t done = 0;
    for (;;) {
        if (done == content.size()) {
            if (done > maxBytes)
                break;
            content.resize(std::min(maxBytes + 1, content.size() * 2 + 4096));
        }
        const ssize_t got = read(handle, content.data() + done, content.size() - done);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            error = std::strerror(errno);
            content.clear();
            return TReadOutcome::Failed;
        }
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    if (done > maxBytes) {
        content.clear();
        return TReadOutcome::TooLarge;
    }
    content.resize(done);
    return TReadOutcome::Read;
}
