#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs them.
#   fuzz/fuzz.sh build                   build every target into build-fuzz/ and write the seeds
#   fuzz/fuzz.sh run TARGET [SECONDS]    run one target (circuit, template, clipboard, header,
#                                        memorymap) on its corpus; findings go to fuzz/artifacts/;
#                                        inputs up to 256 KB (FUZZ_MAX_LEN=BYTES changes that)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

dir=build-fuzz
case "${1:-}" in
build)
    ensure_packages
    ensure_packages clang libclang-rt-14-dev
    configure_build "$dir" -DCMAKE_CXX_COMPILER=clang++ -DTESSIVAR_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
    build "$dir"
    say "Writing the seed corpora into fuzz/seeds/"
    QT_QPA_PLATFORM=offscreen LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0" \
        "./$dir/fuzz/fuzz_make_seeds" fuzz/seeds
    cp examples/*.tvm fuzz/seeds/circuit/
    ;;
run)
    target=${2:?which target}
    seconds=${3:-1800}
    mkdir -p "fuzz/corpus/$target" fuzz/artifacts
    say "Fuzzing $target for $seconds seconds"
    QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 \
        LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0" \
        "./$dir/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -max_len="${FUZZ_MAX_LEN:-262144}" -print_final_stats=1 -artifact_prefix="fuzz/artifacts/$target-" \
        "fuzz/corpus/$target" "fuzz/seeds/$target"
    ;;
*)
    sed -n '2,6p' "$0"
    exit 2
    ;;
esac
