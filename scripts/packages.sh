# Installs the Debian packages that are missing (sourced by the scripts here).
# Checks each with dpkg first, so a ready machine never reaches apt.

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# The Windows builds: clang and lld compile and link (llvm: llvm-windres,
# llvm-dlltool, llvm-strip, and llvm-readobj and llvm-pdbutil for the PDB
# checks); MinGW-w64's GCC packages (posix threads) bring the C++ runtime,
# libgcc and the headers, binutils GNU dlltool, and objdump and windres for
# the checks.
packages=(cmake ninja-build g++ libgtest-dev libgmock-dev googletest libbenchmark-dev nlohmann-json3-dev
          clang lld llvm libclang-rt-14-dev
          gcc-mingw-w64-i686-posix g++-mingw-w64-i686-posix mingw-w64-i686-dev binutils-mingw-w64-i686
          gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
          wine wine64 wine32 osslsigncode openssl)

install_missing() {
  local missing=() p
  for p in "$@"; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "== installing: ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
  fi
  as_root apt-get update -q
  as_root env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -q --no-install-recommends "${missing[@]/#wine32/wine32:i386}"
}

