#include "library/schema.h"

namespace tobrak {

const std::vector<std::string>& libraryMigrations() {
    static const std::vector<std::string> steps = {
        // 0 → 1: sessions with their games, bonuses and money; the halls' rates.
        R"sql(
CREATE TABLE halls (
  name TEXT PRIMARY KEY,
  medals_per_1000_yen REAL NOT NULL,   -- medals lent for 1000 yen
  yen_per_medal REAL NOT NULL          -- yen for one medal returned
);
CREATE TABLE sessions (
  id INTEGER PRIMARY KEY,
  start TEXT NOT NULL,                 -- local time with its offset, ISO 8601
  start_ms INTEGER NOT NULL,           -- UTC milliseconds
  start_offset_min INTEGER NOT NULL,
  end TEXT,
  end_ms INTEGER,
  end_offset_min INTEGER,
  machine TEXT NOT NULL DEFAULT '',
  hall TEXT NOT NULL DEFAULT '',
  machine_number TEXT NOT NULL DEFAULT '',
  profile TEXT NOT NULL DEFAULT '',
  board TEXT NOT NULL DEFAULT '',
  comment TEXT NOT NULL DEFAULT '',
  source TEXT NOT NULL DEFAULT 'live', -- live, slt, journal
  header BLOB NOT NULL,                -- the record's 48 header bytes
  invest_yen INTEGER NOT NULL DEFAULT 0,
  collect_medals INTEGER,
  collect_yen INTEGER,                 -- none: from collect_medals at the hall's rate
  games INTEGER NOT NULL DEFAULT 0,    -- kept from the games below, for the lists
  normal_games INTEGER NOT NULL DEFAULT 0,
  bb INTEGER NOT NULL DEFAULT 0,
  rb INTEGER NOT NULL DEFAULT 0,
  medals_in INTEGER NOT NULL DEFAULT 0,
  medals_out INTEGER NOT NULL DEFAULT 0,
  open INTEGER NOT NULL DEFAULT 1,     -- still recorded into (or left so by a crash)
  content_key TEXT,                    -- fingerprint of the imported or finished record
  deleted_at_ms INTEGER                -- in the trash since then
);
CREATE INDEX sessions_by_start ON sessions (start_ms);
CREATE INDEX sessions_by_machine ON sessions (machine);
CREATE INDEX sessions_by_hall ON sessions (hall);
CREATE INDEX sessions_by_content ON sessions (content_key);
CREATE TABLE games (
  session_id INTEGER NOT NULL REFERENCES sessions (id) ON DELETE CASCADE,
  idx INTEGER NOT NULL,                -- 0-based game of the record
  byte INTEGER NOT NULL,               -- the record's byte, unmasked
  time_ms INTEGER,
  offset_min INTEGER,
  PRIMARY KEY (session_id, idx)
) WITHOUT ROWID;
CREATE TABLE bonuses (
  session_id INTEGER NOT NULL REFERENCES sessions (id) ON DELETE CASCADE,
  number INTEGER NOT NULL,             -- 1, 2, … in play order
  kind TEXT NOT NULL CHECK (kind IN ('BB', 'RB')),
  first_game INTEGER NOT NULL,
  games INTEGER NOT NULL,
  gain INTEGER NOT NULL,
  start_ms INTEGER, start_offset_min INTEGER,
  end_ms INTEGER, end_offset_min INTEGER,
  PRIMARY KEY (session_id, number)
) WITHOUT ROWID;
)sql",
        // 1 → 2: what the player counted by hand (ブドウ, チェリー …), in the profile's order.
        R"sql(
CREATE TABLE counters (
  session_id INTEGER NOT NULL REFERENCES sessions (id) ON DELETE CASCADE,
  idx INTEGER NOT NULL,                -- 0-based, the key 1 … 8 less one
  name TEXT NOT NULL,
  count INTEGER NOT NULL CHECK (count >= 0),
  PRIMARY KEY (session_id, idx)
) WITHOUT ROWID;
)sql",
    };
    return steps;
}

int migrate(sql::Db& db, const std::vector<std::string>& steps) {
    const int from = static_cast<int>(db.scalar("PRAGMA user_version"));
    for (int v = from; v < static_cast<int>(steps.size()); ++v) {
        sql::Transaction t(db);
        db.exec(steps[static_cast<std::size_t>(v)]);
        db.exec("PRAGMA application_id = " + std::to_string(kLibraryApplicationId));
        db.exec("PRAGMA user_version = " + std::to_string(v + 1));
        t.commit();
    }
    return from;
}

}  // namespace tobrak
