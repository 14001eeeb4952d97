// A text file written line by line: created anew (or emptied), bytes as given, CR LF after every line.
#pragma once

#include <fstream>
#include <string>
#include <string_view>
#include <vector>

class TTextFile {
public:
    // Creates or empties fileName; throws Exception naming the file and the system's reason when it cannot.
    explicit TTextFile(std::string fileName);
    // Closes silently when Close was not reached (after an error); what was written stays in the file.
    ~TTextFile() = default;
    TTextFile(const TTextFile&) = delete;
    TTextFile& operator=(const TTextFile&) = delete;

    void WriteLn(std::string_view line);
    // Flushes and closes; a full disk often shows only here.
    void Close();

private:
    [[noreturn]] void Fail() const;
    std::string FFileName;
    std::ofstream FStream;
};

// Creates fileName anew and writes the lines, each followed by CR LF; throws Exception as TTextFile does.
void SaveLines(const std::string& fileName, const std::vector<std::string>& lines);
