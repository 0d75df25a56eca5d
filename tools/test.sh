#!/usr/bin/env bash
# Runs every test tier and prints "N passed, N failed" as its last line:
#   1. native unit tests (ctest, with the sanitizers),
#   2. the Win32 tests under Wine (brevlo_win32_tests.exe, against real windows),
#   3. the end-to-end tests (tests/e2e/*.sh drive the real Brevlo.exe).
# Does its own set-up: packages, libjpeg-turbo, both builds, a fresh Wine prefix and a
# virtual display when none is set. Logs, screenshots and test reports go to artifacts/.
set -uo pipefail
BREVLO_LOG_NAME=test
source "$(dirname "$0")/lib/common.sh"

passed=0
failed=0
report=()

# A filter or other GoogleTest setting left in the caller's environment would quietly run fewer
# tests (or none): every tier runs everything.
for variable in "${!GTEST_@}"; do unset "$variable"; done

note() { report+=("$*"); }
fail_step() {
  failed=$((failed + 1))
  note "FAILED: $*"
}

cleanup() {
  brevlo_wine_stop
  brevlo_xvfb_stop
}
trap cleanup EXIT
trap 'exit 130' INT TERM

logs=$brevlo_artifacts/logs
mkdir -p "$logs"
rm -f "$logs"/*.log "$brevlo_artifacts"/win32-tests*.xml "$brevlo_artifacts"/e2e-*

# Runs a quiet step into a log; on failure prints the end of the log.
step() {
  local name=$1 log=$logs/$1.log
  shift
  brevlo_log "$name"
  if "$@" >"$log" 2>&1; then
    return 0
  fi
  brevlo_log "$name failed; end of $log:"
  tail -n 60 "$log" >&2
  return 1
}

if ! step setup brevlo_setup; then
  fail_step "set-up (see $logs/setup.log)"
  printf '%s\n' "${report[@]}"
  echo "$passed passed, $failed failed"
  exit 1
fi

native_ok=yes
win_ok=yes
step build-native brevlo_build_native || {
  native_ok=no
  fail_step "native build"
}
step build-win brevlo_build_win || {
  win_ok=no
  fail_step "Windows build"
}

# The built-in skin's contact sheet, for people to look at (not a test).
if [ $native_ok = yes ]; then
  step skin-sheet "$brevlo_top/tools/skin-sheet.sh" "$brevlo_artifacts/skin" ||
    fail_step "skin contact sheet (see $logs/skin-sheet.log)"
fi

# Tier 1 ------------------------------------------------------------------------------------
if [ $native_ok = yes ]; then
  brevlo_log "tier 1: native unit tests"
  ctest_log=$logs/unit-tests.log
  ctest --test-dir "$brevlo_native_dir" --output-on-failure --timeout 300 -j "$(nproc)" \
    </dev/null >"$ctest_log" 2>&1
  ctest_rc=$?
  line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$ctest_log" | tail -n 1)
  t1_has=$(ctest --test-dir "$brevlo_native_dir" -N 2>/dev/null | sed -nE 's/^Total Tests: ([0-9]+)$/\1/p')
  if [ -n "$line" ]; then
    t1_failed=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
    t1_total=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")
    passed=$((passed + t1_total - t1_failed))
    failed=$((failed + t1_failed))
    note "tier 1, native unit tests: $((t1_total - t1_failed)) passed, $t1_failed failed"
    if [ "$t1_total" -ne "${t1_has:-0}" ] || [ "$t1_total" -eq 0 ]; then
      fail_step "tier 1 ran $t1_total of the ${t1_has:-?} tests it has"
    fi
    if [ "$t1_failed" -gt 0 ]; then
      grep -E '^[[:space:]]*[0-9]+ - .*\((Failed|Timeout|SEGFAULT|Subprocess|Exception|Not Run)' \
        "$ctest_log" >&2
      sed -n '/^The following tests FAILED/,$p' "$ctest_log" >&2
    fi
  elif grep -q 'No tests were found' "$ctest_log" && [ $ctest_rc -eq 0 ]; then
    note "tier 1, native unit tests: none registered"
  else
    tail -n 60 "$ctest_log" >&2
    fail_step "tier 1 did not run (see $ctest_log)"
  fi
else
  note "tier 1, native unit tests: not run (native build failed)"
fi

# Tiers 2 and 3 share one display and one Wine prefix, made fresh for this run --------------
wine_ready=no
if [ $win_ok = yes ]; then
  prefix=$brevlo_build/wineprefix-test
  brevlo_wine_env "$prefix"
  wineserver -k >/dev/null 2>&1
  rm -rf "$prefix"
  if [ -z "${DISPLAY:-}" ] && ! brevlo_xvfb_start; then
    fail_step "no virtual display (Xvfb did not start)"
  elif step wine-prefix brevlo_wine_prefix "$prefix"; then
    wine_ready=yes
    brevlo_log "Wine prefix $prefix, display $DISPLAY"
  else
    fail_step "Wine prefix could not be made"
  fi
  export BREVLO_ARTIFACTS=$brevlo_artifacts BREVLO_BUILD=$brevlo_build
  BREVLO_ARTIFACTS_WIN=$(brevlo_winpath "$brevlo_artifacts")
  export BREVLO_ARTIFACTS_WIN
fi

# Tier 2 ------------------------------------------------------------------------------------
win32_exe=$brevlo_win_dir/brevlo_win32_tests.exe

# Runs the Win32 tests in the current prefix and counts them: NAME names the report and the
# log, LABEL the line of the summary; a third argument is a GoogleTest filter.
run_win32_tests() {
  local name=$1 label=$2 filter=${3:-}
  local xml=$brevlo_artifacts/$name.xml w2_log=$logs/$name.log
  local rundir=$brevlo_build/$name-run status_file w2_rc status_line root
  local t2_total t2_failed t2_disabled t2_skipped t2_passed t2_has t2_ran
  # A scratch folder as the current one, so that stray relative files stay out of the tree.
  # Inside Wine's own desktop: without a window manager, hiding a top-level window on the
  # bare display waits two seconds for an answer that never comes.
  rm -rf "$rundir" && mkdir -p "$rundir"
  # Wine's explorer does not pass on the test program's exit status; the program writes it
  # down, with how many tests it has and how many it ran.
  status_file=$rundir/status.txt
  (cd "$rundir" && GTEST_COLOR=no BREVLO_TEST_STATUS=$(brevlo_winpath "$status_file") \
    timeout -k 10 900 wine explorer /desktop=brevlo-tests,1280x1024 "$win32_exe" \
    ${filter:+--gtest_filter="$filter"} --gtest_output="xml:$(brevlo_winpath "$xml")" \
    </dev/null >"$w2_log" 2>&1)
  w2_rc=$?
  status_line=$(tr -d '\r' <"$status_file" 2>/dev/null)
  status_of() { sed -nE "s/.*(^| )$1=([0-9-]+).*/\2/p" <<<"$status_line"; }
  [ -n "$status_line" ] && w2_rc=$(status_of status)
  tr -d '\r' <"$w2_log" >"$w2_log.tmp" && mv "$w2_log.tmp" "$w2_log"
  if [ ! -f "$xml" ]; then
    tail -n 60 "$w2_log" >&2
    fail_step "$label: the test program ended with status $w2_rc and wrote no report"
    return
  fi
  root=$(grep -m1 -o '<testsuites [^>]*>' "$xml")
  attr() { sed -nE "s/.* $1=\"([0-9]+)\".*/\1/p" <<<"$root"; }
  t2_total=$(attr tests)
  t2_failed=$(($(attr failures) + $(attr errors)))
  t2_disabled=$(attr disabled)
  t2_skipped=$(grep -c 'result="skipped"' "$xml")
  t2_passed=$((t2_total - t2_failed - t2_disabled - t2_skipped))
  passed=$((passed + t2_passed))
  failed=$((failed + t2_failed))
  note "$label: $t2_passed passed, $t2_failed failed, $t2_disabled disabled, $t2_skipped skipped"
  if [ "$t2_failed" -gt 0 ]; then
    grep -E '^\[  FAILED  \]' "$w2_log" >&2
  fi
  if [ -z "$status_line" ]; then
    tail -n 40 "$w2_log" >&2
    fail_step "$label: the test program did not write its status (it did not end by itself)"
  elif [ "$w2_rc" -ne 0 ] && [ "$t2_failed" -eq 0 ]; then
    tail -n 40 "$w2_log" >&2
    fail_step "$label: the test program ended with status $w2_rc"
  fi
  # With a filter the program still counts every test it has; only the report says how many
  # the filter chose.
  t2_has=$(status_of total)
  t2_ran=$(status_of ran)
  [ -n "$filter" ] && t2_has=$t2_total
  if [ -n "$status_line" ] &&
    { [ "${t2_ran:-0}" -ne "$t2_total" ] || [ "$t2_total" -ne "${t2_has:-0}" ] ||
      [ "$t2_total" -eq 0 ]; }; then
    fail_step "$label ran ${t2_ran:-?} (report: $t2_total) of the ${t2_has:-?} tests it has"
  fi
}

