#!/usr/bin/env bash
# Builds the bundle and checks what a vendor ships: the files, no
# MinGW runtime DLLs, the manifest and the version resource.
set -euo pipefail
build=$1
version=$2   # the project's version, as the build generates it
keep=${3:-}  # where to leave the unpacked bundle, if anywhere
cert=${4:-}  # the certificate chain the build signs Installer.exe with, if any
fail() { echo "FAIL: $*" >&2; exit 1; }

# The test signer's certificates are made at test time.
[ -z "$cert" ] || "$(dirname "$0")/../../tools/devservice/make-certs" "$(dirname "$cert")"
rm -rf "$build/package"
cmake --build "$build" --target package >/dev/null
zip="$build/package/Installer-$version-win64.zip"
[ -f "$zip" ] || fail "no $zip"
listing=$(python3 -c 'import sys, zipfile; print("\n".join(sorted(n for n in zipfile.ZipFile(sys.argv[1]).namelist() if not n.endswith("/"))))' "$zip")
[ "$listing" = $'Installer.exe\nVENDOR.txt\ndata/translation.json' ] || fail "bundle holds: $listing"

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$zip" "$out"
exe="$out/Installer.exe"

# Static imports only of Known DLLs (Windows 7 to 11), which always come from
# System32, and ntdll, which the system maps into every process before the
# program: any other DLL would first be looked for beside the program, where
# anyone may have put one, and load elevated. The rest are delay-loaded.
dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
known="advapi32.dll comdlg32.dll gdi32.dll imm32.dll kernel32.dll msvcrt.dll ntdll.dll ole32.dll oleaut32.dll
       rpcrt4.dll setupapi.dll shell32.dll shlwapi.dll user32.dll ws2_32.dll"
for dll in $dlls; do
    case " $(echo $known) " in *" $dll "*) ;; *) fail "imports $dll statically, which is not a Known DLL" ;; esac
done

grep -aq 'level="requireAdministrator" uiAccess="false"' "$exe" || fail "manifest without requireAdministrator"
grep -aq '<dpiAware xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings">true</dpiAware>' "$exe" \
    || fail "manifest without dpiAware"
grep -aq '<dpiAwareness xmlns="http://schemas.microsoft.com/SMI/2016/WindowsSettings">PerMonitorV2, system</dpiAwareness>' "$exe" \
    || fail "manifest without per-monitor (v2) awareness"
grep -aq 'Microsoft.Windows.Common-Controls' "$exe" || fail "manifest without common controls 6"
python3 - "$exe" "$version" <<'PY' || fail "version resource is not $version of the USB Bluetooth Wireless Adapter"
import struct, sys
data = open(sys.argv[1], "rb").read()
version = sys.argv[2]
for text in (version, "USB Bluetooth Wireless Adapter", "Installer.exe"):
    assert text.encode("utf-16-le") in data, text
# VS_FIXEDFILEINFO: signature, structure version, then the file version, high words first.
a, b, c, d = (int(part) for part in version.split("."))
assert struct.pack("<IIII", 0xFEEF04BD, 0x00010000, a << 16 | b, c << 16 | d) in data
PY
grep -q 'data\\WifiAutoInstallSetup.exe' "$out/VENDOR.txt" || fail "vendor text"
grep -aq '<supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"/>' "$exe" || fail "manifest without Windows 10 among the supported"
if [ -n "$cert" ]; then
    # A valid signature by the build's certificate, whose subject it names.
    ca=$(dirname "$cert")/ca.crt
    verified=$(osslsigncode verify -in "$exe" -CAfile "$ca" 2>&1) || fail "Installer.exe has no valid signature: $verified"
    subject=$(openssl x509 -in "$cert" -noout -subject -nameopt compat | sed 's/^subject=//')
    grep -q "Subject: $subject\$" <<<"$verified" || fail "Installer.exe is not signed by $subject: $verified"
fi
# An offline layout goes into the bundle as its packages folder, its
# manifest pinned in the program when the build is configured; a manifest
# changed since, or a folder that is no layout, stops the build.
root=$(cd "$(dirname "$0")/../.." && pwd)
layout="$out/layout" pinned="$out/pinned"
mkdir -p "$layout/packages" "$layout/nolayout"
echo '{"packages": []}' > "$layout/packages/manifest.json"
echo zip > "$layout/packages/bluetooth_a.zip"
configure() { (cd "$root" && cmake --preset windows-test -B "$pinned" -DBUILD_TESTING=OFF -DINSTALLER_OFFLINE_LAYOUT="$1") >/dev/null 2>&1; }
configure "$layout" || fail "a build with an offline layout cannot be configured"
grep -q "kPinnedLayoutManifestSha256 = \"$(sha256sum "$layout/packages/manifest.json" | cut -d' ' -f1)\"" \
    "$pinned/generated/build_settings.h" || fail "the layout's manifest is not pinned in the build settings"
install_layout() { cmake -DCMAKE_INSTALL_COMPONENT=layout -DCMAKE_INSTALL_PREFIX="$out/with-layout" -P "$pinned/cmake_install.cmake" >/dev/null 2>&1; }
install_layout && cmp -s "$layout/packages/bluetooth_a.zip" "$out/with-layout/packages/bluetooth_a.zip" \
    && [ -f "$out/with-layout/packages/manifest.json" ] || fail "the offline layout's packages are not in the bundle"
echo ' ' >> "$layout/packages/manifest.json"
if install_layout; then fail "a manifest changed since the build was configured went into the bundle"; fi
if configure "$layout/nolayout"; then fail "a folder without packages/manifest.json was taken for an offline layout"; fi
rm -rf "$pinned"
rm -rf "$layout" "$out/with-layout" "$out/no-layout"
if [ -n "$keep" ]; then rm -rf "$keep"; mkdir -p "$keep"; cp -r "$out"/. "$keep"/; fi
echo "bundle ok: $zip ($(echo $dlls | wc -w) system DLLs)"
