#include "DatabaseChoice.h"

#include "database/PostgreSQLDatabase.h"

#include <QApplication>
#include <QSettings>

#include <cstdlib>

namespace {

void ShowWaiting(bool waiting) {
    if (waiting)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

} // namespace

std::string NamedDatabase() {
    // The variable's bytes as they are: a file's path need not be UTF-8.
    if (const char* variable = std::getenv("BRIVANE_DATABASE"); variable && *variable)
        return variable;
    const QSettings settings("Brivane", "Brivane");
    return settings.value("Database").toString().toStdString();
}

void UseNamedDatabase() {
    SetWaitIndicator(ShowWaiting);
    ChooseDatabase(ParseDatabaseChoice(NamedDatabase()));
}
