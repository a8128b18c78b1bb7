#!/usr/bin/env bash
# Kills a recording program (kill -9) at random moments and checks that its
# journal holds every game it had recorded, the game in progress at most cut
# short, byte for byte as the same simulated play gives without a crash.
# usage: journal_kill_test.sh CLI WORKDIR
set -u
cli=$1 work=$2
mkdir -p "$work"
fail() { echo "FAIL: $*"; exit 1; }
byte() { od -An -tu1 -j "$2" -N1 "$1" | tr -d ' '; }

for round in 1 2 3 4 5; do
  seed=$((round * 7))
  rm -rf "$work/j"
  "$cli" simulate --fast --speed 100 --seed "$seed" --journal "$work/j" >"$work/out" 2>&1 &
  pid=$!
  sleep "0.$((RANDOM % 7 + 3))"
  kill -9 "$pid"
  wait "$pid" 2>/dev/null
  # Games the program had shown: the last complete line (one is printed after each game).
  shown=$(grep -a -o '^[0-9]*G ' "$work/out" | tail -n 1 | tr -d 'G ')
  shown=${shown:-0}
  if ! "$cli" journal "$work/j" --save "$work/rec.slt" >/dev/null 2>&1; then
    # Killed before its first game (on a loaded machine): nothing to lose yet.
    [ "$shown" -eq 0 ] || fail "round $round: no record in the journal after $shown games"
    echo "ok: round $round killed before the first game"
    continue
  fi
  size=$(stat -c %s "$work/rec.slt")
  games=$((size - 48))
  [ "$games" -ge "$shown" ] || fail "round $round: the journal holds $games games, the program had shown $shown"
  [ "$games" -le $((shown + 1)) ] || fail "round $round: $games games, more than the $shown shown and one in progress"
  [ "$games" -gt 0 ] || continue
  # The same play without a crash, stopped at the same game.
  "$cli" simulate --fast --speed 100 --seed "$seed" --games "$games" --save "$work/ref.slt" >/dev/null ||
    fail "round $round: reference run"
  cmp -s -n $((size - 1)) "$work/rec.slt" "$work/ref.slt" || fail "round $round: the journal differs before the last game"
  last=$(($(byte "$work/rec.slt" $((size - 1))) ^ 0xB7))
  ref=$(($(byte "$work/ref.slt" $((size - 1))) ^ 0xB7))
  [ $((last & 0xF0)) -eq $((ref & 0xF0)) ] || fail "round $round: last game $last, expected the game code of $ref"
  echo "ok: round $round killed after $shown games, the journal holds $games"
done