if [ $wine_ready = no ]; then
  note "tier 2, Win32 tests: not run (no Windows build or no Wine prefix)"
elif [ ! -f "$win32_exe" ]; then
  if compgen -G "$brevlo_top/tests/win32/*.cpp" >/dev/null; then
    fail_step "tier 2: tests/win32 has sources but $win32_exe was not built"
  else
    note "tier 2, Win32 tests: none yet (tests/win32 holds no sources)"
  fi
else
  brevlo_log "tier 2: Win32 tests under Wine"
  run_win32_tests win32-tests "tier 2, Win32 tests"
  # The layout once more on a screen of 150 %, in a prefix of its own (the scale is read when
  # Wine starts); the other scales are run by hand, as the README says.
  brevlo_log "tier 2: layout tests at 144 dots per inch"
  wineserver -k >/dev/null 2>&1
  scaled_prefix=$brevlo_build/wineprefix-test-144
  rm -rf "$scaled_prefix"
  if step wine-prefix-144 brevlo_wine_prefix "$scaled_prefix" 144; then
    run_win32_tests win32-tests-144 "tier 2, layout tests at 144 dpi" '*AtScale*'
    wineserver -k >/dev/null 2>&1
  else
    fail_step "the Wine prefix at 144 dots per inch could not be made"
  fi
  brevlo_wine_env "$prefix"
