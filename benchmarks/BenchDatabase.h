// The database of the benchmarks: 5,000 components with prices, 10,000 products, 20 lines each.
#pragma once

#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>

// Makes folder (under the temporary directory) the current directory and creates "Products.db3" there
// unless an earlier run left it; extra is SQL run on the new file after the data.
inline void MakeBenchDatabase(const char* folder, const char* extra = "") {
    const char* const data =
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 5000)"
        " INSERT INTO Materials (Comp_ID, Component, Price, Date)"
        " SELECT i, printf('COMPONENT %05d OF THE LIST', i), (i % 997) * 1.37 + 0.25, '2024-05-01' FROM n;"
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 10000)"
        " INSERT INTO Products (Prod_ID, Product) SELECT i, printf('PRODUCT %05d BLEND', i) FROM n;"
        "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 199999)"
        " INSERT INTO Recipes (ID, Prod_ID, Comp_ID, Quantity, Datum)"
        " SELECT i + 1, i / 20 + 1, (i * 7919) % 5000 + 1, (i % 50) * 0.25 + 0.125, '2024-05-01' FROM n;";
    const auto dir = std::filesystem::temp_directory_path() / folder;
    std::filesystem::create_directories(dir);
    std::filesystem::current_path(dir);
    if (std::filesystem::exists("Products.db3"))
        return;
    std::string schema;
    if (FILE* f = std::fopen(BRIVANE_SOURCE_DIR "/database/schema.sql", "rb")) {
        char buffer[4096];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
            schema.append(buffer, n);
        std::fclose(f);
    }
    sqlite3* db = nullptr;
    sqlite3_open("Products.db3.new", &db);
    for (const std::string& sql : {schema, std::string(data), std::string(extra)}) {
        char* error = nullptr;
        if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
            const std::string text = error ? error : "?";
            sqlite3_free(error);
            sqlite3_close(db);
            throw std::runtime_error(text);
        }
    }
    sqlite3_close(db);
    std::filesystem::rename("Products.db3.new", "Products.db3");
}
