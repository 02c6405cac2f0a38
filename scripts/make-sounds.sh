#!/usr/bin/env bash
# Regenerates the committed sounds under resources/sounds/: the game cues (synthesised with sox),
# the voice clips wave1 to wave20 (spoken by espeak-ng, a few made of sox noise) and default.wav,
# the blip played for a clip name that names no clip. Every file is a mono 16-bit PCM WAV. Needs
# sox and espeak-ng (Debian packages of the same names); the build itself needs neither.
#
# Clips 1 to 12 are offered in the game's sound menu; 13 to 20 are only played when received:
#   1 Doh, 2 Cough, 3 Hello, 4 Thank You, 5 Where have you been?, 6 Snoring, 7 Sneezing,
#   8 Sorry, 9 Welcome, 10 Yeehaa, 11 Yippee, 12 Oh No,
#   13 Nice one, 14 Oops, 15 Wow, 16 Hurry up, 17 Good game, 18 Bingo, 19 Hmm, 20 Ha ha.
#
# The output is reproducible: -R seeds sox's noise and dither the same way on every run.
set -euo pipefail

for tool in sox espeak-ng; do
  if ! command -v "$tool" >/dev/null; then
    echo "$tool is missing (apt-get install sox espeak-ng)" >&2
    exit 1
  fi
done

cd "$(dirname "$0")/.."
out="resources/sounds"
mkdir -p "$out"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

export SOX_OPTS="-R -q"
cue_rate=16000
# Cues hold nothing above 8 kHz; speech keeps well enough at 11 kHz, and the clips are the longer
# files, so they get the lower rate. Together the files stay near half a megabyte.
clip_rate=11025

# f NAME: path of the working file NAME.
f() { echo "$tmp/$1.wav"; }

# tone NAME LEN TYPE FREQ [EFFECT...]: a tone with a 4 ms attack that fades out over the rest of
# its length (FREQ may be a sweep such as 1400/250).
tone() {
  local name=$1 len=$2 type=$3 freq=$4
  shift 4
  local decay
  decay=$(awk -v l="$len" 'BEGIN { printf "%.4f", l - 0.004 }')
  sox -n -r "$cue_rate" -c 1 "$(f "$name")" synth "$len" "$type" "$freq" \
    fade q 0.004 "$len" "$decay" "$@"
}

# noise NAME LEN COLOUR [EFFECT...]: a noise burst with a 2 ms attack fading out over its length.
noise() {
  local name=$1 len=$2 colour=$3
  shift 3
  local decay
  decay=$(awk -v l="$len" 'BEGIN { printf "%.4f", l - 0.002 }')
  sox -n -r "$cue_rate" -c 1 "$(f "$name")" synth "$len" "$colour" \
    fade t 0.002 "$len" "$decay" "$@"
}

# bell NAME FREQ LEN: a struck bell: the fundamental, its octave and two inharmonic partials,
# the higher partials dying away sooner.
bell() {
  local name=$1 freq=$2 len=$3
  local p
  for p in 1 2 2.76 5.4; do
    local pf plen
    pf=$(awk -v f="$freq" -v p="$p" 'BEGIN { printf "%.1f", f * p }')
    plen=$(awk -v l="$len" -v p="$p" 'BEGIN { printf "%.3f", l / (p < 1.5 ? 1 : p / 1.5) }')
    tone "$name-$p" "$plen" sine "$pf" fade l 0 "$plen" "$plen"
  done
  sox -m -v 0.5 "$(f "$name-1")" -v 0.25 "$(f "$name-2")" -v 0.17 "$(f "$name-2.76")" \
    -v 0.08 "$(f "$name-5.4")" "$(f "$name")"
}

# delayed NAME SECONDS: NAME with SECONDS of silence in front, as NAME@SECONDS.
delayed() { sox "$(f "$1")" "$(f "$1@$2")" pad "$2"; }

# mix OUT IN...: the inputs played together.
mix() {
  local name=$1
  shift
  local args=() i
  for i in "$@"; do args+=("$(f "$i")"); done
  sox -m "${args[@]}" "$(f "$name")"
}

# concat OUT IN...: the inputs one after the other.
concat() {
  local name=$1
  shift
  local args=() i
  for i in "$@"; do args+=("$(f "$i")"); done
  sox "${args[@]}" "$(f "$name")"
}

# silence NAME LEN
silence() { sox -n -r "$cue_rate" -c 1 "$(f "$1")" trim 0 "$2"; }

