-- A library of schema version 1 as that version wrote it, with one session:
-- the fixture its migrations to every later version start from. Never edit.
PRAGMA application_id = 1413632587;
PRAGMA user_version = 1;
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
INSERT INTO halls VALUES ('駅前', 47.0, 20.0);
INSERT INTO sessions (id, start, start_ms, start_offset_min, end, end_ms, end_offset_min, machine, hall,
  machine_number, profile, board, comment, source, header, invest_yen, collect_medals, collect_yen, games,
  normal_games, bb, rb, medals_in, medals_out, open, content_key, deleted_at_ms)
VALUES (1, '2026-12-01T10:00:00.000+09:00', 1764550800000, 540, '2026-12-01T10:00:12.000+09:00', 1764550812000,
  540, 'サンプル機', '駅前', '128', '', 'sim', '', 'live', zeroblob(48), 3000, 120, NULL, 3, 2, 1, 0, 9, 15, 0,
  NULL, NULL);
INSERT INTO games VALUES (1, 0, 48, 1764550800000, 540), (1, 1, 188, 1764550806000, 540),
  (1, 2, 51, 1764550812000, 540);
INSERT INTO bonuses VALUES (1, 1, 'BB', 1, 1, 9, 1764550806000, 540, 1764550806000, 540);
