#!/usr/bin/env bash
# The driver side by side with Ghostscript's pxlmono device, page for page:
#   bench/side_by_side.sh [BUILD [ROUNDS [BASELINE]]]
# BUILD is the build folder (build), ROUNDS the measured rounds (5), and
# BASELINE another build folder whose driver runs in the same rounds (an
# earlier version, for a before-and-after comparison in one run; its
# bench_side should be the same program). Installs the distribution's
# Ghostscript when gs is missing (it is the comparison, never a part of the
# driver). bench_side prints the same text, shapes and image pages through
# the driver (the drawing calls of bench_road) and through gs (the
# PostScript it writes for the same pages); this script runs one side of
# one work at a time, in turns (the driver, Ghostscript, and the baseline
# when given: A B A B), after a warm-up round that is not counted, and
# prints per page the time of each side and their ratio (median, and the
# lowest and highest of the rounds, which tell how noisy the machine was),
# and the peak memory.
#
# Times are CPU times (user and system): the machine is shared, and a wall
# clock counts the waits for a core as well.
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build}
rounds=${2:-5}
baseline=${3:-}
prog=$build/bin/bench_side
for p in "$prog" ${baseline:+"$baseline/bin/bench_side"}; do
    if [ ! -x "$p" ]; then
        echo "side_by_side: $p is missing (make build first)" >&2
        exit 1
    fi
done

if ! command -v gs >/dev/null; then
    echo "side_by_side: installing Ghostscript from the distribution"
    SUDO=""
    if [ "$(id -u)" -ne 0 ] && command -v sudo >/dev/null; then SUDO="sudo"; fi
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends ghostscript
fi
gsver="Ghostscript $(gs --version)"
if pkg=$(dpkg-query -W -f='${Version}' ghostscript 2>/dev/null); then
    gsver="$gsver (the distribution's package ghostscript $pkg)"
fi

rows=$(mktemp)
trap 'rm -f "$rows"' EXIT

