#!/usr/bin/env bash
# Installs the cross toolchain, Wine and GoogleTest sources that the build and the tests need.
# Quick when everything is already there.
set -euo pipefail

need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
for p in wine wine32:i386 g++-mingw-w64-i686-posix g++-mingw-w64-i686-win32 binutils-mingw-w64-i686 \
         g++-mingw-w64-x86-64-win32 g++-mingw-w64-x86-64-posix wine64 \
         cmake ninja-build googletest locales zip unzip; do
  have "$p" || need+=("$p")
done

if [ ${#need[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  # A mirror caught mid-sync can fail one suite's index (seen: bookworm-security for i386). apt
  # then offers amd64 libraries newer than their i386 twins, which multiarch refuses; taking both
  # from the release's own suite installs a matching pair.
  $SUDO apt-get update -qq || echo "bootstrap: apt-get update reported errors; going on with the lists it has" >&2
  install() { DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "$@" "${need[@]}"; }
  install || { codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
               echo "bootstrap: retrying from the $codename suite alone" >&2
               install -t "$codename"; }
fi

# Wine's 32-bit side needs the kernel to run i386 programs. Some kernels have that switched off
# (ia32_emulation=off); there we let binfmt_misc hand i386 programs to qemu's user-mode emulator.
if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  have qemu-user-static || DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends qemu-user-static
  [ -e /proc/sys/fs/binfmt_misc/register ] || $SUDO mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
  if [ ! -e /proc/sys/fs/binfmt_misc/quenby-i386 ]; then
    printf '%s' ':quenby-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
      | $SUDO tee /proc/sys/fs/binfmt_misc/register >/dev/null
  fi
  /usr/lib/wine/wine --version >/dev/null 2>&1 || { echo "bootstrap: cannot run 32-bit Wine" >&2; exit 1; }
fi
