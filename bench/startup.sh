#!/usr/bin/env bash
# Start-up of Installer.exe against a bare Win32 dialog of the same size, in
# one run, taking turns: time to the first painted pixels and to the first answered
# message (the OS query included), median and spread over several starts.
# Usage: bench/startup.sh [repetitions]   (after scripts/test has built build/windows-test)
set -euo pipefail
source "$(dirname "$0")/../scripts/lib.sh"
cd "$root"
reps=${1:-15}
build=$root/build/windows-test
cmake --build "$build" --target Installer bare_dialog bare_dialog_manifest startup_bench >/dev/null
trap stop_wine EXIT
ensure_display
start_wine "$build/wineprefix"
winpath() { echo "Z:$(echo "$1" | tr / '\\')"; }
out=$("$build/wine-run" "$build/bin/startup_bench.exe" "$reps" "$(winpath "$build/bin/Installer.exe")" \
      "$(winpath "$build/bin/bare_dialog.exe")" "$(winpath "$build/bin/bare_dialog_manifest.exe")" 2>/dev/null | tr -d '\r')
pick() { echo "$out" | grep -F "\\$1 " | sed 's/^[^ ]* //' | paste -sd' '; }
installer=$(pick Installer.exe)
bare=$(pick bare_dialog.exe)
manifest=$(pick bare_dialog_manifest.exe)
echo "Installer.exe:          $installer"
echo "bare dialog:            $bare"
echo "bare dialog + manifest: $manifest"
# Goals: at most 1.5 times the bare dialog, 1.2 times the one with the manifest.
python3 - "$installer" "$bare" "$manifest" <<'PY'
import re, sys
def medians(text):
    return {k: float(v) for k, v in re.findall(r"(first_\w+)_ms median=([\d.]+)", text)}
ours, bare, manifest = (medians(t) for t in sys.argv[1:4])
for key in ("first_paint", "first_answer"):
    print(f"{key}: {ours[key] / bare[key]:.2f} x bare ({bare[key]:.0f} ms), "
          f"{ours[key] / manifest[key]:.2f} x bare with manifest ({manifest[key]:.0f} ms); installer {ours[key]:.0f} ms")
PY
