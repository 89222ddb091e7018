#!/usr/bin/env bash
# Runs the fuzz targets for a long time under AddressSanitizer,
# UndefinedBehaviorSanitizer and LeakSanitizer, natively, and says how many
# cases each ran, how fast, and what it found. ARCH=i386 in the environment
# runs the 32-bit reference build instead (build-asan-i386,
# build-libfuzzer-i386).
#
#   tools/fuzz.sh [-e ENGINE] [-t SECONDS] [-j JOBS] [-s SEED] [-m] [TARGET...]
#
#   -e libfuzzer  coverage-guided: libFuzzer, built with clang in
#                 build-libfuzzer (the default natively)
#   -e driver     our own mutation driver, built with g++ in build-asan (the
#                 default for ARCH=i386, whose libFuzzer build runs under the
#                 emulator)
#   -t SECONDS    time for each target (default 3600)
#   -j JOBS       targets run at the same time (default 2)
#   -s SEED       first seed (default: the time)
#   -m            no campaign: minimise each target's corpus (the project's
#                 seeds and what the campaigns found) into the project's
#                 corpus, tests/fuzz/corpus/NAME, with libFuzzer's -merge=1;
#                 the inputs of findings (finding-*) are kept as they are
#   TARGET        names without "fuzz_" (default: every target)
#
# JOBS in the environment caps the compile jobs of the build (default: every
# core).
#
# New inputs go to BUILD/fuzz/corpus/NAME (the project's corpus in
# tests/fuzz/corpus/NAME is only read, except by -m), findings to
# BUILD/fuzz/artifacts/, the output of each run to BUILD/fuzz/logs/NAME.log.
# The exit status is 1 when any target found something.
set -euo pipefail
arch=${ARCH:-native}
case $arch in
native) suffix= ;;
i386)
    suffix=-i386
    # LeakSanitizer's check at exit does not end for 32-bit programs under
    # the i386 emulator; the targets count what each case leaves behind
    # themselves.
    export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
    # The emulator says it is an i686 machine, so AddressSanitizer lays out
    # its shadow for 3 GB of address space, but it hands out addresses up to
    # 4 GB; a library or a thread stack mapped above 3 GB then stops the
    # program in one of the sanitizer's own checks. Capping the emulated
    # address space just below 3 GB keeps the two in step: not at 3 GB
    # exactly, since a block mapped up to the very end fails the same check
    # when it is freed.
    export QEMU_RESERVED_VA=${QEMU_RESERVED_VA:-0xbfff0000}
    ;;
*) echo "fuzz.sh: ARCH is native or i386" >&2; exit 2 ;;
esac

here=$(cd "$(dirname "$0")/.." && pwd)
if [ "$arch" = native ]; then engine=libfuzzer; else engine=driver; fi
seconds=3600
jobs=2
seed=$(date +%s)
merge=0
while getopts "e:t:j:s:m" opt; do
    case $opt in
    e) engine=$OPTARG ;;
    t) seconds=$OPTARG ;;
    j) jobs=$OPTARG ;;
    s) seed=$OPTARG ;;
    m) merge=1; engine=libfuzzer ;;
    *) sed -n '2,30p' "$0"; exit 2 ;;
    esac
done

# The time one case may take before it counts as hanging: most targets run a
# case in well under a second; the registry target forks a process that
# opens a fresh registry and prints a job, and the fault targets print whole
# jobs.
timeout_of() {
    case $1 in
    registry) echo 60 ;;
    faults|textfile|ui_typing) echo 60 ;;
    *) echo 25 ;;
    esac
}
shift $((OPTIND - 1))

case $engine in
driver)
    build=$here/build-asan$suffix
    cmake -S "$here" -B "$build" -DQ730_ARCH=$arch -DQ730_SANITIZE=ON >/dev/null
    ;;
libfuzzer)
    build=$here/build-libfuzzer$suffix
    CC=clang CXX=clang++ cmake -S "$here" -B "$build" -DQ730_ARCH=$arch -DQ730_SANITIZE=ON -DQ730_LIBFUZZER=ON >/dev/null
    ;;
*) echo "fuzz.sh: unknown engine $engine" >&2; exit 2 ;;
esac

