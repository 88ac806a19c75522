#!/usr/bin/env bash
# Downloads a large package from the local device service twice in one run:
# with DownloadFile under Wine and with curl, and prints both throughputs,
# their ratio and DownloadFile's peak memory growth.
# Usage: bench/download.sh [MiB]   (after scripts/test has built build/windows-test)
set -euo pipefail
source "$(dirname "$0")/../scripts/lib.sh"
cd "$root"
mib=${1:-256}
build=$root/build/windows-test
state=$build/bench-devservice
port=18543
[ -x "$build/bin/download_bench.exe" ] || cmake --build "$build" --target download_bench trust_ca package_setup_standin >/dev/null

trap 'tools/devservice/stop "$state"; stop_wine' EXIT
ensure_display
start_wine "$build/wineprefix"
tools/devservice/start "$state" "$port" "$build/wine-run" "$build/bin/trust_ca.exe" "$build/bin/package_setup_standin.exe"
head -c "$((mib * 1048576))" /dev/urandom > "$state/files/package.bin"
echo '{"/files/package.bin": {"file": "package.bin"}}' > "$state/script.json"
url="https://localhost:$port/files/package.bin"

target="$build/wineprefix/drive_c/ProgramData/bench-package.bin"
mkdir -p "$(dirname "$target")"
rm -f "$target"
ours=$("$build/wine-run" "$build/bin/download_bench.exe" "$url" 'C:\ProgramData\bench-package.bin' | tr -d '\r')
rm -f "$target"
curl_line=$(curl -s --cacert "$state/certs/ca.crt" -o "$state/curl-package.bin" -w '%{size_download} %{time_total}' "$url")
rm -f "$state/curl-package.bin" "$state/files/package.bin"

echo "DownloadFile: $ours"
read -r cbytes ctime <<<"$curl_line"
python3 - "$ours" "$cbytes" "$ctime" <<'PY'
import sys
fields = dict(kv.split("=") for kv in sys.argv[1].split())
ours = float(fields["mib_per_s"])
curl = float(sys.argv[2]) / float(sys.argv[3]) / 1048576
print(f"curl:         bytes={sys.argv[2]} seconds={float(sys.argv[3]):.3f} mib_per_s={curl:.1f}")
print(f"ratio DownloadFile/curl = {ours / curl:.2f}; peak memory growth {float(fields['peak_growth_kib']) / 1024:.2f} MiB")
PY
