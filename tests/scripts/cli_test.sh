#!/usr/bin/env bash
# cli_test.sh full|smoke WORK_DIR CLI.exe RESOURCES.dll EMULATOR...
# Runs pixet-cli under EMULATOR in WORK_DIR/cli and checks each case's exit code, what it
# printed, and the files it wrote, read back with ImageMagick. `smoke` runs a few cases
# only (help, one usage error, one batch conversion). Samples come from WORK_DIR/data,
# the HTTP server's port from WORK_DIR/http-server.txt. Every run has a time limit
# (PIXET_CLI_TIMEOUT seconds): a message box that waited for an answer shows up as a hang.
set -uo pipefail
mode=$1 work=$2 cli=$3 resources=$4
shift 4
emulator=("$@")
case $mode in
  full) limit=120 ;;
  smoke) limit=600 ;;  # 32-bit under emulation: about a minute per process start
  *) echo "usage: $0 full|smoke WORK_DIR CLI.exe RESOURCES.dll EMULATOR..." >&2; exit 2 ;;
esac
limit=${PIXET_CLI_TIMEOUT:-$limit}

root=$work/cli
rm -rf "$root"
mkdir -p "$root"
cd "$root" || exit 1
cp "$work"/data/{photo.png,photo.jpg,palette.png,halves.png,transparent.png,not-image.png} .
failed=0 passed=0
fail() { echo "FAIL [$case_name] $*"; failed=$((failed + 1)); case_ok=0; }

# expect_exit CODE [--out TEXT] [--err TEXT] -- ARGS...
# Runs pixet-cli ARGS; its exit code must be CODE, its stdout / stderr must contain TEXT.
# The output stays in last.out and last.err for further checks.
expect_exit() {
  local code=$1 out_text= err_text=
  shift
  while [ "$1" != -- ]; do
    case $1 in
      --out) out_text=$2 ;;
      --err) err_text=$2 ;;
    esac
    shift 2
  done
  shift
  case_name="pixet-cli $*"
  [ "${#case_name}" -le 150 ] || case_name="${case_name:0:150}..."
  case_ok=1
  timeout "$limit" "${emulator[@]}" "$cli" "$@" > last.out 2> last.err < /dev/null
  local rc=$?
  # Emulated, the process is now and then lost outright (no exit code the program gives);
  # such a run counts once more. A fault of the program comes back the second time.
  if [ "$mode" = smoke ] && ! [[ $rc =~ ^(0|1|2|124)$ ]]; then
    echo "process lost (exit $rc): running $case_name once more"
    timeout "$limit" "${emulator[@]}" "$cli" "$@" > last.out 2> last.err < /dev/null
    rc=$?
  fi
  tr -d '\r' < last.out > last.tmp && mv last.tmp last.out
  tr -d '\r' < last.err > last.tmp && mv last.tmp last.err
  if [ "$rc" = 124 ]; then
    fail "did not end within $limit s"
  elif [ "$rc" != "$code" ]; then
    fail "exit $rc, expected $code; stdout: $(head -c 300 last.out | tr '\n' '|') stderr: $(head -c 300 last.err | tr '\n' '|')"
  fi
  if [ -n "$out_text" ] && ! grep -qF -- "$out_text" last.out; then
    fail "stdout lacks '$out_text': $(head -c 300 last.out | tr '\n' '|')"
  fi
  if [ -n "$err_text" ] && ! grep -qF -- "$err_text" last.err; then
    fail "stderr lacks '$err_text': $(head -c 300 last.err | tr '\n' '|')"
  fi
  [ "$case_ok" = 1 ] && passed=$((passed + 1))
}

