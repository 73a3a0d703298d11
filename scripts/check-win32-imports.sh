#!/usr/bin/env bash
# Checks that the Windows folder stands on its own: every DLL that a program or DLL in it
# imports (objdump -p) is either shipped in the folder beside the programs or one of the DLLs
# every Windows system has. Prints each import of quorrel.exe, and the name of any DLL that
# is neither.
# Usage: scripts/check-win32-imports.sh DEPLOY-FOLDER
set -euo pipefail
deploy=${1:?usage: $0 DEPLOY-FOLDER}
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}

# Windows's own DLLs (in System32 of every Windows since 7), as Qt 5.15 and mingw-w64's
# runtime import them; names compared in lower case.
system_dlls=(advapi32.dll comdlg32.dll crypt32.dll d3d9.dll dwmapi.dll gdi32.dll imm32.dll
 kernel32.dll mpr.dll msvcrt.dll netapi32.dll ntdll.dll ole32.dll oleaut32.dll setupapi.dll
 shell32.dll shlwapi.dll user32.dll userenv.dll uxtheme.dll version.dll winmm.dll ws2_32.dll
 wtsapi32.dll comctl32.dll dwrite.dll d2d1.dll d3d11.dll dxgi.dll)

system_dlls=" ${system_dlls[*]} "
shipped=" $(find "$deploy" -maxdepth 1 -iname '*.dll' -printf '%f\n' | tr 'A-Z' 'a-z' | tr '\n' ' ') "
status=0
while IFS= read -r -d '' binary; do
    while IFS= read -r name; do
        lower=$(tr 'A-Z' 'a-z' <<<"$name")
        if [[ $system_dlls != *" $lower "* && $shipped != *" $lower "* ]]; then
            echo "check-win32-imports: ${binary#"$deploy"/} imports $name, which is neither a Windows DLL nor in the folder" >&2
            status=1
        fi
    done < <("$objdump" -p "$binary" | sed -n 's/^\s*DLL Name: //p')
done < <(find "$deploy" -type f \( -iname '*.exe' -o -iname '*.dll' \) -print0)
exit "$status"
