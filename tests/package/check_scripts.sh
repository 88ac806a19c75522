#!/usr/bin/env bash
# What the scripts install against what they call: every command (and file)
# of their check comes from a package that the scripts install, that those
# pull in, or that every Debian system has; and the package the check names
# for it is one of those too. So a machine with only the scripts' packages has
# everything, and a missing one is named rightly.
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
status=0
fail() { echo "FAIL: $*" >&2; status=1; }

closure=" $(apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks \
    --no-replaces --no-enhances "${PACKAGES[@]}" | grep -v '^ ' | tr -d '<>' | sort -u | tr '\n' ' ') "
installable() {  # by the scripts, or present on every Debian system
    [[ "$closure" == *" ${1%%:*} "* ]] || [ "$(dpkg-query -W -f='${Essential}' "${1%%:*}" 2>/dev/null)" = yes ]
}
owner() {  # the package of the first of these files that has one, through alternatives' links
    local path candidate found
    for path in "$@"; do
        for candidate in "$path" "$(readlink -f "$path")"; do
            found=$(dpkg -S "$candidate" 2>/dev/null | grep -v '^diversion' | head -1 | sed 's/[:,].*//') || true
            [ -n "$found" ] && { echo "$found"; return 0; }
        done
    done
    return 0
}

for entry in "${COMMANDS[@]}" "${FILES[@]}"; do
    what=${entry%%:*} package=${entry#*:}
    paths=("$what")  # a local wrapper may come first on PATH: the packaged one counts
    [[ "$what" == /* ]] || mapfile -t paths < <(type -ap "$what")
    [ ${#paths[@]} -gt 0 ] || { fail "$what is not on this machine"; continue; }
    from=$(owner "${paths[@]}")
    [ -n "$from" ] || { fail "$what belongs to no package"; continue; }
    installable "$from" || fail "$what comes from $from, which the scripts do not install"
    installable "$package" || fail "the check names $package for $what, which the scripts do not install"
done
[ "$status" = 0 ] && echo "scripts ok: ${#COMMANDS[@]} commands and ${#FILES[@]} files come from what they install"
exit "$status"
