// The text files the program writes (exports, Report.txt) and the files it reads whole (help, its pictures).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// A text file written whole or not at all: the lines, each followed by CR LF, go to a temporary file in the
// folder the name resolves to, which replaces the file only when all of it is written and flushed. Until then,
// and after any failure, the file keeps what it held; a symbolic link the user made keeps pointing where it
// pointed, and a file that existed keeps its permissions (a new one gets 0666 less the umask).
class TTextFile {
public:
    // Refuses a name that resolves to anything but a regular file or a missing one ("not a regular file"), to
    // databaseFile, the open database ("it is the database file"), or to a file this user may not write
    // ("Permission denied"); only a regular file is ever opened, so a FIFO cannot block. Throws Exception
    // "Cannot write <fileName>: <why>".
    explicit TTextFile(std::string fileName, const std::string& databaseFile = {});
    // Without Close, nothing replaces the file and the temporary file is removed.
    ~TTextFile();
    TTextFile(const TTextFile&) = delete;
    TTextFile& operator=(const TTextFile&) = delete;

    void WriteLn(std::string_view line);
    // Bytes as they are, without a line end: a file made whole elsewhere (a workbook).
    void Write(std::string_view bytes);
    // Flushes to the disk and puts the new content in place; a full disk often shows only here.
    void Close();

private:
    void Flush();
    void Discard() noexcept;
    [[noreturn]] void Fail(int error);

    std::string FFileName;
    std::string FDatabaseFile;
    std::string FTarget; // the name with its symbolic links followed
    std::string FTemporary;
    int FHandle = -1;
    bool FExisted = false;
    std::string FBuffer;
};

// A folder of its own in the temporary folder ($TMPDIR, else /tmp) for a file made whole elsewhere before a
// TTextFile takes it, removed with all it holds. Throws Exception "Cannot write <fileName>: no temporary folder".
class TPrivateFolder {
public:
    // kind goes into the folder's name ("brivane-xlsx-..."), so a folder left by a crash tells what it held.
    TPrivateFolder(const std::string& fileName, const std::string& kind);
    ~TPrivateFolder();
    TPrivateFolder(const TPrivateFolder&) = delete;
    TPrivateFolder& operator=(const TPrivateFolder&) = delete;
    const std::string& Path() const { return FPath; }

private:
    std::string FPath;
};

// Writes the lines as a TTextFile, each followed by CR LF; throws Exception as TTextFile does.
void SaveLines(const std::string& fileName, const std::vector<std::string>& lines,
               const std::string& databaseFile = {});

// A field of a tab-separated line: every tab, CR and LF becomes one blank, so a row stays one line with the
// same number of fields; every other byte stays as it is.
std::string FieldText(std::string_view text);

enum class TReadOutcome { Read, NotRegular, TooLarge, Failed };
// Reads the file at path whole when it is a regular file (symbolic links followed) of at most maxBytes.
// Devices and FIFOs are refused without being read, and opening never blocks. On Failed, error holds the
// system's reason.
TReadOutcome ReadRegularFile(const std::string& path, std::size_t maxBytes, std::string& content, std::string& error);
