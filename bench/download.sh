#!/usr/bin/env bash
# Downloads one large package from a server that streams in large writes:
# curl once, then three rounds of a bare WinINet read loop with a 1 MiB buffer
# (the floor of the platform under Wine), the same loop with the real window
# open (Wine slows a process with a window), DownloadFile, and DownloadFile
# moving the real window's bar. Prints each run's line and the medians of the
# three rounds:
#   ratio_vs_floor=X.XX      DownloadFile against the bare loop
#   ratio_in_window=Y.YY     DownloadFile in the window against the bare loop in a window
#   peak_growth_mib=Z.ZZ     how much DownloadFile's process grew
# Usage: bench/download.sh [MiB]   (after scripts/test has built build/windows-test)
set -euo pipefail
source "$(dirname "$0")/../scripts/lib.sh"
cd "$root"
mib=${1:-256}
build=$root/build/windows-test
state=$build/bench-devservice
port=18543 stream_port=18553
cmake --build "$build" --target download_bench trust_ca package_setup_standin >/dev/null

stream_pid=
cleanup() { [ -n "$stream_pid" ] && kill "$stream_pid" 2>/dev/null; tools/devservice/stop "$state"; stop_wine; }
trap cleanup EXIT
ensure_display
start_wine "$build/wineprefix"
# The device service makes the certificates and has the prefix trust them.
tools/devservice/start "$state" "$port" "$build/wine-run" "$build/bin/trust_ca.exe" "$build/bin/package_setup_standin.exe" \
    "$build/bin/wifi_setup_standin.exe"
package=$state/files/package.bin
head -c "$((mib * 1048576))" /dev/urandom > "$package"
echo '{"/files/package.bin": {"file": "package.bin"}}' > "$state/script.json"
rm -f "$state/stream.ready"
python3 bench/stream_server.py "$stream_port" "$state/certs/localhost.crt" "$state/certs/localhost.key" \
    "$package" "$state/stream.ready" </dev/null >/dev/null 2>&1 &
stream_pid=$!
for _ in $(seq 50); do [ -s "$state/stream.ready" ] && break; sleep 0.1; done

curl_rate() {  # url -> MiB/s
    curl -s --cacert "$state/certs/ca.crt" -o /dev/null -w '%{size_download} %{time_total}' "$1" |
        awk '{ printf "%.1f", $1 / $2 / 1048576 }'
}
url="https://localhost:$stream_port/files/package.bin"
curl_stream=$(curl_rate "$url")
curl_service=$(curl_rate "https://localhost:$port/files/package.bin")
echo "curl: mib_per_s=$curl_stream (from the test service: $curl_service)"

target='C:\ProgramData\bench-package.bin'
host_target=$build/wineprefix/drive_c/ProgramData/bench-package.bin
rounds=()
for round in 1 2 3; do
    declare -A line=()
    for mode in floor floor-window download window; do
        rm -f "$host_target"
        line[$mode]=$("$build/wine-run" "$build/bin/download_bench.exe" "$mode" "$url" "$target" 2>/dev/null | tr -d '\r')
        echo "round $round ${line[$mode]}"
    done
    rounds+=("${line[floor]}|${line[floor-window]}|${line[download]}|${line[window]}")
done
rm -f "$host_target" "$package"

python3 - "$curl_stream" "${rounds[@]}" <<'PY'
import statistics, sys
def fields(text):
    return dict(kv.split("=") for kv in text.split()[1:])
curl = float(sys.argv[1])
rate = lambda f: float(f["mib_per_s"])
vs_floor, in_window, growth = [], [], []
for round_ in sys.argv[2:]:
    floor, floor_window, ours, window = (fields(t) for t in round_.split("|"))
    vs_floor.append(rate(ours) / rate(floor))
    in_window.append(rate(window) / rate(floor_window))
    growth.append(float(ours["peak_growth_mib"]))
    if curl < 3 * rate(ours):
        print(f"note: curl gets only {curl / rate(ours):.1f}x our client from this server: the server limits the figures")
print("rounds: ratio_vs_floor " + " ".join(f"{r:.2f}" for r in vs_floor) +
      ", ratio_in_window " + " ".join(f"{r:.2f}" for r in in_window))
print(f"ratio_vs_floor={statistics.median(vs_floor):.2f} ratio_in_window={statistics.median(in_window):.2f} "
      f"peak_growth_mib={statistics.median(growth):.2f}")
PY
