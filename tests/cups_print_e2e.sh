#!/usr/bin/env bash
# Prints through a real print system: a CUPS scheduler of the test's own with a
# PDF printer. The window's print command, with the dialog accepted, must hand
# one landscape page to the printer; with no printer at all it must say so.
# The scheduler has its own configuration, folders and socket (no TCP port) and
# the clients are pointed at it, so a print server the machine already runs is
# neither used nor disturbed, and two runs at once share nothing.
# usage: cups_print_e2e.sh E2E_BINARY CLI_BINARY WORKDIR      (exit 77: skipped)
set -u
e2e=$1 cli=$2 work=$3
# In CI a skip hides a print system that no longer works: there it fails.
skip() {
  echo "SKIP: $*"
  [ "${CI:-}" = true ] && { echo "FAIL: skipped in CI"; exit 1; }
  exit 77
}
fail() {
  echo "FAIL: $*"
  exit 1
}
# The generic PDF printer: its driver passes the PDF through CUPS's own filter,
# and a file device puts the result where the test reads it.
ppd=/usr/share/ppd/cupsfilters/Generic-PDF_Printer-PDF.ppd
command -v cupsd >/dev/null && command -v lpadmin >/dev/null || skip "CUPS is not installed"
[ -r "$ppd" ] && [ -x /usr/lib/cups/filter/pdftopdf ] || skip "the generic PDF printer (cups-filters) is not installed"
[ "$(id -u)" = 0 ] || skip "starting the print system needs root"
command -v pdfinfo >/dev/null || skip "pdfinfo (poppler-utils) is not installed"

mkdir -p "$work" || exit 1
# The filters run as the scheduler's user (lp) and read the spool, and a socket
# path must fit in 108 bytes: a work folder that fails either gives way to /tmp.
base=$work
if [ ${#work} -gt 70 ] || ! setpriv --reuid=lp --regid=lp --clear-groups test -x "$work" 2>/dev/null; then
  base=${TMPDIR:-/tmp}
fi
run=$(mktemp -d "$base/run.XXXXXX") || exit 1
chmod 755 "$run"
mkdir -p "$run/etc/ppd" "$run/spool/tmp" "$run/cache" "$run/state" "$run/log"
sock=$run/cups.sock
out=$run/printed.pdf

cupsd_pid='' guard=''
stop_cupsd() {
  [ -n "$cupsd_pid" ] || return
  kill "$cupsd_pid" 2>/dev/null
  for _ in $(seq 50); do kill -0 "$cupsd_pid" 2>/dev/null || break; sleep 0.1; done
  kill -9 "$cupsd_pid" 2>/dev/null
  wait "$cupsd_pid" 2>/dev/null
  cupsd_pid=
}
cleanup() {
  local rc=$?
  stop_cupsd
  [ -n "$guard" ] && kill "$guard" 2>/dev/null
  if [ "$rc" = 0 ] || [ "$rc" = 77 ]; then
    [ -s "$out" ] && mv -f "$out" "$work/printed.pdf"
    rm -rf "$run"
  else
    echo "the print system's files and logs are kept in $run"
  fi
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

cat >"$run/etc/cups-files.conf" <<EOF
ServerRoot $run/etc
RequestRoot $run/spool
TempDir $run/spool/tmp
CacheDir $run/cache
StateDir $run/state
AccessLog $run/log/access_log
ErrorLog $run/log/error_log
PageLog $run/log/page_log
Printcap $run/printcap
FileDevice Yes
EOF
# Only the test reaches the socket, so nothing asks for a password.
cat >"$run/etc/cupsd.conf" <<EOF
Listen $sock
LogLevel info
MaxLogSize 0
Browsing No
BrowseLocalProtocols none
WebInterface No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  JobPrivateAccess all
  JobPrivateValues none
  SubscriptionPrivateAccess all
  SubscriptionPrivateValues none
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF
export CUPS_SERVER=$sock CUPS_SERVERROOT=$run/etc
log_tail() { tail -n 5 "$run/log/error_log" "$run/log/cupsd.out" 2>/dev/null; }

cupsd -f -c "$run/etc/cupsd.conf" -s "$run/etc/cups-files.conf" >"$run/log/cupsd.out" 2>&1 &
cupsd_pid=$!
# A test killed outright runs no trap: this stops the scheduler then.
(
  while kill -0 $$ 2>/dev/null; do sleep 1; done
  kill "$cupsd_pid"
) >/dev/null 2>&1 &
guard=$!
# lpstat -r exits 0 either way; only its text tells.
running() { LC_ALL=C lpstat -r 2>/dev/null | grep -qx 'scheduler is running'; }
for _ in $(seq 100); do
  running && break
  kill -0 "$cupsd_pid" 2>/dev/null || break
  sleep 0.1
done
running || skip "the CUPS scheduler did not start: $(log_tail)"

# A record to print, from the command-line tool.
printf '03 10 03 03 19 0b 10 10 10 0b 10 03 03\n' | "$cli" feed --save "$run/print.slt" >/dev/null || exit 1

[ -z "$(lpstat -p 2>/dev/null)" ] || fail "the test's own print system has printers before any was added"
"$e2e" "$run/print.slt" --expect-no-printer || fail "no printer: the message was not shown"
echo "ok: no printer gives the printer message"

printer=TobrakPDF
msg=$(LC_ALL=C lpadmin -p "$printer" -v "file://$out" -E -P "$ppd" 2>&1) || fail "cannot add the PDF printer: $msg"
msg=$(LC_ALL=C lpadmin -d "$printer" 2>&1) || fail "cannot make the PDF printer the default: $msg"
"$e2e" "$run/print.slt" --expect-page || fail "the print command did not hand a page over"
# Done when the job has left the queue, finished or not.
for _ in $(seq 200); do
  [ -n "$(lpstat -W completed -o "$printer" 2>/dev/null)" ] && [ -z "$(lpstat -o "$printer" 2>/dev/null)" ] && break
  sleep 0.1
done
[ -s "$out" ] || fail "CUPS wrote no PDF: $(log_tail)"
pages=$(pdfinfo "$out" 2>/dev/null | sed -n 's/^Pages: *//p')
size=$(pdfinfo "$out" 2>/dev/null | sed -n 's/^Page size: *\([0-9.]*\) x \([0-9.]*\).*/\1 \2/p')
# The print system may keep the sheet upright and turn the drawing instead: then
# what is drawn is taller than wide.
pdftoppm -png -r 30 -f 1 -l 1 "$out" "$run/page" 2>/dev/null
ink=$(convert "$run"/page*.png -fuzz 10% -trim -format "%w %h" info: 2>/dev/null)
[ "$pages" = 1 ] || fail "$pages pages"
read -r w h <<<"$size"
read -r iw ih <<<"$ink"
awk -v w="$w" -v h="$h" -v iw="${iw:-0}" -v ih="${ih:-0}" 'BEGIN { exit !(w > h || ih > 1.2 * iw) }' ||
  fail "page $w x $h, drawing $iw x $ih px: not landscape"
echo "ok: one landscape page printed through CUPS (sheet $w x $h pt, drawing $iw x $ih px)"
