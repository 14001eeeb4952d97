// Automatic backups of the database, made before the user's writes.
#pragma once

// Called right before a write the user asked for (a post, a delete, a rename, a new product, saved notes):
// the first one of the run backs the database up. The recomputation of a Refresh is no such write.
void BeforeUserWrite();
// Called right before a write that replaces much at once (an import applied, a backup restored): always
// backs the database up.
void BeforeBulkWrite();
