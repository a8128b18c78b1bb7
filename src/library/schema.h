#pragma once
// The library's schema as an ordered list of steps: step i brings a file of
// version i to version i + 1 (PRAGMA user_version). A new version is one more
// step at the end; a step once released never changes, since files of every
// earlier version must still come up to date.
#include <string>
#include <vector>

#include "library/sqlite.h"

namespace tobrak {

// "TBRK": PRAGMA application_id of a library, telling it from another program's SQLite file.
constexpr int kLibraryApplicationId = 0x5442524B;

const std::vector<std::string>& libraryMigrations();

// Brings `db` from its user_version to steps.size(), each step in a transaction
// of its own; returns the version it started from. Throws sql::DbError.
int migrate(sql::Db& db, const std::vector<std::string>& steps);

}  // namespace tobrak
