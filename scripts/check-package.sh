#!/usr/bin/env bash
# Checks a built zentra .deb the way a user meets it: its contents, the desktop entry,
# the AppStream metainfo and the package itself through lintian (errors fail, warnings
# are listed), then the programs run from the unpacked package, so a missing library or
# a user guide looked for in the wrong place shows here.
#   bash scripts/check-package.sh zentra_1.2.3_amd64.deb
set -euo pipefail
deb=$(realpath "$1")
fail() { echo "check-package: $*" >&2; exit 1; }

version=$(dpkg-deb -f "$deb" Version)
[[ $(dpkg-deb -f "$deb" Package) == zentra ]] || fail "the package is not called zentra"
depends=$(dpkg-deb -f "$deb" Depends)
[[ $depends == *libqt6widgets6* ]] || fail "Depends lacks the Qt libraries: $depends"

# Contents: the programs, the user guide, the menu entry with its icon, the manuals,
# the completion and the udev rule.
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in usr/bin/zentra usr/bin/zentra-cli usr/bin/zentra-sim \
         usr/share/zentra/help/Index.mht \
         usr/share/applications/com.quorvex.Zentra.desktop \
         usr/share/icons/hicolor/scalable/apps/com.quorvex.Zentra.svg \
         usr/share/metainfo/com.quorvex.Zentra.metainfo.xml \
         usr/share/man/man1/zentra.1.gz usr/share/man/man1/zentra-cli.1.gz \
         usr/share/man/man1/zentra-sim.1.gz \
         usr/share/bash-completion/completions/zentra-cli \
         usr/lib/udev/rules.d/60-zentra-ir.rules \
         usr/share/doc/zentra/copyright usr/share/doc/zentra/changelog.gz; do
  grep -qx "\./$f" <<<"$contents" || fail "missing from the package: /$f"
done
if grep -q '^\./usr/bin/help' <<<"$contents"; then fail "the user guide sits in /usr/bin"; fi

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
root=$tmp/root
dpkg-deb -x "$deb" "$root"

desktop-file-validate "$root/usr/share/applications/com.quorvex.Zentra.desktop"
# A double click on a .qdf opens it: the entry takes a file and the type is registered.
grep -q '^Exec=zentra %f$' "$root/usr/share/applications/com.quorvex.Zentra.desktop" || fail "the desktop entry takes no file"
grep -q 'application/x-zentra-frequency-table' "$root/usr/share/mime/packages/com.quorvex.Zentra.xml" ||
  fail "the .qdf type is not registered"
appstreamcli validate --no-net "$root/usr/share/metainfo/com.quorvex.Zentra.metainfo.xml"
bash -n "$root/usr/share/bash-completion/completions/zentra-cli"
# The manual pages carry the options and exit codes of the programs' help.
page() { zcat "$root/usr/share/man/man1/$1.1.gz" | sed 's/\\-/-/g'; }
for opt in --simulate --port --access-codes --connect --service --help-path --version; do
  page zentra | grep -- "$opt" >/dev/null || fail "zentra.1 does not list $opt"
done
for opt in --interface --batch-count --usb-debug --out-lock-to-hidden --guard-3tx3 --only; do
  page zentra-cli | grep -- "$opt" >/dev/null || fail "zentra-cli.1 does not list $opt"
done
for p in zentra zentra-cli zentra-sim; do
  page $p | grep 'Exit status' >/dev/null || fail "$p.1 has no exit status"
done

echo "== lintian"
lintian --fail-on error --tag-display-limit 0 "$deb"

echo "== the programs from the unpacked package"
bin=$root/usr/bin
unset ZENTRA_SIMULATE ZENTRA_PORT ZENTRA_ACCESS_CODES QT_QPA_PLATFORM DISPLAY WAYLAND_DISPLAY
mkdir -m 700 "$tmp/run"
export XDG_RUNTIME_DIR=$tmp/run
# The printing options need no display.
[[ $("$bin/zentra-cli" --version) == "zentra-cli $version" ]] || fail "zentra-cli --version"
[[ $("$bin/zentra-sim" --version) == "zentra-sim $version" ]] || fail "zentra-sim --version"
[[ $("$bin/zentra" --version) == "Quorvex Zentra $version" ]] || fail "zentra --version"
"$bin/zentra-cli" --simulate nano:ZQL22X@129 info >"$tmp/info.txt" ||
  fail "zentra-cli info failed: $(cat "$tmp/info.txt")"
grep -q ZQL22X "$tmp/info.txt" || fail "zentra-cli info did not read the transmitter"
guide=$("$bin/zentra" --help-path) || fail "the window finds no user guide"
[[ $guide == "$root/usr/share/zentra/help/Index.mht" ]] || fail "user guide found at $guide"
# The window starts, connects to the simulated transmitter and keeps running until
# it is stopped.
rc=0
QT_QPA_PLATFORM=offscreen timeout 5 "$bin/zentra" --simulate nano:ZQL22X@129 --connect >"$tmp/window.txt" 2>&1 || rc=$?
[[ $rc -eq 124 ]] || fail "the window ended by itself (status $rc): $(cat "$tmp/window.txt")"
echo "check-package: $(basename "$deb") is fine"
