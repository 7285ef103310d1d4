#!/bin/bash
# Mutation testing: plants the small faults listed in scripts/mutants.txt into
# the production code one at a time, rebuilds the tests, runs them and reports
# which faults they caught. Everything happens in a copy of the working tree,
# so the tree itself is never touched.
set -uo pipefail
shopt -u patsub_replacement 2>/dev/null || true # keep '&' literal in replacements

usage() {
    cat <<'EOF'
Usage: scripts/mutate.sh [options]

Copies the working tree (tracked and untracked, not ignored files) into a
scratch folder, builds it once with the dev preset (benchmarks off), checks
that every test passes, then for each mutant: applies it, rebuilds (only what
the mutant touches is recompiled), runs ctest, reverts it. Prints a table and
writes it to <scratch>/results.txt; per-mutant logs go to <scratch>/logs/.

  -m, --match REGEX   only mutants whose id matches REGEX (extended; may repeat)
  -j, --jobs N        build jobs (default: number of cores)
  -t, --timeout SEC   per-test timeout (default 120)
  -k, --keep-going    run every test for each mutant instead of stopping at the
                      first failure, to list all the tests that catch it
  -d, --dir DIR       scratch folder (default $VELBORN_MUTATE_DIR or /tmp/velborn-mutate)
  -f, --file FILE     mutants file (default scripts/mutants.txt)
  -l, --list          only check which mutants still apply to the working tree
      --diff          only show each mutant as a diff against the working tree
      --fresh         start the scratch copy and build afresh (full rebuild)
  -h, --help          this text

Statuses: killed (a test failed or timed out), no-compile (the mutant broke the
build), survived (every test passed), stale (the text to find no longer occurs
exactly once, or the line is malformed). Exits 0 once the pass has run.
On a shared machine run it under `nice -n 10`.
EOF
}

die() {
    echo "mutate: $*" >&2
    exit 1
}

root=$(cd "$(dirname "$0")/.." && pwd)
scratch=${VELBORN_MUTATE_DIR:-/tmp/velborn-mutate}
mutants_file=$root/scripts/mutants.txt
jobs=$(nproc)
test_timeout=120
keep_going=0
list_only=0
diff_only=0
fresh=0
patterns=()

while (($#)); do
    case $1 in
    -m | --match) patterns+=("${2:?-m needs a pattern}"); shift ;;
    --match=*) patterns+=("${1#*=}") ;;
    -j | --jobs) jobs=${2:?-j needs a number}; shift ;;
    -j[0-9]*) jobs=${1#-j} ;;
    --jobs=*) jobs=${1#*=} ;;
    -t | --timeout) test_timeout=${2:?-t needs seconds}; shift ;;
    --timeout=*) test_timeout=${1#*=} ;;
    -k | --keep-going) keep_going=1 ;;
    -d | --dir) scratch=${2:?-d needs a folder}; shift ;;
    --dir=*) scratch=${1#*=} ;;
    -f | --file) mutants_file=${2:?-f needs a file}; shift ;;
    --file=*) mutants_file=${1#*=} ;;
    -l | --list) list_only=1 ;;
    --diff) diff_only=1 ;;
    --fresh) fresh=1 ;;
    -h | --help) usage; exit 0 ;;
    *) usage >&2; exit 2 ;;
    esac
    shift
done

