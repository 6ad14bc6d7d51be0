#pragma once

// Takes over a previous installation's database once: its copy, enriched with the trainers
// and the booking-rate table of the current database, becomes the working database in the
// program folder. Does nothing when there is no previous database. Throws DbError.
void runStartupMigration();
