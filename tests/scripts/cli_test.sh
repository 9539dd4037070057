#!/usr/bin/env bash
# cli_test.sh full|smoke|core WORK_DIR CLI.exe RESOURCES.dll EMULATOR...
# One row per pixet-cli call: its exit code, what it printed, and the file it writes read
# back by ImageMagick. `smoke` (emulated 32-bit: a minute per process start) runs only the
# rows named in $smoke. Samples come from WORK_DIR/data, the HTTP server's ports from
# WORK_DIR/http-server.txt. PIXET_CLI_TIMEOUT bounds every call (exit 124): a message box
# waiting for an answer shows up as a hang.
set -uo pipefail
mode=$1 work=$2 cli=$3 resources=$4 smoke=" help no-command batch " failed=0 passed=0
shift 4
emulator=("$@")
[[ $mode =~ ^(full|smoke|core)$ ]] || { echo "usage: $0 full|smoke|core WORK_DIR CLI.exe RESOURCES.dll EMULATOR..." >&2; exit 2; }
# core: the smoke rows, a name outside the code page, the clipboard's alpha, a screen capture.
[ "$mode" != core ] || smoke+="u-convert copy-alpha paste-alpha screen "
limit=${PIXET_CLI_TIMEOUT:-$([ "$mode" = smoke ] && echo 600 || echo 120)}
root=$work/cli
rm -rf "$root" && mkdir -p "$root/many" && cd "$root" || exit 1
cp "$work"/data/{photo.png,photo.jpg,palette.png,halves.png,transparent.png,not-image.png} .
cp photo.png stale.png && cp palette.png old.png  # there before the calls that write them
for i in $(seq -w 1 70); do cp halves.png "many/h$i.png"; done
convert -size 200x150 gradient:yellow-green PNG24:wide.png
read -r port closed_port _ tls _ < "$work/http-server.txt"
screen=${PIXET_SCREEN:-1280x1024x24} && screen=${screen%x*}

# gray FILE: no pixel has colour (HSL saturation at most 4%).
gray() { [ "$(convert "$1" -alpha off -colorspace HSL -channel G -separate +channel -format '%[fx:maxima<=0.04]' info:)" = 1 ]; }

