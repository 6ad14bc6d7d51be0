#pragma once

#include <iosfwd>
#include <string>

// Builds a deterministic, realistic racing history in a form-data database, and optionally
// field files for coming meetings whose tracks, horses, jockeys and trainers exist in it.
struct DemoOptions {
    std::string dbPath; // created if missing; form tables are (re)filled
    unsigned seed = 1;
    double years = 2;      // length of the history, ending the day before `until`
    std::string until;     // 'YYYY-MM-DD'; empty means today
    std::string fieldsDir; // empty: write no field files
};

// Returns a process exit code; progress lines go to `progress`, failures to `errors`.
int generateDemo(const DemoOptions &options, std::ostream &progress, std::ostream &errors);
