#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks what installing puts on disk, as a desktop and a package manager see it:
#   check_install.sh MODE BUILD_DIR APP_ID
# tree: install into a temporary prefix; validate the desktop entry, the
#   metadata and the icons; start the installed program with file names.
# settings_per_user: the installed program, its folder not writable, keeps its
#   settings per user.
# package: build the .deb with CPack; check its fields and files, lintian, and
#   the program it carries.
set -euo pipefail
mode=$1 build=$2 id=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"  # the settings check runs the program as another user
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

expect_line() {  # TEXT FILE WHAT
  grep -qxF -- "$1" "$2" || fail "$3: no line '$1' in $(basename "$2"):$(printf '\n%s' "$(cat "$2")")"
}

png_size() {  # the width and height of a PNG's header, as "WxH"
  local b
  read -ra b <<<"$(od -An -tu1 -j16 -N8 "$1")"
  echo "$(((b[0] << 24) + (b[1] << 16) + (b[2] << 8) + b[3]))x$(((b[4] << 24) + (b[5] << 16) + (b[6] << 8) + b[7]))"
}

# Runs PROGRAM [ARGS...] under the offscreen platform with the start-up report
# switched on; the report goes to $work/report.
runtime=$work/runtime
report() {
  mkdir -p -m 700 "$runtime"
  XDG_RUNTIME_DIR=$runtime QT_QPA_PLATFORM=offscreen KESTRANSCRIBE_REPORT=1 \
    timeout 60 "$@" >"$work/report" 2>"$work/report.err" || fail "$1 ended with status $?: $(cat "$work/report.err")"
}

# The program named on the command line fills the input field with the names,
# made whole, and has its icon.
check_program_start() {  # PROGRAM
  mkdir -p "$work/files/my tracks"
  touch "$work/files/my tracks/a.plt" "$work/files/my tracks/b.plt"
  (cd "$work/files" && report "$1" "$work/files/my tracks/a.plt" "my tracks/b.plt")
  expect_line "input field: \"$work/files/my tracks/a.plt\"" "$work/report" "input field"
  expect_line "chosen file: $work/files/my tracks/a.plt" "$work/report" "chosen files"
  expect_line "chosen file: $work/files/my tracks/b.plt" "$work/report" "chosen files"
  grep -qE '^window icon: .*\b256\b' "$work/report" || fail "the window has no icon: $(cat "$work/report")"
}

# The command converts from where it is installed: a waypoint file into a
# Holux image, formats told from the files.
check_command() {  # PROGRAM
  [ -x "$1" ] || { fail "${1#"$work"/} is not installed"; return; }
  printf 'Kestrelmaps Waypoint File Version 1.1\r\nWGS 84\r\nReserved 2\r\n\r\n1,Home,52.1,4.3\r\n' >"$work/home.wpt"
  "$1" --quiet "$work/home.wpt" -O "$work/home.wrt" || fail "$1 ended with status $?"
  [ "$(stat -c %s "$work/home.wrt" 2>/dev/null)" = 32768 ] || fail "$1 wrote no Holux image"
  "$1" --version | head -1 | grep -qF "kes-convert (kesTranscribe) " || fail "$1 --version"
}

