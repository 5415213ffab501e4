#!/usr/bin/env bash
# zentra-cli.exe under Wine on the Win32 serial path: Wine's COM9 is pointed at the
# pseudo-terminal of zentra-sim (dosdevices/com9), then "info" and a table save run
# through CreateFile on \\.\COM9, the DCB and overlapped reads and writes.
# Usage: wine_com_port.sh ZENTRA-CLI.EXE ZENTRA-SIM   (WINEPREFIX set by the caller)
set -euo pipefail
cli=$1
sim=$2
: "${WINEPREFIX:?WINEPREFIX must name the Wine prefix}"
work=$(mktemp -d)
cleanup() {
  [[ -n "${sim_pid:-}" ]] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  rm -f "$WINEPREFIX/dosdevices/com9"
  rm -rf "$work"
}
trap cleanup EXIT

mkfifo "$work/sim.in"
"$sim" --spec "nano:ZQL22X@129,groups=2,channels=4" <"$work/sim.in" >"$work/sim.out" 2>"$work/sim.err" &
sim_pid=$!
exec 3>"$work/sim.in"  # keeps zentra-sim's standard input open
for _ in $(seq 100); do [[ -s "$work/sim.out" ]] && break; sleep 0.1; done
pty=$(head -n 1 "$work/sim.out")
[[ -c "$pty" ]] || { echo "zentra-sim gave no terminal: $pty" >&2; cat "$work/sim.err" >&2; exit 1; }
ln -sfn "$pty" "$WINEPREFIX/dosdevices/com9"
echo "COM9 -> $pty"

# Wine starts slowly on a loaded machine: give each reply room, as the pty tests do.
export ZENTRA_SERIAL_WAIT_MS=5000
wine "$cli" --port COM9 --wait 20 info | tee "$work/info.txt"
grep -q "ZQL22X (code 9, bodypack)" "$work/info.txt"

table="$(winepath -w "$work/table.qdf")"
wine "$cli" --port COM9 --wait 20 table save "$table"
grep -q '^\[GROUP00\]' "$work/table.qdf"
grep -q '^CH03=' "$work/table.qdf"
echo "table saved over COM9: $(grep -c '^CH' "$work/table.qdf") channels"
