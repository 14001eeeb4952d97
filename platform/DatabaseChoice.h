// The database the user names for the program, and the busy cursor while a server is waited for.
#pragma once

#include <string>

// BRIVANE_DATABASE when it is set and not empty, else the key "Database" of the user's settings (organisation
// and application "Brivane"), else nothing: the file Products.db3 in the current directory.
std::string NamedDatabase();

// Every action works on the database the user named from now on, and the mouse pointer shows that the program
// waits while a server takes its time to answer.
void UseNamedDatabase();
