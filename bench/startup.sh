#!/usr/bin/env bash
# Start-up of Installer.exe against a bare Win32 dialog of the same size, in
# one run: time to the first painted pixels and to the first answered
# message (the OS query included), median and spread over several starts.
# Usage: bench/startup.sh [repetitions]   (after scripts/test has built build/windows-test)
set -euo pipefail
source "$(dirname "$0")/../scripts/lib.sh"
cd "$root"
reps=${1:-15}
build=$root/build/windows-test
cmake --build "$build" --target Installer bare_dialog startup_bench >/dev/null
trap stop_wine EXIT
ensure_display
start_wine "$build/wineprefix"
winpath() { echo "Z:$(echo "$1" | tr / '\\')"; }
run() { "$build/wine-run" "$build/bin/startup_bench.exe" "$(winpath "$1")" "$reps" 2>/dev/null | tr -d '\r'; }
installer=$(run "$build/bin/Installer.exe")
bare=$(run "$build/bin/bare_dialog.exe")
echo "Installer.exe: $installer" | paste -sd' '
echo "bare dialog:   $bare" | paste -sd' '
python3 - "$installer" "$bare" <<'PY'
import re, sys
def medians(text):
    return {k: float(v) for k, v in re.findall(r"(first_\w+)_ms median=([\d.]+)", text)}
ours, bare = medians(sys.argv[1]), medians(sys.argv[2])
for key in ("first_paint", "first_answer"):
    print(f"{key}: ratio {ours[key] / bare[key]:.2f} (installer {ours[key]:.0f} ms, bare {bare[key]:.0f} ms)")
PY
