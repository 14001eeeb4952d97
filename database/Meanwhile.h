// Posting over a colleague's change: an edit writes its row only while the row still holds what the dialog
// opened, and otherwise says what it holds now.
#pragma once

#include "database/Database.h"

#include <string>
#include <string_view>

// What an edit's Post did: written, or nothing written because its row was changed or deleted since it was opened.
enum class TPostOutcome { Written, Changed, Deleted };

// The engine's "holds the same as", NULL-safe: an old value in a WHERE with it matches a NULL that was read too.
const char* SameOperator(TDatabase* db);

// Thrown inside an edit's transaction when its guarded statement found the row no longer as opened, so that
// nothing of the edit stays.
struct TNotAsOpened {};

// "NAME was changed by someone else since you opened it (now: NOW). Replace it with yours?"
std::string ChangedMeanwhileText(const std::string& name, const std::string& now);
// "NAME was deleted by someone else since you opened it."
std::string DeletedMeanwhileText(const std::string& name);
// A stored number as a dialog's field shows it, with its decimals and the locale's separator; a text that is no
// number as stored.
std::string ShownAsField(std::string_view stored, int decimals);
