#!/usr/bin/env bash
# The main job: a booking retrieval and an availability update through the
# library's exports, against the local channel-manager stand-in.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
echo "The entry points are still being built. This demo will: make a scratch home,"
echo "run 'quendale-host init --sample-hotel', start 'channel-sim' with sample reservations,"
echo "configure the plug-in with 'quendale-host reg', run a retrieval and an availability"
echo "update through the exports, and print what was stored, sent and logged."
