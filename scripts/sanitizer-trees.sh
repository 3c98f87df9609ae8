# The instrumented build trees of scripts/sanitize and scripts/fuzz (sourced;
# needs $top). One tree with AddressSanitizer and UndefinedBehaviorSanitizer
# serves both the fuzz targets and the whole suite; the ThreadSanitizer tree
# only builds what the threaded tests need. Both with clang: libFuzzer needs
# it, and it links the sanitizer's runtime into each program, so dlopen finds
# our libraries by the program's own run path as in a plain build.
asan_tree=${QLR_ASAN_BUILD_DIR:-$top/build-asan}
tsan_tree=${QLR_TSAN_BUILD_DIR:-$top/build-tsan}
jobs=$(nproc)

# Debian keeps the symbolizer of clang 14 under its own prefix; reports need it for line numbers.
export ASAN_SYMBOLIZER_PATH=${ASAN_SYMBOLIZER_PATH:-/usr/lib/llvm-14/bin/llvm-symbolizer}
export TSAN_SYMBOLIZER_PATH=${TSAN_SYMBOLIZER_PATH:-$ASAN_SYMBOLIZER_PATH}

# configure_tree asan|tsan
configure_tree()
{
    local options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14
                   -DQLR_BENCH=OFF)
    case $1 in
        asan) cmake -S "$top" -B "$asan_tree" "${options[@]}" -DQLR_SANITIZE=address -DQLR_FUZZ=ON >/dev/null ;;
        tsan) cmake -S "$top" -B "$tsan_tree" "${options[@]}" -DQLR_SANITIZE=thread >/dev/null ;;
    esac
}

# build_tree DIR [TARGET...]: the compiler's output only when the build fails.
build_tree()
{
    local tree=$1 targets=()
    shift
    for target in "$@"; do targets+=(--target "$target"); done
    cmake --build "$tree" -j"$jobs" "${targets[@]}" >"$tree/build.log" 2>&1 \
        || { tail -40 "$tree/build.log"; return 1; }
}
