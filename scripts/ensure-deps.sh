#!/bin/sh
# Installs what building, testing and running need, from Debian's archive.
# As root it installs what is missing; otherwise it prints the one line to run.
set -eu

packages="g++ make cmake pkg-config qt6-base-dev qt6-wayland libgtest-dev ffmpeg libavformat-dev libavcodec-dev libswscale-dev libavutil-dev procps desktop-file-utils appstream dbus-daemon"

missing=""
for package in $packages; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
    [ "$status" = "installed" ] || missing="$missing $package"
done
[ -z "$missing" ] && exit 0

command="apt-get install -y --no-install-recommends$missing"
if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages. Run as root: apt-get update && $command" >&2
    exit 1
fi

echo "Installing:$missing"
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
# shellcheck disable=SC2086
apt-get install -y -q --no-install-recommends $missing
