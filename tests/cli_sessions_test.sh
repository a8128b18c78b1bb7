#!/usr/bin/env bash
# `tobrak-cli sessions` end to end on real library files: import, list, show,
# export, totals, edit, delete and restore; `record` into a library or none; a
# bad or newer library told with status 1, usage errors with status 2.
# usage: cli_sessions_test.sh CLI WORKDIR
set -u
cli=$1 work=$2
rm -rf "$work" && mkdir -p "$work/files" && cd "$work" || exit 1
export XDG_DATA_HOME="$work/data"
fail() { echo "FAIL: $*"; exit 1; }
json() { python3 -c "import json,sys; d=json.load(sys.stdin); print($1)"; }
status() { "$@" >out 2>err; echo $?; }

for s in 1 2 3; do "$cli" simulate --fast --speed 100 --seed $s --games $((s * 300)) --save files/s$s.slt >/dev/null; done
db=lib.sqlite

# Import: a folder once, and its files again: nothing twice.
[ "$(status "$cli" sessions import files --db $db)" -eq 0 ] || fail "import: $(cat err)"
[ "$(json 'd["imported"]' <out)" -eq 3 ] || fail "import: $(cat out)"
[ "$(status "$cli" sessions import files/s2.slt --db $db)" -eq 0 ] || fail "import again"
[ "$(json 'd["already_imported"]' <out)" -eq 1 ] || fail "import again: $(cat out)"
grep -q "imported before" err || fail "import again does not say so"
echo "not a record" >files/bad.slt
[ "$(status "$cli" sessions import files/bad.slt --db $db)" -eq 1 ] || fail "a bad file imported"
grep -q "ファイル・エラーです！" err || fail "a bad file: $(cat err)"

# List and show.
"$cli" sessions list --db $db >list.json || fail "list"
[ "$(json 'len(d["sessions"])' <list.json)" -eq 3 ] || fail "list: $(cat list.json)"
[ "$(json 'sorted(s["games"] for s in d["sessions"])' <list.json)" = "[300, 600, 900]" ] || fail "list games"
[ "$(json 'list(d["sessions"][0].keys())[:11]' <list.json)" = \
  "['id', 'start', 'end', 'machine', 'hall', 'number', 'profile', 'board', 'comment', 'source', 'games']" ] ||
  fail "list keys"
id=$(json '[s["id"] for s in d["sessions"] if s["games"] == 600][0]' <list.json)
"$cli" sessions show "$id" --db $db >show.json || fail "show"
[ "$(json 'len(d["games"])' <show.json)" -eq 600 ] || fail "show games"
[ "$(json 'd["session"]["bb"] == sum(1 for b in d["bonuses"] if b["kind"] == "BB")' <show.json)" = True ] ||
  fail "show bonuses"
[ "$(status "$cli" sessions show 999 --db $db)" -eq 1 ] || fail "a missing session"
grep -q "no session 999" err || fail "a missing session: $(cat err)"

# Export: the record byte for byte, the sessions and the games as CSV.
"$cli" sessions export --slt "$id" back.slt --db $db || fail "export --slt"
cmp -s back.slt files/s2.slt || fail "the exported record differs from the imported file"
"$cli" sessions export --csv sessions.csv --db $db || fail "export --csv"
[ "$(wc -l <sessions.csv)" -eq 4 ] || fail "sessions.csv: $(cat sessions.csv)"
head -c 3 sessions.csv | grep -q "^id," || fail "sessions.csv starts with its header row, no byte-order mark"
"$cli" sessions export --games "$id" --csv - --db $db >games.csv || fail "export --games"
"$cli" export files/s2.slt --csv file.csv || fail "export of the file"
diff <(cut -d, -f1-6 games.csv) file.csv >/dev/null || fail "the games' CSV is not the file export's with the time"

# Edit, money and totals.
"$cli" sessions edit "$id" --machine サンプル機 --hall 駅前 --invest 5000 --collect-yen 7000 --db $db >edit.json ||
  fail "edit: $(cat err)"
