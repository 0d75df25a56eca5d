#!/usr/bin/env bash
# Builds the libFuzzer targets in fuzz/ (clang, AddressSanitizer, UndefinedBehaviorSanitizer)
# into build/fuzz and runs each for SECONDS (default 120) on a copy of its seed corpus.
# Kept out of tools/test.sh: a fuzz run is an investigation, not a check.
#   tools/fuzz.sh [SECONDS] [TARGET...]      targets: jpeg skin mp4 picture subtitles (default all)
# Findings (crash-*, leak-*, oom-*, timeout-*) and logs go to build/fuzz/findings/<target>/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BREVLO_BUILD:-$top/build}
out=$build/fuzz
seconds=${1:-120}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(jpeg skin mp4 picture subtitles)

# The common set-up fetches the libjpeg-turbo source package we instrument below.
"$top/tools/setup.sh"

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
install() {
  echo "fuzz: installing $*"
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "$@" >/dev/null
}
command -v clang >/dev/null && command -v clang++ >/dev/null || install clang
# The fuzzer runtime ships apart from the compiler: try a hello target first.
probe=$(mktemp -d)
trap 'rm -rf "$probe"' EXIT
echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }' \
  >"$probe/hello.cpp"
if ! clang++ -fsanitize=fuzzer,address,undefined "$probe/hello.cpp" -o "$probe/hello" 2>/dev/null; then
  version=$(clang --version | sed -n 's/.*clang version \([0-9]*\).*/\1/p' | head -n 1)
  install "libclang-rt-$version-dev"
  clang++ -fsanitize=fuzzer,address,undefined "$probe/hello.cpp" -o "$probe/hello"
fi

# libjpeg-turbo instrumented like the targets, so the fuzzer sees its branches too. Plain C
# (no SIMD) keeps every decoding path visible to the sanitizers.
jpeg_build=$out/libjpeg-build
if [ ! -f "$jpeg_build/libjpeg.a" ]; then
  tarball=$(ls "$build"/deps/src/libjpeg-turbo_*.orig.tar.gz | head -n 1)
  rm -rf "$out/libjpeg-src" && mkdir -p "$out/libjpeg-src"
  tar -xzf "$tarball" -C "$out/libjpeg-src"
  jsrc=$(ls -d "$out"/libjpeg-src/*/ | head -n 1)
  flags="-g -O1 -fsanitize=fuzzer-no-link,address,undefined"
  cmake -S "$jsrc" -B "$jpeg_build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_C_COMPILER=clang -DCMAKE_C_FLAGS="$flags" -DCMAKE_C_FLAGS_RELEASE="" \
    -DENABLE_SHARED=OFF -DWITH_TURBOJPEG=OFF -DWITH_SIMD=OFF -DWITH_JPEG8=OFF >/dev/null
  cmake --build "$jpeg_build" --target jpeg-static >/dev/null
fi

cmake -S "$top/fuzz" -B "$out/targets" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DBREVLO_FUZZ_JPEG_BUILD="$jpeg_build" \
  -DBREVLO_FUZZ_JPEG_SOURCE="$(ls -d "$out"/libjpeg-src/*/ | head -n 1)" >/dev/null
cmake --build "$out/targets"

status=0
for t in "${targets[@]}"; do
  findings=$out/findings/$t
  corpus=$out/corpus/$t
  mkdir -p "$findings" "$corpus"
  cp -n "$top/fuzz/corpus/$t"/* "$corpus"/ 2>/dev/null || true
  # The built-in skin is the richest seed of the skin reader.
  [ "$t" != skin ] || cp -n "$top/res/art/Brevlo.skn" "$corpus"/ 2>/dev/null || true
  # The MP4 reader starts from real videos of each kind, made here as the tests make them.
  case $t in mp4 | picture) "$top/tools/make-test-videos.sh" "$corpus" >/dev/null ;; esac
  echo "fuzz: $t for ${seconds}s"
  # Leaks are looked for after every input; a run ends at its first finding.
  if ! (cd "$findings" && "$out/targets/${t}_fuzzer" -max_total_time="$seconds" \
    -rss_limit_mb=2048 -malloc_limit_mb=1024 -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$findings/" "$corpus" >"$findings/run.log" 2>&1); then
    status=1
    echo "fuzz: $t FOUND something, see $findings"
  fi
  grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb|^#[0-9]+ *DONE' "$findings/run.log" |
    sed "s/^/fuzz: $t: /" || true
done
exit $status
