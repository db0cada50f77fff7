# tools/bench.sh: the Wine bench, sourced by run.sh, test.sh, the tools and
# the benchmarks.
#
# bench_packages      installs what is missing (Debian, as root)
# bench_sort          finds out once whether this machine runs 32-bit code,
#                     and picks Wine's loader and the builds that can run
# bench_build ARCH    configures and builds build/ARCH (i686 or x86_64)
# bench_start         starts Xvfb (unless told to use $DISPLAY), makes the
#                     prefix once, starts a warm wineserver; bench_stop, run
#                     on every way out, ends what bench_start started
# bench_discs SIZE    generates the sample game files (small|realistic) and
#                     masters the install discs from them (tools/
#                     master-discs.sh), signed with a test key made once
#                     (tools/make-test-keys.sh, in $BENCH_ROOT/test-keys):
#                     their ISO 9660 images, and trees
# bench_disc_mounts SIZE  serves the sample discs' images (bench_serve_disc
#                     a player's own), exporting BENCH_DISC1 and BENCH_DISC2
# bench_wine ...      runs a Windows program on the bench, output detached
#                     from Wine's services
# bench_step NAME CMD runs one step; when it fails, says which step and why,
#                     shows the end of its output and ends the script
#
# BENCH_BUILD picks the build folder (and with it the prefix, the discs and
# the mounts); BENCH_NO_32BIT=1 takes the path of a machine that runs no
# 32-bit code, on any machine; BENCH_PREFIX_LOCALE=en_US.UTF-8 a prefix of
# its own made as an English Windows (the screenshots of another language).

BENCH_PROJECT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd -P)
BENCH_BUILD=${BENCH_BUILD:-$BENCH_PROJECT/build}
BENCH_ROOT=$BENCH_BUILD/bench
BENCH_LOGS=$BENCH_BUILD/logs
export WINEDEBUG=-all
# Wine drops WINEDLLOVERRIDES from what a Unix program it starts inherits:
# the launcher sets it again from this copy for a program started so.
export BENCH_DLL_OVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEDLLOVERRIDES=$BENCH_DLL_OVERRIDES
export BENCH_ROOT
source "$BENCH_PROJECT/tools/faultdisc/faultdisc.sh"

# git too where the clone came from elsewhere: the discs take their dates
# from the last commit. osslsigncode signs them, and with python3 and the
# system's certificate authorities checks a release.
BENCH_PACKAGES=(cmake make googletest mingw-w64 g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  wine wine64 wine32:i386 xvfb xauth xdotool fonts-ipafont-gothic fonts-wine locales imagemagick
  icoutils libxml2-utils xorriso fuseiso git osslsigncode python3 ca-certificates "${FAULTDISC_PACKAGES[@]}")
# Bump when the prefix's settings change, so a cached prefix is made anew.
BENCH_PREFIX_VERSION=4
export BENCH_LOCALE=ja_JP.UTF-8
# The locales of Windows in other languages, in which some tests start
# setup.exe through the bench's launcher: English (code page 1252), and
# Hindi, which has no code page of its own, so that Wine gives it UTF-8
# (65001), as Windows' "Use Unicode UTF-8" option does.
BENCH_OTHER_LOCALES=(en_US.UTF-8 hi_IN.UTF-8)
# The language of the Windows the prefix stands for: Wine makes the prefix's
# fonts of the caption and the message boxes the ones of that language.
BENCH_PREFIX_LOCALE=${BENCH_PREFIX_LOCALE:-$BENCH_LOCALE}
export BENCH_WINE_EXEC=$BENCH_PROJECT/tools/wine-exec

bench_log() { printf '[bench] %s\n' "$*" >&2; }

