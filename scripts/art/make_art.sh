#!/usr/bin/env bash
# Draws every picture of the runtime tree and the tool-bar icons with ImageMagick and the
# WenQuanYi Micro Hei font. Run from anywhere: scripts/art/make_art.sh
# Writes:
#   dist/bin/jpg/appStart.jpg (449x519), appMain.jpg (1280x800), appAbout.jpg (400x160)
#   dist/html/nocover.bmp (200x275, the size the detail page shows a cover at)
#   dist/bookimages/cover01..12.jpg (120x160), nocover.bmp (120x160)
#   dist/bookimages/big/cover01..08.jpg (300x400), big/nocover.bmp (300x400)
#   src/app/icons/*.png (32x32)
# Covers 09-12 deliberately have no large picture, so the large fallback can be seen.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
FONT=$(fc-list | grep -i 'wqy-microhei\.ttc' | head -n1 | cut -d: -f1)
if [[ -z "$FONT" ]]; then
  echo "make_art.sh: the WenQuanYi Micro Hei font (fonts-wqy-microhei) is needed" >&2
  exit 1
fi
command -v convert >/dev/null || { echo "make_art.sh: ImageMagick is needed" >&2; exit 1; }

JPG="$ROOT/dist/bin/jpg"
HTML="$ROOT/dist/html"
IMG="$ROOT/dist/bookimages"
ICONS="$ROOT/src/app/icons"
mkdir -p "$JPG" "$HTML" "$IMG/big" "$ICONS"
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT

# Palette of the program.
BG='#BBC8D3'       # window background
TITLE='#748490'    # grid titles
TAB='#D7DCE0'      # tab background
DEEP='#3E5364'     # dark text
SEAL='#B8483A'     # accent red

# JPEG without metadata, quality 82, 4:2:0.
JOPT=(-strip -quality 82 -sampling-factor 2x2 -interlace none)
# 8-bit palette BMP (version 3, uncompressed): small and read by every decoder.
bmp() { convert "$1" -strip -background white -alpha remove -colors 64 -type Palette "BMP3:$2"; }

# A pile of lying books, drawn into an existing image with its lower left corner at x,y.
# Arguments: image, x, y, scale (1 = 200 pixels wide).
book_pile() {
  local img=$1 x=$2 y=$3 s=$4
  local -a colours=('#4A6378' "$SEAL" "$TITLE" '#5E8C6A')
  local -a widths=(200 176 188 164)
  local -a offs=(0 14 4 22)
  local h=30 i top left right
  local draw=""
  for i in 0 1 2 3; do
    top=$(awk "BEGIN{print $y - ($i + 1) * $h * $s}")
    left=$(awk "BEGIN{print $x + ${offs[$i]} * $s}")
    right=$(awk "BEGIN{print $left + ${widths[$i]} * $s}")
    bottom=$(awk "BEGIN{print $top + ($h - 3) * $s}")
    pagel=$(awk "BEGIN{print $right - 14 * $s}")
    band=$(awk "BEGIN{print $left + 26 * $s}")
    bandr=$(awk "BEGIN{print $band + 10 * $s}")
    draw+=" fill ${colours[$i]} roundrectangle $left,$top $right,$bottom $(awk "BEGIN{print 4*$s}"),$(awk "BEGIN{print 4*$s}")"
    draw+=" fill #F7F4EC rectangle $pagel,$(awk "BEGIN{print $top + 4 * $s}") $(awk "BEGIN{print $right - 2 * $s}"),$(awk "BEGIN{print $bottom - 4 * $s}")"
    draw+=" fill #FFFFFF55 rectangle $band,$top $bandr,$bottom"
  done
  convert "$img" -stroke none -draw "$draw" "$img"
}

