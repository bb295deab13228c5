#!/usr/bin/env bash
# Draws the bundled sample pictures (no outside images): gradients, shapes and noise in every
# format the viewer lists. Needs ImageMagick's `convert`. Run from the top of the tree.
set -euo pipefail
out=samples
mkdir -p "$out"
rm -f "$out"/*

# Large enough (over 30000 bytes) for the slideshow.
convert -size 1280x800 gradient:'#1e3c72-#2a5298' \
    -fill '#f4d03f' -draw 'circle 900,250 900,330' \
    -fill '#145a32' -draw 'polygon 0,800 300,420 620,800' -draw 'polygon 380,800 760,360 1140,800' \
    -attenuate 0.15 +noise Gaussian -quality 88 "$out/山谷日出.jpg"
convert -size 1024x768 plasma:'#ff9966-#ff5e62' -blur 0x2 -quality 85 "$out/晚霞.jpg"
convert -size 640x960 gradient:'#0f2027-#2c5364' -fill white \
    -draw 'rectangle 280,120 360,840' -draw 'circle 320,120 320,60' -attenuate 0.8 +noise Gaussian \
    -quality 90 "$out/tall-tower.jpg"
convert -size 400x300 xc:'#fdfefe' -fill '#c0392b' -draw 'rectangle 40,40 360,260' \
    -fill '#f7dc6f' -draw 'circle 200,150 200,90' "BMP3:$out/flag.bmp"
convert -size 1600x500 gradient:'#83a4d4-#b6fbff' -fill '#34495e' \
    -draw 'polygon 0,500 200,260 420,500' -draw 'polygon 300,500 700,180 1100,500' \
    -draw 'polygon 900,500 1250,240 1600,500' -attenuate 0.1 +noise Gaussian -quality 85 "$out/panorama wide.jpg"

# Small pictures of the other formats.
convert -size 320x240 radial-gradient:'#ffffff-#8e44ad' "$out/purple.png"
convert -size 160x160 xc:'#2ecc71' -fill '#1d8348' -draw 'circle 80,80 80,20' "$out/green-dot.gif"
convert -size 300x200 gradient:'#f39c12-#d35400' -compress lzw "$out/orange.tif"
convert -size 256x256 pattern:checkerboard -fill '#2980b9' -colorize 40 "$out/A checker.png"
convert -size 200x400 gradient:'#e8daef-#512e5f' -quality 90 "$out/b-portrait.jpg"
ls -l "$out"
