#!/bin/bash
# Installs the build into a temporary prefix and checks that exactly the
# expected files land there. Then starts the installed application the way its
# desktop entry does, on a clip, and waits for the clip's duration on standard
# output: that shows it found its tools beside itself. SIGTERM must end it.
set -euo pipefail

build_dir=$1
cmake=${2:-cmake}
work=$(mktemp -d)
app_pid=
cleanup() {
    if [ -n "$app_pid" ]; then
        kill -KILL "$app_pid" 2>/dev/null || true
        wait "$app_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

prefix=$work/prefix
"$cmake" --install "$build_dir" --prefix "$prefix" >"$work/install.log" ||
    fail "cmake --install failed: $(cat "$work/install.log")"

expected="bin/velborn-trimlet
libexec/velborn-trimlet/ffmpeg
libexec/velborn-trimlet/ffprobe
share/applications/org.velborn.Trimlet.desktop
share/icons/hicolor/scalable/apps/velborn-trimlet.svg
share/metainfo/org.velborn.Trimlet.metainfo.xml"
installed=$(cd "$prefix" && find . ! -type d | sed 's|^\./||' | LC_ALL=C sort)
[ "$installed" = "$expected" ] ||
    fail "installed files differ from the expected ones:
$(diff <(echo "$expected") <(echo "$installed") || true)"

is_program() { [ -f "$1" ] && [ -x "$1" ]; }

is_program "$prefix/bin/velborn-trimlet" || fail "bin/velborn-trimlet is not an executable file"
# The links lead out of the prefix, to the system's own programs.
for tool in ffmpeg ffprobe; do
    target=$(readlink "$prefix/libexec/velborn-trimlet/$tool") ||
        fail "libexec/velborn-trimlet/$tool is not a link"
    case $target in
        /*/"$tool") is_program "$target" ||
            fail "libexec/velborn-trimlet/$tool leads to $target, which is no program" ;;
        *) fail "libexec/velborn-trimlet/$tool leads to $target, not to an absolute path of $tool" ;;
    esac
done

# Help and a usage error need no display; Qt's own options are not ours.
env -i "$prefix/bin/velborn-trimlet" --help | grep -q '^Usage: velborn-trimlet \[options\] \[file\]$' ||
    fail "--help without a display printed no usage"
status=0
env -i "$prefix/bin/velborn-trimlet" -reverse --nope 2>"$work/err" || status=$?
[ "$status" = 2 ] && grep -qx "velborn-trimlet: Unknown option 'nope'. Try --help." "$work/err" ||
    fail "--nope without a display gave status $status and: $(cat "$work/err")"
status=0
QT_QPA_PLATFORM=offscreen "$prefix/bin/velborn-trimlet" -platform offscreen a b 2>"$work/err" || status=$?
[ "$status" = 2 ] && grep -qx "velborn-trimlet: Give one file at most. Try --help." "$work/err" ||
    fail "two files gave status $status and: $(cat "$work/err")"

clip=$work/clip.mp4
ffmpeg -v error -f lavfi -i testsrc=size=160x120:rate=24:duration=3 \
    -f lavfi -i sine=duration=3 -pix_fmt yuv420p "$clip"

exec_line=$(sed -n 's/^Exec=//p' "$prefix/share/applications/org.velborn.Trimlet.desktop")
read -r -a command <<<"$exec_line"
for i in "${!command[@]}"; do
    if [ "${command[i]}" = %f ]; then command[i]=$clip; fi
done

PATH="$prefix/bin:$PATH" QT_QPA_PLATFORM=offscreen "${command[@]}" >"$work/out" 2>"$work/err" &
app_pid=$!
deadline=$((SECONDS + 20))
until grep -qxF 0:00:03.0 "$work/out"; do
    kill -0 "$app_pid" 2>/dev/null || break
    [ "$SECONDS" -lt "$deadline" ] || break
    sleep 0.1
done
grep -qxF 0:00:03.0 "$work/out" ||
    fail "'$exec_line' printed no duration 0:00:03.0 within 20 s. Its output:
$(cat "$work/out" "$work/err")"

kill -TERM "$app_pid"
deadline=$((SECONDS + 10))
while kill -0 "$app_pid" 2>/dev/null; do
    [ "$SECONDS" -lt "$deadline" ] || fail "still running 10 s after SIGTERM"
    sleep 0.1
done
app_pid=
echo "Installed, started as '$exec_line' and ended on SIGTERM"
