// The statements of database/schema.sql, compiled into the program: a new database file made from them is one
// the program and the sqlite3 shell both take for an empty Products.db3.
#pragma once

extern const char* const FileSchema;
