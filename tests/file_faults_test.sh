#!/usr/bin/env bash
# The command-line tool on a full disk (a 64 KiB tmpfs), with inputs that are not
# plain files, and with a crash journal left in its folder: every failure is exit 1
# with a message, no file is left cut, no old file or journal is lost.
# usage: file_faults_test.sh CLI WORKDIR   (exit 77: skipped, no tmpfs could be mounted)
set -u
cli=$1 work=$2
fail() { echo "FAIL: $*"; exit 1; }
rm -rf "$work" && mkdir -p "$work/full"
mnt=$work/full
if ! mount -t tmpfs -o size=64k tmpfs "$mnt" 2>"$work/mount.err"; then
  [ "${CI:-}" = true ] && fail "CI must mount a tmpfs: $(cat "$work/mount.err")"
  echo "skipped: cannot mount a tmpfs here (needs root): $(cat "$work/mount.err")"
  exit 77
fi
trap 'umount "$mnt"' EXIT

"$cli" simulate --fast --speed 100 --seed 3 --games 400 --save "$work/play.slt" >/dev/null || fail "making a record"
cp "$work/play.slt" "$mnt/old.slt"
dd if=/dev/zero of="$mnt/fill" bs=1k count=64 2>/dev/null  # fills the disk

# Outputs onto the full disk: exit 1, a message, nothing cut left behind.
expect_fail() {  # what, command...
  local what=$1; shift
  "$@" >/dev/null 2>"$work/err"; local st=$?
  [ "$st" -eq 1 ] || fail "$what: exit $st, expected 1"
  grep -q 'ファイル・エラーです！' "$work/err" || fail "$what: no file error on stderr: $(cat "$work/err")"
}
expect_fail "png" "$cli" render "$work/play.slt" --png "$mnt/g.png"
expect_fail "pdf" "$cli" print "$work/play.slt" --pdf "$mnt/r.pdf"
expect_fail "csv" "$cli" export "$work/play.slt" --csv "$mnt/g.csv"
expect_fail "save over a file" "$cli" simulate --fast --speed 100 --seed 4 --games 30 --save "$mnt/old.slt"
[ "$(ls -A "$mnt" | sort | tr '\n' ' ')" = "fill old.slt " ] || fail "files left on the full disk: $(ls -A "$mnt")"
cmp -s "$work/play.slt" "$mnt/old.slt" || fail "the old file was changed by a failed save"

# A journal on the full disk: told on stderr, the run goes on, exit 1 at the end.
"$cli" simulate --fast --speed 100 --seed 5 --games 50 --journal "$mnt/j" --save "$work/s.slt" >/dev/null 2>"$work/err"
st=$?
[ "$st" -eq 1 ] || fail "journal on a full disk: exit $st"
grep -q 'not protected' "$work/err" || fail "journal failure not told: $(cat "$work/err")"
[ "$(stat -c %s "$work/s.slt")" -eq $((48 + 50)) ] || fail "the run's record was not saved"

# Inputs that are not plain files: the file error at once, no hang.
mkfifo "$work/fifo"
for input in "$work/fifo" "$work"; do
  timeout 10 "$cli" stats "$input" >/dev/null 2>"$work/err"; st=$?
  [ "$st" -eq 1 ] || fail "stats $input: exit $st"
  head -n 1 "$work/err" | grep -qx 'ファイル・エラーです！' || fail "stats $input: $(cat "$work/err")"
done

# simulate --journal: a failed save keeps the journal; a crash journal left in the
# folder is kept as a dated backup that `journal` reads, never replaced.
expect_fail "save into a missing folder" "$cli" simulate --fast --speed 100 --seed 6 --games 20 --journal "$work/j" \
  --save "$work/missing/x.slt"
