#!/usr/bin/env bash
# Draws the launcher's banner once: 250 x 100, two frames of 1.5 s, looping without end, one
# 256-colour global colour table. The result, banner.gif, is committed; rerun only to redraw it.
set -euo pipefail
cd "$(dirname "$0")"
font=/usr/share/fonts/opentype/noto/NotoSansCJK-Bold.ttc
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

sky() { convert -size 250x100 gradient:"$1"-"$2" -rotate -90 -resize 250x100! "$3"; }

sky '#17245f' '#2f6fc0' "$work/back1.png"
convert "$work/back1.png" \
  -fill '#ffd54a' -draw 'polygon 22,18 25,26 34,26 27,31 30,40 22,35 14,40 17,31 10,26 19,26' \
  -fill white -draw 'polygon 54,14 54,70 86,70' -fill '#d9e6f7' -draw 'polygon 50,26 50,70 30,70' \
  -fill '#ffd54a' -draw 'polygon 26,74 90,74 82,86 34,86' \
  -font "$font" -pointsize 30 -fill white -annotate +100+46 '星帆导航' \
  -pointsize 12 -fill '#cfe3ff' -annotate +101+72 '影视·动漫·软件 一站直达' \
  "$work/frame1.png"

sky '#7a1f1f' '#e0632a' "$work/back2.png"
convert "$work/back2.png" \
  -fill '#ffd54a' -draw 'circle 40,50 40,22' -fill '#b8401c' -font "$font" -pointsize 30 -annotate +25+61 '蛋' \
  -fill white -pointsize 22 -annotate +84+42 '注册领新人奖励' \
  -pointsize 13 -fill '#ffe9b0' -annotate +86+70 '点击此处 · 完成任务得 1QB' \
  "$work/frame2.png"

convert "$work/frame1.png" "$work/frame2.png" +append +dither -colors 256 "$work/palette.png"
convert -delay 150 -loop 0 "$work/frame1.png" "$work/frame2.png" -remap "$work/palette.png" -strip banner.gif
