# Shared set-up of run.sh, test.sh and bench.sh: Debian packages, then a CMake configure.
# Sourced, not run.

TESSIVAR_PACKAGES=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-svg-dev
    libgtest-dev libbenchmark-dev
    fonts-liberation
    poppler-utils
)

# Only speed things up (ccache caches compilations): installed when they can be had, never required.
TESSIVAR_OPTIONAL_PACKAGES=(ccache)

say() { printf '==> %s\n' "$*"; }

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Installs whatever of the given Debian packages is missing (all of ours when none are named; the
# optional ones then only when the package can be had).
ensure_packages() {
    local wanted=("$@")
    if [ ${#wanted[@]} -eq 0 ]; then
        ensure_packages "${TESSIVAR_PACKAGES[@]}"
        ensure_packages "${TESSIVAR_OPTIONAL_PACKAGES[@]}" ||
            say "Going on without ${TESSIVAR_OPTIONAL_PACKAGES[*]}"
        return 0
    fi
    local missing=()
    for p in "${wanted[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    say "Installing Debian packages: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    if ! as_root apt-get install -y -q --no-install-recommends "${missing[@]}"; then
        as_root apt-get update -q
        as_root apt-get install -y -q --no-install-recommends "${missing[@]}"
    fi
}

# configure_build DIR [cmake options...]: configures DIR with Ninja unless it already is.
configure_build() {
    local dir=$1
    shift
    if [ ! -f "$dir/build.ninja" ] || [ "$(cat "$dir/.tessivar-options" 2>/dev/null)" != "$*" ]; then
        say "Configuring $dir"
        cmake -S . -B "$dir" -G Ninja "$@"
        printf '%s' "$*" > "$dir/.tessivar-options"
    fi
}

build() {
    local dir=$1
    shift
    say "Building $dir"
    cmake --build "$dir" "$@"
}
