#!/bin/sh
# Installs the Debian packages named as arguments that are not installed yet (NAME:ARCH adds
# that processor to dpkg's list first). As root it uses apt-get, waiting for another package
# manager's lock instead of failing; otherwise it names the packages to install and fails. On a
# host without dpkg (macOS, Fedora, Arch) it names what that host needs and leaves the rest to
# CMake, which finds the tools or says what it misses.
set -eu
if ! command -v dpkg-query >/dev/null 2>&1; then
  brew="" dnf="" pacman=""
  for package in "$@"; do
    case $package in
      g++) brew_name="" dnf_name=gcc-c++ pacman_name=gcc ;;
      nlohmann-json3-dev) brew_name=nlohmann-json dnf_name=json-devel pacman_name=nlohmann-json ;;
      libgtest-dev) brew_name=googletest dnf_name=gtest-devel pacman_name=gtest ;;
      clang-format) brew_name=clang-format dnf_name=clang-tools-extra pacman_name=clang ;;
      groff-base) brew_name=groff dnf_name=groff-base pacman_name=groff ;;
      *) brew_name=$package dnf_name=$package pacman_name=$package ;;
    esac
    brew="$brew${brew_name:+ $brew_name}"
    dnf="$dnf $dnf_name"
    pacman="$pacman $pacman_name"
  done
  echo "No dpkg on this host: install these, then CMake checks for them."
  echo "  macOS (Homebrew):  brew install$brew"
  echo "  Fedora:            sudo dnf install$dnf"
  echo "  Arch:              sudo pacman -S --needed$pacman"
  exit 0
fi
missing=""
for package in "$@"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing="$missing $package"
done
[ -z "$missing" ] && exit 0
if [ "$(id -u)" -ne 0 ]; then
  echo "Missing Debian packages:$missing" >&2
  echo "Install them first:  sudo apt-get install$missing" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
for package in $missing; do
  case $package in
    *:*) dpkg --print-foreign-architectures | grep -qx "${package#*:}" ||
      dpkg --add-architecture "${package#*:}" ;;
  esac
done
# Another package manager at work holds the lock: wait for it, up to ten minutes.
wait_lock="-o DPkg::Lock::Timeout=600"
# shellcheck disable=SC2086
apt-get $wait_lock update -qq
# shellcheck disable=SC2086
apt-get $wait_lock install -y -qq --no-install-recommends $missing