check_tree() {
  local prefix=$work/prefix
  cmake --install "$build" --prefix "$prefix" >/dev/null
  local desktop=$prefix/share/applications/$id.desktop metainfo=$prefix/share/metainfo/$id.metainfo.xml

  for file in "$desktop" "$metainfo" "$prefix/share/icons/hicolor/scalable/apps/$id.svg"; do
    [ -f "$file" ] || fail "not installed: ${file#"$prefix"/}"
  done
  [ -x "$prefix/bin/kesTranscribe" ] || fail "bin/kesTranscribe is not installed"
  check_command "$prefix/bin/kes-convert"
  # Only user programs, each with its manual page (the end-to-end runner stays in the build).
  for program in "$prefix"/bin/*; do
    local name
    name=$(basename "$program")
    [ -f "$prefix/share/man/man1/$name.1.gz" ] || fail "bin/$name is installed without a manual page"
  done
  for completion in bash-completion/completions/kes-convert zsh/vendor-completions/_kes-convert \
    fish/vendor_completions.d/kes-convert.fish; do
    grep -q 'output-format' "$prefix/share/$completion" 2>/dev/null || fail "not installed: share/$completion"
  done

  desktop-file-validate "$desktop" || fail "desktop-file-validate rejects the desktop entry"
  expect_line "Exec=kesTranscribe %F" "$desktop" "desktop entry"
  expect_line "Icon=$id" "$desktop" "desktop entry"
  expect_line "GenericName=GPS File Converter" "$desktop" "desktop entry"
  expect_line "Categories=Utility;Geography;" "$desktop" "desktop entry"
  # A type the shared MIME database does not know never reaches a file manager.
  local types
  types=$(sed -n 's/^MimeType=//p' "$desktop" | tr ';' ' ')
  [ -n "$types" ] || fail "the desktop entry names no MimeType"
  for type in $types; do
    grep -qF "type=\"$type\"" /usr/share/mime/packages/*.xml ||
      fail "MimeType $type is not in the shared MIME database"
  done

  appstreamcli validate --no-net "$metainfo" || fail "appstreamcli rejects the metadata"
  grep -qF "<id>$id</id>" "$metainfo" || fail "the metadata's id is not $id"
  grep -qF "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
    fail "the metadata does not launch $id.desktop"

  local png=$prefix/share/icons/hicolor/256x256/apps/$id.png
  [ -f "$png" ] || fail "no 256-pixel icon"
  for png in "$prefix"/share/icons/hicolor/*x*/apps/"$id".png; do
    local folder
    folder=$(basename "$(dirname "$(dirname "$png")")")
    [ "$(png_size "$png")" = "$folder" ] || fail "${png#"$prefix"/} is $(png_size "$png")"
  done

  # Map tiles and SVG saving are loaded on first use: the window starts without their libraries.
  for module in kes_tiles kes_svg; do
    local file
    file=$(find "$prefix" -name "lib$module.so")
    [ -n "$file" ] || { fail "lib$module.so is not installed"; continue; }
    ! ldd "$file" | grep -q 'not found' || fail "lib$module.so lacks a library: $(ldd "$file")"
  done
  ! ldd "$prefix/bin/kesTranscribe" | grep -qiE 'libQt6(Network|Svg)' ||
    fail "kesTranscribe links Qt Network or Qt SVG: $(ldd "$prefix/bin/kesTranscribe")"

  check_program_start "$prefix/bin/kesTranscribe"
}

check_settings_per_user() {
  local prefix=$work/prefix
  cmake --install "$build" --prefix "$prefix" >/dev/null
  mkdir -p "$work/home/config"
  runtime=$work/home/runtime
  mkdir -p -m 700 "$runtime"
  local as_user=()
  if [ "$(id -u)" -eq 0 ]; then
    # The program folder belongs to root; the program runs as somebody else.
    chown -R nobody "$work/home"
    as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
  else
    chmod a-w "$prefix/bin"
  fi
  HOME=$work/home XDG_CONFIG_HOME=$work/home/config report "${as_user[@]}" "$prefix/bin/kesTranscribe"
  chmod u+w "$prefix/bin"
  local settings=$work/home/config/kesTranscribe/kesTranscribe.ini
  if [ -f "$settings" ]; then
    tr -d "\r" <"$settings" | grep -qxF "[Input File]" || fail "the settings file holds no [Input File] section"
    ! grep -q '^message:' "$work/report" || fail "closing showed: $(grep '^message:' "$work/report")"
  else
    fail "no settings in \$XDG_CONFIG_HOME/kesTranscribe/: $(cat "$work/report" "$work/report.err")"
  fi
}

field() { dpkg-deb --field "$deb" "$1"; }