# run SIDE WORK ROUND: one bench_side run; its rows as
# "round side work pages cpu_ms wall_ms peak_MB". SIDE Baseline is the
# driver of the baseline build.
run() {
    local side=$1 work=$2 round=$3 filter p=$prog
    case $side in
        Driver) filter="^(Driver|Memcpy)/$work/" ;;
        Baseline) filter="^Driver/$work/"; p=$baseline/bin/bench_side ;;
        *) filter="^$side/$work/" ;;
    esac
    "$p" --benchmark_filter="$filter" --benchmark_format=csv 2>/dev/null |
        awk -F, -v round="$round" -v work="$work" -v side="$side" '
            /^name,/ { for (i = 1; i <= NF; i++) { h = $i; gsub(/"/, "", h); col[h] = i }; next }
            col["name"] && NF > 3 {
                name = $col["name"]; gsub(/"/, "", name)
                if ($col["error_occurred"] == "true") { print "side_by_side: " side " " name ": " $col["error_message"] > "/dev/stderr"; next }
                split(name, part, "/")
                print round, (side == "Baseline" ? side : part[1]), work, part[3], $col["cpu_ms"], $col["wall_ms"], $col["peak_MB"]
            }' >> "$rows"
}

works="text shapes grey mono start"
echo "side_by_side: $gsver"
echo "side_by_side: the driver of $build${baseline:+, the baseline $baseline}"
echo "side_by_side: warm-up, then $rounds rounds of each side in turn"
for round in $(seq 0 "$rounds"); do
    for work in $works; do
        run Driver "$work" "$round"
        run Ghostscript "$work" "$round"
        if [ -n "$baseline" ]; then run Baseline "$work" "$round"; fi
    done
done

awk -v gsver="$gsver" -v hasBase="${baseline:+1}" '
function median(list,   n, a, i, j, t) {
    n = split(list, a, " ")
    for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (a[j] + 0 < a[i] + 0) { t = a[i]; a[i] = a[j]; a[j] = t }
    if (n == 0) return "nan"
    return n % 2 ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2
}
function lo(list,   n, a, i, m) { n = split(list, a, " "); m = a[1]; for (i = 2; i <= n; i++) if (a[i] + 0 < m + 0) m = a[i]; return m }
function hi(list,   n, a, i, m) { n = split(list, a, " "); m = a[1]; for (i = 2; i <= n; i++) if (a[i] + 0 > m + 0) m = a[i]; return m }
# The time per page of a side in a round: the extra pages of the longer job.
function perpage(r, side, work,   k) {
    k = r SUBSEP side SUBSEP work
    if (!(k in big)) return ""
    return (cpu[k, big[k]] - cpu[k, 1]) / (big[k] - 1)
}
$1 > 0 {
    key = $1 SUBSEP $2 SUBSEP $3
    cpu[key, $4] = $5
    if ($4 > 1 && $4 > big[key]) big[key] = $4
    if ($7 > peak[$2, $3, $4]) peak[$2, $3, $4] = $7
    if ($4 > 1) pages[$2, $3] = $4
    rounds[$1] = 1
}
END {
    split("text shapes grey mono", works, " ")
    printf "\nPer page (CPU ms; the extra pages of a longer job), %s:\n", gsver
    if (hasBase)
        printf "%-8s %10s %10s %12s %18s %18s %8s %8s\n", "work", "before", "after", "Ghostscript", "before/gs lo..hi", "after/gs lo..hi", "drv MB", "gs MB"
    else
        printf "%-8s %10s %12s %8s %15s %10s %10s\n", "work", "driver", "Ghostscript", "ratio", "ratio lo..hi", "drv MB", "gs MB"
    for (w = 1; w <= 4; w++) {
        work = works[w]; dl = ""; gl = ""; rl = ""; ml = ""; bl = ""; brl = ""; bml = ""
        for (r in rounds) {
            d = perpage(r, "Driver", work); g = perpage(r, "Ghostscript", work); b = perpage(r, "Baseline", work)
            if (d == "" || g == "") continue
            dl = dl " " d; gl = gl " " g; if (g > 0) rl = rl " " d / g
            if (b != "") { bl = bl " " b; if (g > 0) brl = brl " " b / g }
            km = r SUBSEP "Memcpy" SUBSEP work
            if ((km, 1) in cpu && cpu[km, 1] > 0) { ml = ml " " d / cpu[km, 1]; if (b != "") bml = bml " " b / cpu[km, 1] }
        }
        if (dl == "") { printf "%-8s (no result)\n", work; continue }
        n = pages["Driver", work]
        if (hasBase) {
            printf "%-8s %10.2f %10.2f %12.2f %6.3f %5.3f..%-5.3f %6.3f %5.3f..%-5.3f %8.1f %8.1f\n", work, median(bl), median(dl), median(gl), \
                median(brl), lo(brl), hi(brl), median(rl), lo(rl), hi(rl), peak["Driver", work, n], peak["Ghostscript", work, n]
            if (ml != "") printf "%-8s %10s %10s %12s %6.2f %5.2f..%-5.2f %6.2f %5.2f..%-5.2f (against one memcpy of the raster)\n", "", "", "", "", \
                median(bml), lo(bml), hi(bml), median(ml), lo(ml), hi(ml)
        } else {
            printf "%-8s %10.2f %12.2f %8.3f %7.3f..%-7.3f %10.1f %10.1f\n", work, median(dl), median(gl), median(rl), lo(rl), hi(rl), \
                peak["Driver", work, n], peak["Ghostscript", work, n]
            if (ml != "") printf "%-8s %10s %12s %8.2f %7.2f..%-7.2f (the driver'"'"'s page against one memcpy of its raster)\n", "", "", "", median(ml), lo(ml), hi(ml)
        }
    }
    dl = ""; gl = ""; rl = ""; bl = ""; brl = ""
    for (r in rounds) {
        kd = r SUBSEP "Driver" SUBSEP "start"; kg = r SUBSEP "Ghostscript" SUBSEP "start"; kb = r SUBSEP "Baseline" SUBSEP "start"
        if (!((kd, 1) in cpu) || !((kg, 1) in cpu)) continue
        dl = dl " " cpu[kd, 1]; gl = gl " " cpu[kg, 1]; rl = rl " " cpu[kd, 1] / cpu[kg, 1]
        if ((kb, 1) in cpu) { bl = bl " " cpu[kb, 1]; brl = brl " " cpu[kb, 1] / cpu[kg, 1] }
    }
    printf "\nA one-page job from start to exit (CPU ms; q730 print of a text file, gs on the text page):\n"
    if (dl != "" && hasBase)
        printf "%-8s %10.2f %10.2f %12.2f %6.3f %5.3f..%-5.3f %6.3f %5.3f..%-5.3f\n", "start", median(bl), median(dl), median(gl), \
            median(brl), lo(brl), hi(brl), median(rl), lo(rl), hi(rl)
    else if (dl != "")
        printf "%-8s %10.2f %12.2f %8.3f %7.3f..%-7.3f\n", "start", median(dl), median(gl), median(rl), lo(rl), hi(rl)
    printf "\nPeak memory of the whole process (MB): q730 print of 1 page %.1f, of 1000 pages %.1f; gs on 1 page %.1f\n", \
        peak["Driver", "start", 1], peak["Driver", "start", 1000], peak["Ghostscript", "start", 1]
    if (hasBase)
        printf "  the baseline: q730 print of 1 page %.1f, of 1000 pages %.1f\n", peak["Baseline", "start", 1], peak["Baseline", "start", 1000]
    printf "(drv MB above: the growth of the peak during the job in the benchmark; gs MB: the whole gs process)\n"
}' "$rows"
