#!/usr/bin/env bash
# Gives the end-to-end program a disk that really fills: a 4 MB tmpfs mapped to drive B: of the
# project's prefix (B: sorts before C:, so the launcher picks it first), then runs the DiskFull
# cases with the drive named in NIMBREL_E2E_FULL_DRIVE. Needs root to mount; exits 77 (skipped)
# where mounting is not allowed. Usage: disk-full.sh x86|x64 BUILD_ROOT E2E_TEST.EXE
set -u
source "$(dirname "$0")/../../scripts/wine-env"
arch=$1 root=$2 program=$3
nimbrel_use_wine "$arch" "$root"
mountpoint="$root/disk-full"
drive="$WINEPREFIX/dosdevices/b:"
mkdir -p "$mountpoint"
if ! mount -t tmpfs -o size=4m nimbrel-disk-full "$mountpoint" 2>/dev/null; then
  echo "disk-full: cannot mount a tmpfs here (needs root); skipped"
  exit 77
fi
cleanup() {
  rm -f "$drive"
  umount "$mountpoint" 2>/dev/null
  rmdir "$mountpoint" 2>/dev/null
}
trap cleanup EXIT
ln -sfn "$mountpoint" "$drive"
NIMBREL_E2E_FULL_DRIVE='B:\' nimbrel_wine "$program" --gtest_filter='DiskFull.*' --gtest_brief=1