check_package() {
  (cd "$build" && cpack -G DEB -B "$work/cpack" >"$work/cpack.log" 2>&1) || {
    cat "$work/cpack.log" >&2
    fail "cpack failed"
    return
  }
  deb=$(find "$work/cpack" -maxdepth 1 -name '*.deb')
  [ "$(echo "$deb" | wc -l)" -eq 1 ] && [ -n "$deb" ] || { fail "cpack made no single .deb: $deb"; return; }
  dpkg-deb --info "$deb"

  local version
  version=$(field Version)
  [ "$(basename "$deb")" = "kestranscribe_${version}_$(dpkg --print-architecture).deb" ] ||
    fail "package file name $(basename "$deb")"
  [ "$(field Package)" = kestranscribe ] || fail "Package: $(field Package)"
  [ "$(field Section)" = utils ] || fail "Section: $(field Section)"
  field Maintainer | grep -qE '^[^<>]+ <[^@ ]+@[^@ ]+\.[a-z]+>$' || fail "Maintainer: $(field Maintainer)"
  # The libraries' packages come from dpkg-shlibdeps, with their versions.
  for library in libqt6widgets6 libqt6gui6 libqt6core6 libstdc++6 libc6; do
    [[ ", $(field Depends)" == *", $library (>= "* ]] || fail "Depends lacks $library: $(field Depends)"
  done
  [ "$(field Description | wc -l)" -ge 3 ] || fail "Description has no long text"

  dpkg-deb --contents "$deb" | tee "$work/contents"
  for path in usr/bin/kesTranscribe "usr/share/applications/$id.desktop" "usr/share/metainfo/$id.metainfo.xml" \
    "usr/share/icons/hicolor/scalable/apps/$id.svg" "usr/share/icons/hicolor/256x256/apps/$id.png" \
    usr/share/man/man1/kesTranscribe.1.gz usr/bin/kes-convert usr/share/man/man1/kes-convert.1.gz \
    usr/share/doc/kestranscribe/copyright usr/share/kesTranscribe/land-10m.kbm \
    usr/share/kesTranscribe/borders-10m.kbm usr/share/kesTranscribe/LAND-OUTLINE-LICENSE \
    usr/share/doc/kestranscribe/changelog.gz usr/share/bash-completion/completions/kes-convert \
    usr/share/zsh/vendor-completions/_kes-convert usr/share/fish/vendor_completions.d/kes-convert.fish; do
    grep -qE " root/root .* \./$path\$" "$work/contents" || fail "the package lacks /$path (owned by root)"
  done
  grep -qE '^-rwxr-xr-x root/root .* \./usr/bin/kesTranscribe$' "$work/contents" || fail "/usr/bin/kesTranscribe mode"
  for module in kes_tiles kes_svg; do
    grep -qE " root/root .* \./usr/lib/(.*/)?kesTranscribe/modules/lib$module\.so\$" "$work/contents" ||
      fail "the package lacks lib$module.so"
  done
  ! grep -q 'kes-headless' "$work/contents" || fail "the package holds kes-headless"

  # One version everywhere: package, changelog and the newest release of the metadata.
  dpkg-deb -x "$deb" "$work/root"
  zcat "$work/root/usr/share/doc/kestranscribe/changelog.gz" | head -1 | grep -qF "kestranscribe ($version) " ||
    fail "the changelog's first entry is not version $version"
  grep -m1 '<release ' "$work/root/usr/share/metainfo/$id.metainfo.xml" | grep -qF "version=\"$version\"" ||
    fail "the metadata's newest release is not version $version"

  echo "lintian:"
  lintian --fail-on error "$deb" >"$work/lintian" 2>&1 || fail "lintian reports errors"
  grep -v 'running with root privileges' "$work/lintian" || true
  ! grep -q maintscript-calls-ldconfig "$work/lintian" || fail "the package's scripts run ldconfig"

  check_program_start "$work/root/usr/bin/kesTranscribe"
  check_command "$work/root/usr/bin/kes-convert"
}

case $mode in
  tree) check_tree ;;
  settings_per_user) check_settings_per_user ;;
  package) check_package ;;
  *) echo "unknown check: $mode" >&2; exit 2 ;;
esac
[ "$failures" -eq 0 ] || { echo "$failures check(s) failed" >&2; exit 1; }
echo "all checks passed"
