#include "Backups.h"

void BeforeUserWrite() {}

void BeforeBulkWrite() {}
