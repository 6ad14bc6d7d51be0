#pragma once

#include <iosfwd>
#include <string>

// Loads one form table from a CSV file whose header row names the columns. An empty field is NULL.
// Every row is checked first (field count, whole numbers, dates, UTF-8); any bad row is reported with its
// line number and nothing is imported. The rows go in in one transaction, then the indexes are built.
class CsvImporter
{
public:
    static int run(const std::string &dbPath, const std::string &table, const std::string &csvPath, std::ostream &out,
                   std::ostream &err);
};
