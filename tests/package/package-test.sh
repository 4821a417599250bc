#!/usr/bin/env bash
# The MSI under Wine, without a display: silent install, an upgrade to a
# higher version, a refused downgrade and a silent uninstall, with the users'
# settings under Software\Korvex compared around each step (the package must
# never touch them).
# Usage: package-test.sh VERSION BUILD_DIR   (needs the Wine session running)
set -u
version=$1
build=$(cd "$2" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/scripts/wine-env.sh"
unset DISPLAY

msi=$build/KMXLogCtl-$version-x64.msi
if [ ! -f "$msi" ]; then
  echo "$msi is missing: the build makes it when wixl is installed (scripts/bootstrap.sh)" >&2
  exit 1
fi
korvex_dir="$WINEPREFIX/drive_c/Program Files/Korvex"
dir="$korvex_dir/KMXLogCtl"
failures=0

check() {  # check DESCRIPTION COMMAND [ARGUMENTS...]
  if "${@:2}"; then echo "ok   $1"; else echo "FAIL $1"; failures=$((failures + 1)); fi
}

# Prints msiexec's exit status; the shell sees Windows codes modulo 256
# (1603, "installation failed", arrives as 67).
msiexec_status() {
  wine msiexec "$1" "Z:${2//\//\\}" /qn </dev/null >/dev/null 2>&1
  echo $?
}

# DisplayVersion of every KMXLogCtl entry in the list of installed programs
# (Wine lists values sorted, so DisplayName comes before DisplayVersion).
installed_versions() {
  wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null | tr -d '\r' |
    awk '/^HKEY/ { ours = 0 } /^ +DisplayName +REG_SZ +KMXLogCtl$/ { ours = 1 }
         ours && /^ +DisplayVersion / { print $3 }' | paste -sd' '
}

settings() {
  for key in 'HKCU\Software\Korvex' 'HKLM\Software\Korvex'; do
    wine reg query "$key" /s 2>&1 | tr -d '\r'
  done
}

carries_version() {  # carries_version EXE x.y.z
  local rc
  rc=$(x86_64-w64-mingw32-windres -i "$1" -O rc 2>/dev/null)
  grep -q "FILEVERSION ${2//./, }, 0" <<<"$rc" && grep -q "\"FileVersion\", \"$2\"" <<<"$rc" &&
    grep -q "\"ProductVersion\", \"$2\"" <<<"$rc"
}

# Per machine it belongs in the common Start menu; Wine puts it in the user's.
shortcuts() {
  ls "$WINEPREFIX"/drive_c/ProgramData/Microsoft/Windows/Start\ Menu/Programs/KMXLogCtl.lnk \
     "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs/KMXLogCtl.lnk 2>/dev/null
}
shortcut_to_dialog() {
  local link
  link=$(shortcuts)
  [ -n "$link" ] && grep -aqF 'C:\Program Files\Korvex\KMXLogCtl\KMXLogCtl.exe' "$link"
}

templates_as_built() {
  cmp -s "$build/policies/KMXLogCtl.admx" "$dir/policies/KMXLogCtl.admx" &&
    cmp -s "$build/policies/en-US/KMXLogCtl.adml" "$dir/policies/en-US/KMXLogCtl.adml"
}

kmxlogcfg_admx_as_shipped() {
  rm -rf "$scratch/admx"
  wine "$dir/kmxlogcfg.exe" admx "Z:${scratch//\//\\}\\admx" </dev/null >/dev/null 2>&1 &&
    cmp -s "$scratch/admx/KMXLogCtl.admx" "$dir/policies/KMXLogCtl.admx" &&
    cmp -s "$scratch/admx/en-US/KMXLogCtl.adml" "$dir/policies/en-US/KMXLogCtl.adml"
}

programs_as_built() {
  cmp -s "$build/KMXLogCtl.exe" "$dir/KMXLogCtl.exe" && cmp -s "$build/kmxlogcfg.exe" "$dir/kmxlogcfg.exe" &&
    cmp -s "$build/kmxlogcfgw.exe" "$dir/kmxlogcfgw.exe"
}

# The same programs packaged as the next patch version, told apart by a line
# added to its README.
IFS=. read -r major minor patch <<<"$version"
newer=$major.$minor.$((patch + 1))
scratch=$build/package-test
rm -rf "$scratch"
mkdir -p "$scratch"
marker="Packaged as $newer for the upgrade test."
{ cat "$root/README.md"; echo "$marker"; } >"$scratch/README.md"
cmake -DKMX_VERSION="$newer" "-DKMX_PROGRAMS=$build/KMXLogCtl.exe;$build/kmxlogcfg.exe;$build/kmxlogcfgw.exe" -DKMX_POLICIES="$build/policies" \
  -DKMX_README="$scratch/README.md" -DKMX_ICON="$root/resources/KMXLogCtl.ico" \
  -DKMX_WORK_DIR="$scratch/work" -DKMX_OUTPUT_DIR="$scratch" -P "$root/packaging/BuildPackage.cmake" || exit 1
newer_msi=$scratch/KMXLogCtl-$newer-x64.msi

# Whatever an interrupted run left installed.
msiexec_status /x "$newer_msi" >/dev/null
msiexec_status /x "$msi" >/dev/null

wine reg add 'HKCU\Software\Korvex\Logging' /v PackageTestProbe /t REG_DWORD /d 4660 /f >/dev/null 2>&1
before=$(settings)

echo "== install $version"
check "msiexec /i /qn exits 0" [ "$(msiexec_status /i "$msi")" = 0 ]
check "one product installed, $version" [ "$(installed_versions)" = "$version" ]
check "the programs installed as built" programs_as_built
check "README.txt installed" [ -f "$dir/README.txt" ]
check "the zip holds the windowless kmxlogcfgw.exe as built" \
  cmp -s "$build/kmxlogcfgw.exe" <(unzip -p "$build/KMXLogCtl-$version-x64.zip" "KMXLogCtl-$version-x64/kmxlogcfgw.exe")
check "administrative templates installed as built" templates_as_built
check "KMXLogCtl.exe carries version $version" carries_version "$dir/KMXLogCtl.exe" "$version"
check "kmxlogcfg.exe carries version $version" carries_version "$dir/kmxlogcfg.exe" "$version"
check "Start-menu shortcut to the dialog" shortcut_to_dialog
check "installed kmxlogcfg --version" \
  [ "$(wine "$dir/kmxlogcfg.exe" --version 2>/dev/null | tr -d '\r')" = "kmxlogcfg $version" ]
check "installed kmxlogcfg show reads the settings" \
  grep -q "^Log file prefix:" <(wine "$dir/kmxlogcfg.exe" show 2>/dev/null | tr -d '\r')
check "installed kmxlogcfg admx writes the templates shipped" kmxlogcfg_admx_as_shipped
schema=$root/../shared/schemas/admx/PolicyDefinitionFiles.xsd
if [ -f "$schema" ]; then
  check "installed templates validate against the schema" \
    xmllint --noout --schema "$schema" "$dir/policies/KMXLogCtl.admx" "$dir/policies/en-US/KMXLogCtl.adml"
fi
check "settings untouched" [ "$(settings)" = "$before" ]

echo "== upgrade to $newer"
check "msiexec /i /qn exits 0" [ "$(msiexec_status /i "$newer_msi")" = 0 ]
check "one product installed, $newer" [ "$(installed_versions)" = "$newer" ]
check "the upgrade's files installed" grep -qF "$marker" "$dir/README.txt"
check "the programs installed" programs_as_built
check "Start-menu shortcut to the dialog" shortcut_to_dialog

echo "== downgrade to $version"
check "msiexec /i /qn refuses with 1603" [ "$(msiexec_status /i "$msi")" = 67 ]
check "still one product installed, $newer" [ "$(installed_versions)" = "$newer" ]
check "the upgrade's files kept" grep -qF "$marker" "$dir/README.txt"
check "the package states why" \
  grep -qF "A newer version of KMXLogCtl is already installed." <(msiinfo export "$msi" LaunchCondition)

echo "== uninstall"
check "msiexec /x /qn exits 0" [ "$(msiexec_status /x "$newer_msi")" = 0 ]
check "no product installed" [ -z "$(installed_versions)" ]
check "no file or folder left" [ ! -e "$korvex_dir" ]
check "shortcut removed" [ -z "$(shortcuts)" ]
check "settings untouched" [ "$(settings)" = "$before" ]

wine reg delete 'HKCU\Software\Korvex\Logging' /v PackageTestProbe /f >/dev/null 2>&1
[ "$failures" -eq 0 ]
