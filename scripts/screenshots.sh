#!/usr/bin/env bash
# Pictures of the wizard for the README, in docs/screenshots/: the end-to-end robot takes
# setup.exe through an installation and the error roads under Xvfb (the headless run of
# run-wizard.sh), each road's media laid out from the floppy's files on drive A: as a user
# would have them, and, at each state to show, leaves <name>.rect with the X display and the
# window's place; this script captures that part of the screen as <name>.png, which lets the
# robot go on. Fails when a window the robot expects does not come. run-wizard.sh says which
# build of setup.exe it showed.
set -euo pipefail
cd "$(dirname "$0")/.."
out=$PWD/docs/screenshots
shots=(01-welcome 02-install-uninstall 03-licence 04-com-port 05-com-port-list
       06-warning-no-com-port 07-finished 08-setup-error-no-inf 09-invalid-inf 10-failure
       11-no-setup-api)

mkdir -p "$out"
rm -f "$out"/*.png "$out"/*.rect "$out"/*.part

capture() {
  while :; do
    for rect in "$out"/*.rect; do
      [ -e "$rect" ] || continue
      read -r display geometry <"$rect"
      # Wine draws a new window in the moments after it shows.
      sleep 1
      import -display "$display" -window root -crop "$geometry" +repage "${rect%.rect}.new.png"
      mv "${rect%.rect}.new.png" "${rect%.rect}.png"
      echo "Captured $(basename "${rect%.rect}") at $geometry (screen ${display})"
      rm -f "$rect"
    done
    sleep 0.2
  done
}
capture &
capturer=$!
trap 'kill $capturer 2>/dev/null || true' EXIT

export ZL73_SCREENSHOTS=$out ZL73_E2E_DRIVE=A:
export ZL73_E2E_FILTER=Wizard.InstallsThenUninstalls:Wizard.WithoutInfShowsOnlyTheSetupErrorBox:Wizard.InvalidInfIsReportedThenTheFailure:Wizard.InstallsWithoutLicencePageWhenTheMediaHasNoLicence:Wizard.NeverLoads*
CI=1 ./scripts/run-wizard.sh

missing=0
for shot in "${shots[@]}"; do
  [ -s "$out/$shot.png" ] || { echo "missing: $out/$shot.png" >&2; missing=1; }
done
[ $missing -eq 0 ] && echo "Wrote ${#shots[@]} pictures to $out"
exit $missing
