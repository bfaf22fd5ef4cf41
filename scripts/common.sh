# Shared by the commands and the test command's stages: the start of a command, packages, build
# flavours, CMake builds, a private Wine prefix, a display. Sourced, after set -euo pipefail.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
OUT=${CORVANE_OUT:-$ROOT/out}

log() { printf '== %s\n' "$*" >&2; }

# Logs how long the stage that ends now took, and the time since the start ($CORVANE_START).
stage_done() {
    local now
    now=$(date +%s)
    log "$1: $((now - ${STAGE_START:-$CORVANE_START})) s (total $((now - CORVANE_START)) s)"
    STAGE_START=$now
}

# The start of a stage of the test command, or of a command: out/ made, the run timed from here
# (or from the command that runs it), whatever of the tool chain is missing installed.
begin_stage() {
    mkdir -p "$OUT"
    export CORVANE_START=${CORVANE_START:-$(date +%s)}
    install_packages
}

# The start of a command that runs the program: begin_stage, then the script again where 32-bit
# code runs ("$@": its path and its arguments, as enter_32bit_machine takes them), and the
# flavour to build and run there.
begin_command() {
    begin_stage
    enter_32bit_machine "$@"
    choose_flavour
}

# Installs whatever of the tool chain is missing (Debian packages only).
install_packages() {
    local wanted=(cmake make g++ googletest xvfb xauth x11-utils imagemagick
        g++-mingw-w64-i686-posix mingw-w64-i686-dev
        g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
        wine wine64 wine32:i386 fonts-wine
        clang libclang-rt-dev cppcheck gcovr python3 pandoc osslsigncode openssl)
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
    # A mirror caught mid-sync fails one index (seen on the security suite's i386 list); the
    # packages may still be had from the others, and the install below says if they are not.
    $sudo apt-get update -qq || log "apt-get update reported errors: going on with the lists it has"
    local install=(env DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq
        --no-install-recommends)
    "${install[@]}" "${missing[@]}" >/dev/null && return 0
    # With one architecture's security list missing, the two architectures' candidates of a
    # shared library differ and nothing installs. The release's own suite holds both alike.
    local codename
    codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
    log "installing from $codename alone"
    "${install[@]}" -t "$codename" "${missing[@]}" >/dev/null
}

# True when this machine can execute 32-bit x86 code: natively, or inside the namespace below.
runs_32bit() {
    /usr/lib/wine/wine --version >/dev/null 2>&1
}

# qemu-user from Debian's backports: the one in Debian 12 cannot run 32-bit Wine (it treats
# MAP_FIXED_NOREPLACE as a hint, and Wine's address-space reservation lands elsewhere).
QEMU_PACKAGE=qemu-user
QEMU_MIN_MAJOR=10
QEMU_CACHE=${CORVANE_CACHE:-${XDG_CACHE_HOME:-${HOME:-/root}/.cache}/corvane}

# The Debian mirror this machine's apt already uses for the release, so no host is named here.
debian_mirror() {
    local codename=$1
    apt-get indextargets --format '$(RELEASE) $(REPO_URI)' 2>/dev/null |
        awk -v release="$codename" '$1 == release { print $2; exit }'
}

# Prints the path of a static qemu-i386 of version 10 or later, fetching it once into the cache
# from the release's backports through a private apt list: the host's apt sources, installed
# packages and binfmt registrations stay as they are.
i386_emulator() {
    local qemu=$QEMU_CACHE/qemu-i386
    if [ -x "$qemu" ] && "$qemu" --version 2>/dev/null |
        awk -v min="$QEMU_MIN_MAJOR" 'NR == 1 { split($3, v, "."); exit !(v[1] >= min) }'; then
        echo "$qemu"
        return 0
    fi
    local codename mirror
    codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
    mirror=$(debian_mirror "$codename")
    if [ -z "$mirror" ]; then
        apt-get update -qq >/dev/null 2>&1 || true
        mirror=$(debian_mirror "$codename")
    fi
    [ -n "$codename" ] && [ -n "$mirror" ] || { log "no Debian mirror known to apt"; return 1; }
    local apt_dir=$QEMU_CACHE/apt
    rm -rf "$apt_dir"
    mkdir -p "$apt_dir/lists/partial" "$apt_dir/archives/partial"
    echo "deb [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror $codename-backports main" \
        >"$apt_dir/sources.list"
    local options=(-o "Dir::Etc::SourceList=$apt_dir/sources.list" -o "Dir::Etc::SourceParts=$apt_dir/none"
        -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir" -o "Dir::State::status=/dev/null"
        -o "APT::Sandbox::User=root" -o Debug::NoLocking=1)
    log "fetching $QEMU_PACKAGE from $codename-backports (for qemu-i386)"
    apt-get "${options[@]}" update -qq >/dev/null &&
        (cd "$apt_dir" && apt-get "${options[@]}" download -qq "$QEMU_PACKAGE" >/dev/null) ||
        { log "could not fetch $QEMU_PACKAGE from $codename-backports"; return 1; }
    dpkg-deb -x "$apt_dir"/"$QEMU_PACKAGE"_*.deb "$apt_dir/root"
    install -m 0755 "$apt_dir/root/usr/bin/qemu-i386" "$qemu"
    rm -rf "$apt_dir"
    echo "$qemu"
}

