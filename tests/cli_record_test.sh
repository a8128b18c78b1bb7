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
# A second recorder on a journal in use: refused, naming the first one's process;
# the first goes on recording into it.
"$cli" record --board sim --speed 100 --journal j4 >out4 2>&1 &
first=$!
for _ in $(seq 50); do grep -q '^3G ' out4 && break; sleep 0.2; done
"$cli" record --board sim --speed 100 --games 3 --fast --journal j4 --save second.slt >out5 2>err5; st=$?
[ "$st" -eq 1 ] || fail "second recorder: exit $st"
grep -q "別のＴＯＢＲＡＫ（プロセス番号 $first）が記録中です。" err5 || fail "second recorder: $(cat err5)"
grep -q "another Tobrak (process $first) is recording with the journal in j4" err5 || fail "second: $(cat err5)"
[ ! -e second.slt ] || fail "the second recorder recorded"
games_in() { "$cli" journal "$1" | sed -n 's/.*"games":\([0-9]*\).*/\1/p'; }
before=$(games_in j4)
for _ in $(seq 50); do
  now=$(games_in j4)
  [ "$now" -gt "$before" ] && break
  sleep 0.2
done
[ "$now" -gt "$before" ] || fail "the first recorder stopped journalling"
kill -TERM "$first"; wait "$first"
"$cli" record --board bogus >/dev/null 2>&1; [ $? -eq 2 ] || fail "an unknown board is not a usage error"
"$cli" record --board none --seed 3 >/dev/null 2>&1; [ $? -eq 2 ] || fail "--seed without the simulator is not a usage error"
echo "ok"