# ---------------------------------------------------------------- splash 449x519
convert -size 449x519 gradient:'#F3F6F9'-"$BG" \
  -fill "$TITLE" -draw 'rectangle 0,0 449,58' \
  -fill '#FFFFFF' -font "$FONT" -pointsize 17 -gravity northwest \
  -annotate +24+18 '高校教材 · 图书征订' \
  -gravity northeast -annotate +24+18 '版本 1.2' \
  "$TMP/start.png"
book_pile "$TMP/start.png" 124 252 1
convert "$TMP/start.png" \
  -fill "$DEEP" -font "$FONT" -gravity north -pointsize 92 -annotate +0+262 '征订' \
  -fill "$TITLE" -pointsize 30 -annotate +0+382 '教材征订系统' \
  -stroke "$TITLE" -strokewidth 1 -draw 'line 84,436 365,436' -stroke none \
  -fill "$DEEP" -pointsize 15 -annotate +0+448 '选书  ·  购物车  ·  订单  ·  邮件发送' \
  -fill "$TITLE" -pointsize 13 -gravity south -annotate +0+18 '正在启动，请稍候……' \
  -fill "$SEAL" -draw 'rectangle 0,515 449,519' \
  "${JOPT[@]}" "$JPG/appStart.jpg"

# ---------------------------------------------------------------- main background 1280x800
convert -size 1280x800 gradient:'#F2F5F8'-'#D3DCE4' \
  \( -size 1280x800 xc:none -font "$FONT" -pointsize 380 -fill "${TITLE}1C" \
     -gravity center -annotate +180-40 '征订' \) -composite \
  "$TMP/main.png"
# A quiet shelf of spines along the bottom.
shelf=""
x=60
i=0
heights=(150 120 170 135 160 110 145 175 125 155 140 165 118 150 130)
shades=('#B4C2CE' '#C2CDD7' '#ABBAC7' '#CAD4DD' '#B8C5D0' '#BECAD4')
for h in "${heights[@]}"; do
  w=$(( 34 + (i * 7) % 18 ))
  shelf+=" fill ${shades[$(( i % 6 ))]} rectangle $x,$(( 740 - h )) $(( x + w )),740"
  shelf+=" fill #FFFFFF40 rectangle $x,$(( 740 - h + 18 )) $(( x + w )),$(( 740 - h + 24 ))"
  x=$(( x + w + 4 ))
  i=$(( i + 1 ))
done
convert "$TMP/main.png" -stroke none -draw "$shelf" \
  -fill '#AEBCC8' -draw 'rectangle 40,740 1240,747' \
  -fill "$TITLE" -font "$FONT" -gravity southeast -pointsize 30 -annotate +60+92 '征订 · 教材征订系统' \
  -fill '#8D9CA8' -pointsize 16 -annotate +62+64 '分类浏览  版别浏览  检索书目  购物车  订单查询' \
  "${JOPT[@]}" "$JPG/appMain.jpg"

# ---------------------------------------------------------------- about 400x160
convert -size 160x400 gradient:'#E9EEF2'-"$BG" -rotate 90 \
  -fill "$TITLE" -draw 'roundrectangle 22,28 126,132 14,14' \
  -fill '#FFFFFF' -font "$FONT" -pointsize 64 -gravity northwest -annotate +42+40 '征' \
  -fill "$SEAL" -draw 'rectangle 40,116 108,121' \
  -fill "$DEEP" -pointsize 24 -annotate +146+34 '征订 · 教材征订系统' \
  -fill "$TITLE" -pointsize 13 -annotate +148+76 '学校与书店的教材征订助手' \
  -annotate +148+96 '浏览书目  放入购物车  制作并发送订单' \
  -stroke "$TITLE" -strokewidth 1 -draw 'line 148,122 378,122' -stroke none \
  -fill '#5F6F7B' -pointsize 12 -annotate +148+128 '© 2027 征订项目组' \
  "${JOPT[@]}" "$JPG/appAbout.jpg"

