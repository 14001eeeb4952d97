// brivane-copy-to-server FILE DATABASE: a team's database file moved to their server, whole or not at all.
#include "database/CopyToServer.h"
#include "database/PostgreSQLDatabase.h"

#include <cstdio>
#include <string>

namespace {

int Usage() {
    std::fputs("usage: brivane-copy-to-server FILE DATABASE\n"
               "  FILE      a Brivane database file, such as Products.db3 (it is only read)\n"
               "  DATABASE  an empty database on the server holding schema-postgresql.sql, written as for\n"
               "            BRIVANE_DATABASE: postgresql://HOST/NAME or postgresql:KEYWORDS\n",
               stderr);
    return 2;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 3)
        return Usage();
    const std::string file = argv[1];
    const TDatabaseChoice target = ParseDatabaseChoice(argv[2]);
    if (target.Engine != TEngine::PostgreSQL) {
        std::fprintf(stderr, "brivane-copy-to-server: %s names no server\n", argv[2]);
        return Usage();
    }
    try {
        TPostgreSQLDatabase server(target.Connection);
        const TCopyOutcome outcome = CopyFileToServer(file, server);
        if (!outcome.Copied) {
            std::fprintf(stderr, "brivane-copy-to-server: nothing was copied from %s to %s:\n", file.c_str(),
                         server.Where().c_str());
            for (const std::string& problem : outcome.Problems)
                std::fprintf(stderr, "  %s\n", problem.c_str());
            return 1;
        }
        std::string rows;
        for (const auto& [what, count] : outcome.Rows)
            rows += (rows.empty() ? "" : ", ") + std::to_string(count) + " " + what;
        std::printf("Copied %s to %s: %s.\n", file.c_str(), server.Where().c_str(), rows.c_str());
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "brivane-copy-to-server: nothing was copied: %s\n", e.what());
        return 1;
    }
}
