#pragma once

#include <iosfwd>
#include <string>

// The data server's maintenance commands; each returns a process exit code.
namespace admincommands {

int init(const std::string &dbPath, std::ostream &out, std::ostream &err);
int addUser(const std::string &dbPath, const std::string &user, std::istream &in, std::ostream &out, std::ostream &err);

} // namespace admincommands
