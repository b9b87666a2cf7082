#!/usr/bin/env bash
# Shows that the suite catches the one-line mistakes that Wine alone would let reach a user:
# each is applied by itself to a copy of the sources, the copy's x86-64 test build is rebuilt,
# and the tests named with it must fail. One line a mistake; exits 1 if any got through.
# Needs what ./scripts/test.sh installs. Usage: scripts/mistakes.sh [copy folder]
#
# The mistakes nobody chose (scripts/mutants.py): --draw SEED COUNT draws COUNT mutants at random
# from every site of the product sources, --changed REV [COUNT] takes those of the lines changed
# since REV; each is applied alone and the whole suite run. Exits 1 if any survived.
set -euo pipefail
cd "$(dirname "$0")/.."
case "${1:-}" in
  --draw) exec python3 scripts/mutants.py draw "${@:2}" ;;
  --changed) exec python3 scripts/mutants.py changed "${@:2}" ;;
esac

copy=${1:-/tmp/zl73-mistakes}
rm -rf "$copy"
mkdir -p "$copy"
git ls-files -z | xargs -0 cp --parents -t "$copy"
cd "$copy"
cmake --preset mingw-x64 >/dev/null
cmake --build --preset mingw-x64 >/dev/null

# mistake <what it is> <tests that must fail, a ctest expression> <file> <sed script>
whats=() tests=() files=() scripts=()
mistake() { whats+=("$1") tests+=("$2") files+=("$3") scripts+=("$4"); }

mistake "the service key opened for reading" PerformOperation.InstallAndUninstall \
  engine/perform_operation.cpp 's/KEY_ALL_ACCESS, nullptr/KEY_READ, nullptr/'
mistake "no SP_COPY_NOSKIP" PerformOperation.UninstallCreates \
  engine/perform_operation.cpp 's/SP_COPY_NOSKIP,/0,/'
mistake "Next left enabled during the operation" COperationDlg.NothingOnThePage \
  pages/operation_dlg.cpp '/m_btnNext.EnableWindow(FALSE);/d'
mistake "UNINSTALL left enabled during the operation" COperationDlg.NothingOnThePage \
  pages/operation_dlg.cpp '/m_radioUninstall.EnableWindow(FALSE);/d'
mistake "the failure box with the stop icon" CSetupApp \
  app/setup_app.cpp 's/Error", MB_OK | MB_ICONEXCLAMATION/Error", MB_OK | MB_ICONSTOP/'
mistake "a length at the very end of the room refused" CComPortDlg.FiveCharacters \
  platform/str.cpp 's/static_cast<size_t>(nLength) > nMost/static_cast<size_t>(nLength) >= nMost/'
mistake "no out-of-memory check" CString.AMisuseOrNoMemory \
  platform/heap.cpp '/Out of memory/d'
mistake "no top clamp" CDialog.OpensCentred \
  platform/dialog.cpp '/if (top < area.top)/d'
mistake "a cut ANSI path taken as exact" GetExeDirectory.TakesTheShortName \
  app/exe_directory.cpp 's/if (nBack != nWide) return false;/if (nBack != nWide) return true;/'
mistake "a click on an ended page handled" CDialog.EndsWithTheCode \
  platform/dialog.cpp 's/if (!self->m_bEnded) self->OnCommand/self->OnCommand/'
mistake "a failed search leaves the old one current" CFileFind.Visits \
  platform/file_find.cpp '/m_bHasNext = false;/d'
mistake "the move assignment leaks" CString.GrowsByAFactor \
  platform/str.cpp '/operator=(CString&& other)/,/^}/{/AfxFreeMemory/d}'
mistake "the licence page made before Next knows the road" COperationDlg.UninstallRuns \
  pages/operation_dlg.cpp 's/^void COperationDlg::OnNext() {$/&\n  CLicenceDlg early(nullptr);/'
