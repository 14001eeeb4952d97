// Text files by bare name in the current directory: 8-bit lines, CR LF after every line.
#pragma once

#include <string>
#include <vector>

// Creates the file anew (or empties it) and writes the lines byte for byte, each followed by CR LF.
// A file that cannot be created or written raises Exception naming the file and the system's reason.
void SaveLines(const std::string& fileName, const std::vector<std::string>& lines);
