# Shared by the run and test commands: packages, build flavours, a private Wine prefix, a display.
# Sourced, not run.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
OUT=${CORVANE_OUT:-$ROOT/out}

log() { printf '== %s\n' "$*" >&2; }

# Installs whatever of the tool chain is missing (Debian packages only).
install_packages() {
    local wanted=(cmake make g++ googletest xvfb xauth x11-utils imagemagick
        g++-mingw-w64-i686-posix mingw-w64-i686-dev
        g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
        wine wine64 wine32:i386)
    local missing=()
    local package
    for package in "${wanted[@]}"; do
        dpkg-query -W -f='${Status}\n' "$package" 2>/dev/null | grep -q '^install ok installed$' ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    log "installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
}

# True when this machine can execute 32-bit x86 code (some kernels run 64-bit code only).
runs_32bit() {
    /usr/lib/wine/wine --version >/dev/null 2>&1
}

# Sets FLAVOUR (i686 or x86_64), the build to run and test here, and the Wine loader for it.
# The shipped program is the i686 one; where 32-bit code cannot run, the same sources are
# built for x86_64 and that build is what runs.
choose_flavour() {
    if runs_32bit; then
        FLAVOUR=i686
        export WINELOADER=/usr/lib/wine/wine WINEARCH=win32
    else
        FLAVOUR=x86_64
        export WINELOADER=/usr/lib/wine/wine64 WINEARCH=win64
        log "this machine cannot execute 32-bit code: running the x86_64 build of the same sources"
    fi
    export WINEDEBUG=${WINEDEBUG:--all}
    # No prompts for the .NET and HTML engines that the tool never uses; no debugger on a crash
    # (it would wait for ever instead of letting the test fail).
    export WINEDLLOVERRIDES="mscoree,mshtml=,winedbg.exe=d"
}

# Configures and builds one flavour into $OUT/<flavour>; extra arguments go to CMake.
build_flavour() {
    local flavour=$1
    shift
    local dir=$OUT/$flavour
    cmake -S "$ROOT" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/$flavour-mingw.cmake" \
        -DCMAKE_BUILD_TYPE=Release "$@" >"$OUT/configure-$flavour.log" ||
        { cat "$OUT/configure-$flavour.log"; return 1; }
    cmake --build "$dir" -j"$(nproc)" -- --no-print-directory >"$OUT/build-$flavour.log" 2>&1 ||
        { tail -60 "$OUT/build-$flavour.log"; return 1; }
    if grep -q 'warning:' "$OUT/build-$flavour.log"; then
        grep 'warning:' "$OUT/build-$flavour.log" | sort -u | head -20
    fi
}

# Uses a Wine prefix of the project's own, made on first use; never the user's ~/.wine.
# Needs the display first (ensure_display).
prepare_prefix() {
    export WINEPREFIX=$OUT/wineprefix-$FLAVOUR
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        log "creating the Wine prefix $WINEPREFIX"
        "$WINELOADER" wineboot -i >/dev/null 2>&1 || true
        "$WINELOADER" wineboot -s >/dev/null 2>&1 || true
    fi
    # Wine's desktop process binds to the display it first saw: start afresh on this one.
    /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
}

# Starts a private Xvfb when there is no display; sets HEADLESS=1 then.
ensure_display() {
    HEADLESS=0
    if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
        return 0
    fi
    local n
    for n in $(seq 71 99); do
        [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
        XVFB_PID=$!
        export DISPLAY=":$n"
        local i
        for i in $(seq 1 50); do
            xdpyinfo >/dev/null 2>&1 && break
            sleep 0.1
        done
        HEADLESS=1
        return 0
    done
    log "no free display number for Xvfb"
    return 1
}

# Keeps the prefix's Wine server up between programs: each test program then starts in a
# fraction of a second instead of bringing up a new server every time.
# The first program also starts Wine's own background services, which inherit its output:
# started here, they hold no test's output open.
start_wineserver() {
    /usr/lib/wine/wineserver -p >/dev/null 2>&1 || true
    "$WINELOADER" cmd /c exit >/dev/null 2>&1 </dev/null || true
}

# Ends the private Xvfb and the prefix's Wine server.
stop_display() {
    /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true
}
