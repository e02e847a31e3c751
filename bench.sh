#!/usr/bin/env bash
# Builds and runs the benchmarks on the offscreen platform; prints each figure as a
# ratio against a reference measured in the same run.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build"
export QT_QPA_PLATFORM=offscreen
"$root/build/varnel-bench" --benchmark_min_time=0.5 "$@"

# Start-up to the first shown window, against the bare Qt window program. The two are
# started in turn (each going first every other round), so that both meet the same load
# on a shared machine; the figure is the median of the rounds' ratios.
duree() { # program -> microseconds from start to end
    local debut=$EPOCHREALTIME fin
    VARNEL_QUITTER_APRES_AFFICHAGE=1 "$1" >/dev/null 2>&1
    fin=$EPOCHREALTIME
    echo $((10#${fin//[.,]/} - 10#${debut//[.,]/}))
}
mediane() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }
nue_prog="$root/build/varnel-fenetre-nue" varnel_prog="$root/build/varnel"
duree "$nue_prog" >/dev/null && duree "$varnel_prog" >/dev/null # warm the file cache
nue=() varnel=() rapports=()
for tour in $(seq 31); do
    if ((tour % 2)); then
        n=$(duree "$nue_prog") v=$(duree "$varnel_prog")
    else
        v=$(duree "$varnel_prog") n=$(duree "$nue_prog")
    fi
    nue+=("$n") varnel+=("$v") rapports+=("$(awk "BEGIN { print $v / $n }")")
done
ms() { printf '%s\n' "$@" | mediane | awk '{ printf "%.0f", $1 / 1000 }'; }
printf '%-58s %6s\n' "start-up of varnel / bare Qt window ($(ms "${varnel[@]}") ms / $(ms "${nue[@]}") ms)" \
    "$(printf '%s\n' "${rapports[@]}" | mediane | awk '{ printf "%.2f", $1 }')"
