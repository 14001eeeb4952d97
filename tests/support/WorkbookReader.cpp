#include "WorkbookReader.h"

#include <cstdio>
#include <sstream>
#include <vector>

namespace {

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::stringstream stream(line);
    std::string field;
    while (std::getline(stream, field, '\t'))
        fields.push_back(field);
    if (!line.empty() && line.back() == '\t')
        fields.emplace_back();
    return fields;
}

} // namespace

bool CanReadWorkbooks() {
    return std::string(BRIVANE_PYTHON).size() > 0;
}

TReadWorkbook ReadWorkbook(const std::string& path) {
    TReadWorkbook book;
    const std::string command =
        std::string("'") + BRIVANE_PYTHON + "' '" + BRIVANE_DUMP_WORKBOOK + "' '" + path + "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        book.Error = "cannot start the reader";
        return book;
    }
    std::string output;
    char buffer[4096];
    for (std::size_t got; (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, got);
    if (pclose(pipe) != 0)
        book.Error = output.empty() ? "the reader failed" : output;
    std::stringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        const std::vector<std::string> f = Fields(line);
        if (f.size() == 2 && f[0] == "sheet")
            book.Sheet = f[1];
        else if (f.size() == 2 && f[0] == "freeze")
            book.Freeze = f[1];
        else if (f.size() == 3 && f[0] == "width")
            book.Widths[f[1]] = std::stod(f[2]);
        else if (f.size() == 8 && f[0] == "cell")
            book.Cells[f[1]] = {f[2], f[3], f[4], f[5] == "1", f[6], f[7]};
    }
    return book;
}
