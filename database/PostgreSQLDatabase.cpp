#include "database/PostgreSQLDatabase.h"

#include "database/RealText.h"

#include <libpq-fe.h>
#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstring>
#include <exception>
#include <memory>
#include <optional>

namespace {

// The type numbers of the server's built-in types, fixed since its first releases.
constexpr Oid BoolType = 16;
constexpr Oid Int8Type = 20;
constexpr Oid Int2Type = 21;
constexpr Oid Int4Type = 23;
constexpr Oid OidType = 26;
constexpr Oid Float4Type = 700;
constexpr Oid Float8Type = 701;
constexpr Oid NumericType = 1700;

// A wait shorter than this passes without a busy cursor.
constexpr int NoticeAfterMilliseconds = 100;
// Beyond the server's own statement limit, the time an answer may take on the way before the connection is
// given up as broken.
constexpr int AnswerGraceSeconds = 5;

TWaitIndicator Indicator = nullptr;

using Clock = std::chrono::steady_clock;

std::int64_t Now() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch()).count();
}

std::string Trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ' || text.back() == '.'))
        text.pop_back();
    return text;
}

bool IsWordChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsComment(std::string_view sql, std::size_t at) {
    return at + 1 < sql.size() && ((sql[at] == '-' && sql[at + 1] == '-') || (sql[at] == '/' && sql[at + 1] == '*'));
}

// Where the quoted text, quoted name or comment that starts at sql[at] ends; at itself when none starts there.
std::size_t SkipQuoted(std::string_view sql, std::size_t at) {
    const std::size_t size = sql.size();
    const char c = sql[at];
    if (c == '\'' || c == '"') {
        // E'...' takes backslash escapes; everywhere else a doubled quote is the quote itself.
        const bool escapes =
            c == '\'' && at > 0 && (sql[at - 1] == 'E' || sql[at - 1] == 'e') && (at < 2 || !IsWordChar(sql[at - 2]));
        for (std::size_t i = at + 1; i < size; ++i) {
            if (escapes && sql[i] == '\\') {
                ++i;
            } else if (sql[i] == c) {
                if (i + 1 < size && sql[i + 1] == c)
                    ++i;
                else
                    return i + 1;
            }
        }
        return size;
    }
    if (c == '-' && at + 1 < size && sql[at + 1] == '-') {
        const std::size_t end = sql.find('\n', at);
        return end == std::string_view::npos ? size : end + 1;
    }
    if (c == '/' && at + 1 < size && sql[at + 1] == '*') {
        // The server's block comments nest.
        int depth = 0;
        for (std::size_t i = at; i + 1 < size; ++i) {
            if (sql[i] == '/' && sql[i + 1] == '*') {
                ++depth;
                ++i;
            } else if (sql[i] == '*' && sql[i + 1] == '/') {
                ++i;
                if (--depth == 0)
                    return i + 1;
            }
        }
        return size;
    }
    if (c == '$' && (at == 0 || !IsWordChar(sql[at - 1])) && (at + 1 >= size || !IsDigit(sql[at + 1]))) {
        // A dollar-quoted text: $$...$$ or $tag$...$tag$.
        std::size_t j = at + 1;
        while (j < size && IsWordChar(sql[j]))
            ++j;
        if (j < size && sql[j] == '$') {
            const std::string_view tag = sql.substr(at, j - at + 1);
            const std::size_t end = sql.find(tag, j + 1);
            return end == std::string_view::npos ? size : end + tag.size();
        }
    }
    return at;
}

// How a column's text is read: as the server writes it, or the way SQLite would give the same value.
enum class TColumnKind { AsIs, Integer, Real, Numeric, Boolean };

TColumnKind KindOf(Oid type) {
    switch (type) {
    case Int2Type:
    case Int4Type:
    case Int8Type:
    case OidType:
        return TColumnKind::Integer;
    case Float4Type:
    case Float8Type:
        return TColumnKind::Real;
    case NumericType:
        return TColumnKind::Numeric;
    case BoolType:
        return TColumnKind::Boolean;
    default:
        return TColumnKind::AsIs;
    }
}