# finish NAME RATE PEAK_DB: writes resources/sounds/NAME.wav from the working file NAME,
# normalised to PEAK_DB, mono 16-bit PCM at RATE.
finish() {
  sox "$(f "$1")" -r "$2" -c 1 -b 16 -e signed-integer "$out/$1.wav" norm "$3"
}

# ---- game cues ------------------------------------------------------------------------------

# pickupletter: a soft high blip that bends slightly upwards.
tone pickupletter 0.07 sine 1400:1760
finish pickupletter "$cue_rate" -9

# placeletter: a wooden click: a hollow knock with a short tick of noise on top.
tone knock 0.06 triangle 720 lowpass 2000
tone knock-body 0.09 sine 360
noise knock-tick 0.012 pinknoise band 2500 1500
mix placeletter knock knock-body knock-tick
finish placeletter "$cue_rate" -5

# swapletter: two quick blips, the second higher.
tone swap1 0.05 sine 1175
silence swap-gap 0.03
tone swap2 0.05 sine 1568
concat swapletter swap1 swap-gap swap2
finish swapletter "$cue_rate" -8

# goodword: a rising major arpeggio (C E G C) whose notes ring into each other.
i=0
for note in C5 E5 G5 C6; do
  len=0.28
  [[ $note == C6 ]] && len=0.42
  tone "gw-$note" "$len" triangle "$note"
  delayed "gw-$note" "$(awk -v i=$i 'BEGIN { print i * 0.08 }')"
  i=$((i + 1))
done
mix goodword gw-C5@0 gw-E5@0.08 gw-G5@0.16 gw-C6@0.24
finish goodword "$cue_rate" -4

# invalid: a low, slightly beating buzz.
tone buzz1 0.3 square 110 lowpass 900
tone buzz2 0.3 square 116.5 lowpass 900
mix invalid buzz1 buzz2
finish invalid "$cue_rate" -8

# tick: a short clock tick.
tone tick-tone 0.015 sine 3000
noise tick-noise 0.008 whitenoise highpass 2000
mix tick tick-tone tick-noise
finish tick "$cue_rate" -6

# timeup: four descending tones, the last held.
for note in G5 E5 C5; do tone "tu-$note" 0.13 triangle "$note"; done
tone tu-G4 0.32 triangle G4
concat timeup tu-G5 tu-E5 tu-C5 tu-G4
finish timeup "$cue_rate" -4

# turn: a single bell.
bell turn 880 0.8
finish turn "$cue_rate" -4

# turnnew: a two-note chime rising a fifth, marimba-like (fundamental and fourth harmonic).
for note in 1047 1568; do
  tone "tn-$note" 0.3 sine "$note"
  tone "tn-$note-h" 0.1 sine "$(awk -v f=$note 'BEGIN { print f * 4 }')"
  sox -m -v 0.8 "$(f "tn-$note")" -v 0.2 "$(f "tn-$note-h")" "$(f "tn-$note-m")"
done
delayed tn-1568-m 0.14
mix turnnew tn-1047-m tn-1568-m@0.14
finish turnnew "$cue_rate" -4

# gameover: a little fanfare: three quick rising notes, then a held major chord.
for note in G4 C5 E5; do tone "fan-$note" 0.1 square "$note" lowpass 2500; done
for note in C5 E5 G5; do tone "fan-chord-$note" 0.45 square "$note" lowpass 2500; done
mix fan-chord fan-chord-C5 fan-chord-E5 fan-chord-G5
concat gameover fan-G4 fan-C5 fan-E5 fan-chord
finish gameover "$cue_rate" -5

# entered: a door chime, ding-dong.
bell ding 659 0.5
bell dong 523 0.55
delayed dong 0.3
mix entered ding dong@0.3
finish entered "$cue_rate" -4

# pass: a soft whoosh.
sox -n -r "$cue_rate" -c 1 "$(f pass)" synth 0.3 pinknoise band 900 700 fade h 0.12 0.3 0.18
finish pass "$cue_rate" -12

# newtiles: tiles shuffled in the bag, a rattle of small clicks at uneven intervals.
parts=()
k=0
for gap in 0.02 0.035 0.015 0.04 0.025 0.03 0.018 0.045 0.022; do
  noise "rattle-$k" 0.012 whitenoise band "$((1800 + (k % 3) * 600))" 800 \
    vol "$(awk -v k=$k 'BEGIN { print 0.5 + (k * 7 % 5) / 10 }')"
  silence "rattle-gap-$k" "$gap"
  parts+=("rattle-$k" "rattle-gap-$k")
  k=$((k + 1))
