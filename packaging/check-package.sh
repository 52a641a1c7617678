#!/usr/bin/env bash
# Checks a built tavro package: its desktop entry with desktop-file-validate,
# its service unit with systemd-analyze verify, and the whole package with
# lintian, which fails on errors and shows warnings.
set -euo pipefail

deb=$1
tree=$(mktemp -d /tmp/tavro-package.XXXXXX)
trap 'rm -rf "$tree"' EXIT
dpkg-deb -x "$deb" "$tree"

echo "== desktop-file-validate"
desktop-file-validate "$tree/usr/share/applications/tavro-client.desktop"
echo "== systemd-analyze verify"
# The unit as installed names /usr/bin/tavro-client; here it is checked with
# the program and the manual page of the unpacked package.
unit=$(find "$tree" -name tavro-gateway.service -path '*/systemd/system/*')
mkdir "$tree/verify"
sed "s|^ExecStart=/|ExecStart=$tree/|" "$unit" > "$tree/verify/tavro-gateway.service"
MANPATH=$tree/usr/share/man systemd-analyze verify "$tree/verify/tavro-gateway.service"
echo "== lintian"
lintian --fail-on error "$deb"
echo "== $deb: checked"
