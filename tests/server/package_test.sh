#!/bin/sh
# The Debian package: built with CPack, unpacked into a scratch root, its files there, its
# program and sample config working, its unit accepted by systemd-analyze where that exists.
# usage: package_test.sh CPACK CPACK_CONFIG_FILE
set -eu
cpack=$1
config=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "package_test: $*" >&2
    exit 1
}

"$cpack" --config "$config" -B "$work/out" >"$work/cpack.log" 2>&1 || {
    cat "$work/cpack.log" >&2
    fail "cpack failed"
}
deb=$(ls "$work"/out/ardentis-server_*.deb)
[ "$(dpkg-deb -f "$deb" Package)" = ardentis-server ] || fail "wrong package name"
[ "$(dpkg-deb -f "$deb" Maintainer)" = "Ardentis developers" ] || fail "wrong maintainer"
for dependency in libsqlite3-0 libsodium23 libssl3; do
    dpkg-deb -f "$deb" Depends | grep -qw "$dependency" || fail "no dependency on $dependency"
done
dpkg-deb -e "$deb" "$work/control"
grep -qx /etc/ardentis-server/ardentis-server.conf "$work/control/conffiles" ||
    fail "the config file is not a conffile"

root=$work/root
dpkg -x "$deb" "$root"
for file in usr/bin/ardentis-server etc/ardentis-server/ardentis-server.conf \
    lib/systemd/system/ardentis-server.service usr/share/man/man1/ardentis-server.1.gz; do
    [ -f "$root/$file" ] || fail "$file is missing"
done
server=$root/usr/bin/ardentis-server
"$server" --help >"$work/help" || fail "--help failed"
"$server" --config "$root/etc/ardentis-server/ardentis-server.conf" --check-config >/dev/null ||
    fail "the installed config is refused"

# The man page documents every option of --help (roff writes each - as \-).
zcat "$root/usr/share/man/man1/ardentis-server.1.gz" | sed 's/\\-/-/g' >"$work/man"
for option in $(grep -o -- '--[a-z-]*' "$work/help" | sort -u); do
    grep -q -- "$option" "$work/man" || fail "the man page lacks $option"
done

if command -v systemd-analyze >/dev/null; then
    # The unit as installed, but starting the unpacked program.
    unit=$work/ardentis-server.service
    sed "s|/usr/bin/ardentis-server|$server|" "$root/lib/systemd/system/ardentis-server.service" >"$unit"
    # It warns and goes on past a line it cannot parse: any word from it is a failure.
    if ! systemd-analyze verify --man=no "$unit" >"$work/verify" 2>&1 || [ -s "$work/verify" ]; then
        cat "$work/verify" >&2
        fail "systemd-analyze verify refused the unit"
    fi
else
    echo "package_test: no systemd-analyze here, the unit is not verified"
fi
echo "package_test: ok"