done
concat newtiles "${parts[@]}"
finish newtiles "$cue_rate" -8

# clear: a quick sweep down.
tone clear 0.3 sine 1400/250
finish clear "$cue_rate" -8

# default: a short neutral blip.
tone default 0.09 sine 740
finish default "$cue_rate" -9

# ---- voice clips ----------------------------------------------------------------------------

# say NAME VOICE PITCH SPEED TEXT: TEXT spoken by espeak-ng, silence trimmed at both ends.
say() {
  local name=$1 voice=$2 pitch=$3 speed=$4 text=$5
  espeak-ng -v "$voice" -p "$pitch" -s "$speed" -w "$tmp/$name-raw.wav" "$text"
  sox "$tmp/$name-raw.wav" -r "$cue_rate" "$tmp/$name-trim.wav" \
    silence 1 0.005 0.5% reverse silence 1 0.005 0.5% reverse
  sox "$tmp/$name-trim.wav" "$(f "$name")" fade t 0.005 0 0.03
}

say wave1 en-us+m3 25 140 "dough!"

# wave2: a cough, three bursts of shaped noise with a little voiced rasp, the last one weaker.
for k in 1 2 3; do
  noise "cough-$k" 0.17 pinknoise band 650 900 lowpass 2500
  tone "cough-$k-v" 0.12 sawtooth 140 lowpass 800
  sox -m -v 0.8 "$(f "cough-$k")" -v 0.2 "$(f "cough-$k-v")" "$(f "cough-$k-m")" \
    vol "$(awk -v k=$k 'BEGIN { print 1.1 - k * 0.2 }')"
done
silence cough-gap1 0.12
silence cough-gap2 0.09
concat wave2 cough-1-m cough-gap1 cough-2-m cough-gap2 cough-3-m

say wave3 en-us+f3 60 160 "Hello!"
say wave4 en-us+m2 50 160 "Thank you!"
say wave5 en-us+f2 55 185 "Where have you been?"

# wave6: a snore: a rattling breath in, a soft breath out.
sox -n -r "$cue_rate" -c 1 "$(f snore-in)" synth 0.65 brownnoise lowpass 450 tremolo 32 85 \
  fade h 0.3 0.65 0.25
sox -n -r "$cue_rate" -c 1 "$(f snore-out)" synth 0.5 pinknoise lowpass 1100 \
  fade h 0.08 0.5 0.35 vol 0.35
silence snore-gap 0.08
concat wave6 snore-in snore-gap snore-out

# wave7: a sneeze: a rising "ah", then a sharp burst of noise with a spoken "choo".
say sneeze-ah en-us+f3 80 120 "ah ah"
say sneeze-choo en-us+f3 70 190 "choo!"
noise sneeze-burst 0.16 whitenoise vol 0.5 highpass 1800
mix sneeze-chew sneeze-choo sneeze-burst
silence sneeze-gap 0.05
concat wave7 sneeze-ah sneeze-gap sneeze-chew

say wave8 en-us+m3 40 140 "Sorry."
say wave9 en-us+f4 55 160 "Welcome!"
say wave10 en-us+m5 75 170 "Yee haaw!"
say wave11 en-us+f5 90 170 "Yippee!"
say wave12 en-us+m1 45 140 "Oh no!"
say wave13 en-us+f2 55 170 "Nice one!"
say wave14 en-us+m4 60 170 "Oops!"
say wave15 en-us+f3 70 130 "Wow!"
say wave16 en-us+m2 50 200 "Hurry up!"
say wave17 en-us+m6 45 165 "Good game!"
say wave18 en-us+f4 70 170 "Bingo!"
say wave19 en-us+m3 35 110 "hmmm"
say wave20 en-us+m5 65 170 "ha ha ha!"

for k in $(seq 1 20); do
  finish "wave$k" "$clip_rate" -3
done

# Every file must stay short: cues under a second, clips under a second and a half.
for file in "$out"/*.wav; do
  name=$(basename "$file" .wav)
  limit=1.0
  [[ $name == wave* ]] && limit=1.5
  length=$(soxi -D "$file")
  if awk -v l="$length" -v m="$limit" 'BEGIN { exit !(l >= m) }'; then
    echo "$name.wav lasts $length s, more than $limit s" >&2
    exit 1
  fi
done
files=("$out"/*.wav)
echo "wrote ${#files[@]} files, $(du -cb "${files[@]}" | tail -1 | cut -f1) bytes"