# ---------------------------------------------------------------- "no cover" pictures
# Arguments: width, height, output.
nocover() {
  local w=$1 h=$2 out=$3 s
  s=$(awk "BEGIN{print $w / 120}")
  local bw bh bx by pt
  bw=$(awk "BEGIN{printf \"%d\", 44 * $s}")
  bh=$(awk "BEGIN{printf \"%d\", 56 * $s}")
  bx=$(( (w - bw) / 2 ))
  by=$(awk "BEGIN{printf \"%d\", $h * 0.22}")
  pt=$(awk "BEGIN{printf \"%d\", 15 * $s}")
  convert -size "${w}x${h}" xc:'#E6EAEE' \
    -fill none -stroke '#A5B2BD' -strokewidth "$(awk "BEGIN{print 1.5*$s}")" \
    -draw "stroke-dasharray $(awk "BEGIN{print 6*$s}") $(awk "BEGIN{print 4*$s}") rectangle $(awk "BEGIN{print 4*$s}"),$(awk "BEGIN{print 4*$s}") $(awk "BEGIN{print $w-5*$s}"),$(awk "BEGIN{print $h-5*$s}")" \
    -stroke none -fill '#B7C3CD' \
    -draw "roundrectangle $bx,$by $(( bx + bw )),$(( by + bh )) $(awk "BEGIN{print 3*$s}"),$(awk "BEGIN{print 3*$s}")" \
    -fill '#E6EAEE' -draw "rectangle $(( bx + bw - bw / 6 )),$(( by + bh / 12 )) $(( bx + bw - bw / 12 )),$(( by + bh - bh / 12 ))" \
    -fill '#9AA9B6' -draw "rectangle $(( bx + bw / 5 )),$(( by + bh / 4 )) $(( bx + bw * 3 / 5 )),$(( by + bh / 4 + bh / 12 ))" \
    -fill "$TITLE" -font "$FONT" -pointsize "$pt" -gravity north \
    -annotate "+0+$(awk "BEGIN{printf \"%d\", $by + $bh + 14 * $s}")" '暂无封面' \
    -fill '#9AA9B6' -pointsize "$(awk "BEGIN{printf \"%d\", 9 * $s}")" \
    -annotate "+0+$(awk "BEGIN{printf \"%d\", $by + $bh + 36 * $s}")" 'NO COVER' \
    "$TMP/nocover.png"
  bmp "$TMP/nocover.png" "$out"
}
nocover 120 160 "$IMG/nocover.bmp"
nocover 300 400 "$IMG/big/nocover.bmp"
nocover 200 275 "$HTML/nocover.bmp"

