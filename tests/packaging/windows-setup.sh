#!/usr/bin/env bash
# windows-setup.sh BUILD_DIR SOURCE_DIR VERSION
# The Windows build's programs' folder and its setup, checked under wine: what the folder
# holds and that every DLL a program loads is in it; the executables' subsystem and version;
# then the setup installed silently, per user, the installed tool run, and the uninstaller,
# which must leave the user's database where it is.
set -uo pipefail

build=$1 source=$2 version=$3
run="$build/wine-run"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/checks.sh"
windows() { "$run" "$@" 2>/dev/null | tr -d '\r'; }
unix_path() { windows winepath -u "$1"; }

# --- the programs' folder -------------------------------------------------------------------
folder=$work/VESK-ORV
cmake --install "$build" --prefix "$folder" --strip >/dev/null || { echo "FAIL: cmake --install" >&2; exit 1; }
expected="Qt6Core.dll
Qt6Gui.dll
Qt6PrintSupport.dll
Qt6Widgets.dll
README.md
libgcc_s_seh-1.dll
libstdc++-6.dll
libwinpthread-1.dll
platforms/qwindows.dll
styles/qwindowsvistastyle.dll
vesk-orv-cli.exe
vesk-orv.exe"
expect_eq "installed files" "$(cd "$folder" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)" "$expected"

# Every DLL that a program or a DLL of the folder imports is in the folder or is the system's.
system_dlls=" $(echo advapi32 bcrypt comctl32 comdlg32 crypt32 d2d1 d3d11 d3d9 dwmapi dwrite dxgi gdi32 imm32 \
  kernel32 msvcrt netapi32 ole32 oleaut32 setupapi shcore shell32 shlwapi user32 userenv uxtheme version winmm \
  ws2_32 wtsapi32 authz mpr dnsapi iphlpapi psapi | sed 's/\([a-z0-9_]*\)/\1.dll/g') winspool.drv "
for binary in $(cd "$folder" && find . -name '*.exe' -o -name '*.dll' | sed 's|^\./||'); do
  while read -r dll; do
    lower=$(tr 'A-Z' 'a-z' <<<"$dll")
    [[ $lower == api-ms-win-* ]] && continue
    [[ $system_dlls == *" $lower "* ]] && continue
    [ -n "$(cd "$folder" && find . -maxdepth 1 -iname "$dll")" ] || fail "$binary imports $dll, which the folder lacks"
  done < <(x86_64-w64-mingw32-objdump -p "$folder/$binary" | sed -n 's/^\s*DLL Name: //p')
done

# The window program opens no console; the command line is a console program. Both carry the
# version and the description in their resources.
subsystem() { x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^Subsystem\s*[0-9a-f]*\s*//p'; }
expect_eq "vesk-orv.exe subsystem" "$(subsystem "$folder/vesk-orv.exe")" "(Windows GUI)"
expect_eq "vesk-orv-cli.exe subsystem" "$(subsystem "$folder/vesk-orv-cli.exe")" "(Windows CUI)"
for exe in vesk-orv vesk-orv-cli; do
  strings -el "$folder/$exe.exe" | grep -qx "$version" || fail "$exe.exe carries no version $version"
  strings -el "$folder/$exe.exe" | grep -q "^VESK - ORV Comparison Tool" || fail "$exe.exe carries no description"
  grep -q "activeCodePage" "$folder/$exe.exe" || fail "$exe.exe has no manifest asking for UTF-8"
done

cli="$folder/vesk-orv-cli.exe"
expect_eq "--version" "$(windows "$cli" --version)" "vesk-orv-cli $version"
# The portable folder keeps its database beside the programs; `where` creates nothing.
expect_eq "where, portable folder" "$(unix_path "$(windows "$cli" where | head -n 1)")" "$folder/ZETTools.db"
[ ! -e "$folder/ZETTools.db" ] || fail "where created the database"

# --- the setup ------------------------------------------------------------------------------
setup="$build/vesk-orv-$version-setup.exe"
portable="$build/vesk-orv-$version-portable.zip"
[ -f "$setup" ] || { fail "no setup at $setup"; exit 1; }
listing=$(python3 -c 'import sys, zipfile; print("\n".join(sorted(zipfile.ZipFile(sys.argv[1]).namelist())))' "$portable")
grep -qx "vesk-orv-$version/vesk-orv.exe" <<<"$listing" || fail "the portable zip lacks vesk-orv-$version/vesk-orv.exe"
grep -qx "vesk-orv-$version/platforms/qwindows.dll" <<<"$listing" || fail "the portable zip lacks the platform plugin"

local_app_data=$(unix_path "$(windows cmd /c echo %LOCALAPPDATA%)")
app_data=$(unix_path "$(windows cmd /c echo %APPDATA%)")
desktop=$(unix_path "$(windows cmd /c echo %USERPROFILE%)\\Desktop")
installed=$local_app_data/Programs/VESK-ORV
start_menu="$app_data/Microsoft/Windows/Start Menu/Programs/VESK - ORV Comparison Tool.lnk"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\VESK-ORV'
rm -rf "$installed"

windows "$setup" /S /DESKTOP >/dev/null
for file in vesk-orv.exe vesk-orv-cli.exe Qt6Widgets.dll platforms/qwindows.dll uninstall.exe; do
  [ -f "$installed/$file" ] || fail "the setup did not install $file into $installed"
done
[ -f "$start_menu" ] || fail "no Start-menu entry"
[ -f "$desktop/VESK - ORV Comparison Tool.lnk" ] || fail "no desktop shortcut, though /DESKTOP asked for one"
windows reg query "$key" /v DisplayVersion | grep -q "$version" || fail "no uninstall entry with the version"

# The installed tool runs and keeps its database in its folder, which is the user's own.
expect_eq "installed --version" "$(windows "$installed/vesk-orv-cli.exe" --version)" "vesk-orv-cli $version"
windows "$installed/vesk-orv-cli.exe" sample "$(windows winepath -w "$work/sample")" --offices 6 --rows 60 >/dev/null ||
  fail "the installed tool cannot write a sample month"
windows "$installed/vesk-orv-cli.exe" import-master "$(windows winepath -w "$work/sample/office_master.xlsx")" --yes \
  >/dev/null || fail "the installed tool cannot import the office master"
[ -f "$installed/ZETTools.db" ] || fail "the installed tool kept no database beside itself"

# The uninstaller (run in place, so that it ends before this goes on) takes the programs and
# the shortcuts away and leaves the database.
windows "$installed/uninstall.exe" /S "_?=$(windows winepath -w "$installed")" >/dev/null
for file in vesk-orv.exe vesk-orv-cli.exe Qt6Widgets.dll platforms/qwindows.dll; do
  [ ! -e "$installed/$file" ] || fail "the uninstaller left $file"
done
[ -f "$installed/ZETTools.db" ] || fail "the uninstaller removed the database"
[ ! -e "$start_menu" ] || fail "the uninstaller left the Start-menu entry"
[ ! -e "$desktop/VESK - ORV Comparison Tool.lnk" ] || fail "the uninstaller left the desktop shortcut"
windows reg query "$key" >/dev/null 2>&1 && fail "the uninstaller left its registry key"
rm -rf "$installed"

verdict "Windows folder and setup: all checks passed"
