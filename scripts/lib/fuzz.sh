# The libFuzzer harnesses of tests/fuzz: a bounded smoke run of each.
# Needs packages.sh; run from the top of the source tree. tests/fuzz/README.md
# says how to run them longer.
#
# run_fuzz_smoke SECONDS: builds the harnesses in build-fuzz/ (clang,
# AddressSanitizer, UndefinedBehaviorSanitizer) and runs each for SECONDS
# over its corpus, the seeds and kept crashers of tests/fuzz/corpus/<harness>/.
# Any crash, sanitizer report, failed check, leak or hang fails.

FUZZ_HARNESSES=(png_encoder_fuzzer bmp_reader_fuzzer)

run_fuzz_smoke() {
    local seconds=${1:?usage: run_fuzz_smoke SECONDS}
    # libclang-rt: the sanitizer and libFuzzer runtimes; llvm: the symbolizer that names the lines of a report.
    ensure_packages clang libclang-rt-14-dev llvm
    echo "== fuzz build: build-fuzz/ (clang, libFuzzer, address + undefined)"
    cmake -S . -B build-fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTIVALO_BUILD_BENCH=OFF \
        -DTIVALO_SANITIZERS=address,undefined -DTIVALO_BUILD_FUZZERS=ON
    cmake --build build-fuzz -j"$(nproc)" --target "${FUZZ_HARNESSES[@]}"
    local harness
    for harness in "${FUZZ_HARNESSES[@]}"; do
        run_fuzzer "$harness" "$seconds"
    done
}

# New inputs go to a scratch folder, so the run leaves the kept corpus as it is.
run_fuzzer() {
    local harness=$1 seconds=$2
    local work=build-fuzz/fuzz-runs/$harness
    rm -rf "$work"
    mkdir -p "$work/new"
    echo "== fuzzing $harness for $seconds s"
    if ! "build-fuzz/tests/fuzz/$harness" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$work/" "$work/new" "tests/fuzz/corpus/$harness" >"$work/log" 2>&1; then
        tail -n 60 "$work/log"
        echo "error: $harness failed; the input is in $work/ (keep it as tests/fuzz/corpus/$harness/crash-NAME once fixed)" >&2
        return 1
    fi
    grep -E '^stat::(number_of_executed_units|new_units_added)' "$work/log"
}