[[ $jobs =~ ^[1-9][0-9]*$ ]] || die "bad job count: $jobs"
[[ $test_timeout =~ ^[1-9][0-9]*$ ]] || die "bad timeout: $test_timeout"
[[ -f $mutants_file ]] || die "no mutants file: $mutants_file"
mutants_file=$(realpath "$mutants_file")
scratch=$(realpath -m "$scratch")
[[ $scratch == / || $scratch == "$root" || $scratch == "$root"/* ]] &&
    die "the scratch folder must lie outside the working tree: $scratch"

src=$scratch/src
build=$scratch/build
logs=$scratch/logs
results=$scratch/results.txt
# Files a mutant was written into. Their reverted copies are older than the
# objects built from the mutants, so they are touched before the next build.
mutated_list=$scratch/mutated-files

now_us() { echo "${EPOCHREALTIME/./}"; }
seconds_since() {
    local us=$(($(now_us) - $1))
    printf '%d.%d' $((us / 1000000)) $((us / 100000 % 10))
}

# ---- the mutants file -------------------------------------------------------
# Each line: id | path | text to find | replacement. In the last two fields
# \n is a line feed, \| a '|' and \\ a backslash; an empty replacement deletes.

declare -a m_id m_path m_find m_repl m_error

# Undoes the escapes; \\ and \| were set aside as \x01 and \x02 before splitting.
unescape() { # unescape VAR TEXT
    local s=$2
    s=${s//\\n/$'\n'}
    s=${s//$'\x02'/|}
    s=${s//$'\x01'/\\}
    printf -v "$1" '%s' "$s"
}

trim() {
    local s=$1
    s=${s#"${s%%[![:space:]]*}"}
    s=${s%"${s##*[![:space:]]}"}
    printf '%s' "$s"
}

read_mutants() {
    local line number=0 rest id path find repl error
    local -A seen=()
    while IFS= read -r line || [[ -n $line ]]; do
        number=$((number + 1))
        [[ $line =~ ^[[:space:]]*(#|$) ]] && continue
        line=$(trim "$line")
        line=${line//\\\\/$'\x01'}
        line=${line//\\|/$'\x02'}
        [[ $line == *" |" ]] && line+=" "
        error=""
        id=$(trim "${line%% | *}")
        rest=${line#* | }
        path=$(trim "${rest%% | *}")
        rest=${rest#* | }
        find=$(trim "${rest%% | *}")
        repl=$(trim "${rest#* | }")
        if [[ $line != *" | "*" | "*" | "* ]]; then
            error="malformed line $number: needs id | path | find | replacement"
            id=${id:-line$number}
        elif [[ ! $id =~ ^[A-Za-z0-9][A-Za-z0-9._-]*$ ]]; then
            error="malformed line $number: bad id"
            id=line$number
        elif [[ -z $find ]]; then
            error="malformed line $number: nothing to find"
        fi
        if [[ -n ${seen[$id]+x} ]]; then
            echo "mutate: warning: id $id on line $number is used before, on line ${seen[$id]}" >&2
        fi
        seen[$id]=$number
        if ((${#patterns[@]})); then
            local pattern matched=0
            for pattern in "${patterns[@]}"; do
                [[ $id =~ $pattern ]] && matched=1
            done
            ((matched)) || continue
        fi
        m_id+=("$id")
        m_path+=("$path")
        unescape find "$find"
        unescape repl "$repl"
        m_find+=("$find")
        m_repl+=("$repl")
        m_error+=("$error")
    done <"$mutants_file"
}

# Reads a file whole into VAR, trailing line feeds included.
read_whole() { # read_whole VAR FILE
    local text
    text=$(cat -- "$2" && printf x) || return 1
    printf -v "$1" '%s' "${text%x}"
}

# How often $2 occurs in $1.
count_of() {
    local rest=${1//"$2"/}
    echo $(((${#1} - ${#rest}) / ${#2}))
}

# Sets `why` and returns 1 when mutant $1 cannot be applied in folder $2.
check_mutant() {
    local i=$1 folder=$2 file content count
    why=${m_error[i]}
    [[ -z $why ]] || return 1
    file=$folder/${m_path[i]}
    if [[ ! -f $file ]]; then
        why="no file ${m_path[i]}"
        return 1
    fi
    read_whole content "$file" || { why="cannot read ${m_path[i]}"; return 1; }
    count=$(count_of "$content" "${m_find[i]}")
    case $count in
    1) return 0 ;;
    0) why="text not found in ${m_path[i]}" ;;
    *) why="text found $count times in ${m_path[i]}" ;;
    esac
    return 1
}

read_mutants
((${#m_id[@]})) || die "no mutant matches"

if ((diff_only)); then
    for i in "${!m_id[@]}"; do
        if ! check_mutant "$i" "$root"; then
            printf '# %s: stale: %s\n' "${m_id[i]}" "$why"
            continue
        fi
        read_whole content "$root/${m_path[i]}"
        printf '# %s\n' "${m_id[i]}"
        diff -u --label "a/${m_path[i]}" --label "b/${m_path[i]}" \
            <(printf '%s' "$content") <(printf '%s' "${content/"${m_find[i]}"/"${m_repl[i]}"}")
    done
    exit 0
fi

if ((list_only)); then
    applicable=0
    for i in "${!m_id[@]}"; do
        if check_mutant "$i" "$root"; then
            printf '%-40s ok\n' "${m_id[i]}"
            applicable=$((applicable + 1))
        else
            printf '%-40s stale: %s\n' "${m_id[i]}" "$why"
        fi
    done
    echo "${#m_id[@]} mutants, $applicable apply, $((${#m_id[@]} - applicable)) stale"
    exit 0
fi

# ---- the scratch copy -------------------------------------------------------

# Only what this script put there goes, whatever folder it was pointed at.
((fresh)) && rm -rf -- "$src" "$build" "$logs" "$results" "$mutated_list"
mkdir -p "$src" "$logs" || die "cannot create $scratch"

# Copies what differs from the working tree, so unchanged files keep their
# times and the build stays incremental; removes what the tree no longer has.
sync_tree() {
    local file
    local -A listed=()
    while IFS= read -r -d '' file; do
        [[ -e $root/$file || -L $root/$file ]] || continue # deleted, not yet staged
        listed[$file]=1
        if [[ -L $root/$file || -L $src/$file ]] || ! cmp -s -- "$root/$file" "$src/$file"; then
            mkdir -p -- "$(dirname -- "$src/$file")" &&
                rm -f -- "$src/$file" &&
                cp -P -- "$root/$file" "$src/$file" || return 1
        fi
    done < <(git -C "$root" ls-files -co --exclude-standard -z)
    while IFS= read -r -d '' file; do
        file=${file#./}
        [[ -n ${listed[$file]+x} ]] || rm -f -- "$src/$file"
    done < <(cd "$src" && find . \( -type f -o -type l \) -print0)
    if [[ -f $mutated_list ]]; then
        while IFS= read -r file; do
            [[ -f $src/$file ]] && touch -- "$src/$file"
        done <"$mutated_list"
        rm -f -- "$mutated_list"
    fi
}

current_file=""
current_original=""
revert() {
    if [[ -n $current_file ]]; then
        printf '%s' "$current_original" >"$current_file"
        current_file=""
    fi
}
trap revert EXIT
trap 'revert; exit 130' INT
trap 'revert; exit 143' TERM

git -C "$root" rev-parse --git-dir >/dev/null || die "$root is not a git working tree"
echo "mutate: copying $root to $src"
sync_tree || die "cannot copy the working tree"

if [[ ! -f $build/CMakeCache.txt ]]; then
    echo "mutate: configuring $build"
    (cd "$src" && cmake --preset dev -B "$build" -DVELBORN_BUILD_BENCH=OFF) >"$logs/configure.log" 2>&1 ||
        die "configure failed, see $logs/configure.log"
fi

# grep reads to the end: with -q, ctest could die of a broken pipe and fail the pipeline.
ctest --test-dir "$build" -N | grep '^ *Test *#' >/dev/null || die "ctest lists no tests in $build"

# Everything the default target builds: with the benchmarks off that is the
# application, the test executables and what they run (the helper
# applications, the installed files an install test looks at).
build_tests() {
    cmake --build "$build" -j"$jobs"
}

run_tests() {
    local stop=(--stop-on-failure)
    ((keep_going)) && stop=()
    ctest --test-dir "$build" --timeout "$test_timeout" --output-on-failure "${stop[@]}"
}

# The tests ctest names as failed, e.g. "app_tests end_to_end_tests(Timeout)".
failed_tests() {
    sed -n '/The following tests FAILED:/,$ s/^[[:space:]]*[0-9]* - //p' "$1" |
        sed 's/ (Failed)$//; s/ (/(/; s/ *$//' | paste -sd ' ' -
}

echo "mutate: building the unmutated tree"
start=$(now_us)
build_tests >"$logs/baseline-build.log" 2>&1 || die "the unmutated tree does not build, see $logs/baseline-build.log"
echo "mutate: built in $(seconds_since "$start") s; running the tests"
start=$(now_us)
ctest --test-dir "$build" --timeout "$test_timeout" --output-on-failure >"$logs/baseline-test.log" 2>&1 ||
    die "the unmutated tree fails its tests ($(failed_tests "$logs/baseline-test.log")), see $logs/baseline-test.log"
echo "mutate: the tests pass in $(seconds_since "$start") s"

# ---- the pass ---------------------------------------------------------------

declare -a r_status r_time r_detail
total=${#m_id[@]}
pass_start=$(now_us)

for i in "${!m_id[@]}"; do
    id=${m_id[i]}
    printf '[%2d/%d] %-40s ' $((i + 1)) "$total" "$id"
    start=$(now_us)
    if ! check_mutant "$i" "$src"; then
        r_status[i]=stale r_time[i]=- r_detail[i]=$why
        echo "stale: $why"
        continue
    fi

    file=$src/${m_path[i]}
    read_whole current_original "$file" || {
        r_status[i]=stale r_time[i]=- r_detail[i]="cannot read ${m_path[i]}"
        echo "stale: ${r_detail[i]}"
        continue
    }
    echo "${m_path[i]}" >>"$mutated_list"
    current_file=$file
    printf '%s' "${current_original/"${m_find[i]}"/"${m_repl[i]}"}" >"$file"

    log=$logs/$id.log
    {
        echo "== $id: ${m_path[i]}"
        printf -- '-- find:\n%s\n-- replace with:\n%s\n' "${m_find[i]}" "${m_repl[i]}"
    } >"$log"
    if ! build_tests >>"$log" 2>&1; then
        r_status[i]=no-compile r_detail[i]="build failed"
    elif run_tests >>"$log" 2>&1; then
        r_status[i]=survived r_detail[i]=""
    else
        r_status[i]=killed r_detail[i]=$(failed_tests "$log")
    fi
    revert
    r_time[i]=$(seconds_since "$start")
    echo "${r_status[i]} (${r_time[i]} s) ${r_detail[i]}"
done

# ---- the report -------------------------------------------------------------

count_status() {
    local n=0 s
    for s in "${r_status[@]}"; do [[ $s == "$1" ]] && n=$((n + 1)); done
    echo $n
}
killed=$(count_status killed)
survived=$(count_status survived)
no_compile=$(count_status no-compile)
stale=$(count_status stale)
tried=$((killed + survived + no_compile))

{
    echo "Mutation pass of $root at $(git -C "$root" rev-parse --short HEAD 2>/dev/null || echo '?')" \
        "with local changes as found, $(date '+%Y-%m-%d %H:%M')"
    echo
    printf '%-40s %-10s %7s  %s\n' mutant status seconds detail
    for i in "${!m_id[@]}"; do
        printf '%-40s %-10s %7s  %s\n' "${m_id[i]}" "${r_status[i]}" "${r_time[i]}" "${r_detail[i]}"
    done
    echo
    echo "tried $tried, killed $killed, survived $survived, did not compile $no_compile, stale $stale"
    if ((killed + survived)); then
        echo "caught by the tests: $killed of $((killed + survived)) that compiled" \
            "($((100 * killed / (killed + survived)))%); pass took $(seconds_since "$pass_start") s"
    fi
} >"$results"

echo
cat "$results"
echo
echo "mutate: results in $results, logs in $logs"
exit 0
