#!/usr/bin/env bash
# Fails when a Windows program imports a DLL that Windows itself does not ship.
set -euo pipefail
allowed='^(kernel32|user32|gdi32|comctl32|uxtheme|advapi32|shell32|ole32|oleaut32|msvcrt|ntdll|psapi|comdlg32|ucrtbase|api-ms-win-.*)\.dll$'
status=0
for exe in "$@"; do
  dlls=$(objdump -p "$exe" 2>/dev/null | sed -n 's/.*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
  [ -n "$dlls" ] || dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/.*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
  bad=$(echo "$dlls" | grep -Ev "$allowed" || true)
  echo "$exe imports: $(echo $dlls)"
  if [ -n "$bad" ]; then echo "  not a Windows DLL: $bad"; status=1; fi
done
exit $status
