#include "AdminCommands.h"

#include "CredentialStore.h"
#include "FormSchema.h"

#include <sqlite3.h>

#include <istream>
#include <ostream>

namespace admincommands {

namespace {

sqlite3 *openWritable(const std::string &dbPath, std::ostream &err)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(dbPath.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        err << "cannot open " << dbPath << ": " << sqlite3_errmsg(db) << '\n';
        sqlite3_close_v2(db);
        return nullptr;
    }
    return db;
}

} // namespace

int init(const std::string &dbPath, std::ostream &out, std::ostream &err)
{
    sqlite3 *db = openWritable(dbPath, err);
    if (!db)
        return 1;
    std::string error;
    char *msg = nullptr;
    bool ok = sqlite3_exec(db, "BEGIN", nullptr, nullptr, &msg) == SQLITE_OK &&
              sqlite3_exec(db, formschema::kCreateSql, nullptr, nullptr, &msg) == SQLITE_OK &&
              sqlite3_exec(db, formschema::kIndexSql, nullptr, nullptr, &msg) == SQLITE_OK;
    if (ok)
        ok = CredentialStore::createTable(db, error);
    else
        error = msg ? msg : "database error";
    sqlite3_free(msg);
    ok = ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    if (!ok) {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        err << "init: " << error << '\n';
    } else {
        out << "initialised " << dbPath << '\n';
    }
    sqlite3_close_v2(db);
    return ok ? 0 : 1;
}

int addUser(const std::string &dbPath, const std::string &user, std::istream &in, std::ostream &out, std::ostream &err)
{
    if (user.empty()) {
        err << "add-user: a user name is needed\n";
        return 2;
    }
    std::string password;
    std::getline(in, password);
    if (!password.empty() && password.back() == '\r')
        password.pop_back();
    if (password.empty()) {
        err << "add-user: no password on standard input\n";
        return 1;
    }
    sqlite3 *db = openWritable(dbPath, err);
    if (!db)
        return 1;
    std::string error;
    const bool ok = CredentialStore::setPassword(db, user, password, error);
    sqlite3_close_v2(db);
    if (!ok) {
        err << "add-user: " << error << '\n';
        return 1;
    }
    out << "user " << user << " saved\n";
    return 0;
}

} // namespace admincommands