[ "$(json 'd["session"]["income_yen"]' <edit.json)" -eq 2000 ] || fail "edit: $(cat edit.json)"
"$cli" sessions totals --by machine --db $db >totals.json || fail "totals"
[ "$(json '[t["key"] for t in d["totals"]]' <totals.json)" = "['', 'サンプル機']" ] || fail "totals: $(cat totals.json)"
[ "$(json 'd["totals"][1]["income_yen"]' <totals.json)" -eq 2000 ] || fail "totals income"
[ "$(json 'd["totals"][0]["sessions"]' <totals.json)" -eq 2 ] || fail "totals sessions"
"$cli" sessions list --machine サンプル機 --db $db | json 'len(d["sessions"])' | grep -qx 1 || fail "list --machine"

# The trash.
"$cli" sessions delete "$id" --db $db || fail "delete"
"$cli" sessions list --db $db | json 'len(d["sessions"])' | grep -qx 2 || fail "deleted but listed"
"$cli" sessions list --trash --db $db | json 'len(d["sessions"])' | grep -qx 1 || fail "not in the trash"
[ "$(status "$cli" sessions delete "$id" --db $db)" -eq 1 ] || fail "deleted twice"
"$cli" sessions restore "$id" --db $db || fail "restore"
"$cli" sessions list --db $db | json 'len(d["sessions"])' | grep -qx 3 || fail "not restored"

# record: into the user's library by default, into --db, or none.
"$cli" record --board sim --fast --speed 100 --games 50 >/dev/null 2>err || fail "record: $(cat err)"
"$cli" sessions list --db "$XDG_DATA_HOME/tobrak/library.sqlite" | json 'd["sessions"][0]["games"]' | grep -qx 50 ||
  fail "record did not keep its session in the user's library"
"$cli" record --board sim --fast --speed 100 --games 20 --db $db --machine 見本 --hall 駅前 --number 128 \
  >/dev/null 2>&1 || fail "record --db"
"$cli" sessions list --db $db | json 'd["sessions"][0]["games"], d["sessions"][0]["machine"], d["sessions"][0]["number"]' |
  grep -qx "20 見本 128" || fail "record --db: not kept"
rm -rf "$XDG_DATA_HOME"
"$cli" record --board sim --fast --speed 100 --games 5 --no-library >/dev/null 2>&1 || fail "record --no-library"
[ ! -e "$XDG_DATA_HOME/tobrak/library.sqlite" ] || fail "--no-library made a library"

# A bad library: status 1, said, and a reading command leaves the file as it is.
printf '\x89PNG\r\n\x1a\n%0500d' 0 >picture.sqlite
cp picture.sqlite picture.orig
[ "$(status "$cli" sessions list --db picture.sqlite)" -eq 1 ] || fail "a picture listed"
grep -q "not a Tobrak library" err && grep -q "ライブラリ" err || fail "a picture: $(cat err)"
cmp -s picture.sqlite picture.orig || fail "a reading command changed a foreign file"
[ "$(status "$cli" sessions list --db nowhere.sqlite)" -eq 1 ] || fail "a missing library listed"
[ ! -e nowhere.sqlite ] || fail "a reading command made a library"
# Recording sets it aside and starts a new one; the recording goes on.
"$cli" record --board sim --fast --speed 100 --games 5 --db picture.sqlite >/dev/null 2>err || fail "record over a picture"
grep -q "kept as picture.sqlite.damaged-" err || fail "record over a picture: $(cat err)"
cmp -s picture.sqlite.damaged-* picture.orig || fail "the picture was not kept as it was"
# A newer library: read, never written.
cp $db newer.sqlite
sqlite3 newer.sqlite "PRAGMA user_version = 99" || fail "sqlite3"
[ "$(status "$cli" sessions list --db newer.sqlite)" -eq 0 ] || fail "a newer library not read"
grep -q "read-only" err || fail "a newer library: $(cat err)"
[ "$(status "$cli" sessions import files/s1.slt --db newer.sqlite)" -eq 1 ] || fail "imported into a newer library"

# Usage errors.
for args in "sessions" "sessions totals --by week" "sessions show" "sessions export" "sessions list --month 2026-1" \
  "sessions export --games 1" "sessions export --slt 1" "record --no-library --db x" "sessions show x"; do
  # shellcheck disable=SC2086
  [ "$(status "$cli" $args --db $db)" -eq 2 ] || fail "'$args' is not a usage error: $(cat err)"
done
[ "$(status "$cli" sessions export --slt x out.slt --db $db)" -eq 2 ] || fail "--slt x is not a usage error"
echo "ok"