mistake "the licence page made before the finished check" COperationDlg.InstallAsks \
  pages/operation_dlg.cpp 's/^void COperationDlg::OnNext() {$/&\n  CLicenceDlg early(nullptr);/'
mistake "'0' not read as a digit in the COM text" COperationDlg.ComText \
  pages/operation_dlg.cpp "s/for (; \\*psz >= '0'/for (; *psz > '0'/"
mistake "the right clamp only once the page starts beyond the edge" CDialog.OpensCentred \
  platform/dialog.cpp 's/if (left > area.right - width)/if (left > area.right)/'
mistake "the licence box without ES_MULTILINE" CLicenceDlg.ShowsTheFile \
  res/setup.rc 's/ES_LEFT | ES_MULTILINE | /ES_LEFT | /'
mistake "INSTALL without WS_GROUP" Pages.ShowTheirWords \
  res/setup.rc '/IDC_INSTALL, CLASS_BUTTON,/{n;s/ | WS_GROUP//}'
mistake "the error text never freed" ReportLastSetupError \
  platform/handles.h '/struct LocalMemoryTraits/,/^};/s/LocalFree(h);/(void)h;/'
mistake "a handled command reported as not handled" CDialog.RoutesButtonClicks \
  platform/cmd_target.cpp '/entry.pfn(this);/{n;s/return true;/return false;/}'
mistake "a string moved from keeps its room" CString.GrowsByAFactor \
  platform/str.cpp '0,/other.m_nAlloc = 0;/{/other.m_nAlloc = 0;/d}'

mistake "SETUPAPI looked for by name, beside the program first" Wizard.NeverLoads \
  platform/setup_api.cpp 's/LoadLibraryExA(szPath,/LoadLibraryExA("SETUPAPI.DLL",/'
mistake "the program's folder split byte by byte" GetExeDirectory.TakesTheShortName \
  app/exe_directory.cpp 's/text.Left(FileNameStart(text))/text.Left(text.ReverseFind(0x5C) + 1)/'
mistake "a SETUPAPI's missing function run into the word after it" CSetupApp.SaysWhich \
  platform/setup_api.cpp 's/bFunction ? " in" : ""/bFunction ? "in" : ""/'
mistake "a wide path that fills its buffer taken as whole" GetExeDirectory.IsTheProgramsFolder \
  app/exe_directory.cpp 's/nWide == 0 || nWide >= MAX_PATH/nWide == 0 || nWide > MAX_PATH/'
mistake "a path with no short form taken for its short form" GetExeDirectory.IsTheProgramsFolder \
  app/exe_directory.cpp 's/nShort >= MAX_PATH) return false;/nShort >= MAX_PATH) return true;/'

# A control: without any mistake the named tests pass, so a failure below is the mistake's.
control=$(IFS='|'; echo "${tests[*]}")
if ! ctest --preset mingw-x64 -R "$control" >/dev/null 2>&1; then
  echo "the named tests fail with no mistake applied: ctest --preset mingw-x64 -R '$control'"
  exit 2
fi

escaped=0
for i in "${!whats[@]}"; do
  what=${whats[$i]} file=${files[$i]}
  cp "$file" "$file.orig"
  sed -i "${scripts[$i]}" "$file" || true
  if cmp -s "$file" "$file.orig"; then
    echo "NOT APPLIED  $what ($file: ${scripts[$i]})"
    escaped=1
  elif ! cmake --build --preset mingw-x64 >/dev/null 2>&1; then
    echo "NO BUILD     $what"
    escaped=1
  elif ctest --preset mingw-x64 -R "${tests[$i]}" >/dev/null 2>&1; then
    echo "GOT THROUGH  $what: ${tests[$i]} passed"
    escaped=1
  else
    echo "caught       $what: ${tests[$i]} failed"
  fi
  # The original back, newer than the build, so that the next build takes it.
  mv "$file.orig" "$file"
  touch "$file"
done
exit $escaped
