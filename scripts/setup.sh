# Installs the Debian packages that the build, the tests and the program need, where any is missing.
# Sourced by the run and test scripts.
brivane_install_packages() {
    local packages=(cmake g++ make pkg-config qt6-base-dev qt6-svg-dev libsqlite3-dev libpq-dev libicu-dev sqlite3
                    libgtest-dev libgmock-dev libbenchmark-dev fonts-dejavu-core fonts-liberation clang-format
                    desktop-file-utils appstream dpkg-dev file poppler-utils libxlsxwriter-dev
                    python3-openpyxl "$@")
    local missing=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
