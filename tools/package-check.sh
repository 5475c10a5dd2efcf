#!/usr/bin/env bash
# Builds the Debian package from an existing build tree (default build/) and checks it: the
# files it must hold, its control fields, the desktop entry, the MIME package, the manual pages
# and the completion; then runs the programs from the unpacked package, away from the build tree.
set -euo pipefail
cd "$(dirname "$0")/.."
build="$(cd "${1:-build}" && pwd)"
fail() { echo "package-check: $*" >&2; exit 1; }

rm -f "$build"/korvane_*.deb
log=$(cd "$build" && cpack -G DEB 2>&1) || { echo "$log" >&2; fail "cpack failed"; }
deb=$(ls "$build"/korvane_*_amd64.deb 2>/dev/null) || fail "cpack made no korvane_<version>_amd64.deb"
echo "== $(basename "$deb")"

contents=$(dpkg-deb -c "$deb" | awk '{ print $6 }' | sed 's|^\./||')
desktop=$(grep -E '^usr/share/applications/[^/]+\.desktop$' <<<"$contents") ||
  fail "no desktop entry in the package"
id=$(basename "$desktop" .desktop)
required=(usr/bin/korvane usr/bin/korvane-cli usr/libexec/korvane/korvane-cli-draw
  usr/share/mime/packages/korvane.xml usr/share/icons/hicolor/scalable/apps/$id.svg
  usr/share/man/man1/korvane.1.gz usr/share/man/man1/korvane-cli.1.gz
  usr/share/bash-completion/completions/korvane-cli usr/share/doc/korvane/copyright
  usr/share/korvane/examples/sounding/windows.txt usr/share/korvane/examples/sounding/waves/)
for side in 16 22 24 32 48 64 128 256; do
  required+=(usr/share/icons/hicolor/${side}x${side}/apps/$id.png)
done
for file in "${required[@]}"; do
  grep -qxF "$file" <<<"$contents" || fail "the package lacks $file"
done
for field in Depends Description Maintainer Section; do
  [ -n "$(dpkg-deb -f "$deb" "$field")" ] || fail "the package has no $field"
done
# (Output captured before grep -q: with pipefail, a writer cut short by grep would fail.)
[[ $(dpkg-deb -f "$deb" Depends) == *libqt6gui6* ]] || fail "Depends was not filled in by dpkg-shlibdeps"
info=$(dpkg-deb -I "$deb")
for script in postinst postrm; do
  grep -qw "$script" <<<"$info" || fail "the package has no $script"
done

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
usr="$root/usr"
desktop-file-validate "$usr/share/applications/$id.desktop"
grep -qx "Icon=$id" "$usr/share/applications/$id.desktop" || fail "the desktop entry's icon is not $id"
xmllint --noout "$usr/share/mime/packages/korvane.xml"
update-mime-database "$usr/share/mime" 2>/dev/null
mime=$(sed -n 's/^MimeType=\([^;]*\);.*/\1/p' "$usr/share/applications/$id.desktop")
grep -qx "50:$mime:\*\.kvn" "$usr/share/mime/globs2" || fail "the MIME package does not give *.kvn the type $mime"
for page in korvane korvane-cli; do
  warnings=$(zcat "$usr/share/man/man1/$page.1.gz" | groff -man -Tutf8 -ww -z 2>&1)
  [ -z "$warnings" ] || fail "$page.1: $warnings"
done
for program in "$usr/bin/korvane" "$usr/bin/korvane-cli" "$usr/libexec/korvane/korvane-cli-draw"; do
  ! grep -qiE 'rpath|runpath' <<<"$(readelf -d "$program")" || fail "$program looks for libraries in the build tree"
done

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[[ $("$usr/bin/korvane-cli" --version) == "korvane-cli $version"* ]] || fail "korvane-cli --version"
[[ $("$usr/bin/korvane" --version) == "korvane $version"* ]] || fail "korvane --version"
examples="$usr/share/korvane/examples/sounding"
work="$root/work"
mkdir "$work"
(cd "$work" && "$usr/bin/korvane-cli" process -q --windows "$examples/windows.txt" \
  --save example.kvn "$examples/waves" >table.txt)
[ "$(wc -l <"$work/table.txt")" -eq 24 ] || fail "process of the example gave no 23-interval table"
"$usr/bin/korvane-cli" plot -q --mode CrossCorrelationVelocity --out "$work/vs.png" \
  "$work/example.kvn" >/dev/null
[ -s "$work/vs.png" ] || fail "plot through the installed korvane-cli-draw wrote nothing"
completion=$(bash -c "source '$usr/share/bash-completion/completions/korvane-cli'
  COMP_WORDS=('$usr/bin/korvane-cli' pro); COMP_CWORD=1; _korvane_cli; echo \"\${COMPREPLY[*]}\"")
[ "$completion" = process ] || fail "the completion of 'korvane-cli pro' gave '$completion'"
echo "== package checked: $(grep -c . <<<"$contents") entries, installed programs run"
