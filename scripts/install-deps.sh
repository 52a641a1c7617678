#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, when missing.
# --run adds what `make run` needs, --fuzz what `make fuzz` needs, --package
# what `make package` needs to build and check the Debian package.
# Run as root on Debian 12; without root it only names what is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config
  libopencore-amrnb-dev libgsm1-dev libsimpleini-dev libasound2-dev libgpiod-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-qpa-plugins fonts-dejavu-core dbus-daemon
)
case "${1:-}" in
  --run) packages+=(espeak-ng) ;;
  --fuzz) packages+=(clang libclang-rt-14-dev) ;;
  --package) packages+=(dpkg-dev file lintian desktop-file-utils librsvg2-bin systemd) ;;
esac

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages: ${missing[*]}" >&2
  echo "Install them with: sudo apt-get install ${missing[*]}" >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
