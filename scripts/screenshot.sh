#!/bin/sh
# Remakes docs/screenshot.png: the window with a clip opened, its first and
# last frame shown and the clip being written, drawn on a virtual X server and
# captured alone, without a desktop around it.
set -eu
cd "$(dirname "$0")/.."

# Run again under xvfb-run: start the application on the clip, wait for the
# duration, type a start and a length as a person would, wait for their
# frames, save the clip, and capture the window while it is written.
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
    window=$(xdotool search --sync --onlyvisible --name "Velborn Trimlet" | head -n 1)
    xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window"
    # Start 0:00:05, length 1:10: Alt+S and Alt+L reach the hours of each.
    xdotool key alt+s Tab Tab ctrl+a type 5
    xdotool key alt+l Tab ctrl+a type 1
    xdotool key Tab ctrl+a type 10
    # The frames follow the typing. The window alone has some hundred colours,
    # mostly in its text; a frame of testsrc2 brings thousands.
    sleep 1
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
    # Save, and capture once the status line has had time to say how far
    # ffmpeg has got.
    xdotool key ctrl+s
    sleep 1.5
    xdotool type "$(dirname "$clip")/holiday clip.mp4"
    xdotool key Return
    sleep 2
    import -window "Velborn Trimlet" -strip docs/screenshot.png
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    exit 0
fi

missing=""
command -v xvfb-run >/dev/null || missing="$missing xvfb"
command -v xauth >/dev/null || missing="$missing xauth"
command -v import >/dev/null || missing="$missing imagemagick"
command -v xdotool >/dev/null || missing="$missing xdotool"
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
    -f lavfi -i sine=duration=83.5 -c:v libx264 -preset ultrafast -g 48 -pix_fmt yuv420p "$clip"

mkdir -p docs
xvfb-run -a -s "-screen 0 1280x800x24" \
    sh scripts/screenshot.sh --under-xvfb "$build/bin/velborn-trimlet" "$clip" "$work/app.log"
echo "Wrote docs/screenshot.png"