if [ $# -eq 0 ]; then
    set -- $(cd "$here/tests/fuzz" && ls *_fuzz.cpp | sed 's/_fuzz\.cpp$//')
fi
cmake --build "$build" -j "${JOBS:-$(nproc)}" --target $(printf 'fuzz_%s ' "$@") -- --no-print-directory >/dev/null

mkdir -p "$build/fuzz/logs" "$build/fuzz/artifacts"
run_one() {
    local name=$1 n=$2
    local scratch=$build/fuzz/corpus/$name
    mkdir -p "$scratch"
    # libFuzzer lists a corpus folder with readdir and stat, which in a
    # 32-bit program fail for the host's 64-bit inode numbers under the i386
    # emulator: it would start from nothing. It is given the files by name.
    local seeds=()
    if [ "$engine" = libfuzzer ]; then
        local list=$build/fuzz/seeds-$name
        find "$here/tests/fuzz/corpus/$name" "$scratch" -type f | paste -sd, - >"$list"
        [ -s "$list" ] && seeds=(-seed_inputs=@"$list")
    fi
    local start=$(date +%s)
    local rc=0
    (cd "$build/bin" && ./fuzz_"$name" -max_total_time="$seconds" -seed=$((seed + n)) \
        -timeout="$(timeout_of "$name")" -artifact_prefix="$build/fuzz/artifacts/$name-" \
        -print_final_stats=1 "${seeds[@]}" \
        "$scratch" "$here/tests/fuzz/corpus/$name") >"$build/fuzz/logs/$name.log" 2>&1 || rc=$?
    echo $(($(date +%s) - start)) >"$build/fuzz/logs/$name.seconds"
    return $rc
}

# Minimises the project's corpus of a target together with what the
# campaigns found: the inputs that reach new coverage, under their hashes.
merge_one() {
    local name=$1
    local project=$here/tests/fuzz/corpus/$name
    local scratch=$build/fuzz/corpus/$name
    local out=$build/fuzz/merged/$name
    rm -rf "$out"
    mkdir -p "$out" "$scratch" "$project"
    (cd "$build/bin" && ./fuzz_"$name" -merge=1 -timeout="$(timeout_of "$name")" \
        "$out" "$project" "$scratch") >"$build/fuzz/logs/$name.merge.log" 2>&1 || return 1
    [ -n "$(ls -A "$out")" ] || return 1
    # The inputs of findings stay under their own names, whatever the merge
    # thinks of their coverage: each is the case of a fix.
    local kept=$build/fuzz/kept/$name
    rm -rf "$kept"
    mkdir -p "$kept"
    find "$project" -maxdepth 1 -name 'finding-*' -exec cp {} "$kept"/ \;
    rm -f "$project"/*
    cp "$out"/* "$project"/
    cp "$kept"/* "$project"/ 2>/dev/null || true
    printf '%-22s %6s files %8s bytes\n' "$name" "$(ls "$project" | wc -l)" \
        "$(cat "$project"/* | wc -c)"
}

if [ $merge = 1 ]; then
    status=0
    for name in "$@"; do
        merge_one "$name" || { echo "$name: the merge failed (see $build/fuzz/logs/$name.merge.log)"; status=1; }
    done
    exit $status
fi

n=0
status=0
pids=()
names=()
for name in "$@"; do
    run_one "$name" $n &
    pids+=($!)
    names+=("$name")
    n=$((n + 1))
    while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do
        sleep 5
    done
done
for i in "${!pids[@]}"; do
    if ! wait "${pids[$i]}"; then
        status=1
    fi
done

printf '%-22s %8s %12s %10s  %s\n' target seconds cases per-second result
for name in "${names[@]}"; do
    log=$build/fuzz/logs/$name.log
    runs=$(grep -oE 'Done [0-9]+ runs' "$log" | tail -1 | grep -oE '[0-9]+' || true)
    [ -n "$runs" ] || runs=$(grep -oE 'stat::number_of_executed_units: *[0-9]+' "$log" | grep -oE '[0-9]+$' || true)
    [ -n "$runs" ] || runs=$(grep -oE '^#[0-9]+' "$log" | tail -1 | tr -d '#' || true)
    [ -n "$runs" ] || runs="?"
    secs=$(cat "$build/fuzz/logs/$name.seconds" 2>/dev/null || echo "?")
    rate="?"
    if [ "$runs" != "?" ] && [ "$secs" != "?" ] && [ "$secs" -gt 0 ]; then
        rate=$(awk -v r="$runs" -v s="$secs" 'BEGIN { printf "%.1f", r / s }')
    fi
    if grep -qE 'ERROR: |FINDING|runtime error|SUMMARY: ' "$log"; then
        result="FOUND: $(grep -hE 'ERROR: |FINDING|runtime error' "$log" | head -1)"
        status=1
    else
        result="clean"
    fi
    printf '%-22s %8s %12s %10s  %s\n' "$name" "$secs" "$runs" "$rate" "$result"
done
exit $status
