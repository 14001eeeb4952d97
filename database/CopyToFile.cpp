#include "database/CopyToFile.h"

#include "database/Backup.h"
#include "database/CopyToServer.h"
#include "text/SysUtils.h"
#include "text/TextFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace {

// Hands the copy made in the private folder to the file that takes the user's name, a block at a time.
void WriteInto(TTextFile& file, const std::string& made, const std::string& fileName) {
    const auto fail = [&fileName](int error) {
        throw Exception("Cannot write " + fileName + ": " + std::strerror(error));
    };
    struct Closer {
        int Handle;
        ~Closer() {
            if (Handle >= 0)
                close(Handle);
        }
    } copy{open(made.c_str(), O_RDONLY | O_CLOEXEC)};
    if (copy.Handle < 0)
        fail(errno);
    std::vector<char> block(1 << 20);
    for (;;) {
        const ssize_t got = read(copy.Handle, block.data(), block.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            fail(errno);
        if (got == 0)
            return;
        file.Write({block.data(), static_cast<std::size_t>(got)});
    }
}

} // namespace

void CopyDataToFile(TDatabase& db, const std::string& fileName, const std::string& databaseFile) {
    // Refused before any work, and the file's place taken only at the end.
    TTextFile file(fileName, databaseFile);
    const TPrivateFolder folder(fileName, "copy");
    const std::string made = folder.Path() + "/copy.db3";
    try {
        if (db.Engine() == TEngine::SQLite)
            CopyDatabaseFile(db.Where(), made);
        else
            CopyServerToFile(db, made);
    } catch (const Exception& e) {
        throw Exception("Cannot write " + fileName + ": " + e.what());
    }
    WriteInto(file, made, fileName);
    file.Close();
}
