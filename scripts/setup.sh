# Shared by ./run-tests and ./run-demo: installs what a fresh Debian 12 machine lacks,
# then configures and builds. Source it; it defines functions only.

VYR_PACKAGES="cmake g++ ccache libgtest-dev libbenchmark-dev libgl-dev libglu1-mesa-dev libx11-dev
libfreetype-dev libfontconfig-dev libfribidi-dev libgl1-mesa-dri libglx-mesa0 xvfb xauth fontconfig
fonts-dejavu-core fonts-liberation2 libpng-dev libjpeg-dev libtiff-dev libstb-dev locales
libocct-foundation-dev libocct-modeling-data-dev libocct-modeling-algorithms-dev libtbb-dev
clang-14 libclang-rt-14-dev llvm-14"

vyr_install_packages() {
    local missing=()
    local p
    for p in $VYR_PACKAGES; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$p")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -q
    $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# vyr_jobs [CAP]: how many jobs a step runs at once: CMAKE_BUILD_PARALLEL_LEVEL when that is set,
# else one per processor; never more than CAP when given. The one knob of the builds, the tests and
# the fuzz step alike.
vyr_jobs() {
    local jobs="${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}"
    if [ -n "${1:-}" ] && [ "$jobs" -gt "$1" ]; then jobs="$1"; fi
    echo "$jobs"
}

# vyr_build BUILD_DIR [extra cmake arguments...]: configures and builds everything.
# With VYR_BUILD_TARGET set, builds only that target and what it needs. The build runs
# vyr_jobs jobs.
vyr_build() {
    local dir="$1"; shift
    local jobs
    jobs="$(vyr_jobs)"
    local launcher=()
    if command -v ccache >/dev/null 2>&1; then
        launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
        # Hits across clones: paths under the clone are hashed relative to it, and the working
        # directory is not hashed (a hit's debug information may name the other clone's folder).
        export CCACHE_BASEDIR="$PWD"
        export CCACHE_NOHASHDIR=true
    fi
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE="${VYR_BUILD_TYPE:-RelWithDebInfo}" "${launcher[@]}" "$@"
    if [ -n "${VYR_BUILD_TARGET:-}" ]; then
        cmake --build "$dir" -j"$jobs" --target "$VYR_BUILD_TARGET"
    else
        cmake --build "$dir" -j"$jobs"
    fi
}

# The virtual X server of the tests and the demo. -noreset: by default an X server resets each
# time its last client leaves and drops a connection that arrives just then, which turned away
# now and then a test that started as the others had ended (the display opening also tries again,
# but a server that does not reset never needs it).
VYR_XVFB_ARGS="-screen 0 1280x1024x24 -nolisten tcp -noreset"
