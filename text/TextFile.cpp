#include "text/TextFile.h"

#include "text/SysUtils.h"

#include <cerrno>
#include <cstring>
#include <utility>

TTextFile::TTextFile(std::string fileName) : FFileName(std::move(fileName)) {
    errno = 0;
    FStream.open(FFileName, std::ios::out | std::ios::trunc | std::ios::binary);
    if (!FStream)
        Fail();
}

void TTextFile::WriteLn(std::string_view line) {
    errno = 0;
    FStream.write(line.data(), static_cast<std::streamsize>(line.size()));
    FStream.write("\r\n", 2);
    if (!FStream)
        Fail();
}

void TTextFile::Close() {
    errno = 0;
    FStream.close();
    if (!FStream)
        Fail();
}

void TTextFile::Fail() const {
    const int error = errno;
    throw Exception("Cannot write " + FFileName + ": " + (error ? std::strerror(error) : "Input/output error"));
}

void SaveLines(const std::string& fileName, const std::vector<std::string>& lines) {
    TTextFile file(fileName);
    for (const std::string& line : lines)
        file.WriteLn(line);
    file.Close();
}
