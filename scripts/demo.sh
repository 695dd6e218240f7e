#!/usr/bin/env bash
# The main job: booking retrievals and an availability update through the
# library's exports, as the host makes them, against the local stand-in of the
# channel manager; then a summary of what was stored, sent and logged. The
# first retrieval's reports are lost on the way, so the channel manager offers
# the same reservations again to the second, which stores none of them twice.
# BUILD_DIR may be set (default: build).
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)

bash scripts/install-deps.sh
build_dir=${BUILD_DIR:-build}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} >/dev/null
cmake --build "$build_dir" -j "$(nproc)" --target corvenna quendale-host channel-sim
host=$repo/$build_dir/host/quendale-host/quendale-host
sim=$repo/$build_dir/host/channel-sim/channel-sim

# A scratch user: nothing of the real home is read or written.
scratch=$(mktemp -d "${TMPDIR:-/tmp}/corvenna-demo-XXXXXX")
export HOME=$scratch/home
export XDG_CONFIG_HOME=$HOME/.config
export XDG_RUNTIME_DIR=$scratch/runtime
export TZ=${TZ:-UTC}
# No window: the exports the demo calls run silently.
export QT_QPA_PLATFORM=offscreen
mkdir -p "$HOME/Documents" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
docs=$HOME/Documents/Quendale

step() { printf '\n== %s\n' "$*"; }

step "The host's files and a sample hotel"
"$host" init --sample-hotel

# Starts channel-sim on a free port, logging what it receives to the folder
# given first; the other arguments are its switches. Sets sim_pid and endpoint.
start_sim() {
  local log=$1
  shift
  mkdir -p "$log"
  "$sim" --port 0 --reservations "$repo/host/sample-reservations" --log "$log" "$@" \
    >"$scratch/channel-sim.out" 2>&1 &
  sim_pid=$!
  local port=
  for _ in $(seq 50); do
    port=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$scratch/channel-sim.out")
    [ -n "$port" ] && break
    kill -0 "$sim_pid" 2>/dev/null || break
    sleep 0.1
  done
  if [ -z "$port" ]; then
    echo "channel-sim did not start:" >&2
    cat "$scratch/channel-sim.out" >&2
    exit 1
  fi
  endpoint=http://127.0.0.1:$port/relayport/services
  echo "channel-sim on $endpoint, serving host/sample-reservations/*.xml $*"
}
stop_sim() { kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; }
trap stop_sim EXIT

step "The channel manager's stand-in, which loses every report (--drop --only report)"
start_sim "$scratch/channel-sim-lost-reports" --drop --only report

step "The plug-in's settings (credentials, hotel code, endpoint, room mapping)"
key='Software\Quendale\Corvenna'
reg() { "$host" reg set "$key" "$@"; }
reg UserName sz frontdesk
reg Password sz demo-password
reg HotelCode sz DEMO01
reg RequestorID sz QUENDALE
reg CorvennaAvailReqUlr sz "$endpoint"
slot=1
for room_type in SGL DBL STE; do
  reg "Type$slot" sz "$room_type"
  reg "Code$slot" sz BAR
  slot=$((slot + 1))
done
for name in HotelCode CorvennaAvailReqUlr Type1 Type2 Type3; do
  printf '  %-20s %s\n' "$name" "$("$host" reg get "$key" "$name")"
done

step "Booking retrieval (CorvennaBookingRetrival, silent): the reports do not arrive"
result=$("$host" retrieve) || true
echo "returned: $result"

step "The channel manager's stand-in again, now taking the reports: it offers the same reservations"
stop_sim
start_sim "$scratch/channel-sim-log"
reg CorvennaAvailReqUlr sz "$endpoint"

step "Booking retrieval again: every reservation offered again is reported, none is stored twice"
count=$("$host" retrieve)
echo "bookings stored: $count"

step "Availability update (CorvennaAvailUpdate) for the nights 2027-03-01 to 2027-03-14"
"$host" avail 2027-03-01 2027-03-14
echo "sent"

step "Summary"
echo "Stored in the host database $docs/Database/Quendale.abs:"
if command -v python3 >/dev/null; then
  python3 - "$docs/Database/Quendale.abs" <<'PY'
import datetime, sqlite3, sys
base = datetime.date(1899, 12, 30)
day = lambda value: (base + datetime.timedelta(days=int(value))).isoformat() if value is not None else "-"
db = sqlite3.connect(f"file:{sys.argv[1]}?mode=ro", uri=True)
rows = db.execute(
    'SELECT d.GuestID, n.GivenName, n.FamilyName, d.RoomNumber, d.ArrivalDate, d.DepartureDate, '
    'd.TravelAgent, d.TravelBookingNo FROM GuestData d LEFT JOIN GuestName n ON n.GuestCode = d.GuestCode '
    'ORDER BY d.GuestID').fetchall()
for guest_id, given, family, room, arrival, departure, agent, booking in rows:
    print(f"  booking {guest_id}: {given} {family}, room {room}, {day(arrival)} to {day(departure)}, "
          f"{agent or 'direct'}, booking no {booking}")
if not rows:
    print("  (no bookings)")
refused = db.execute('SELECT BookingNo, Valid FROM OtaResponse WHERE Valid <> 0').fetchall()
for booking, valid in refused:
    print(f"  refused {booking}: " + ("invalid room type" if valid == 1 else "no room available"))
PY
else
  echo "  (python3 is not installed: see the retrieval reply $docs/Temp/ResRetriveRS.xml)"
fi

echo "Received by the channel manager's stand-in ($scratch/channel-sim-log):"
if command -v python3 >/dev/null; then
  python3 - "$scratch"/channel-sim-log/*.xml <<'PY'
import os, sys, xml.etree.ElementTree as ET
ota = "{http://www.opentravel.org/OTA/2003/05}"
for path in sys.argv[1:]:
    if not os.path.exists(path):
        print("  (nothing)")
        continue
    body = ET.parse(path).getroot().find("{http://schemas.xmlsoap.org/soap/envelope/}Body")[0]
    name = body.tag.replace(ota, "")
    print(f"  {os.path.basename(path)}")
    if name == "OTA_NotifReportRQ":
        ids = [u.get("ID") for u in body.iter(ota + "UniqueID")]
        error = body.find(f"{ota}Errors/{ota}Error")
        outcome = "success" if error is None else f"error {error.get('Code')} {error.text}"
        print(f"      report on {', '.join(ids)}: {outcome}")
    for message in body.iter(ota + "AvailStatusMessage"):
        control = message.find(ota + "StatusApplicationControl")
        print(f"      {control.get('InvTypeCode')} {control.get('Start')} to {control.get('End')}: "
              f"booking limit {message.get('BookingLimit')}")
PY
else
  ls "$scratch/channel-sim-log" | sed 's/^/  /'
fi

echo "Written by the library:"
echo "  day log        $(ls "$docs"/OTA/OTA*.log 2>/dev/null | tr '\n' ' ')"
echo "  message copies $docs/Temp/ ($(ls "$docs/Temp" | tr '\n' ' '))"
echo "The scratch home stays for a look: $scratch"