# ---------------------------------------------------------------- covers
# Invented titles and publishers. Fields: number|colour|title lines (\n)|series|publisher|style
covers=(
  "01|#2F5D8A|高等数学\n上册|普通高等教育规划教材|东篱教育出版社|0"
  "02|#8A3B2F|大学英语\n综合教程|大学英语系列教材|青岚大学出版社|1"
  "03|#2E7D5B|计算机\n应用基础|高职高专计算机教材|云麓科技出版社|2"
  "04|#6A4C93|有机化学|普通高等教育规划教材|东篱教育出版社|1"
  "05|#B7791F|机械制图|高职高专机电类教材|云麓科技出版社|0"
  "06|#2C7A7B|电工电子\n技术|高职高专机电类教材|云麓科技出版社|2"
  "07|#9B2C5A|会计学\n原理|经济管理类核心课程教材|青岚大学出版社|0"
  "08|#A33A2A|中国近现代\n史纲要|思想政治理论课教材|东篱教育出版社|1"
  "09|#3D5A80|大学物理|普通高等教育规划教材|青岚大学出版社|2"
  "10|#4A7C2F|数据结构|高等学校计算机教材|云麓科技出版社|0"
  "11|#7A5230|管理学\n基础|经济管理类核心课程教材|东篱教育出版社|2"
  "12|#37474F|经济法\n概论|法学专业基础教材|青岚大学出版社|1"
)
# Draws one cover at 300x400 into $2.
cover() {
  local colour=$1 title=$2 series=$3 press=$4 style=$5 out=$6
  local deco
  case $style in
    0) deco="fill #FFFFFF22 circle 250,250 250,120 fill #FFFFFF18 circle 40,330 40,250" ;;
    1) deco="fill #FFFFFF20 polygon 0,270 300,160 300,215 0,325 fill #00000018 polygon 0,325 300,215 300,240 0,350" ;;
    *) deco="fill #FFFFFF1C rectangle 0,150 300,158 fill #FFFFFF1C rectangle 0,168 300,172 fill #FFFFFF30 rectangle 236,0 252,352" ;;
  esac
  convert -size 300x400 xc:"$colour" \
    -draw "$deco" \
    -fill '#00000030' -draw 'rectangle 0,0 10,400' \
    -fill '#FFFFFFE0' -font "$FONT" -pointsize 15 -gravity northwest -annotate +28+26 "$series" \
    -fill '#FFFFFF90' -draw 'rectangle 28,52 120,54' \
    -fill '#FFFFFF' -stroke '#FFFFFF' -strokewidth 0.8 -pointsize 40 -interline-spacing 6 \
    -annotate +28+84 "$(printf '%b' "$title")" -stroke none \
    -fill '#F4F1EA' -draw 'rectangle 0,352 300,400' \
    -fill "$colour" -pointsize 17 -gravity south -annotate +0+14 "$press" \
    "$out"
}
for c in "${covers[@]}"; do
  IFS='|' read -r num colour title series press style <<<"$c"
  cover "$colour" "$title" "$series" "$press" "$style" "$TMP/c$num.png"
  convert "$TMP/c$num.png" -filter Lanczos -resize 120x160 "${JOPT[@]}" "$IMG/cover$num.jpg"
  if (( 10#$num <= 8 )); then
    convert "$TMP/c$num.png" "${JOPT[@]}" "$IMG/big/cover$num.jpg"
  fi
done

# ---------------------------------------------------------------- tool-bar and menu icons
# Each icon is drawn at 128x128 on a transparent ground and scaled to 32x32.
icon() {
  local name=$1; shift
  convert -size 128x128 xc:none "$@" -filter Lanczos -resize 32x32 -strip "PNG32:$ICONS/$name.png"
}
icon browse_category -stroke none \
  -fill '#3F7CB8' -draw 'roundrectangle 10,10 60,60 10,10' \
  -fill '#E3A02F' -draw 'roundrectangle 68,10 118,60 10,10' \
  -fill '#4F9D66' -draw 'roundrectangle 10,68 60,118 10,10' \
  -fill "$SEAL"   -draw 'roundrectangle 68,68 118,118 10,10' \
  -fill '#FFFFFFB0' -draw 'rectangle 20,30 50,38 rectangle 78,30 108,38 rectangle 20,88 50,96 rectangle 78,88 108,96'
icon browse_publisher -stroke none \
  -fill '#3F7CB8' -draw 'roundrectangle 12,24 38,112 5,5' \
  -fill "$SEAL"   -draw 'roundrectangle 42,12 68,112 5,5' \
  -fill '#4F9D66' -draw 'roundrectangle 72,32 98,112 5,5' \
  -fill '#E3A02F' -draw 'polygon 100,40 122,46 108,114 86,108' \
  -fill '#FFFFFFC0' -draw 'rectangle 12,40 38,46 rectangle 42,28 68,34 rectangle 72,48 98,54' \
  -fill '#5A6873' -draw 'roundrectangle 4,112 124,122 3,3'
icon plan115 -stroke none \
  -fill '#2F5D8A' -draw 'roundrectangle 18,8 108,120 8,8' \
  -fill '#F4F1EA' -draw 'rectangle 96,14 104,114' \
  -fill '#1F3F60' -draw 'rectangle 18,8 30,120' \
  -fill "$SEAL" -draw 'polygon 76,8 92,8 92,44 84,36 76,44' \
  -fill '#F2C230' -draw 'polygon 62,52 69,70 88,70 73,82 79,101 62,89 45,101 51,82 36,70 55,70'
icon search -stroke none \
  -fill '#4B5A66' -draw 'polygon 74,84 86,72 122,108 110,120' \
  -fill '#DCEBF7' -stroke '#3F7CB8' -strokewidth 12 -draw 'circle 52,52 52,14' \
  -stroke none -fill '#FFFFFFC0' -draw 'ellipse 40,38 12,7 200,330'
icon cart -fill none -stroke '#3F7CB8' -strokewidth 10 -draw 'stroke-linejoin round polyline 6,20 26,20 40,86 104,86' \
  -stroke none -fill '#3F7CB8' -draw 'polygon 30,32 120,32 108,74 38,74' \
  -fill '#E3A02F' -draw 'rectangle 48,18 66,62' -fill "$SEAL" -draw 'rectangle 70,24 86,62' \
  -fill '#4F9D66' -draw 'rectangle 90,30 104,62' \
  -fill '#3F7CB8' -draw 'rectangle 36,60 112,74' \
  -fill '#4B5A66' -draw 'circle 48,106 48,94 circle 96,106 96,94' \
  -fill '#FFFFFF' -draw 'circle 48,106 48,101 circle 96,106 96,101'
icon order_query -stroke '#6E7E8A' -strokewidth 4 -fill '#FFFFFF' \
  -draw 'polygon 14,6 74,6 94,26 94,118 14,118' \
  -fill '#D5DEE5' -draw 'polygon 74,6 74,26 94,26' -stroke none \
  -fill '#748490' -draw 'rectangle 26,36 80,42 rectangle 26,52 80,58 rectangle 26,68 62,74 rectangle 26,84 54,90' \
  -fill '#4B5A66' -draw 'polygon 96,100 104,92 124,112 116,120' \
  -fill '#DCEBF7' -stroke '#3F7CB8' -strokewidth 9 -draw 'circle 84,88 84,66'
icon agency -stroke none \
  -fill '#F4F1EA' -draw 'rectangle 18,56 110,118' \
  -fill "$SEAL" -draw 'polygon 6,58 64,12 122,58' \
  -fill '#FFFFFF' -draw 'rectangle 18,58 110,74' \
  -fill "$SEAL" -draw 'rectangle 18,58 33,74 rectangle 48,58 63,74 rectangle 78,58 93,74' \
  -fill '#3F7CB8' -draw 'rectangle 52,84 76,118 rectangle 26,84 44,100 rectangle 84,84 102,100' \
  -fill '#5A6873' -draw 'rectangle 8,116 120,122' \
  -fill none -stroke '#B8A89A' -strokewidth 3 -draw 'rectangle 18,56 110,118'
icon press -stroke none \
  -fill '#5F7384' -draw 'polygon 8,42 64,8 120,42' \
  -fill '#5F7384' -draw 'rectangle 12,42 116,52' \
  -fill '#7D909F' -draw 'rectangle 20,56 34,104 rectangle 46,56 60,104 rectangle 70,56 84,104 rectangle 94,56 108,104' \
  -fill '#5F7384' -draw 'rectangle 12,104 116,112 rectangle 4,114 124,122' \
  -fill '#FFFFFF' -draw 'polygon 48,36 64,26 80,36'
icon guide -stroke none \
  -fill '#2E86C1' -draw 'circle 64,64 64,6' \
  -fill '#FFFFFF' -font "$FONT" -pointsize 92 -gravity center -annotate +0+4 '?'
icon exit -fill none -stroke '#C0392B' -strokewidth 14 \
  -draw 'stroke-linecap round arc 16,22 112,118 -50,230' \
  -draw 'stroke-linecap round line 64,10 64,62'

echo "pictures written under $ROOT/dist and $ICONS"
