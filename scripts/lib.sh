# Shared by scripts/run and scripts/test: installing, building, and the Wine
# and display services the Windows program needs. Source it; do not run it.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

PACKAGES=(cmake ninja-build g++ g++-mingw-w64-x86-64-posix wine wine64 xvfb xauth p7zip-full
          imagemagick libboost-dev libjsoncpp-dev libgtest-dev clang python3 openssl
          debian-archive-keyring ca-certificates osslsigncode fonts-wqy-microhei
          fonts-liberation2 fonts-vlgothic locales-all)

log() { printf '== %s\n' "$*"; }

install_packages() {
    local missing=()
    for p in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        log "installing ${missing[*]}"
        [ "$(id -u)" = 0 ] || { echo "run as root to install packages" >&2; exit 1; }
        apt-get update -q >/dev/null
        DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
    fi
    check_commands
    "$root/scripts/fetch-jsoncpp-source"
}

# Every command the scripts and tests call, with the package that brings it:
# a missing install step shows up here as one line, not deep inside a test.
COMMANDS=(cmake:cmake ninja:ninja-build g++:g++ clang++:clang
          x86_64-w64-mingw32-g++-posix:g++-mingw-w64-x86-64-posix
          x86_64-w64-mingw32-objdump:binutils-mingw-w64-x86-64 x86_64-w64-mingw32-nm:binutils-mingw-w64-x86-64
          x86_64-w64-mingw32-dlltool:binutils-mingw-w64-x86-64
          wine:wine wineboot:wine wineserver:wine Xvfb:xvfb 7z:p7zip-full convert:imagemagick montage:imagemagick
          osslsigncode:osslsigncode openssl:openssl python3:python3 sha256sum:coreutils ln:coreutils rm:coreutils)
# Files the prefixes need that are no command: the fonts that stand in for
# Windows' UI faces (Chinese and Korean, Japanese, Latin and Cyrillic).
CJK_FONT=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc
FILES=("$CJK_FONT:fonts-wqy-microhei"
       /usr/share/fonts/truetype/vlgothic/VL-PGothic-Regular.ttf:fonts-vlgothic
       /usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf:fonts-liberation2)
check_commands() {
    local entry missing=0
    for entry in "${COMMANDS[@]}"; do
        command -v "${entry%%:*}" >/dev/null 2>&1 && continue
        echo "missing command ${entry%%:*}: install the Debian package ${entry#*:}" >&2
        missing=1
    done
    for entry in "${FILES[@]}"; do
        [ -e "${entry%%:*}" ] && continue
        echo "missing file ${entry%%:*}: install the Debian package ${entry#*:}" >&2
        missing=1
    done
    [ "$missing" = 0 ] || exit 1
}

build_preset() {
    local preset=$1; shift
    log "building $preset"
    cmake --preset "$preset" -G Ninja -DINSTALLER_WERROR=ON "$@" >/dev/null
    cmake --build --preset "$preset"
}

# A display for Wine's windows: the caller's, or a private Xvfb.
XVFB_PID=
ensure_display() {
    if [ -n "${DISPLAY:-}" ]; then return; fi
    local n
    for n in $(seq 90 120); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
    done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && return; sleep 0.1; done
    echo "Xvfb did not start" >&2; exit 1
}

# The build's own Wine prefix, made once; its server kept up while tests run,
# started outside any test's output pipes.
wine_env() {
    export WINEPREFIX="$1" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
}
start_wine() {
    wine_env "$1"
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        log "creating Wine prefix $WINEPREFIX"
        wineboot -i </dev/null >/dev/null 2>&1 || true
        wineserver -w
    fi
    map_removable_drive
    wineserver -p </dev/null >/dev/null 2>&1
    wine cmd /c exit </dev/null >/dev/null 2>&1 || true
    map_window_font
}
# Drive A: as a removable drive (Wine's "floppy": GetDriveType says so), on a
# folder of the prefix's own: where a layout's own security proves nothing.
# Read when Wine's services start, so set before the server is kept up.
map_removable_drive() {
    mkdir -p "$WINEPREFIX/removable-drive"
    ln -sfn "$WINEPREFIX/removable-drive" "$WINEPREFIX/dosdevices/a:"
    grep -q '^"a:"="floppy"' "$WINEPREFIX/system.reg" 2>/dev/null && return
    wine reg add 'HKLM\Software\Wine\Drives' /v 'a:' /t REG_SZ /d floppy /f </dev/null >/dev/null 2>&1
    wineserver -w
}
# Windows draws each script in its own UI face; Wine has none of them and
# would show Chinese, Japanese and Korean texts as empty boxes. Each is mapped
# to a font of the same script, so that the window's choice shows.
WINDOW_FACES=("Microsoft JhengHei=WenQuanYi Micro Hei" "Microsoft YaHei UI=WenQuanYi Micro Hei"
              "Malgun Gothic=WenQuanYi Micro Hei" "Yu Gothic UI=VL PGothic" "Meiryo UI=VL PGothic"
              "Segoe UI=Liberation Sans")
map_window_font() {
    local entry
    for entry in "${WINDOW_FACES[@]}"; do
        grep -q "\"${entry%%=*}\"=\"${entry#*=}\"" "$WINEPREFIX/user.reg" 2>/dev/null && continue
        wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "${entry%%=*}" /t REG_SZ \
            /d "${entry#*=}" /f </dev/null >/dev/null 2>&1
    done
}
stop_wine() {
    [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1 || true
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
}
