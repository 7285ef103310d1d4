#!/bin/sh
# Remakes docs/screenshot.png: the window with a clip opened and its first and
# last frame shown, drawn on a virtual X server and captured alone, without a
# desktop around it.
set -eu
cd "$(dirname "$0")/.."

# Run again under xvfb-run: start the application on the clip, wait for the
# duration and the frames, then capture the window.
if [ "${1-}" = --under-xvfb ]; then
    app=$2 clip=$3 log=$4
    "$app" "$clip" >"$log" 2>&1 &
    pid=$!
    tries=0
    until grep -qsE '^[0-9]+:[0-9]{2}:[0-9]{2}\.[0-9]+$' "$log"; do
        tries=$((tries + 1))
        if [ "$tries" -gt 200 ] || ! kill -0 "$pid" 2>/dev/null; then
            echo "The application showed no duration within 20 s:" >&2
            cat "$log" >&2
            kill "$pid" 2>/dev/null || true
            exit 1
        fi
        sleep 0.1
    done
    # The frames come after the duration. The window alone has some hundred
    # colours, mostly in its text; a frame of testsrc2 brings thousands.
    tries=0
    until import -window "Velborn Trimlet" -strip docs/screenshot.png &&
        [ "$(identify -format %k docs/screenshot.png)" -gt 2000 ]; do
        tries=$((tries + 1))
        if [ "$tries" -gt 100 ]; then
            echo "The application showed no frames within 20 s" >&2
            kill "$pid" 2>/dev/null || true
            exit 1
        fi
        sleep 0.2
    done
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    exit 0
fi

missing=""
command -v xvfb-run >/dev/null || missing="$missing xvfb"
command -v xauth >/dev/null || missing="$missing xauth"
command -v import >/dev/null || missing="$missing imagemagick"
if [ -n "$missing" ]; then
    echo "Missing packages. Run as root: apt-get install -y --no-install-recommends$missing" >&2
    exit 1
fi

# The test build by default; BUILD_DIR picks another.
build=${BUILD_DIR:-build}
make -s deps
[ -f "$build/CMakeCache.txt" ] || cmake --preset dev -B "$build"
cmake --build "$build" -j"$(nproc)" --target velborn-trimlet

# A short, plain path reads well in the picture.
work=$(mktemp -d /tmp/videos.XXXXXX)
trap 'rm -rf "$work"' EXIT
clip=$work/holiday.mp4
ffmpeg -v error -f lavfi -i testsrc2=size=320x240:rate=24:duration=83.5 \
    -f lavfi -i sine=duration=83.5 -c:v libx264 -preset ultrafast -pix_fmt yuv420p "$clip"

mkdir -p docs
xvfb-run -a -s "-screen 0 1280x800x24" \
    sh scripts/screenshot.sh --under-xvfb "$build/bin/velborn-trimlet" "$clip" "$work/app.log"
echo "Wrote docs/screenshot.png"