# t NAME CODE PATTERN FILE WANT ARGS...: pixet-cli ARGS must exit CODE and print a line
# matching the regex PATTERN (a usage error, CODE 2, on stderr and nothing on stdout).
# identify must read FILE as the regex WANT ("PNG 64x48"; "... gray": and no colour);
# WANT "absent": there is no FILE; FILE "-": no file to read.
t() {
  local name=$1 code=$2 pattern=$3 file=$4 want=$5 rc got why= try
  shift 5
  [ "$mode" = full ] || [[ $smoke == *" $name "* ]] || return 0
  for try in 1 2; do
    timeout "$limit" "${emulator[@]}" "$cli" "$@" > out.txt 2> err.txt < /dev/null; rc=$?
    # Emulated, a process is now and then lost outright; a fault of the program comes back.
    [ "$mode" = smoke ] && ! [[ $rc =~ ^(0|1|2|124)$ ]] || break
  done
  for f in out.txt err.txt; do tr -d '\r' < "$f" > "$f~" && mv "$f~" "$f"; done  # UTF-8, CRLF
  [ "$rc" = "$code" ] || why+="exit $rc, expected $code; "
  [ -s out.txt ] || [ -s err.txt ] || why+="printed nothing (every call prints a line: did it start?); "
  [ "$code" != 2 ] || [ ! -s out.txt ] || why+="a usage error on stdout; "
  grep -qE -- "$pattern" err.txt $([ "$code" = 2 ] || echo out.txt) || why+="no line matches '$pattern'; "
  if [ "$want" = absent ]; then [ ! -e "$file" ] || why+="$file was written; "
  elif [ "$file" != - ]; then
    got=$(identify -format '%m %wx%h\n' "$file" 2>/dev/null | head -n 1)
    [[ ${got/#BMP3 /BMP } =~ ^${want% gray}$ ]] || why+="identify says '$got' of $file, expected '${want% gray}'; "
    [[ $want != *" gray" ]] || gray "$file" || why+="$file is not gray; "
  fi
  [ -z "$why" ] && { passed=$((passed + 1)); return; }
  failed=$((failed + 1))
  echo "FAIL [$name] pixet-cli $*: $why stdout: $(head -c 300 out.txt | tr '\n' '|') stderr: $(head -c 300 err.txt | tr '\n' '|')"
}

# Help and argument errors of every subcommand; help wins over everything else.
t help 0 'usage: pixet-cli COMMAND' - - --help
t no-command 2 'usage: pixet-cli COMMAND' - -
t unknown 2 "unknown command 'frobnicate'" - - frobnicate photo.png
t convert-help 0 'usage: pixet-cli convert' out.png absent convert photo.png out.png --help
t convert-args 2 'usage: pixet-cli convert' - - convert photo.png
t ext 2 '--ext goes with --to' - - convert photo.png a.jpg --ext bmp
t gray-args 2 'no sources' - - gray --to grays
t load-args 2 'usage: pixet-cli load' - - load
t copy-args 2 'usage: pixet-cli copy' - - copy photo.png halves.png
t paste-args 2 'usage: pixet-cli paste' - - paste
t show-as 2 '--as takes background, control or draw' - - show photo.png --as sideways
t resources-args 2 'usage: pixet-cli resources' - - resources a.dll b.dll
t save-args 2 'usage: pixet-cli save-resource' - - save-resource SNAP
t capture-args 2 'usage: pixet-cli capture' - - capture rect wide.png r.bmp 0 0 ten 10
# X Y W H are 32-bit whole numbers: one past the range, or a number with a unit, is refused.
t rect-range 2 "X takes a whole number from -2147483648 to 2147483647, not '2147483648'" range.bmp absent capture rect wide.png range.bmp 2147483648 0 50 40
t rect-junk 2 "H takes a whole number .*, not '40px'" junk.bmp absent capture rect wide.png junk.bmp 0 0 50 40px
# Ranges at both ends: workers from 1 to 64, a time limit above 0.
t jobs-0 2 '-j takes a number of workers from 1 to 64' j0 absent convert photo.png --to j0 -j 0
t jobs-65 2 '-j takes a number of workers from 1 to 64' j65 absent convert photo.png --to j65 -j 65
t jobs-64 0 'wrote j64.photo.png' j64/photo.png 'PNG 64x48' convert photo.png --to j64 -j 64
t timeout-0 2 "--timeout takes a number of seconds, not '0'" - - load "https://localhost:$tls/photo.png" --timeout 0
t capture-extra 2 'usage: pixet-cli capture' extra.bmp absent capture window wide.png extra.bmp more
# convert and gray. Success needs a file this call made: a missing source writes nothing
# although the library reports success, and the file from before must not pass for it.
for f in bmp:BMP jpg:JPEG png:PNG tif:TIFF; do
  t "to-${f%:*}" 0 "wrote to.${f%:*}" "to.${f%:*}" "${f#*:} 64x48" convert photo.png "to.${f%:*}"
done
t to-gif 0 'wrote palette.gif' palette.gif 'GIF 40x30' convert palette.png palette.gif
# GIF from any source: a photo, a grey copy, an alpha image, one pixel, one row of 300
# colours, 400 colours, a batch.
convert -size 1x1 xc:'#336699' PNG24:dot.png
convert -size 300x1 gradient:red-blue PNG24:line.png
convert -size 20x20 xc: -sparse-color barycentric '0,0 red 19,0 blue 0,19 lime' -depth 8 PNG24:colours.png
t gif-photo 0 'wrote photo.gif' photo.gif 'GIF 64x48' convert photo.jpg photo.gif
t gif-gray 0 'wrote gray.gif' gray.gif 'GIF 64x48 gray' gray photo.jpg gray.gif
t gif-alpha 0 'wrote alpha.gif' alpha.gif 'GIF 32x32' convert transparent.png alpha.gif
t gif-dot 0 'wrote dot.gif' dot.gif 'GIF 1x1' convert dot.png dot.gif
t gif-line 0 'wrote line.gif' line.gif 'GIF 300x1' convert line.png line.gif
t gif-colours 0 'wrote colours.gif' colours.gif 'GIF 20x20' convert colours.png colours.gif
t gif-batch 0 'wrote gifs.halves.gif' gifs/halves.gif 'GIF 40x30' convert photo.png halves.png --to gifs --ext gif
# Each as close to its source as ImageMagick's own GIF of it, less 1 dB (PSNR); up to 256
# colours exactly; fully transparent pixels still so, the others opaque and unchanged.
psnr() { local out; out=$(compare -metric PSNR "$1" "$2" null: 2>&1); awk '{ print ($1 == "inf" ? 999 : $1) }' <<<"$out"; }
same() { [ "$(compare -metric AE "$1" "$2" null: 2>&1)" = 0 ]; }
if [ "$mode" = full ]; then
  for pair in photo.jpg:photo.gif line.png:line.gif colours.png:colours.gif photo.png:gifs/photo.gif; do
    src=${pair%:*} gif=${pair#*:}
    convert "$src" "im-${gif//\//-}" && ours=$(psnr "$src" "$gif") && theirs=$(psnr "$src" "im-${gif//\//-}") &&
      awk -v a="$ours" -v b="$theirs" 'BEGIN { exit !(a >= b - 1) }' ||
      { echo "FAIL $gif: PSNR ${ours:-?} dB against ${theirs:-?} dB for ImageMagick's"; failed=$((failed + 1)); }
  done
  for pair in dot.png:dot.gif halves.png:gifs/halves.gif; do
    same "${pair%:*}" "${pair#*:}" || { echo "FAIL ${pair#*:} lost colours of ${pair%:*}"; failed=$((failed + 1)); }
  done
  for f in transparent.png alpha.gif; do convert "$f" -alpha extract "$f.alpha.pgm" && convert "$f" -background black -flatten "$f.rgb.ppm"; done
  same transparent.png.alpha.pgm alpha.gif.alpha.pgm && same transparent.png.rgb.ppm alpha.gif.rgb.ppm ||
    { echo "FAIL alpha.gif: transparency or colours differ from transparent.png"; failed=$((failed + 1)); }
fi
t bad-ext 1 'message: Invalid Format!' photo.xyz absent convert photo.png photo.xyz
t not-image 1 'no file at broken.png' broken.png absent convert not-image.png broken.png
t stale 1 'left stale.png as it was' stale.png 'PNG 64x48' convert missing.png stale.png
t rewrite 0 'wrote old.png' old.png 'PNG 64x48' convert photo.png old.png
t gray 0 'wrote gray.jpg' gray.jpg 'JPEG 64x48 gray' gray photo.png gray.jpg
t gray-fails 1 'message: Invalid Format!' gray.txt absent gray photo.png gray.txt
# Batches: PNG unless --ext says otherwise; a failing source fails the batch, the later
# ones are still written; as many sources as a shell glob gives.
t batch 0 'wrote batch.transparent.bmp' batch/transparent.bmp 'BMP 32x32' convert photo.png halves.png transparent.png --to batch --ext .bmp
t gray-batch 0 'wrote grays.halves.png' grays/halves.png 'PNG 40x30 gray' gray photo.png halves.png --to grays
t mixed 1 'no file at mixed.missing.tif' mixed/halves.tif 'TIFF 40x30' convert photo.png missing.png halves.png --to mixed --ext tif
t many 0 'wrote many-out.h70.jpg' many-out/h70.jpg 'JPEG 40x30' convert many/h*.png --to many-out --ext jpg
# A name that is all extension (".dotted") keeps it: the target is ".dotted.png".
cp photo.png .dotted
t dot-name 0 'wrote dots..dotted.png' dots/.dotted.png 'PNG 64x48' convert .dotted --to dots
# Two sources whose targets are one file on Windows are refused before any work: the same
# name, letter case (CP1252 letters too), trailing dots and blanks (--ext . ends a target in
# a dot), the short name of a file in DIR (LONG~GLF.PNG is Wine's for longername.png), one
# Windows may generate (LONGER~1.PNG; Wine makes none such), other folders. ß and ss, or
# an inner blank, are files of their own.
mkdir -p tw/sub one && convert -size 3x3 xc:red one/longername.png
for f in straße.png strasse.jpg y.png "y .gif"; do cp photo.png "tw/$f"; done
while IFS='|' read -r name ext a b; do
  cp photo.png "tw/$a" && cp photo.png "tw/$b"
  t "twins-$name" 2 "tw/$a and tw/$b would both be written to" - - convert "tw/$a" "tw/$b" --to one --ext "$ext"
done <<'ROWS'
same|png|photo.png|photo.jpg
case|png|photo.png|PHOTO.gif
cp1252|png|Été.png|éTÉ.jpg
diaeresis|bmp|ÿ.png|Ÿ.jpg
dots|.|x.jpg|x .gif
short|png|longername.jpg|LONG~GLF.gif
windows-short|png|longer.name.jpg|LONGER~1.gif
folders|png|sub/../a.png|./sub/A.gif
ROWS
[ "$mode" != full ] || { [ "$(ls one)" = longername.png ] && [ "$(identify -format %wx%h one/longername.png)" = 3x3 ]; } ||
  { echo "FAIL refused batches wrote into one/: $(ls one | tr '\n' ' ')"; failed=$((failed + 1)); }
t twins-not 0 'wrote two.y .png' two/strasse.png 'PNG 64x48' convert tw/straße.png tw/strasse.jpg tw/y.png "tw/y .gif" --to two
# -j N workers: a mixed batch gives the same files byte for byte, lines and exit code as
# one worker; with a bad extension, one message per source. Progress only on a terminal.
mix=(photo.png missing.png halves.png not-image.png 7 transparent.png palette.png many/h0{1..7}.png)
t twins-j 2 'would both be written to' twins absent convert photo.png photo.jpg --to twins -j 4
for j in 1 4; do
  t "jobs-$j" 1 "no file at j$j.missing.png" "j$j/h07.png" 'PNG 40x30' convert "${mix[@]}" --to "j$j" -j $j
  sed "s/j$j\\\\/J/" out.txt > "j$j.out" && cp err.txt "j$j.err"
  t "jobs-msg-$j" 1 'message: Invalid Format!' - - gray "${mix[@]}" --to "m$j" --ext xyz -j $j
  sed "s/m$j\\\\/M/" out.txt > "m$j.out" && grep -c '^message: Invalid Format!$' err.txt > "m$j.err"
done
[ "$mode" != full ] || ( cmp j1.out j4.out && cmp j1.err j4.err && ! grep -q done j4.err && cmp m1.out m4.out &&
  [ "$(cat m1.err m4.err)" = "$(printf '%s\n' ${#mix[@]} ${#mix[@]})" ] && diff <(ls j1) <(ls j4) &&
  for f in j1/*; do cmp "$f" "j4/${f#j1/}" || exit 1; done ) >/dev/null 2>&1 ||
  { echo "FAIL -j 4 and -j 1 differ: $(diff j1.out j4.out | head -c 300 | tr '\n' '|')"; failed=$((failed + 1)); }
[ "$mode" != full ] || [[ $(script -qc "$(printf '%q ' "${emulator[@]}" "$cli") convert ${mix[*]} --to tty 2>&1 >/dev/null" \
  /dev/null | sed 's/\x1b\[[0-9;?]*[a-zA-Z]//g') =~ ${#mix[@]}\ *of\ *${#mix[@]}\ *done ]] ||
  { echo "FAIL no progress line on a terminal"; failed=$((failed + 1)); }
# load, copy, paste.
t load 0 'starting "BM".*showing 64x48' - - load photo.jpg
t load-missing 1 'showing 0x0' - - load missing.png
t load-http 0 'starting "BM".*showing 64x48' - - load "http://127.0.0.1:$port/photo.png"
t load-https 0 'LoadImageFromWeb -> 1' - - load "https://localhost:$tls/photo.png"
t load-https-capitals 0 'LoadImageFromWeb -> 1' - - load "HTTPS://localhost:$tls/photo.png"
limit=8 t load-https-timeout 1 'message: The web server did not answer in time' - - load "https://localhost:$tls/stall.png" --timeout 1
t load-closed 1 'message: An error occurred calling InternetOpenUrl' - - load "http://127.0.0.1:$closed_port/a.png"
t copy 0 'clipboard holds a 40x30 bitmap' - - copy halves.png
t paste 0 'wrote pasted.bmp' pasted.bmp 'BMP 40x30' paste pasted.bmp
t copy-missing 1 'message: There was an error while loading the bitmap' - - copy missing.png
t paste-fails 1 'no file at no-folder.pasted.bmp' no-folder/pasted.bmp absent paste no-folder/pasted.bmp
# Transparency through the clipboard: PNG and CF_DIBV5 with alpha, pasted back with it.
t copy-alpha 0 'clipboard holds a 32x32 CF_DIBV5 of 32 bits with alpha' - - copy transparent.png --alpha
t paste-alpha 0 'wrote pasted-alpha.png' pasted-alpha.png 'PNG 32x32' paste pasted-alpha.png
[ "$mode" = smoke ] || { convert pasted-alpha.png -alpha extract pasted-alpha.pgm &&
  convert transparent.png -alpha extract transparent.pgm && same pasted-alpha.pgm transparent.pgm; } ||
  { echo "FAIL pasted-alpha.png lost the transparency of transparent.png"; failed=$((failed + 1)); }
t copy-option 2 'unknown option --beta' - - copy photo.png --beta
# The whole virtual screen and its first monitor; a monitor that does not exist writes nothing.
t screen 0 'wrote screen.png' screen.png "PNG $screen" capture screen screen.png
t screen-1 0 'wrote screen-1.bmp' screen-1.bmp "BMP $screen" capture screen 1 screen-1.bmp
t screen-none 1 'no file at screen-9.bmp' screen-9.bmp absent capture screen 9 screen-9.bmp
t screen-n 2 "N takes a monitor number from 0, not 'x'" - - capture screen x s.bmp
# show: the window's client area is captured.
t show 0 'showing the image' shown.bmp 'BMP 480x360' show photo.png --seconds 0.2 --capture shown.bmp
t show-missing 1 'showing nothing' - - show missing.png
t in-control 0 'DisplayImage -> 1' in-control.bmp 'BMP 480x360' show photo.png --as control --capture in-control.bmp
t drawn 0 'shows the drawn image' drawn.bmp 'BMP 480x360' show photo.png --as draw --capture drawn.bmp
# Resources of the test resource library.
t resources 0 '^SNAP +[1-9][0-9]* bytes' - - resources "$resources"
t resources-missing 1 'cannot load' - - resources missing.dll
t save-resource 0 'wrote snap.png' snap.png 'PNG 30x20' save-resource SNAP snap.png "$resources"
t no-resource 1 'left snap.png as it was' snap.png 'PNG 30x20' save-resource NOSUCH snap.png "$resources"
# Captures of a window sized to show wide.png (200x150); the frame adds to the client area.
t desktop 0 'wrote desktop.bmp' desktop.bmp "BMP $screen" capture desktop wide.png desktop.bmp
t client 0 'wrote client.bmp' client.bmp 'BMP 200x150' capture client wide.png client.bmp
t rect 0 'wrote rect.bmp' rect.bmp 'BMP 50x40' capture rect wide.png rect.bmp 10 20 50 40
t window 0 'wrote window.bmp' window.bmp 'BMP 2(0[1-9]|[1-9][0-9])x(1[6-9]|2[0-9])[0-9]' capture window wide.png window.bmp
t capture-missing 1 'cannot show missing.png' missing.bmp absent capture client missing.png missing.bmp
# The window showing wide.png is on the captured desktop: some of its yellow is there.
[ "$mode" != full ] || [ "$(convert desktop.bmp -fuzz 10% -fill black +opaque '#ffff00' -format '%[fx:mean>0]' info:)" = 1 ] ||
  { echo "FAIL desktop.bmp shows none of wide.png"; failed=$((failed + 1)); }
# Names no code page holds (Cyrillic, Greek, Chinese, beyond the BMP) in every command that
# takes one: files, folders, a module, a batch's folder.
mkdir -p фото && cp photo.jpg фото.jpg && cp photo.jpg фото/фото.jpg && cp halves.png "φωτο 🖼.png" &&
  cp wide.png 宽.png && cp "$resources" ресурсы.dll
t u-convert 0 'wrote фото.png' фото.png 'PNG 64x48' convert фото.jpg фото.png
t u-folder 0 'wrote фото/照片.tif' фото/照片.tif 'TIFF 64x48' convert фото/фото.jpg фото/照片.tif
t u-gray 0 'wrote серый 😀.jpg' "серый 😀.jpg" 'JPEG 40x30 gray' gray "φωτο 🖼.png" "серый 😀.jpg"
t u-batch 0 'wrote 照片.φωτο 🖼.gif' "照片/φωτο 🖼.gif" 'GIF 40x30' convert фото/фото.jpg "φωτο 🖼.png" --to 照片 --ext gif
t u-load 0 'starting "BM".*showing 64x48' - - load фото/фото.jpg
t u-load-http 0 'starting "BM".*showing 64x48' - - load "http://127.0.0.1:$port/фото-😀.png"
t u-load-https 0 'LoadImageFromWeb -> 1' - - load "https://localhost:$tls/照片.png"
t u-copy 0 'clipboard holds a 40x30 bitmap' - - copy "φωτο 🖼.png"
t u-paste 0 'wrote вставка.bmp' вставка.bmp 'BMP 40x30' paste вставка.bmp
t u-show 0 'showing the image' снимок.bmp 'BMP 480x360' show фото/фото.jpg --seconds 0.2 --capture снимок.bmp
t u-drawn 0 'shows the drawn image' - - show "φωτο 🖼.png" --as draw
t u-resources 0 '^SNAP +[1-9][0-9]* bytes' - - resources ресурсы.dll
t u-save-resource 0 'wrote ресурс 😀.png' "ресурс 😀.png" 'PNG 30x20' save-resource SNAP "ресурс 😀.png" ресурсы.dll
t u-client 0 'wrote окно.bmp' окно.bmp 'BMP 200x150' capture client 宽.png окно.bmp
t u-desktop 0 'wrote 桌面.bmp' 桌面.bmp "BMP $screen" capture desktop 桌面.bmp

echo "cli ($mode): $passed cases passed, $failed failed"
[ "$failed" -eq 0 ]
