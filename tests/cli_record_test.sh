#!/usr/bin/env bash
# `tobrak-cli record` end to end: a counted recording saved; a recording stopped
# by SIGINT or SIGTERM saves and drops its journal only once the save succeeded.
# usage: cli_record_test.sh CLI WORKDIR
set -u
cli=$1 work=$2
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
fail() { echo "FAIL: $*"; exit 1; }

"$cli" record --board sim --speed 100 --games 40 --fast --journal j1 --save f.slt >out1 || fail "counted recording"
[ "$(stat -c %s f.slt)" -eq 88 ] || fail "40 games are not 88 bytes: $(stat -c %s f.slt)"
[ "$(grep -c '^[0-9]*G ' out1)" -eq 40 ] || fail "not one line per game"
[ ! -e j1/session.journal ] || fail "the journal outlived a successful save"

# Stopped by a signal: saved, journal gone.
"$cli" record --board sim --speed 100 --journal j2 --save g.slt >out2 2>&1 &
pid=$!
for _ in $(seq 50); do grep -q '^3G ' out2 && break; sleep 0.2; done
kill -INT "$pid"
wait "$pid" || fail "SIGINT: exit status $?"
size=$(stat -c %s g.slt) || fail "SIGINT: nothing saved"
shown=$(grep -c '^[0-9]*G ' out2)
[ "$size" -ge $((48 + shown)) ] || fail "SIGINT: $size bytes for $shown games shown"
[ ! -e j2/session.journal ] || fail "SIGINT: the journal outlived the save"

# The save fails: the journal keeps the record until the save succeeded.
"$cli" record --board sim --speed 100 --journal j3 --save no/such/dir/h.slt >out3 2>err3 &
pid=$!
for _ in $(seq 50); do grep -q '^3G ' out3 && break; sleep 0.2; done
kill -TERM "$pid"
wait "$pid" && fail "SIGTERM: a failed save reported success"
grep -q "ファイル・エラーです！" err3 || fail "SIGTERM: no file error message"
"$cli" journal j3 --save kept.slt >/dev/null || fail "the journal was not kept after the failed save"
[ "$(stat -c %s kept.slt)" -ge $((48 + 3)) ] || fail "the kept journal lost games"
"$cli" record --board bogus >/dev/null 2>&1; [ $? -eq 2 ] || fail "an unknown board is not a usage error"
"$cli" record --board none --seed 3 >/dev/null 2>&1; [ $? -eq 2 ] || fail "--seed without the simulator is not a usage error"
echo "ok"
