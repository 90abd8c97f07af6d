#!/usr/bin/env bash
# Makes the streaming benchmark's videos into FOLDER (once): H.264 in MP4 with its movie box first,
# at a constant 4 Mbit/s, about 20 MB and 200 MB.
set -euo pipefail
folder=$1
mkdir -p "$folder"
make_video() {  # name seconds
  [ -s "$folder/$1" ] && return 0
  ffmpeg -loglevel error -y -f lavfi -i "testsrc2=size=640x360:rate=25" -t "$2" -c:v libx264 -preset ultrafast \
    -pix_fmt yuv420p -x264-params nal-hrd=cbr -b:v 4M -minrate 4M -maxrate 4M -bufsize 2M \
    -movflags +faststart -f mp4 "$folder/$1.part"
  mv "$folder/$1.part" "$folder/$1"
}
make_video video-20mb.mp4 40
make_video video-200mb.mp4 400
