#!/usr/bin/env bash
# A minimal course tree (folders only) that the start-up accepts, until the demo generator exists.
# usage: make-minimal-data.sh COURSE_HOME
set -euo pipefail
home="$1"
mkdir -p "$home/data/Interface/FirstWords" "$home/data/targets/target3" "$home/data/targets/target5" \
         "$home/data/sources/1source" "$home/Update"
