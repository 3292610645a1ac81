#!/usr/bin/env bash
# The main job: installs everything, builds, and scans this machine's plug-in
# folders through the host-side catalogue, printing what it found. Falls back
# to the example plug-ins built with the project when the machine has none.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
tools/build.sh build
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
folders=()
for folder in ~/.vst ~/.vst3 /usr/lib/vst /usr/lib/lxvst /usr/lib/vst3 /usr/local/lib/vst /usr/local/lib/lxvst /usr/local/lib/vst3; do
    [ -d "$folder" ] && folders+=("$folder")
done
[ ${#folders[@]} -eq 0 ] && folders=(build/fixtures/vst2/good build/fixtures/vst3/good)
# The preferences root defaults to the one PlugSweep derives from its own
# default request path; PLUGSWEEP_PREFS chooses another.
prefs=()
[ -n "${PLUGSWEEP_PREFS:-}" ] && prefs=(--prefs "$PLUGSWEEP_PREFS")
exec build/bin/plugcat "${prefs[@]}" scan "${folders[@]}"