fi

# Tier 3 ------------------------------------------------------------------------------------
e2e_scripts=("$brevlo_top"/tests/e2e/*.sh)
if [ $wine_ready = no ]; then
  note "tier 3, end-to-end tests: not run (no Windows build or no Wine prefix)"
elif [ ! -e "${e2e_scripts[0]}" ]; then
  note "tier 3, end-to-end tests: none"
else
  t3_passed=0
  t3_failed=0
  for script in "${e2e_scripts[@]}"; do
    name=$(basename "$script" .sh)
    brevlo_log "tier 3: $name"
    e2e_log=$logs/e2e-$name.log
    # A test may ask for more than ten minutes on its second line: "# timeout: SECONDS".
    limit=$(sed -nE '2s/^# timeout: ([0-9]+).*/\1/p' "$script")
    if timeout -k 10 "${limit:-600}" bash "$script" </dev/null >"$e2e_log" 2>&1; then
      t3_passed=$((t3_passed + 1))
    else
      t3_failed=$((t3_failed + 1))
      brevlo_log "$name failed; end of $e2e_log:"
      tail -n 40 "$e2e_log" >&2
      report+=("FAILED: end-to-end $name")
    fi
    wineserver -k >/dev/null 2>&1
  done
  passed=$((passed + t3_passed))
  failed=$((failed + t3_failed))
  note "tier 3, end-to-end tests: $t3_passed passed, $t3_failed failed"
  if [ $((t3_passed + t3_failed)) -ne ${#e2e_scripts[@]} ]; then
    fail_step "tier 3 ran $((t3_passed + t3_failed)) of the ${#e2e_scripts[@]} tests it has"
  fi
fi

cleanup
trap - EXIT
printf '%s\n' "${report[@]}"
echo "artifacts: $brevlo_artifacts"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