# Each game is kept with the time it was played.
iso='"[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}\.[0-9]{3}[+-][0-9]{2}:[0-9]{2}"'
twenty="\{\"format\":1,\"games\":20,\"times\":\[($iso,){19}$iso\],\"counts\":\[[^]]*\]\}"
"$cli" journal "$work/j" | grep -Eqx "$twenty" || fail "the journal went with the failed save: $("$cli" journal "$work/j")"
"$cli" simulate --fast --speed 100 --seed 7 --games 5 --journal "$work/j" >/dev/null 2>"$work/err" ||
  fail "simulate over a left journal: $(cat "$work/err")"
kept=$(sed -n 's/.* was kept as //p' "$work/err")
[ -n "$kept" ] || fail "the left journal was not reported kept: $(cat "$work/err")"
"$cli" journal "$kept" | grep -Eqx "$twenty" || fail "the kept journal does not hold the 20 games with their times"
# An output that is an input, by its own name, a hard link or a symbolic link:
# refused with exit 1 and a message, the input byte for byte as it was.
cp "$work/play.slt" "$work/in.slt"
ln -f "$work/in.slt" "$work/hard.slt"
ln -sf "$work/in.slt" "$work/soft.slt"
for out in in hard soft; do
  o=$work/$out.slt
  for cmd in "export $work/in.slt --csv $o" "render $work/in.slt --png $o" "print $work/in.slt --pdf $o" \
             "feed --load $work/in.slt --save $o"; do
    # shellcheck disable=SC2086
    "$cli" $cmd </dev/null >/dev/null 2>"$work/err"; st=$?
    [ "$st" -eq 1 ] || fail "$cmd: exit $st, expected 1"
    grep -q 'is the same file as the input' "$work/err" || fail "$cmd: $(cat "$work/err")"
    cmp -s "$work/play.slt" "$work/in.slt" || fail "$cmd: the input was changed"
  done
done
# A journal saved over itself, and a recording saved over its own journal or lock.
"$cli" simulate --fast --speed 100 --seed 6 --games 20 --journal "$work/jk" --save "$work/missing/x.slt" \
  >/dev/null 2>&1
cp "$work/jk/session.journal" "$work/jk.keep"
for out in "$work/jk/session.journal" "$work/jk-link.journal"; do
  ln -sf "$work/jk/session.journal" "$work/jk-link.journal"
  "$cli" journal "$work/jk" --save "$out" >/dev/null 2>"$work/err"; st=$?
  [ "$st" -eq 1 ] && grep -q 'is the same file as the input' "$work/err" || fail "journal --save $out: $st $(cat "$work/err")"
  cmp -s "$work/jk.keep" "$work/jk/session.journal" || fail "journal --save $out changed the journal"
done
rm -rf "$work/jr"
for out in session.journal session.lock; do
  "$cli" simulate --fast --speed 100 --seed 6 --games 5 --journal "$work/jr" --save "$work/jr/$out" >/dev/null \
    2>"$work/err"; st=$?
  [ "$st" -eq 1 ] && grep -q 'is the same file as the input' "$work/err" || fail "save over the $out: $st $(cat "$work/err")"
done

# A failed save names the reason: a missing folder, a path through a file, a
# read-only file system (as root, permission bits stop nothing).
mkdir -p "$work/ro"
mount -t tmpfs -o ro,size=64k tmpfs "$work/ro" || fail "cannot mount a read-only tmpfs"
trap 'umount "$mnt"; umount "$work/ro"' EXIT
for case in "$work/none/x.slt|No such file or directory" "$work/play.slt/x.slt|Not a directory" \
            "$work/ro/x.slt|Read-only file system"; do
  out=${case%%|*} why=${case#*|}
  "$cli" simulate --fast --speed 100 --seed 4 --games 3 --save "$out" >/dev/null 2>"$work/err"; st=$?
  [ "$st" -eq 1 ] || fail "save to $out: exit $st"
  grep -qx "cannot write $out: $why" "$work/err" || fail "save to $out: the reason is missing: $(cat "$work/err")"
done
echo "ok"
