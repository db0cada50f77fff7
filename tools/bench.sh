# tools/bench.sh: the Wine bench, sourced by run.sh and test.sh.
#
# bench_packages      installs what is missing (Debian, as root)
# bench_build ARCH    configures and builds build/ARCH (i686 or x86_64)
# bench_start         starts Xvfb (unless told to use $DISPLAY), makes the
#                     prefix once, starts a warm wineserver; bench_stop, run
#                     on exit, ends what bench_start started
# bench_discs SIZE    generates the sample install discs (small|realistic)
# bench_wine ...      runs a Windows program on the bench, output detached
#                     from Wine's services

BENCH_PROJECT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BENCH_BUILD=${BENCH_BUILD:-$BENCH_PROJECT/build}
BENCH_ROOT=$BENCH_BUILD/bench
export WINEPREFIX=$BENCH_BUILD/wineprefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export LC_ALL=ja_JP.UTF-8
export BENCH_ROOT

BENCH_PACKAGES=(cmake make googletest mingw-w64 g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  wine wine64 wine32:i386 xvfb xauth xdotool fonts-ipafont-gothic fonts-wine locales imagemagick
  liblnk-utils icoutils libxml2-utils)
# Bump when the prefix's settings change, so a cached prefix is made anew.
BENCH_PREFIX_VERSION=1

bench_log() { printf '[bench] %s\n' "$*" >&2; }

bench_packages() {
  local missing=() p
  for p in "${BENCH_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if ((${#missing[@]})); then
    bench_log "installing: ${missing[*]}"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
      dpkg --add-architecture i386
    fi
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
  if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf8'; then
    bench_log "generating the ja_JP.UTF-8 locale"
    localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
  fi
}

# bench_build ARCH [TARGET...]: everything, or only the targets named.
bench_build() {
  local arch=$1 dir=$BENCH_BUILD/$1
  shift
  cmake -S "$BENCH_PROJECT" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$BENCH_PROJECT/cmake/mingw-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$dir" -j "$(nproc)" ${1:+--target "$@"}
}

BENCH_XVFB_PID=
BENCH_MOUNTS=()

bench_start_xvfb() {
  local n
  for n in $(seq 91 160); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    BENCH_XVFB_PID=$!
    local i
    for i in $(seq 1 100); do
      [ -e "/tmp/.X11-unix/X$n" ] && { export DISPLAY=":$n"; return 0; }
      kill -0 "$BENCH_XVFB_PID" 2>/dev/null || break
      sleep 0.1
    done
    kill "$BENCH_XVFB_PID" 2>/dev/null
    BENCH_XVFB_PID=
  done
  bench_log "could not start Xvfb"
  return 1
}

# Wine's services inherit the output of the first Wine process of a
# session: it must not be a pipe that somebody waits on.
bench_wine() {
  timeout -k 5 "${BENCH_WINE_TIMEOUT:-120}" wine "$@" </dev/null
}

bench_reg() {
  bench_wine reg "$@" >/dev/null 2>&1
}

bench_make_prefix() {
  if [ -f "$WINEPREFIX/.bench-prefix" ] && [ "$(cat "$WINEPREFIX/.bench-prefix")" = "$BENCH_PREFIX_VERSION" ]; then
    return 0
  fi
  bench_log "making the Wine prefix (once)"
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  timeout -k 5 300 wineboot -i </dev/null >/dev/null 2>&1
  # Without a window manager every hide or destroy of a top-level window
  # otherwise waits about 2 s.
  bench_reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
  # The dialogs' font, proportional as on Windows.
  bench_reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ Ｐゴシック' /d IPAPGothic /f
  bench_reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ ゴシック' /d IPAGothic /f
  cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  wineserver -w
  echo "$BENCH_PREFIX_VERSION" >"$WINEPREFIX/.bench-prefix"
}

bench_start() {
  mkdir -p "$BENCH_ROOT"
  trap bench_stop EXIT
  trap 'exit 130' INT TERM
  if [ -z "${BENCH_USE_DISPLAY:-}" ] || [ -z "${DISPLAY:-}" ]; then
    bench_start_xvfb || return 1
  fi
  bench_make_prefix
  bench_restart_wine
  bench_log "bench up: DISPLAY=$DISPLAY WINEPREFIX=$WINEPREFIX"
}

# A warm, persistent server for the prefix, and a held desktop.
bench_restart_wine() {
  wineserver -k >/dev/null 2>&1 || true
  (wineserver -p >/dev/null 2>&1 &)
  bench_wine cmd /c exit >/dev/null 2>&1
  local holder=$BENCH_BUILD/i686/bin/benchdrive.exe
  if [ -x "$holder" ]; then
    (BENCH_WINE_TIMEOUT=86400 bench_wine "$holder" hold >/dev/null 2>&1 &)
  fi
}

bench_stop() {
  trap - EXIT
  [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1
  if [ -n "$BENCH_XVFB_PID" ]; then
    kill "$BENCH_XVFB_PID" 2>/dev/null
    wait "$BENCH_XVFB_PID" 2>/dev/null
    BENCH_XVFB_PID=
  fi
  local m
  for m in "${BENCH_MOUNTS[@]}"; do
    umount "$m" 2>/dev/null
  done
  BENCH_MOUNTS=()
}

# bench_mount_tmpfs DIR OPTIONS: a small file system of the bench's own,
# unmounted by bench_stop. Fails quietly where mounting is not allowed.
bench_mount_tmpfs() {
  local dir=$1 options=$2
  mkdir -p "$dir"
  mountpoint -q "$dir" && umount "$dir"
  if mount -t tmpfs -o "$options" tmpfs "$dir" 2>/dev/null; then
    BENCH_MOUNTS+=("$dir")
  else
    bench_log "cannot mount a tmpfs at $dir; the tests that need it are skipped"
  fi
}

# bench_ctest ARCH [CTEST ARGS]: runs the tests of one build on the bench.
bench_ctest() {
  local arch=$1
  shift
  bench_wine "$BENCH_BUILD/$arch/bin/benchdrive.exe" reset || true
  (cd "$BENCH_BUILD/$arch" && ctest --output-on-failure --timeout 600 "$@")
}

bench_discs() {
  "$BENCH_PROJECT/tools/make-discs.sh" "$BENCH_ROOT/discs-$1" "$1" "$BENCH_BUILD/i686/bin/hoshi.exe"
}

# The small file systems some tests write to, under $BENCH_ROOT/mnt:
#   small    256 KiB: a copy runs out of room in the middle of a file
#   space    1300 MiB: exactly a full install's threshold of free space
#   readonly read-only
bench_test_mounts() {
  bench_mount_tmpfs "$BENCH_ROOT/mnt/small" size=256k
  bench_mount_tmpfs "$BENCH_ROOT/mnt/space" size=1300m
  bench_mount_tmpfs "$BENCH_ROOT/mnt/readonly" size=64k,ro
}
