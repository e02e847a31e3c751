#!/usr/bin/env bash
# Builds and runs the benchmarks on the offscreen platform; prints each figure as a
# ratio against a reference measured in the same run.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build"
export QT_QPA_PLATFORM=offscreen
"$root/build/varnel-bench" --benchmark_min_time=0.5 "$@"

# Start-up to the first shown window, against the bare Qt window program.
demarre() { # program, runs -> mean milliseconds
    local debut fin
    debut=$(date +%s%N)
    for _ in $(seq "$2"); do VARNEL_QUITTER_APRES_AFFICHAGE=1 "$1" >/dev/null 2>&1; done
    fin=$(date +%s%N)
    echo $(( (fin - debut) / 1000000 / $2 ))
}
demarre "$root/build/varnel-fenetre-nue" 3 >/dev/null # warm the file cache
nue=$(demarre "$root/build/varnel-fenetre-nue" 20)
varnel=$(demarre "$root/build/varnel" 20)
printf '%-58s %6s\n' "start-up of varnel / bare Qt window (${varnel} ms / ${nue} ms)" \
    "$(awk "BEGIN { printf \"%.2f\", $varnel / $nue }")"
