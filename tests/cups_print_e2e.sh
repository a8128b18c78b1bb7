#!/usr/bin/env bash
# Prints through a real print system: CUPS with its PDF printer. The window's
# print command, with the dialog accepted, must hand one landscape page to the
# printer; with no printer at all it must say so.
# usage: cups_print_e2e.sh E2E_BINARY CLI_BINARY WORKDIR      (exit 77: skipped)
set -u
e2e=$1 cli=$2 work=$3
# In CI a skip hides a print system that no longer works: there it fails.
skip() {
  echo "SKIP: $*"
  [ "${CI:-}" = true ] && { echo "FAIL: skipped in CI"; exit 1; }
  exit 77
}
# lpstat -r exits 0 either way; only its text tells.
running() { LC_ALL=C lpstat -r 2>/dev/null | grep -qx 'scheduler is running'; }
command -v cupsd >/dev/null && command -v lpadmin >/dev/null || skip "CUPS is not installed"
[ -x /usr/lib/cups/backend/cups-pdf ] || skip "the CUPS PDF printer (printer-driver-cups-pdf) is not installed"
[ "$(id -u)" = 0 ] || skip "starting the print system needs root"
command -v pdfinfo >/dev/null || skip "pdfinfo (poppler-utils) is not installed"

mkdir -p "$work"
started=
cleanup() {
  lpadmin -x "$printer" 2>/dev/null
  [ -n "$olddefault" ] && lpadmin -d "$olddefault" 2>/dev/null
  if [ -n "$started" ]; then
    kill "$started" 2>/dev/null
    wait "$started" 2>/dev/null
  fi
}
printer=TobrakTest$$
olddefault=$(lpstat -d 2>/dev/null | sed -n 's/^system default destination: //p')
trap cleanup EXIT

if ! running; then
  cupsd -f >"$work/cupsd.log" 2>&1 &
  started=$!
  for _ in $(seq 50); do running && break; sleep 0.2; done
fi
running || skip "the CUPS scheduler did not start ($(tail -n 1 "$work/cupsd.log" 2>/dev/null))"

# A record to print, from the command-line tool.
printf '03 10 03 03 19 0b 10 10 10 0b 10 03 03\n' | "$cli" feed --save "$work/print.slt" >/dev/null || exit 1

if [ -z "$(lpstat -p 2>/dev/null)" ]; then
  "$e2e" "$work/print.slt" --expect-no-printer || { echo "FAIL: no printer: the message was not shown"; exit 1; }
  echo "ok: no printer gives the printer message"
else
  echo "note: printers are configured here; the no-printer case is not run"
fi

lpadmin -p "$printer" -v cups-pdf:/ -E -m lsb/usr/cups-pdf/CUPS-PDF_opt.ppd 2>/dev/null || skip "cannot add the PDF printer"
lpadmin -d "$printer"
outdir=$(getent passwd "$(id -un)" | cut -d: -f6)/PDF
mkdir -p "$outdir"
mark="$work/mark"
touch "$mark"
sleep 1
"$e2e" "$work/print.slt" --expect-page || { echo "FAIL: the print command did not hand a page over"; exit 1; }
pdf=
for _ in $(seq 100); do
  pdf=$(find "$outdir" -name '*.pdf' -newer "$mark" 2>/dev/null | head -n 1)
  [ -n "$pdf" ] && [ -s "$pdf" ] && break
  sleep 0.2
done
[ -n "$pdf" ] || { echo "FAIL: CUPS wrote no PDF"; exit 1; }
sleep 0.5
pages=$(pdfinfo "$pdf" 2>/dev/null | sed -n 's/^Pages: *//p')
size=$(pdfinfo "$pdf" 2>/dev/null | sed -n 's/^Page size: *\([0-9.]*\) x \([0-9.]*\).*/\1 \2/p')
# The print system may keep the sheet upright and turn the drawing instead: then
# what is drawn is taller than wide.
pdftoppm -png -r 30 -f 1 -l 1 "$pdf" "$work/page" 2>/dev/null
ink=$(convert "$work"/page*.png -fuzz 10% -trim -format "%w %h" info: 2>/dev/null)
cp "$pdf" "$work/printed.pdf"
rm -f "$pdf" "$work"/page*.png
[ "$pages" = 1 ] || { echo "FAIL: $pages pages"; exit 1; }
read -r w h <<<"$size"
read -r iw ih <<<"$ink"
awk -v w="$w" -v h="$h" -v iw="${iw:-0}" -v ih="${ih:-0}" 'BEGIN { exit !(w > h || ih > 1.2 * iw) }' ||
  { echo "FAIL: page $w x $h, drawing $iw x $ih px: not landscape"; exit 1; }
echo "ok: one landscape page printed through CUPS (sheet $w x $h pt, drawing $iw x $ih px)"
