#!/usr/bin/env bash
# Checks that Vistara installs as a desktop program and packs into a sound .deb.
#   packaging-check.sh stage    BUILD STAGE         install into STAGE as DESTDIR, prefix /usr
#   packaging-check.sh menu     STAGE BUILD         what the application menu needs
#   packaging-check.sh metainfo STAGE SOURCE        what software centres read
#   packaging-check.sh deb      BUILD STAGE OUT     the package: dependencies and contents
#   packaging-check.sh licence  STAGE SOURCE        the licence, said alike everywhere
set -euo pipefail

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# The one file matching a glob, or a failure naming what was found.
only() {
  local what=$1
  shift
  [ $# -eq 1 ] && [ -e "$1" ] || fail "expected one $what, found: $*"
  echo "$1"
}

# A desktop entry's value for KEY in its main group.
entry() {
  sed -n '/^\[Desktop Entry\]/,/^\[/p' "$1" | sed -n "s/^$2=//p" | head -n 1
}

# Width and height of a PNG, from its header.
png_size() {
  [ "$(head -c 8 "$1" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || return 1
  od -An -tu4 --endian=big -j 16 -N 8 "$1" | awk '{print $1 "x" $2}'
}

stage() {
  local build=$1 stage=$2
  rm -rf "$stage"
  DESTDIR=$stage cmake --install "$build" --prefix /usr
}

menu() {
  local stage=$1 build=$2 apps=$1/usr/share/applications
  local desktop
  desktop=$(only "desktop entry" "$apps"/*.desktop)
  local report
  report=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $report"
  if grep -E ': (error|warning):' <<<"$report"; then fail "desktop-file-validate complains"; fi
  [ -n "$report" ] && echo "$report"

  # Exec and TryExec name the installed program, by name on the PATH or by full path.
  for key in Exec TryExec; do
    local cmd
    cmd=$(entry "$desktop" "$key" | awk '{print $1}')
    [ -n "$cmd" ] || fail "no $key"
    case $cmd in
      /*) [ -x "$stage$cmd" ] || fail "$key $cmd is not an installed program" ;;
      *) [ -x "$stage/usr/bin/$cmd" ] || fail "$key $cmd is not in /usr/bin" ;;
    esac
  done

  # The menu finds the icon by name in the hicolor theme at every size we draw.
  local icon theme=$stage/usr/share/icons/hicolor
  icon=$(entry "$desktop" Icon)
  case $icon in */* | *.png | *.svg | "") fail "Icon must be a theme name, is '$icon'" ;; esac
  for size in 16 32 48; do
    local png=$theme/${size}x${size}/apps/$icon.png
    [ -f "$png" ] || fail "no $png"
    [ "$(png_size "$png")" = "${size}x${size}" ] || fail "$png is not a ${size}x${size} PNG"
  done
  local svg=$theme/scalable/apps/$icon.svg
  [ -f "$svg" ] || fail "no $svg"
  grep -q '<svg[^>]*viewBox=' "$svg" || fail "$svg has no viewBox to scale by"

  # The installed program must not look for libraries in the build tree.
  if readelf -d "$stage/usr/bin/vistara" | grep -E 'R(UN)?PATH' | grep -qF "$build"; then
    fail "the installed program keeps a run path into $build"
  fi
  echo "menu entry $(basename "$desktop"): Exec, TryExec and icon $icon resolve"
}

metainfo() {
  local stage=$1 source=$2
  local file
  file=$(only "metainfo file" "$stage"/usr/share/metainfo/*.metainfo.xml)
  appstreamcli validate --no-net "$file" || fail "appstreamcli validate"

  local id launch
  id=$(sed -n 's:.*<id>\(.*\)</id>.*:\1:p' "$file" | head -n 1)
  [ "$(basename "$file" .metainfo.xml)" = "$id" ] || fail "file name does not match id $id"
  launch=$(sed -n 's:.*<launchable type="desktop-id">\(.*\)</launchable>.*:\1:p' "$file")
  [ -n "$launch" ] || fail "no desktop-id launchable"
  [ -f "$stage/usr/share/applications/$launch" ] || fail "launchable $launch is not installed"
  local bin
  for bin in $(sed -n 's:.*<binary>\(.*\)</binary>.*:\1:p' "$file"); do
    [ -x "$stage/usr/bin/$bin" ] || fail "provided binary $bin is not installed"
  done

  # The screenshot is the one the project publishes, with its real size declared.
  local image w h
  image=$(grep -o '<image[^>]*>[^<]*</image>' "$file" | head -n 1)
  [ -n "$image" ] || fail "no screenshot"
  grep -q '/docs/screenshot.png<' <<<"$image" || fail "screenshot is not docs/screenshot.png"
  w=$(sed -n 's/.*width="\([0-9]*\)".*/\1/p' <<<"$image")
  h=$(sed -n 's/.*height="\([0-9]*\)".*/\1/p' <<<"$image")
  [ "$(png_size "$source/docs/screenshot.png")" = "${w}x${h}" ] ||
    fail "screenshot declared ${w}x${h}, is $(png_size "$source/docs/screenshot.png")"
  echo "metainfo $id: valid, launches $launch"
}

# GPL-3.0-or-later: the full text in LICENSE, named in the README, the software-centre
# metadata and the package's machine-readable copyright file.
licence() {
  local stage=$1 source=$2
  local text=$source/LICENSE
  [ -f "$text" ] || fail "no LICENSE"
  [ "$(head -n 2 "$text" | tr -s ' ' | sed 's/^ //')" = "GNU GENERAL PUBLIC LICENSE
Version 3, 29 June 2007" ] || fail "LICENSE is not the GPL version 3"
  grep -q '^ *END OF TERMS AND CONDITIONS' "$text" || fail "LICENSE is not the full text"
  if [ -f /usr/share/common-licenses/GPL-3 ]; then
    cmp -s "$text" /usr/share/common-licenses/GPL-3 || fail "LICENSE differs from the GPL-3 text"
  fi
  grep -q 'GPL-3.0-or-later' "$source/README.md" || fail "README does not name the licence"
  grep -q '(LICENSE)' "$source/README.md" || fail "README does not point at LICENSE"

  local meta spdx
  meta=$(only "metainfo file" "$stage"/usr/share/metainfo/*.metainfo.xml)
  spdx=$(sed -n 's:.*<project_license>\(.*\)</project_license>.*:\1:p' "$meta")
  [ "$spdx" = GPL-3.0-or-later ] || fail "project_license is '$spdx'"

  local copyright=$stage/usr/share/doc/vistara/copyright
  [ -f "$copyright" ] || fail "no $copyright"
  [ "$(head -n 1 "$copyright")" = \
    "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" ] ||
    fail "copyright is not machine-readable"
  [ "$(sed -n '/^Files: \*$/,/^$/s/^License: //p' "$copyright")" = GPL-3+ ] ||
    fail "copyright does not license every file GPL-3+"
  grep -q '^License: GPL-3+$' <(sed -n '/^$/,$p' "$copyright") || fail "no GPL-3+ paragraph"
  grep -qF '/usr/share/common-licenses/GPL-3' "$copyright" || fail "copyright lacks the text's place"
  grep -q 'either version 3 of the License, or' "$copyright" || fail "copyright lacks 'or later'"
  echo "licence GPL-3.0-or-later: LICENSE, README, metainfo and copyright agree"
}

deb() {
  local build=$1 stage=$2 out=$3
  rm -rf "$out"
  mkdir -p "$out"
  cpack --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 ||
    { cat "$out/cpack.log"; fail "cpack"; }
  local pkg
  pkg=$(only "package" "$out"/vistara_*.deb)

  # Libraries found by dpkg-shlibdeps, and what the program loads by other means.
  local depends
  depends=$(dpkg-deb -f "$pkg" Depends)
  echo "Depends: $depends"
  local names
  names=$(sed 's/ *([^)]*)//g; s/ *| */\n/g; s/, */\n/g' <<<"$depends")
  for need in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libmpv2 libfluidsynth3 \
    timgm6mb-soundfont qt6-qpa-plugins qt6-image-formats-plugins; do
    grep -qxF "$need" <<<"$names" || fail "Depends lacks $need"
  done

  # It holds exactly the staged install, all below /usr, the program stripped.
  diff <(dpkg-deb --fsys-tarfile "$pkg" | tar -t | grep -v '/$' | sed 's:^\./::' | sort) \
    <(cd "$stage" && find . ! -type d | sed 's:^\./::' | sort) ||
    fail "package contents differ from the staged install"
  mkdir -p "$out/root"
  dpkg-deb -x "$pkg" "$out/root"
  file "$out/root/usr/bin/vistara" | grep -q ', stripped' || fail "program not stripped"
  echo "package $(basename "$pkg"): $(dpkg-deb -f "$pkg" Installed-Size) KiB installed"
}

cmd=$1
shift
"$cmd" "$@"