# expect_image FILE FORMAT W H: ImageMagick reads FILE as FORMAT (BMP3 counts as BMP) of W x H.
expect_image() {
  local got
  got=$(identify -format '%m %wx%h\n' "$1" 2>/dev/null | head -n 1)
  got=${got/#BMP3 /BMP }
  [ "$got" = "$2 $3x$4" ] || fail "$1: identify says '$got', expected '$2 $3x$4'"
}

# expect_gray FILE: no pixel has a colour (HSL saturation at most 4%).
saturation() { convert "$1" -alpha off -colorspace HSL -channel G -separate +channel -format '%[fx:maxima]' info: 2>/dev/null; }
expect_gray() {
  local s
  s=$(saturation "$1")
  awk -v s="${s:-1}" 'BEGIN { exit !(s <= 0.04) }' || fail "$1 is not gray (saturation up to ${s:-?})"
}

expect_no_file() { [ ! -e "$1" ] || fail "$1 was written"; }

# expect_unchanged FILE COPY: a failing call left FILE as it was.
expect_unchanged() { cmp -s "$1" "$2" || fail "$1 was changed"; }

usage_cases() {
  expect_exit 0 --out "usage: pixet-cli COMMAND" -- --help
  expect_exit 2 --err "usage: pixet-cli COMMAND" --
  expect_exit 2 --err "unknown command 'frobnicate'" -- frobnicate photo.png
}

batch_cases() {
  expect_exit 0 -- convert photo.png halves.png transparent.png --to batch --ext .bmp
  expect_image batch/photo.bmp BMP 64 48
  expect_image batch/halves.bmp BMP 40 30
  expect_image batch/transparent.bmp BMP 32 32
}

if [ "$mode" = smoke ]; then
  usage_cases
  batch_cases
  echo "cli smoke: $passed cases passed, $failed failed"
  [ "$failed" -eq 0 ]
  exit
fi

# --- Usage ---------------------------------------------------------------------------
usage_cases
expect_exit 0 --out "usage: pixet-cli COMMAND" -- help
for command in convert gray show load copy paste capture resources save-resource; do
  expect_exit 0 --out "usage: pixet-cli $command" -- "$command" --help
done
expect_exit 0 --out "usage: pixet-cli convert" -- convert photo.png out.png --help
expect_no_file out.png
expect_exit 2 --err "usage: pixet-cli convert" -- convert photo.png
expect_exit 2 --err "usage: pixet-cli convert" -- convert photo.png a.png b.png
expect_exit 2 --err "unknown option --quality" -- convert photo.png a.jpg --quality 80
expect_exit 2 --err "--ext goes with --to" -- convert photo.png a.jpg --ext bmp
expect_exit 2 --err "--to needs a value" -- gray photo.png --to
expect_exit 2 --err "no sources" -- gray --to grays
expect_exit 2 --err "would both be written to" -- convert photo.png photo.jpg --to twins
expect_no_file twins
expect_exit 2 --err "usage: pixet-cli load" -- load
expect_exit 2 --err "usage: pixet-cli copy" -- copy photo.png halves.png
expect_exit 2 --err "usage: pixet-cli paste" -- paste
expect_exit 2 --err "usage: pixet-cli resources" -- resources a.dll b.dll
expect_exit 2 --err "usage: pixet-cli save-resource" -- save-resource SNAP
expect_exit 2 --err "usage: pixet-cli save-resource" -- save-resource SNAP a.png b.dll extra
expect_exit 2 --err "needs an IMAGE" -- show --seconds 1
expect_exit 2 --err "unexpected 'halves.png'" -- show photo.png halves.png
expect_exit 2 --err "--seconds takes a number" -- show photo.png --seconds soon
expect_exit 2 --err "--seconds takes a number" -- show photo.png --seconds -1
expect_exit 2 --err "usage: pixet-cli capture" -- capture desktop
expect_exit 2 --err "usage: pixet-cli capture" -- capture screen out.bmp
expect_exit 2 --err "usage: pixet-cli capture" -- capture rect photo.png r.bmp 0 0 ten 10
expect_exit 2 --err "usage: pixet-cli capture" -- capture client photo.png

# --- convert and gray ----------------------------------------------------------------
for ext in bmp jpg png tif; do
  expect_exit 0 --out "wrote photo-$ext.$ext" -- convert photo.png "photo-$ext.$ext"
done
expect_image photo-bmp.bmp BMP 64 48
expect_image photo-jpg.jpg JPEG 64 48
expect_image photo-png.png PNG 64 48
expect_image photo-tif.tif TIFF 64 48
expect_exit 0 -- convert palette.png palette.gif
expect_image palette.gif GIF 40 30
expect_exit 1 --err "message: Invalid Format!" --out "no file at photo.xyz" -- convert photo.png photo.xyz
expect_no_file photo.xyz
expect_exit 1 -- convert not-image.png broken.png
expect_no_file broken.png
# A missing source writes nothing although the method returns 1; a file that an earlier
# run left at the target must not pass for a result.
cp photo-png.png stale.png
expect_exit 1 --out "left stale.png as it was" -- convert missing.png stale.png
expect_unchanged stale.png photo-png.png

[ "$(saturation photo.png)" != 0 ] || fail "photo.png is already gray"
expect_exit 0 -- gray photo.png gray.png
expect_image gray.png PNG 64 48
expect_gray gray.png
expect_exit 0 -- gray photo.jpg gray.jpg
expect_image gray.jpg JPEG 64 48
expect_gray gray.jpg
expect_exit 1 --err "message: Invalid Format!" -- gray photo.png gray.txt
expect_no_file gray.txt

# --- Batches -------------------------------------------------------------------------
batch_cases
expect_exit 0 -- gray photo.png halves.png --to grays
expect_image grays/photo.png PNG 64 48
expect_gray grays/photo.png
expect_image grays/halves.png PNG 40 30
expect_gray grays/halves.png
# One failing source fails the batch; the others are still written.
expect_exit 1 --out "no file at mixed\\missing.tif" -- convert photo.png missing.png halves.png --to mixed --ext tif
expect_image mixed/photo.tif TIFF 64 48
expect_image mixed/halves.tif TIFF 40 30
# As many sources as a shell glob gives.
mkdir -p many
for i in $(seq -w 1 70); do cp halves.png "many/h$i.png"; done
expect_exit 0 -- convert many/h*.png --to many-out --ext jpg
count=$(ls many-out/*.jpg 2>/dev/null | wc -l)
[ "$count" = 70 ] || fail "many-out holds $count JPEG files, expected 70"
expect_image many-out/h70.jpg JPEG 40 30

# --- load, copy, paste ---------------------------------------------------------------
read -r port closed_port _ < "$work/http-server.txt"
expect_exit 0 --out "showing 64x48" -- load photo.jpg
expect_exit 1 --out "showing 0x0" -- load missing.png
expect_exit 0 --out "showing 64x48" -- load "http://127.0.0.1:$port/photo.png"
expect_exit 1 -- load "http://127.0.0.1:$port/missing"
expect_exit 1 --err "message: An error occurred calling InternetOpenUrl function!" -- \
  load "http://127.0.0.1:$closed_port/photo.png"

expect_exit 0 --out "clipboard holds a 40x30 bitmap" -- copy halves.png
expect_exit 0 --out "wrote pasted.bmp" -- paste pasted.bmp
expect_image pasted.bmp BMP 40 30
# (A failed copy leaves the clipboard as it was; the empty clipboard is the suite's case.)
expect_exit 1 --err "message: There was an error while loading the bitmap" -- copy missing.png
expect_exit 1 --out "no file at no-folder/pasted.bmp" -- paste no-folder/pasted.bmp

# --- show ----------------------------------------------------------------------------
expect_exit 0 --out "showing the image" -- show photo.png --seconds 0.2 --capture shown.bmp
expect_image shown.bmp BMP 480 360
expect_exit 1 --out "showing nothing" -- show missing.png
expect_exit 0 --out "DisplayImage -> 1" -- show photo.png --as control --capture in-control.bmp
expect_image in-control.bmp BMP 480 360
expect_exit 0 --out "shows the drawn image" -- show photo.png --as draw --capture drawn.bmp
expect_image drawn.bmp BMP 480 360
expect_exit 1 --out "shows nothing drawn" -- show missing.png --as draw
expect_exit 2 --err "--as takes background, control or draw" -- show photo.png --as sideways

# --- resources -----------------------------------------------------------------------
expect_exit 0 --out "6 image resources (type 0)" -- resources "$resources"
grep -q '^SNAP  *[0-9][0-9]* bytes' last.out || fail "SNAP is not listed"
expect_exit 1 --err "cannot load" -- resources missing.dll
expect_exit 0 -- save-resource SNAP snap.png "$resources"
expect_image snap.png PNG 30 20
expect_exit 0 -- save-resource SNAP snap.tif "$resources"
expect_image snap.tif TIFF 30 20
cp snap.png snap-before.png
expect_exit 1 -- save-resource NOSUCH snap.png "$resources"
expect_unchanged snap.png snap-before.png
expect_exit 1 -- save-resource BROKEN broken-resource.png "$resources"
expect_no_file broken-resource.png

# --- capture -------------------------------------------------------------------------
convert -size 200x150 gradient:yellow-green PNG24:wide.png
screen=${PIXET_SCREEN:-1280x1024x24}
screen=${screen%x*}
expect_exit 0 -- capture desktop desktop.bmp
expect_image desktop.bmp BMP "${screen%x*}" "${screen#*x}"
expect_exit 0 -- capture desktop wide.png desktop-showing.bmp
expect_image desktop-showing.bmp BMP "${screen%x*}" "${screen#*x}"
# The window showing the image is on the captured desktop: some of its yellow is there.
yellow=$(convert desktop-showing.bmp -fuzz 10% -fill black +opaque '#ffff00' -format '%[fx:mean>0]' info: 2>/dev/null)
[ "$yellow" = 1 ] || fail "desktop-showing.bmp shows none of the window's image"
expect_exit 0 -- capture client wide.png client.bmp
expect_image client.bmp BMP 200 150
expect_exit 0 -- capture rect wide.png rect.bmp 10 20 50 40
expect_image rect.bmp BMP 50 40
expect_exit 0 -- capture window wide.png window.bmp
size=$(identify -format '%w %h' window.bmp 2>/dev/null)
# The frame and caption add to the client area.
awk -v s="$size" 'BEGIN { split(s, a, " "); exit !(a[1] > 200 && a[2] > 150) }' ||
  fail "window.bmp is $size, expected larger than the client area 200x150"
expect_exit 1 --err "cannot show missing.png" -- capture client missing.png missing.bmp
expect_no_file missing.bmp

echo "cli: $passed cases passed, $failed failed"
[ "$failed" -eq 0 ]