# bench_fail STEP CAUSE [LOG]: one line naming the step and its cause, the
# end of the step's output, and the end of the script (bench_stop runs).
bench_fail() {
  local step=$1 cause=$2 log=${3:-}
  printf '[bench] FAILED at step "%s": %s\n' "$step" "$cause" >&2
  if [ -n "$log" ] && [ -s "$log" ]; then
    printf '[bench] the last lines of its output (%s):\n' "$log" >&2
    tail -n "${BENCH_FAIL_LINES:-15}" "$log" | sed 's/^/    /' >&2
  fi
  exit 1
}

bench_step() {
  local step=$1 log rc
  shift
  mkdir -p "$BENCH_LOGS" 2>/dev/null || BENCH_LOGS=$(mktemp -d)
  log=$BENCH_LOGS/$(printf '%s' "$step" | tr -c 'A-Za-z0-9_.-' '-').log
  "$@" >"$log" 2>&1 </dev/null && return 0
  rc=$?
  local last
  last=$(grep -v '^\s*$' "$log" | tail -n 1 | cut -c1-200)
  case $rc in
    124) bench_fail "$step" "timed out: $*" "$log" ;;
    *) bench_fail "$step" "$1 exited with $rc${last:+: $last}" "$log" ;;
  esac
}

# The names that installed packages provide: on Debian 13 libfuse2 is only
# a name that libfuse2t64 provides.
bench_provided() {
  dpkg-query -W -f='${db:Status-Abbrev}|${Provides}\n' 2>/dev/null \
    | sed -n 's/^ii *|//p' | tr ',' '\n' | sed 's/(.*)//; s/^ *//; s/ *$//' | sort -u || :
}