std::optional<double> ReadReal(std::string_view text) {
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<std::int64_t> ReadInteger(std::string_view text) {
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// One column of one row as the file would give it: a double precision in SQLite's text of a REAL, a numeric
// with a fraction as a REAL and a whole one as an INTEGER, a boolean as 1 or 0. A NaN, which SQLite cannot
// hold, reads as NULL.
struct TCell {
    bool Null = false;
    std::string Text;
    TValue Value;
};

TCell Convert(TColumnKind kind, std::string_view raw) {
    TCell cell;
    std::optional<double> real;
    switch (kind) {
    case TColumnKind::AsIs:
        cell.Text = raw;
        cell.Value = TValue(cell.Text);
        return cell;
    case TColumnKind::Boolean:
        cell.Text = raw == "t" ? "1" : "0";
        cell.Value = TValue(raw == "t" ? 1 : 0);
        return cell;
    case TColumnKind::Integer:
    case TColumnKind::Numeric:
        if (raw.find_first_of(".eEIN") == std::string_view::npos)
            if (const auto integer = ReadInteger(raw)) {
                cell.Text = raw;
                cell.Value = TValue(*integer);
                return cell;
            }
        real = ReadReal(raw);
        break;
    case TColumnKind::Real:
        real = ReadReal(raw);
        break;
    }
    if (!real) {
        cell.Text = raw;
        cell.Value = TValue(cell.Text);
    } else if (std::isnan(*real)) {
        cell.Null = true;
    } else {
        cell.Text = SQLiteRealText(*real);
        cell.Value = TValue(*real);
    }
    return cell;
}

class TServerRow : public TResultRow {
public:
    explicit TServerRow(const PGresult* result) : FResult(result), FColumns(PQnfields(result)) {
        for (int c = 0; c < FColumns; ++c)
            FKinds.push_back(KindOf(PQftype(result, c)));
        FCells.resize(static_cast<std::size_t>(FColumns));
        FDone.resize(static_cast<std::size_t>(FColumns));
    }
    void MoveTo(int row) {
        FRow = row;
        std::fill(FDone.begin(), FDone.end(), false);
    }
    int Count() const override { return FColumns; }
    bool IsNull(int column) const override {
        return PQgetisnull(FResult, FRow, column) || (FKinds[column] != TColumnKind::AsIs && Cell(column).Null);
    }
    std::string_view Text(int column) const override {
        if (PQgetisnull(FResult, FRow, column))
            return {};
        if (FKinds[column] == TColumnKind::AsIs)
            return Raw(column);
        return Cell(column).Text;
    }
    TValue Value(int column) const override {
        if (PQgetisnull(FResult, FRow, column))
            return {};
        if (FKinds[column] == TColumnKind::AsIs)
            return TValue(Raw(column));
        return Cell(column).Value;
    }
    // The column's text for a row loader: null for NULL, valid until the next row.
    char* LoaderText(int column) const {
        if (IsNull(column))
            return nullptr;
        if (FKinds[column] == TColumnKind::AsIs)
            return PQgetvalue(FResult, FRow, column);
        return Cell(column).Text.data();
    }

private:
    std::string_view Raw(int column) const {
        return {PQgetvalue(FResult, FRow, column), static_cast<std::size_t>(PQgetlength(FResult, FRow, column))};
    }
    TCell& Cell(int column) const {
        const auto c = static_cast<std::size_t>(column);
        if (!FDone[c]) {
            FCells[c] = Convert(FKinds[c], Raw(column));
            FDone[c] = true;
        }
        return FCells[c];
    }

    const PGresult* FResult;
    int FColumns;
    int FRow = 0;
    std::vector<TColumnKind> FKinds;
    mutable std::vector<TCell> FCells;
    mutable std::vector<bool> FDone;
};

// A number as text the server reads back as exactly the same double.
std::string RealParameter(double value) {
    if (std::isinf(value))
        return value > 0 ? "Infinity" : "-Infinity";
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

} // namespace

// Shows the busy cursor while the program waits and takes it away again however the wait ends.
class TWaitShown {
public:
    TWaitShown() = default;
    ~TWaitShown() {
        if (FShown && FIndicator)
            FIndicator(false);
    }
    TWaitShown(const TWaitShown&) = delete;
    TWaitShown& operator=(const TWaitShown&) = delete;
    bool Shown() const { return FShown; }
    void Show() {
        if (FShown)
            return;
        FShown = true;
        FIndicator = Indicator;
        if (FIndicator)
            FIndicator(true);
    }

private:
    bool FShown = false;
    TWaitIndicator FIndicator = nullptr;
};

namespace {

std::string ResultMessage(const PGresult* result) {
    const char* state = PQresultErrorField(result, PG_DIAG_SQLSTATE);
    const char* primary = PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY);
    const char* detail = PQresultErrorField(result, PG_DIAG_MESSAGE_DETAIL);
    std::string text = "PostgreSQL Error ";
    text += state ? state : "?";
    text += " - ";
    text += primary ? primary : Trimmed(PQresultErrorMessage(result));
    if (detail)
        text.append(": ").append(Trimmed(detail));
    return text;
}

bool IsChange(const char* status) {
    for (const char* verb : {"INSERT ", "UPDATE ", "DELETE ", "MERGE "})
        if (std::strncmp(status, verb, std::strlen(verb)) == 0)
            return true;
    return false;
}

} // namespace

EPostgreSQL::EPostgreSQL(const std::string& message, std::string state)
    : Exception(message), FState(std::move(state)) {}

std::string NumberedParameters(std::string_view sql) {
    std::string numbered;
    numbered.reserve(sql.size() + 16);
    int highest = 0;
    for (std::size_t i = 0; i < sql.size();) {
        const std::size_t end = SkipQuoted(sql, i);
        if (end != i) {
            numbered.append(sql.substr(i, end - i));
            i = end;
            continue;
        }
        if (sql[i] != '?') {
            numbered += sql[i++];
            continue;
        }
        std::size_t k = i + 1;
        while (k < sql.size() && IsDigit(sql[k]))
            ++k;
        int number = highest + 1;
        if (k > i + 1)
            std::from_chars(sql.data() + i + 1, sql.data() + k, number);
        highest = std::max(highest, number);
        numbered += '$' + std::to_string(number);
        i = k;
    }
    return numbered;
}

std::vector<std::string> SplitStatements(std::string_view sql) {
    std::vector<std::string> statements;
    std::size_t start = 0;
    bool content = false;
    for (std::size_t i = 0; i < sql.size();) {
        const std::size_t end = SkipQuoted(sql, i);
        if (end != i) {
            content = content || !IsComment(sql, i);
            i = end;
            continue;
        }
        if (sql[i] == ';') {
            if (content)
                statements.emplace_back(sql.substr(start, i - start));
            start = i + 1;
            content = false;
        } else if (static_cast<unsigned char>(sql[i]) > ' ') {
            content = true;
        }
        ++i;
    }
    if (content)
        statements.emplace_back(sql.substr(start));
    return statements;
}

std::string DescribeServer(const std::string& connection) {
    const bool named = connection.find('=') != std::string::npos || connection.starts_with("postgresql://") ||
                       connection.starts_with("postgres://");
    std::string database = named ? "" : connection;
    std::string host;
    std::string port;
    std::string service;
    if (named) {
        char* error = nullptr;
        PQconninfoOption* options = PQconninfoParse(connection.c_str(), &error);
        if (!options) {
            const std::string why = error ? Trimmed(error) : "it cannot be read";
            PQfreemem(error);
            return "the server (" + why + ")";
        }
        for (const PQconninfoOption* o = options; o->keyword; ++o) {
            if (!o->val)
                continue;
            const std::string_view keyword = o->keyword;
            if (keyword == "dbname")
                database = o->val;
            else if (keyword == "host" || (keyword == "hostaddr" && host.empty()))
                host = o->val;
            else if (keyword == "port")
                port = o->val;
            else if (keyword == "service")
                service = o->val;
        }
        PQconninfoFree(options);
    }
    if (!service.empty() && database.empty() && host.empty())
        return "the service " + service;
    std::string text = database.empty() ? "the default database" : database;
    text += " on ";
    text += host.empty() ? "this computer" : host;
    if (!port.empty() && port != "5432")
        text += (host.starts_with('/') ? " port " : ":") + port;
    return text;
}

void SetWaitIndicator(TWaitIndicator indicator) {
    Indicator = indicator;
}

std::unique_ptr<TDatabase> OpenPostgreSQLDatabase(const std::string& connection) {
    return std::make_unique<TPostgreSQLDatabase>(connection);
}

TPostgreSQLDatabase::TPostgreSQLDatabase(const std::string& connection) : FServer(DescribeServer(connection)) {
    {
        TWaitShown wait;
        wait.Show();
        // The keywords after dbname win over what the text names: the limit and the encoding are the program's.
        const std::string timeout = std::to_string(ServerConnectSeconds);
        const char* const keywords[] = {"dbname", "connect_timeout", "client_encoding", "fallback_application_name",
                                        nullptr};
        const char* const values[] = {connection.c_str(), timeout.c_str(), "UTF8", "brivane", nullptr};
        FConn = PQconnectdbParams(keywords, values, 1);
    }
    if (!FConn)
        throw EPostgreSQL("Cannot connect to " + FServer + ": out of memory");
    if (PQstatus(FConn) != CONNECTION_OK) {
        const std::string why = Trimmed(PQerrorMessage(FConn));
        PQfinish(FConn);
        FConn = nullptr;
        throw EPostgreSQL("Cannot connect to " + FServer + ": " + why);
    }
    PQsetNoticeReceiver(FConn, Notice, this);
    FServer = std::string(PQdb(FConn)) + " on " + PQhost(FConn);
    if (const std::string port = PQport(FConn); !port.empty() && port != "5432")
        FServer += (FServer.find(" on /") != std::string::npos ? " port " : ":") + port;
    try {
        // Dates and times in UTC and ISO form as SQLite writes them; doubles in full (the shortest exact
        // text); quotes doubled are the only escape in a literal, as QuoteSql assumes.
        Run("SET TimeZone = 'UTC'; SET DateStyle = 'ISO, YMD'; SET lock_timeout = '" +
                std::to_string(LockWaitMilliseconds) + "ms'; SET statement_timeout = '" +
                std::to_string(ServerStatementSeconds) +
                "s'; SET extra_float_digits = 3; SET standard_conforming_strings = on;",
            nullptr);
    } catch (...) {
        PQfinish(FConn);
        FConn = nullptr;
        throw;
    }
}

TPostgreSQLDatabase::~TPostgreSQLDatabase() {
    if (FConn)
        PQfinish(FConn);
}

void TPostgreSQLDatabase::Close() {
    pg_conn* closing = FConn;
    FConn = nullptr;
    if (closing)
        PQfinish(closing);
}

bool TPostgreSQLDatabase::Usable() {
    if (!FConn || FLost || PQstatus(FConn) != CONNECTION_OK)
        return false;
    // A server that ended the connection while it was idle has said so on the socket: read it now, so that the
    // next action connects again instead of failing on its first statement.
    if (PQtransactionStatus(FConn) == PQTRANS_IDLE) {
        pollfd socket{PQsocket(FConn), POLLIN, 0};
        if (socket.fd < 0)
            return false;
        // The server's last word comes first and the end of the connection after it: read until nothing is left.
        for (int reads = 0; reads < 8 && poll(&socket, 1, 0) > 0; ++reads) {
            if (!PQconsumeInput(FConn) || PQstatus(FConn) != CONNECTION_OK)
                return false;
            PQisBusy(FConn);
        }
    }
    return !FLost;
}

void TPostgreSQLDatabase::Notice(void* self, const pg_result* notice) {
    // The server's notices (a table that was not there to drop) are no news to the user; but a FATAL one between
    // statements is the server saying why it ends the connection.
    const char* severity = PQresultErrorField(notice, PG_DIAG_SEVERITY_NONLOCALIZED);
    if (severity && (std::strcmp(severity, "FATAL") == 0 || std::strcmp(severity, "PANIC") == 0))
        static_cast<TPostgreSQLDatabase*>(self)->FLost = true;
}

void TPostgreSQLDatabase::Broken(const std::string& what) {
    FLost = true;
    throw EPostgreSQL("The connection to " + FServer + " was lost: " + what);
}

void TPostgreSQLDatabase::WaitForAnswer(std::int64_t deadline, TWaitShown& wait) {
    pollfd socket{PQsocket(FConn), POLLIN, 0};
    if (socket.fd < 0)
        Broken(Trimmed(PQerrorMessage(FConn)));
    for (;;) {
        const std::int64_t left = deadline - Now();
        if (left <= 0) {
            // The server ends a statement itself at its limit; no answer by now means the way to it is broken.
            Broken("no answer within " + std::to_string(ServerStatementSeconds + AnswerGraceSeconds) + " s");
        }
        const int timeout =
            static_cast<int>(wait.Shown() ? left : std::min<std::int64_t>(left, NoticeAfterMilliseconds));
        const int ready = poll(&socket, 1, timeout);
        if (ready > 0)
            return;
        if (ready < 0 && errno != EINTR)
            Broken(std::strerror(errno));
        if (ready == 0)
            wait.Show();
    }
}

TPostgreSQLDatabase::TResults TPostgreSQLDatabase::Await() {
    const std::int64_t deadline = Now() + (ServerStatementSeconds + AnswerGraceSeconds) * 1000LL;
    // The cursor stays busy from the first long wait to the last answer.
    TWaitShown wait;
    TResults results;
    std::shared_ptr<pg_result> error;
    for (;;) {
        while (PQisBusy(FConn)) {
            WaitForAnswer(deadline, wait);
            if (!PQconsumeInput(FConn))
                Broken(Trimmed(PQerrorMessage(FConn)));
        }
        PGresult* next = PQgetResult(FConn);
        if (!next)
            break;
        std::shared_ptr<pg_result> result(next, PQclear);
        switch (PQresultStatus(next)) {
        case PGRES_FATAL_ERROR:
        case PGRES_BAD_RESPONSE:
        case PGRES_NONFATAL_ERROR:
            if (!error)
                error = result;
            break;
        case PGRES_COPY_IN:
        case PGRES_COPY_OUT:
        case PGRES_COPY_BOTH:
            // No statement of the program copies; one that does is ended at once instead of waiting forever.
            PQputCopyEnd(FConn, "not supported by the program");
            break;
        default:
            if (IsChange(PQcmdStatus(next)))
                FChanged = std::atoi(PQcmdTuples(next));
            results.push_back(std::move(result));
            break;
        }
    }
    if (PQstatus(FConn) != CONNECTION_OK)
        Broken(Trimmed(error ? PQresultErrorMessage(error.get()) : PQerrorMessage(FConn)));
    if (error) {
        const char* state = PQresultErrorField(error.get(), PG_DIAG_SQLSTATE);
        throw EPostgreSQL(ResultMessage(error.get()), state ? state : "");
    }
    return results;
}

TPostgreSQLDatabase::TResults TPostgreSQLDatabase::Run(const std::string& sql, const TValues* values) {
    if (!FConn || FLost)
        throw EPostgreSQL("The connection to " + FServer + " was lost");
    int sent = 0;
    if (!values) {
        sent = PQsendQuery(FConn, sql.c_str());
    } else {
        const std::string numbered = NumberedParameters(sql);
        std::vector<std::string> texts(values->size());
        std::vector<const char*> pointers(values->size(), nullptr);
        std::vector<Oid> types(values->size(), 0);
        for (std::size_t i = 0; i < values->size(); ++i) {
            const TValue& value = (*values)[i];
            switch (value.Kind()) {
            case TValue::TKind::Null:
                continue;
            case TValue::TKind::Integer:
                texts[i] = std::to_string(value.Integer());
                types[i] = Int8Type;
                break;
            case TValue::TKind::Real:
                // SQLite stores a NaN as NULL; so does the server here.
                if (std::isnan(value.Real()))
                    continue;
                texts[i] = RealParameter(value.Real());
                types[i] = Float8Type;
                break;
            case TValue::TKind::Text:
                // A text goes as a quoted literal would, so the column's type reads it; a NUL byte would end it
                // early, which must not shorten a name unnoticed.
                if (value.Text().find('\0') != std::string::npos)
                    throw EPostgreSQL("A text with a NUL byte cannot be stored on the server", "22021");
                texts[i] = value.Text();
                break;
            }
            pointers[i] = texts[i].c_str();
        }
        std::string key = numbered;
        key += '\0';
        for (const Oid type : types)
            key += std::to_string(type) + ",";
        auto prepared = FPrepared.find(key);
        // A few hundred at most: statements made for a count of values (an IN list of n) are run unprepared
        // beyond that.
        constexpr std::size_t MostPrepared = 256;
        if (prepared == FPrepared.end() && FPrepared.size() < MostPrepared) {
            const std::string name = "brivane_" + std::to_string(FPrepared.size() + 1);
            if (!PQsendPrepare(FConn, name.c_str(), numbered.c_str(), static_cast<int>(values->size()), types.data())) {
                if (PQstatus(FConn) != CONNECTION_OK)
                    Broken(Trimmed(PQerrorMessage(FConn)));
                throw EPostgreSQL("PostgreSQL Error - " + Trimmed(PQerrorMessage(FConn)));
            }
            Await();
            prepared = FPrepared.emplace(std::move(key), name).first;
        }
        sent = prepared != FPrepared.end()
                   ? PQsendQueryPrepared(FConn, prepared->second.c_str(), static_cast<int>(values->size()),
                                         pointers.data(), nullptr, nullptr, 0)
                   : PQsendQueryParams(FConn, numbered.c_str(), static_cast<int>(values->size()), types.data(),
                                       pointers.data(), nullptr, nullptr, 0);
    }
    if (!sent) {
        if (PQstatus(FConn) != CONNECTION_OK)
            Broken(Trimmed(PQerrorMessage(FConn)));
        throw EPostgreSQL("PostgreSQL Error - " + Trimmed(PQerrorMessage(FConn)));
    }
    return Await();
}

void TPostgreSQLDatabase::ExecStatements(const std::string& sql) {
    // One statement at a time, as on a file: a failure stops at its statement and the earlier ones stay.
    for (const std::string& statement : SplitStatements(sql))
        Run(statement, nullptr);
}

void TPostgreSQLDatabase::ForEachRow(const std::string& sql, const TValues& values, const TRowFunction& row) {
    // Every answer is in before the first row is handed on, so a row function may run statements of its own.
    const TResults results = Run(sql, &values);
    if (!row)
        return;
    for (const auto& result : results) {
        TServerRow current(result.get());
        for (int r = 0, rows = PQntuples(result.get()); r < rows; ++r) {
            current.MoveTo(r);
            row(current);
        }
    }
}

void TPostgreSQLDatabase::RunQuery(const std::string& sql, TRowLoader loader) {
    const TResults results = Run(sql, nullptr);
    for (const auto& result : results) {
        const int columns = PQnfields(result.get());
        TServerRow current(result.get());
        std::vector<char*> texts(static_cast<std::size_t>(columns));
        std::vector<char*> names(static_cast<std::size_t>(columns));
        for (int c = 0; c < columns; ++c)
            names[static_cast<std::size_t>(c)] = PQfname(result.get(), c);
        for (int r = 0, rows = PQntuples(result.get()); r < rows; ++r) {
            current.MoveTo(r);
            for (int c = 0; c < columns; ++c)
                texts[static_cast<std::size_t>(c)] = current.LoaderText(c);
            // A loader that asks to stop ends the query with an error, as SQLite's does.
            if (loader && loader(nullptr, columns, texts.data(), names.data()) != 0)
                throw EPostgreSQL("PostgreSQL Error - query aborted");
        }
    }
}

bool TPostgreSQLDatabase::HasTable(const std::string& name) {
    bool found = false;
    // Names without quotes are folded to lower case by the server, so that is how its catalog holds them.
    ForEachRow("SELECT 1 FROM pg_catalog.pg_class C JOIN pg_catalog.pg_namespace N ON N.oid = C.relnamespace "
               "WHERE C.relkind IN ('r', 'p') AND N.nspname = ANY (current_schemas(false)) AND C.relname = lower(?);",
               {name}, [&found](const TResultRow&) { found = true; });
    return found;
}

void TPostgreSQLDatabase::BeginWrite() {
    try {
        Run("BEGIN ISOLATION LEVEL READ COMMITTED; SELECT pg_advisory_xact_lock(" + std::to_string(WriteLockKey) + ");",
            nullptr);
    } catch (...) {
        // The transaction began even when the lock was not had in time; it must not stay open.
        Rollback();
        throw;
    }
}

void TPostgreSQLDatabase::BeginRead() {
    // Not READ ONLY: a reader may keep its working rows in a temporary table (the price list's preview does).
    Run("BEGIN ISOLATION LEVEL REPEATABLE READ;", nullptr);
}

void TPostgreSQLDatabase::Commit() {
    const TResults results = Run("COMMIT;", nullptr);
    if (!results.empty() && std::strcmp(PQcmdStatus(results.back().get()), "ROLLBACK") == 0)
        throw EPostgreSQL("PostgreSQL Error 25P02 - the transaction was rolled back, as a statement of it had failed",
                          "25P02");
}

void TPostgreSQLDatabase::Rollback() noexcept {
    if (!FConn || FLost || PQstatus(FConn) != CONNECTION_OK)
        return;
    const PGTransactionStatusType status = PQtransactionStatus(FConn);
    if (status != PQTRANS_INTRANS && status != PQTRANS_INERROR)
        return;
    try {
        Run("ROLLBACK;", nullptr);
    } catch (...) {
        // A connection that cannot even roll back is broken; the next action connects again.
        FLost = true;
    }
}

std::string TPostgreSQLDatabase::Where() const {
    std::string where = FServer;
    if (FConn && PQstatus(FConn) == CONNECTION_OK) {
        std::string version =
            PQparameterStatus(FConn, "server_version") ? PQparameterStatus(FConn, "server_version") : "";
        version = version.substr(0, version.find(' '));
        where += ", PostgreSQL " + version;
    }
    return where;
}