# Where the kernel refuses 32-bit code, runs this script again ("$@": its path and arguments)
# inside a private user and mount namespace whose own binfmt_misc hands i386 programs to
# qemu-i386; returns only where that is not needed (or not possible: then FLAVOUR falls back).
enter_32bit_machine() {
    if [ -n "${CORVANE_I386_EMULATED:-}" ] || runs_32bit; then
        return 0
    fi
    local qemu
    qemu=$(i386_emulator) || return 0
    local enter=(unshare --user --map-root-user --mount -- bash "$ROOT/scripts/i386-namespace.sh" "$qemu")
    if ! "${enter[@]}" /usr/lib/wine/wine --version >/dev/null 2>&1; then
        log "32-bit Wine does not start under $qemu in a private namespace"
        return 0
    fi
    log "this kernel runs no 32-bit code: continuing under qemu-i386 user emulation"
    export CORVANE_I386_EMULATED=1
    exec "${enter[@]}" bash "$@"
}

# Sets FLAVOUR (i686 or x86_64), the build to run and test here, and the Wine loader for it.
# The shipped program is the i686 one, and that is what runs wherever 32-bit code can run,
# natively or emulated. Only where neither works is the x86_64 build of the same sources run.
choose_flavour() {
    if runs_32bit; then
        use_flavour i686
    else
        log "************************************************************************"
        log "WARNING: 32-bit code runs here neither natively nor under qemu-i386."
        log "Running the x86_64 build of the same sources: NOT the program we ship."
        log "************************************************************************"
        use_flavour x86_64
    fi
}

# Sets FLAVOUR to the one given and the Wine loader and settings that run it.
use_flavour() {
    FLAVOUR=$1
    case $FLAVOUR in
    i686) export WINELOADER=/usr/lib/wine/wine WINEARCH=win32 ;;
    x86_64) export WINELOADER=/usr/lib/wine/wine64 WINEARCH=win64 ;;
    esac
    export WINEDEBUG=${WINEDEBUG:--all}
    # No prompts for the .NET and HTML engines that the tool never uses; no debugger on a crash
    # (it would wait for ever instead of letting the test fail).
    export WINEDLLOVERRIDES="mscoree,mshtml=,winedbg.exe=d"
}

# Configures the CMake project in SOURCE into BUILD and builds it, logging each step to
# $OUT/configure-NAME.log and $OUT/build-NAME.log and showing the log's end when a step fails:
#   cmake_build NAME SOURCE BUILD [CONFIGURE ARGUMENT ...] [-- BUILD ARGUMENT ...]
# The build's warnings are shown, once each.
cmake_build() {
    local name=$1 source=$2 build=$3
    shift 3
    local configure=()
    while [ $# -gt 0 ] && [ "$1" != -- ]; do
        configure+=("$1")
        shift
    done
    [ $# -eq 0 ] || shift
    cmake -S "$source" -B "$build" "${configure[@]}" >"$OUT/configure-$name.log" ||
        { cat "$OUT/configure-$name.log"; return 1; }
    cmake --build "$build" -j"$(nproc)" "$@" -- --no-print-directory >"$OUT/build-$name.log" 2>&1 ||
        { tail -60 "$OUT/build-$name.log"; return 1; }
    if grep -q 'warning:' "$OUT/build-$name.log"; then
        grep 'warning:' "$OUT/build-$name.log" | sort -u | head -20
    fi
}

# Configures and builds one flavour of the program, Release, into $OUT/<flavour>; extra
# arguments go to the configure step, and after "--" to the build step.
build_flavour() {
    local flavour=$1
    shift
    cmake_build "$flavour" "$ROOT" "$OUT/$flavour" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/$flavour-mingw.cmake" \
        -DCMAKE_BUILD_TYPE=Release "$@"
}

# Uses a Wine prefix of the project's own ($CORVANE_PREFIX, else one per flavour under out/), made
# on first use; never the user's ~/.wine.
# Needs the display first (ensure_display).
prepare_prefix() {
    export WINEPREFIX=${CORVANE_PREFIX:-$OUT/wineprefix-$FLAVOUR}
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        log "creating the Wine prefix $WINEPREFIX"
        "$WINELOADER" wineboot -i >/dev/null 2>&1 || true
        "$WINELOADER" wineboot -s >/dev/null 2>&1 || true
    fi
    # Wine draws the caption buttons with Marlett, and the dialogs ask for MS Sans Serif, which
    # Wine maps to Tahoma. Debian's Wine 8 does not look for its own fonts where fonts-wine puts
    # them and falls back to a wider face; every Wine reads the prefix's own Fonts folder.
    local fonts=$WINEPREFIX/drive_c/windows/Fonts
    local font
    if [ -d "$fonts" ]; then
        for font in marlett.ttf sserife.fon tahoma.ttf tahomabd.ttf; do
            cmp -s "/usr/share/wine/fonts/$font" "$fonts/$font" || cp "/usr/share/wine/fonts/$font" "$fonts/"
        done
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

# Brings up a display, the prefix of $FLAVOUR and its Wine server, ended when the script exits.
start_wine() {
    ensure_display
    prepare_prefix
    trap stop_display EXIT
    start_wineserver
}

# Builds the flavour with its tests and tools, then starts Wine: what a script needs to run the
# test programs.
build_and_start_wine() {
    log "building $FLAVOUR (if needed)"
    build_flavour "$FLAVOUR" -DBUILD_TESTING=ON
    start_wine
}

# Ends the private Xvfb and the prefix's Wine server.
stop_display() {
    /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true
}