bench_packages() {
  local missing=() p provided=
  for p in "${BENCH_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' && continue
    [ -n "$provided" ] || provided=$(bench_provided)
    grep -qx "${p%%:*}" <<<"$provided" || missing+=("$p")
  done
  if ((${#missing[@]})); then
    bench_log "installing: ${missing[*]}"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
      bench_step "packages: add the i386 architecture" dpkg --add-architecture i386
    fi
    bench_step "packages: apt-get update" apt-get update -qq
    bench_step "packages: apt-get install" env DEBIAN_FRONTEND=noninteractive \
      apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
  local name
  for name in "$BENCH_LOCALE" "${BENCH_OTHER_LOCALES[@]}"; do
    bench_has_locale "$name" && continue
    bench_log "generating the $name locale"
    bench_step "locale $name" localedef -i "${name%%.*}" -f UTF-8 "$name"
  done
}

# locale -a writes utf8 for UTF-8.
bench_has_locale() {
  locale -a 2>/dev/null | grep -qix "${1%%.*}.utf8"
}

bench_prefix_suffix() {
  [ "$BENCH_PREFIX_LOCALE" = "$BENCH_LOCALE" ] || echo "-${BENCH_PREFIX_LOCALE%%.*}"
}

# Sets BENCH_RUNS_32BIT (1 or 0), BENCH_LOADER (every Wine call goes
# through it), BENCH_ARCHS (the builds whose programs run here),
# BENCH_HELPER_ARCH (the build of the bench's own programs) and the prefix.
bench_sort() {
  [ -n "${BENCH_LOADER:-}" ] && [ -n "${BENCH_SORT_OF:-}" ] && [ "$BENCH_SORT_OF" = "$BENCH_BUILD" ] && return 0
  local loader
  for loader in /usr/lib/wine/wine /usr/lib/wine/wine64; do
    [ -x "$loader" ] || bench_fail "Wine's loaders" "$loader is missing: the wine, wine32 and wine64 packages are not all installed"
  done
  BENCH_SORT_WHY=
  if [ -n "${BENCH_NO_32BIT:-}" ] && [ "$BENCH_NO_32BIT" != 0 ]; then
    BENCH_RUNS_32BIT=0
    BENCH_SORT_WHY="BENCH_NO_32BIT is set"
  elif BENCH_SORT_WHY=$(timeout -k 5 30 /usr/lib/wine/wine --version 2>&1 </dev/null); then
    BENCH_RUNS_32BIT=1
  else
    BENCH_RUNS_32BIT=0
    BENCH_SORT_WHY="Wine's 32-bit loader does not start: $(printf '%s' "$BENCH_SORT_WHY" | grep -v '^\s*$' | tail -n 1)"
  fi
  if ((BENCH_RUNS_32BIT)); then
    BENCH_LOADER=/usr/lib/wine/wine
    BENCH_ARCHS=(i686 x86_64)
    BENCH_HELPER_ARCH=i686
    unset WINELOADER WINESERVER
    WINEPREFIX=${BENCH_PREFIX:-$BENCH_BUILD/wineprefix$(bench_prefix_suffix)}
  else
    # Debian's wine and wineboot wrappers pick the 32-bit loader whenever
    # it is installed, so the 64-bit one is named outright.
    BENCH_LOADER=/usr/lib/wine/wine64
    export WINELOADER=$BENCH_LOADER
    [ -x /usr/lib/wine/wineserver64 ] && export WINESERVER=/usr/lib/wine/wineserver64
    BENCH_ARCHS=(x86_64)
    BENCH_HELPER_ARCH=x86_64
    # A prefix made without 32-bit code lacks its 32-bit half: one per sort.
    WINEPREFIX=${BENCH_PREFIX:-$BENCH_BUILD/wineprefix-64$(bench_prefix_suffix)}
  fi
  export BENCH_LOADER BENCH_RUNS_32BIT BENCH_HELPER_ARCH WINEPREFIX
  BENCH_SORT_OF=$BENCH_BUILD
}

# One line on the sort of machine and what runs here.
bench_describe() {
  bench_sort
  if ((BENCH_RUNS_32BIT)); then
    bench_log "this machine runs 32-bit code: the i686 and x86_64 builds both run (loader $BENCH_LOADER)"
  elif [ "$BENCH_SORT_WHY" = "BENCH_NO_32BIT is set" ]; then
    bench_log "BENCH_NO_32BIT is set: as on a machine that runs no 32-bit code, the x86_64 build runs and the i686 build is built and checked without running (loader $BENCH_LOADER)"
  else
    bench_log "this machine runs no 32-bit code ($BENCH_SORT_WHY): the x86_64 build runs, the i686 build is built and checked without running (loader $BENCH_LOADER)"
  fi
}

bench_runs() { # bench_runs ARCH: whether that build's programs run here
  bench_sort
  [[ " ${BENCH_ARCHS[*]} " == *" $1 "* ]]
}

# bench_build ARCH [TARGET...]: everything, or only the targets named.
bench_build() {
  local arch=$1 dir=$BENCH_BUILD/$1
  shift
  bench_log "building $arch${1:+ ($*)}"
  bench_step "configure $arch" cmake -S "$BENCH_PROJECT" -B "$dir" \
    -DCMAKE_TOOLCHAIN_FILE="$BENCH_PROJECT/cmake/mingw-$arch.cmake" -DCMAKE_BUILD_TYPE=Release
  BENCH_FAIL_LINES=40 bench_step "build $arch" cmake --build "$dir" -j "$(nproc)" ${1:+--target "$@"}
}

BENCH_XVFB_PID=
BENCH_SERVER_UP=
BENCH_MOUNTS=()
BENCH_FUSE_PIDS=()
BENCH_COPIES=()
# Commands of the calling script that bench_stop runs first, while the
# server still runs (bench_on_stop COMMAND).
BENCH_STOP_HOOKS=()
bench_on_stop() { BENCH_STOP_HOOKS+=("$1"); }

# Every root on a machine shares the display numbers: X's abstract sockets
# belong to the network namespace, so a server another root started shows
# in /proc/net/unix but not as a file in this root's /tmp.
bench_display_taken() {
  [ -e "/tmp/.X$1-lock" ] || [ -e "/tmp/.X11-unix/X$1" ] \
    || grep -q "@/tmp/.X11-unix/X$1\$" /proc/net/unix 2>/dev/null
}

bench_start_xvfb() {
  local n i log=$BENCH_LOGS/xvfb.log cause
  mkdir -p "$BENCH_LOGS"
  command -v Xvfb >/dev/null || bench_fail "Xvfb" "Xvfb is missing (package xvfb)"
  for n in $(seq 91 160); do
    bench_display_taken "$n" && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$log" 2>&1 &
    BENCH_XVFB_PID=$!
    for i in $(seq 1 100); do
      if [ -e "/tmp/.X11-unix/X$n" ]; then
        export DISPLAY=":$n"
        bench_log "Xvfb on $DISPLAY, pid $BENCH_XVFB_PID"
        return 0
      fi
      kill -0 "$BENCH_XVFB_PID" 2>/dev/null || break
      sleep 0.1
    done
    kill "$BENCH_XVFB_PID" 2>/dev/null || :
    # Its status is the failure told below, not the end of the script.
    wait "$BENCH_XVFB_PID" 2>/dev/null || :
    BENCH_XVFB_PID=
    # Another display took the number first (perhaps in another root):
    # try the next. Xvfb that does not start at all is a fault of its own.
    grep -qi 'already active\|Server is already\|cannot establish any listening sockets' "$log" || break
  done
  # X's own words: the line after "Fatal server error", else its first.
  cause=$({ grep -A1 'Fatal server error' "$log" | sed -n 2p; grep -v '^\s*$' "$log" | head -n 1; } 2>/dev/null \
    | sed 's/^(EE) *//; s/(EE) *$//' | grep -v '^\s*$' | head -n 1 | cut -c1-200 || :)
  bench_fail "Xvfb" "no virtual display could be started${cause:+: $cause}" "$log"
}

# Wine's services inherit the output of the first Wine process of a
# session: it must not be a pipe that somebody waits on.
bench_wine() {
  bench_sort
  LC_ALL=$BENCH_LOCALE timeout -k 5 "${BENCH_WINE_TIMEOUT:-120}" "$BENCH_LOADER" "$@" </dev/null
}

bench_reg() {
  bench_step "registry: reg $*" bench_wine reg "$@"
}

bench_prefix_stamp() { echo "$BENCH_PREFIX_VERSION runs-32bit=$BENCH_RUNS_32BIT locale=$BENCH_PREFIX_LOCALE"; }

bench_wineboot() {
  bench_wine wineboot -i
  local rc=$?
  # Where no 32-bit code runs, wineboot reports that syswow64's rundll32
  # cannot start (c0000135); the 64-bit prefix is whole all the same.
  if ((rc != 0)) && [ -f "$WINEPREFIX/system.reg" ] && [ -d "$WINEPREFIX/drive_c/windows/system32" ]; then
    echo "wineboot exited with $rc; the prefix is in place"
    return 0
  fi
  return $rc
}

bench_make_prefix() {
  if [ -f "$WINEPREFIX/.bench-prefix" ] && [ "$(cat "$WINEPREFIX/.bench-prefix")" = "$(bench_prefix_stamp)" ]; then
    return 0
  fi
  bench_log "making the Wine prefix (once): $WINEPREFIX"
  # Made, and set, in its language.
  local BENCH_LOCALE=$BENCH_PREFIX_LOCALE
  # wineboot starts the prefix's server: bench_stop ends it, also when a
  # step below fails.
  BENCH_SERVER_UP=1
  bench_step "prefix: clear $WINEPREFIX" rm -rf "$WINEPREFIX"
  bench_step "prefix: create $WINEPREFIX" mkdir -p "$WINEPREFIX"
  BENCH_WINE_TIMEOUT=300 bench_step "prefix: wineboot -i" bench_wineboot
  # Without a window manager every hide or destroy of a top-level window
  # otherwise waits about 2 s.
  bench_reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
  # The dialogs' font, proportional as on Windows.
  bench_reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ Ｐゴシック' /d IPAPGothic /f
  bench_reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ ゴシック' /d IPAGothic /f
  # Wine, as Windows, links the caption and message-box fonts (Tahoma,
  # Microsoft Sans Serif) to MS UI Gothic for Japanese characters; Wine 10
  # draws Japanese captions so, and so does every version in a prefix made
  # in another language.
  bench_reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS UI Gothic' /d IPAPGothic /f
  cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  # No desktop theme: Windows draws the controls of a program that asks for
  # no visual styles, as setup.exe does, the classic way, while Wine's
  # default theme draws them themed, a progress bar's move at eight times
  # the cost.
  bench_reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager' /v ThemeActive /d 0 /f
  bench_step "prefix: wait for the server" timeout -k 5 120 wineserver -w
  bench_prefix_stamp >"$WINEPREFIX/.bench-prefix"
}

# Wine programs run in the Japanese locale (ANSI code page 932); the
# bench's own steps keep the caller's, so their messages stay readable.
bench_env() {
  bench_sort
  local name
  for name in "$BENCH_LOCALE" "${BENCH_OTHER_LOCALES[@]}"; do
    bench_has_locale "$name" || bench_fail "locale $name" "the locale is missing (bench_packages generates it)"
  done
}

bench_start() {
  bench_env
  mkdir -p "$BENCH_ROOT" "$BENCH_LOGS"
  trap bench_stop EXIT
  trap 'exit 130' INT TERM
  if [ -z "${BENCH_USE_DISPLAY:-}" ] || [ -z "${DISPLAY:-}" ]; then
    bench_start_xvfb
  fi
  bench_make_prefix
  bench_restart_wine
  bench_log "bench up: DISPLAY=$DISPLAY WINEPREFIX=$WINEPREFIX"
}

# A warm, persistent server for the prefix, and a held desktop.
bench_restart_wine() {
  wineserver -k >/dev/null 2>&1 || true
  BENCH_SERVER_UP=1
  (wineserver -p >/dev/null 2>&1 &)
  bench_step "wineserver: warm up" bench_wine cmd /c exit
  local holder=$BENCH_BUILD/$BENCH_HELPER_ARCH/bin/benchdrive.exe
  if [ -x "$holder" ]; then
    local held=$BENCH_ROOT/held
    rm -f "$held"
    (BENCH_WINE_TIMEOUT=86400 bench_wine "$holder" hold "Z:${held//\//\\}" >/dev/null 2>&1 &)
    # Until its window stands: a server ended while it still starts would
    # be started again by it, and outlive the bench.
    for _ in $(seq 1 150); do
      [ -e "$held" ] && break
      sleep 0.1
    done
  fi
}

# Ends what the bench started, each step whatever became of the others.
bench_stop() {
  set +e
  trap - EXIT INT TERM
  local hook
  for hook in "${BENCH_STOP_HOOKS[@]}"; do
    eval "$hook" >/dev/null 2>&1
  done
  BENCH_STOP_HOOKS=()
  if [ -n "$BENCH_SERVER_UP" ]; then
    # Ends the prefix's server and every Wine process of it, the held
    # window included.
    timeout -k 5 30 wineserver -k >/dev/null 2>&1
    timeout -k 5 30 wineserver -w >/dev/null 2>&1
    BENCH_SERVER_UP=
  fi
  # Only once no Wine process can touch them: a FUSE mount whose process
  # is gone hangs whatever reads it.
  faultdisc_stop_all
  local i p
  # The last first: an overlay before the image mount beneath it.
  for ((i = ${#BENCH_MOUNTS[@]} - 1; i >= 0; i--)); do
    umount -l "${BENCH_MOUNTS[i]}" 2>/dev/null
  done
  BENCH_MOUNTS=()
  for p in "${BENCH_FUSE_PIDS[@]}"; do
    kill "$p" 2>/dev/null
  done
  for p in "${BENCH_FUSE_PIDS[@]}"; do
    faultdisc_reap "$p"
  done
  BENCH_FUSE_PIDS=()
  for p in "${BENCH_COPIES[@]}"; do
    rm -rf "$p"
  done
  BENCH_COPIES=()
  if [ -n "$BENCH_XVFB_PID" ]; then
    kill "$BENCH_XVFB_PID" 2>/dev/null
    wait "$BENCH_XVFB_PID" 2>/dev/null
    BENCH_XVFB_PID=
  fi
  return 0
}

# bench_mount_tmpfs DIR OPTIONS: a small file system of the bench's own,
# unmounted by bench_stop. Where mounting is not allowed, says so; the
# tests that need it skip.
bench_mount_tmpfs() {
  local dir=$1 options=$2 why
  mkdir -p "$dir"
  mountpoint -q "$dir" && umount -l "$dir"
  if why=$(mount -t tmpfs -o "$options" tmpfs "$dir" 2>&1); then
    BENCH_MOUNTS+=("$dir")
  else
    bench_log "no tmpfs at $dir (${why:-mount refused}): the tests that need it are skipped"
  fi
}

# bench_ctest ARCH [CTEST ARGS]: runs the tests of one build on the bench.
bench_ctest() {
  local arch=$1
  shift
  bench_step "drives: reset" bench_wine "$BENCH_BUILD/$arch/bin/benchdrive.exe" reset
  (cd "$BENCH_BUILD/$arch" && ctest --output-on-failure --timeout 600 "$@")
}

# bench_static_checks ARCH: the checks of a build that need no running.
bench_static_checks() {
  (cd "$BENCH_BUILD/$1/tests/pe" && ctest --output-on-failure)
}

bench_discs() {
  bench_sort
  local bin=$BENCH_BUILD/$BENCH_HELPER_ARCH/bin keys=$BENCH_ROOT/test-keys
  # Disc 1 carries a setup.exe as a player's does: the build that runs here,
  # signed as a publisher signs it, with a test key of the bench's own.
  [ -f "$bin/setup.exe" ] || bench_build "$BENCH_HELPER_ARCH" setup
  [ -f "$keys/signer.p12" ] || bench_step "test keys" "$BENCH_PROJECT/tools/make-test-keys.sh" "$keys"
  bench_step "discs ($1)" "$BENCH_PROJECT/tools/make-discs.sh" "$BENCH_ROOT/discs-$1" "$1" \
    "$bin/hoshi.exe" "$bin/setup.exe" --sign-cert "$keys/chain.pem" --sign-key "$keys/key.pem"
}

# bench_iso_label FILE: the volume id of an ISO 9660 image, from its primary
# volume descriptor (sector 16: type 1, "CD001", the id at bytes 40 to 71,
# padded with spaces); 1 when FILE is no such image.
bench_iso_label() {
  local LC_ALL=C head label
  head=$(dd if="$1" bs=2048 skip=16 count=1 2>/dev/null | head -c 72 | tr '\0' ' ') || return 1
  [ "${head:0:6}" = $'\x01CD001' ] || return 1
  label=${head:40:32}
  printf '%s\n' "${label%"${label##*[! ]}"}"
}

# bench_disc_problem N PATH: what keeps PATH (an ISO 9660 image, or a
# folder with its .windows-label) from being install disc N; nothing when
# it can be. Its label must be disc N's apart from case, as the program
# matches labels.
bench_disc_problem() {
  local n=$1 path=$2 label expected=hoshikage$1
  if [ -d "$path" ]; then
    [ -f "$path/.windows-label" ] || { echo "a folder without .windows-label"; return 0; }
    label=$(head -n 1 "$path/.windows-label" | tr -d '\r')
    label=${label%"${label##*[! ]}"}
  elif [ -e "$path" ]; then
    label=$(bench_iso_label "$path") || { echo "not an ISO 9660 image"; return 0; }
  else
    echo "no such file"
    return 0
  fi
  [ "$(printf '%s' "$label" | LC_ALL=C tr A-Z a-z)" = "$expected" ] || echo "label ${label:-(none)}, expected $expected"
  return 0
}

# The path of a mount point as the mount table has it, found without
# touching the mount itself (a stale FUSE mount hangs whatever reads it).
bench_mount_path() {
  mkdir -p "$(dirname "$1")"
  printf '%s/%s\n' "$(cd "$(dirname "$1")" && pwd -P)" "$(basename "$1")"
}

# bench_mount_iso IMAGE MOUNT: the image read-only through FUSE, unmounted
# by bench_stop. Where it cannot be mounted, returns 1 with the cause in
# BENCH_WHY and leaves nothing behind.
bench_mount_iso() {
  local image=$1 mount pid log i
  mount=$(bench_mount_path "$2")
  BENCH_WHY=
  if [ ! -c /dev/fuse ]; then
    BENCH_WHY="no /dev/fuse"
  elif ! command -v fuseiso >/dev/null; then
    BENCH_WHY="fuseiso is missing"
  elif [ ! -f "$image" ] && [ ! -b "$image" ]; then
    BENCH_WHY="no image $image"
  fi
  [ -z "$BENCH_WHY" ] || return 1
  # A mount left by an earlier run that ended badly.
  faultdisc_unmount "$mount"
  mkdir -p "$mount" "$BENCH_LOGS"
  log=$BENCH_LOGS/fuseiso-$(basename "$mount").log
  # In the foreground, so that the process is the bench's own to end; -n
  # keeps fuseiso's table out of $HOME.
  fuseiso -n "$image" "$mount" -f -o ro </dev/null >"$log" 2>&1 &
  pid=$!
  # Recorded at once, so that an interrupted bench ends it too.
  BENCH_FUSE_PIDS+=("$pid")
  BENCH_MOUNTS+=("$mount")
  for i in $(seq 1 100); do
    faultdisc_is_mounted "$mount" && return 0
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  BENCH_WHY=$(grep -v '^\s*$' "$log" | head -n 2 | paste -sd ';' || :)
  BENCH_WHY=${BENCH_WHY:-the mount did not appear within 10 s}
  faultdisc_unmount "$mount"
  kill "$pid" 2>/dev/null || :
  faultdisc_reap "$pid"
  unset 'BENCH_FUSE_PIDS[-1]' 'BENCH_MOUNTS[-1]'
  return 1
}

# bench_mount_image N IMAGE: the image read-only through FUSE at
# $BENCH_ROOT/mnt/isoN and, as Wine 8.0 reads no label from an image behind
# FUSE, its volume id laid over it as .windows-label at mnt/discN (an image
# that carries that file itself is served as it is); BENCH_SERVED names the
# folder to serve. Where either mount fails, returns 1 with the cause in
# BENCH_WHY and leaves nothing mounted.
bench_mount_image() {
  local n=$1 image=$2 iso=$BENCH_ROOT/mnt/iso$1 label
  label=$(bench_iso_label "$image") || label=
  bench_mount_iso "$image" "$iso" || return 1
  if [ -f "$iso/.windows-label" ]; then
    BENCH_SERVED=$iso
    return 0
  fi
  if bench_mount_labelled "$n" "$label"; then
    BENCH_SERVED=$BENCH_ROOT/mnt/disc$n
    return 0
  fi
  faultdisc_unmount "$(bench_mount_path "$iso")"
  return 1
}

# bench_disc_mounts SIZE: the sample discs as a player has them, their
# images mounted read-only and shown with their labels (bench_mount_image);
# BENCH_DISC1 and BENCH_DISC2 name the folders behind the discs' drives.
# Where an image cannot be served so, one line says so and the disc's
# folder, which holds what the image holds, serves instead.
bench_disc_mounts() {
  local n dir=$BENCH_ROOT/discs-$1 failed=() why=()
  for n in 1 2; do
    if bench_mount_image "$n" "$dir/disc$n.iso"; then
      export "BENCH_DISC$n=$BENCH_SERVED"
    else
      failed+=("$n")
      [[ " ${why[*]-} " == *" $BENCH_WHY "* ]] || why+=("$BENCH_WHY")
      export "BENCH_DISC$n=$dir/disc$n"
    fi
  done
  case ${#failed[@]} in
    1) bench_log "the image of disc ${failed[0]} cannot be mounted (${why[0]}): disc ${failed[0]} is served from its tree" ;;
    2) bench_log "the disc images cannot be mounted ($(IFS=';'; echo "${why[*]}")): discs 1 and 2 are served from their trees" ;;
  esac
  return 0
}

# bench_serve_disc N SOURCE: a player's install disc N, an ISO 9660 image
# or a folder holding its .windows-label (bench_disc_problem tells whether
# it will do), as BENCH_DISCn. An image is served by bench_mount_image;
# where it cannot be, its files are copied out instead (removed by
# bench_stop).
bench_serve_disc() {
  local n=$1 source=$2 label copy=$BENCH_ROOT/copies/disc$1
  if [ -d "$source" ]; then
    export "BENCH_DISC$n=$source"
    return 0
  fi
  if bench_mount_image "$n" "$source"; then
    export "BENCH_DISC$n=$BENCH_SERVED"
    return 0
  fi
  label=$(bench_iso_label "$source")
  bench_log "disc $n ($source) cannot be mounted ($BENCH_WHY): its files are copied out of the image"
  rm -rf "$copy"
  mkdir -p "$copy"
  BENCH_COPIES+=("$copy")
  bench_step "disc $n: copy the files out of $source" xorriso -osirrox on -indev "$source" -extract / "$copy"
  [ -f "$copy/.windows-label" ] || printf '%s\n' "$label" >"$copy/.windows-label"
  export "BENCH_DISC$n=$copy"
}

# bench_mount_labelled N LABEL: $BENCH_ROOT/mnt/discN, the image mounted at
# mnt/isoN with a .windows-label holding LABEL laid over it, read-only.
bench_mount_labelled() {
  local mnt
  mnt=$(bench_mount_path "$BENCH_ROOT/mnt/disc$1")
  mnt=${mnt%/*}
  faultdisc_unmount "$mnt/disc$1"
  rm -rf "$mnt/label$1"
  mkdir -p "$mnt/label$1" "$mnt/disc$1"
  printf '%s\n' "$2" >"$mnt/label$1/.windows-label"
  # Relative folders: a colon or a comma in a path would split the option.
  if BENCH_WHY=$(cd "$mnt" && mount -t overlay overlay -o "ro,lowerdir=label$1:iso$1" "disc$1" 2>&1); then
    BENCH_MOUNTS+=("$mnt/disc$1")
    return 0
  fi
  BENCH_WHY="overlay: ${BENCH_WHY:-mount refused}"
  return 1
}

# The file systems some tests use, under $BENCH_ROOT/mnt:
#   small       256 KiB: a copy runs out of room in the middle of a file
#   space       1300 MiB: exactly a full install's threshold of free space
#   readonly    read-only
#   faultdisc1  the small install discs 1 and 2, as discs that fail when a
#   faultdisc2  test asks (faultdisc1.control, faultdisc2.control)
#   iso1, iso2  the small install discs' images, and with their labels
#   disc1, disc2  (BENCH_DISC1, BENCH_DISC2)
bench_test_mounts() {
  bench_disc_mounts small
  bench_mount_tmpfs "$BENCH_ROOT/mnt/small" size=256k
  bench_mount_tmpfs "$BENCH_ROOT/mnt/space" size=1300m
  bench_mount_tmpfs "$BENCH_ROOT/mnt/readonly" size=64k,ro
  local n
  for n in 1 2; do
    faultdisc_mount "$BENCH_ROOT/discs-small/disc$n" "$BENCH_ROOT/mnt/faultdisc$n" "$BENCH_ROOT/mnt/faultdisc$n.control" \
      || bench_log "no failing disc $n: the tests that need it are skipped"
  done
}
