#include "database/Meanwhile.h"

#include "text/StrMan.h"

const char* SameOperator(TDatabase* db) {
    return db->Engine() == TEngine::PostgreSQL ? "IS NOT DISTINCT FROM" : "IS";
}

std::string ChangedMeanwhileText(const std::string& name, const std::string& now) {
    return name + " was changed by someone else since you opened it (now: " + now + "). Replace it with yours?";
}

std::string DeletedMeanwhileText(const std::string& name) {
    return name + " was deleted by someone else since you opened it.";
}

std::string ShownAsField(std::string_view stored, int decimals) {
    const ParseResult number = ParseNumber(StringManager.CommaToPoint(stored));
    return number.ErrorPos ? std::string(stored) : FormatFixed(number.Value, decimals);
}
