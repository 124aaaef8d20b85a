# Sourced by the Windows scripts: which Windows build the tests run under
# Wine. The 32-bit one, which the zip ships, wherever this machine runs
# 32-bit programs; where its kernel refuses them ("Exec format error"), the
# 64-bit build of the same sources, and the 32-bit executables are checked
# without running them. WORDLOOM_WIN64=1 takes the 64-bit way on any machine.

# Sets and exports WINDOWS_TEST_ARCH (i686 or x86_64) and WINDOWS_TEST_WHY,
# so that the scripts a test starts (windows-deps.sh) keep its decision.
# Fails when the 32-bit program fails in any other way: that is no reason
# to switch.
windows_test_target() {
  export WINDOWS_TEST_ARCH WINDOWS_TEST_WHY
  [ -n "${WINDOWS_TEST_ARCH:-}" ] && [ -n "${WINDOWS_TEST_WHY:-}" ] && return 0
  if [ "${WORDLOOM_WIN64:-}" = 1 ]; then
    WINDOWS_TEST_ARCH=x86_64 WINDOWS_TEST_WHY="WORDLOOM_WIN64=1 asks for the 64-bit build"
    return 0
  fi
  # Tried, not guessed: the smallest 32-bit program, an exit(0) system call.
  local dir out status=0
  dir=$(mktemp -d "${TMPDIR:-/tmp}/wordloom-i386-XXXXXX")
  printf '.globl _start\n_start: movl $1, %%eax\n xorl %%ebx, %%ebx\n int $0x80\n' |
    as --32 -o "$dir/probe.o" - && ld -m elf_i386 -o "$dir/probe" "$dir/probe.o" || status=$?
  [ $status != 0 ] || out=$("$dir/probe" 2>&1) || status=$?
  rm -rf "$dir"
  if [ $status = 0 ]; then
    WINDOWS_TEST_ARCH=i686 WINDOWS_TEST_WHY="this machine runs 32-bit programs"
  elif [[ ${out:-} == *"Exec format error"* ]]; then
    WINDOWS_TEST_ARCH=x86_64 WINDOWS_TEST_WHY="this machine cannot run 32-bit programs (Exec format error)"
  else
    echo "windows: a 32-bit test program failed (status $status): ${out:-it was not built}" >&2
    return 1
  fi
}
