# The native tests under the sanitizers, and the encoder's tests under valgrind.
# Needs packages.sh; run from the top of the source tree.
#
# run_sanitized_tests: builds everything but the benchmark in build-asan/
# with clang, AddressSanitizer (LeakSanitizer included) and
# UndefinedBehaviorSanitizer, and runs every test but the end-to-end ones.
# Any finding fails its test.
#
# run_valgrind_encoder_tests [BUILD_DIR]: runs the encoder's test programs of
# an unsanitized build (default build/, built when missing) under memcheck;
# any error or leak fails.

# Each error report stops the program at once with a non-zero status.
sanitizer_environment() {
    export ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:strict_string_checks=1
    export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
}

run_sanitized_tests() {
    # libclang-rt: the sanitizer and libFuzzer runtimes; llvm: the symbolizer that names the lines of a report.
    ensure_packages clang libclang-rt-14-dev llvm
    echo "== sanitized build: build-asan/ (clang, address + undefined + leaks)"
    # -O1 keeps the build and the tests quick; -g1 gives the reports file:line.
    cmake -S . -B build-asan -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
        -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_FLAGS_DEBUG="-O1 -g1" -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" \
        -DTIVALO_BUILD_BENCH=OFF -DTIVALO_SANITIZERS=address,undefined
    (sanitizer_environment && cmake --build build-asan -j"$(nproc)")
    echo "== sanitized native tests"
    (sanitizer_environment && ctest --test-dir build-asan --output-on-failure -j"$(nproc)" -LE e2e)
}

run_valgrind_encoder_tests() {
    local dir=${1:-build}
    local programs=(tests/png/png_tests tests/png_oracle/png_oracle_tests)
    ensure_packages valgrind
    echo "== encoder tests under valgrind: $dir/"
    [ -f "$dir/CMakeCache.txt" ] || cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release
    cmake --build "$dir" -j"$(nproc)" --target png_tests png_oracle_tests
    local program
    for program in "${programs[@]}"; do
        valgrind --tool=memcheck --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=definite,indirect \
            --track-origins=yes -q "$dir/$program" --gtest_brief=1
    done
}
