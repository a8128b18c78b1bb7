#!/usr/bin/env bash
# Kills a recording program (kill -9) at random moments, with its journal and a
# library of sessions, and checks that the library loses at most the game in
# progress.
#
# Why that bound holds: the recorder's writer commits every half second, so the
# library itself may lack the last half second of games when the program dies;
# what it holds is the beginning of the record (a commit is whole or not at
# all). The journal reaches the disk before the next poll and holds every game
# but the one in progress. The restore brings the library's unfinished session
# up to the journal's record (the window through LibraryRecorder::resumeFrom,
# here `journal --db`), so afterwards the library has every game the journal
# has: all but the game in progress, and never a second copy of the session.
# usage: library_kill_test.sh CLI WORKDIR
set -u
cli=$1 work=$2
mkdir -p "$work"
fail() { echo "FAIL: $*"; exit 1; }
json() { python3 -c "import json,sys; d=json.load(sys.stdin); print($1)"; }

for round in 1 2 3 4 5 6; do
  seed=$((round * 5))
  rm -rf "$work/j" "$work"/lib.sqlite*
  "$cli" record --board sim --fast --speed 100 --seed "$seed" --journal "$work/j" --db "$work/lib.sqlite" \
    >"$work/out" 2>&1 &
  pid=$!
  sleep "0.$((RANDOM % 8 + 2))"
  kill -9 "$pid"
  wait "$pid" 2>/dev/null
  shown=$(grep -a -o '^[0-9]*G ' "$work/out" | tail -n 1 | tr -d 'G ')
  shown=${shown:-0}
  if ! "$cli" journal "$work/j" --save "$work/rec.slt" >/dev/null 2>&1; then
    [ "$shown" -eq 0 ] || fail "round $round: no record in the journal after $shown games"
    echo "ok: round $round killed before the first game"
    continue
  fi
  games=$(($(stat -c %s "$work/rec.slt") - 48))
  # What the writer had committed: the beginning of the journal's record.
  kept=0
  if [ -e "$work/lib.sqlite" ]; then
    list=$("$cli" sessions list --db "$work/lib.sqlite") || fail "round $round: the library cannot be read after the kill"
    n=$(echo "$list" | json 'len(d["sessions"])')
    [ "$n" -le 1 ] || fail "round $round: $n sessions"
    if [ "$n" -eq 1 ]; then
      kept=$(echo "$list" | json 'd["sessions"][0]["games"]')
      id=$(echo "$list" | json 'd["sessions"][0]["id"]')
      [ "$kept" -le "$games" ] || fail "round $round: the library has $kept games, the journal $games"
      "$cli" sessions export --slt "$id" "$work/lib.slt" --db "$work/lib.sqlite" || fail "round $round: export"
      [ "$kept" -le 1 ] || cmp -s -i 48 -n $((kept - 1)) "$work/lib.slt" "$work/rec.slt" ||
        fail "round $round: the library's games are not the journal's"
    fi
  fi
  # The restore.
  report=$("$cli" journal "$work/j" --db "$work/lib.sqlite") || fail "round $round: journal --db"
  resumed=$(echo "$report" | json 'd["library"]["resumed"]')
  [ "$kept" -eq 0 ] || [ "$resumed" = True ] || fail "round $round: the unfinished session was not resumed"
  list=$("$cli" sessions list --db "$work/lib.sqlite")
  [ "$(echo "$list" | json 'len(d["sessions"])')" -eq 1 ] || fail "round $round: a duplicate session after the restore"
  after=$(echo "$list" | json 'd["sessions"][0]["games"]')
  id=$(echo "$list" | json 'd["sessions"][0]["id"]')
  [ "$after" -eq "$games" ] || fail "round $round: $after games after the restore, the journal has $games"
  [ "$after" -ge "$shown" ] || fail "round $round: $after games, the program had shown $shown"
  [ "$after" -le $((shown + 1)) ] || fail "round $round: $after games, more than the $shown shown and one in progress"
  "$cli" sessions export --slt "$id" "$work/lib.slt" --db "$work/lib.sqlite" || fail "round $round: export"
  cmp -s "$work/lib.slt" "$work/rec.slt" || fail "round $round: the library's record differs from the journal's"
  echo "ok: round $round killed after $shown games; the library had $kept, after the restore $after"
done
