#!/usr/bin/env bash
# Opens the progress chart of the real game under Xvfb, as a player does (a
# right click on the history grid, then its menu entry), over a year of made-up
# but plausible rounds, and saves the chart window as docs/chart.png (or the
# path given); then turns to かな別 for every mode, rests the mouse on a weak
# kana, and saves that as docs/kana-view.png (or the second path given).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/docs/chart.png}
kana_out=${2:-$root/docs/kana-view.png}
"$root/scripts/setup.sh"
cmake -S "$root" --preset play >/dev/null
cmake --build "$root/build" --target kotobaru kotobaru_chart >/dev/null

work=$(mktemp -d)
trap 'kill "${app:-}" "${xvfb:-}" 2>/dev/null || true; rm -rf "$work"' EXIT
cp "$root"/data/* "$work/"
# A player who plays most evenings for fourteen months and slowly gets better;
# mostly two-kana questions in one-minute rounds.
/usr/bin/python3 - "$work/履歴.txt" "$work/出題記録.txt" "$work/かな.TXT" <<'PY'
import datetime, random, sys
random.seed(7)
# What each question did: the player finds words slowly for a few kana, and
# words with the kana inside only for the easy ones.
q = random.Random(11)
kana = open(sys.argv[3], "rb").read().decode("cp932").split()
hard = set("ぬゆをぢづぺぴぽぷぱぼべぶびるれろね")
easy = set("あいうかきこさしたとなはまも")
def question_lines(date, time, mode, ok, ng):
    shown = ["A"] * ok + ["R"] * ng
    q.shuffle(shown)
    shown.append("-")  # the question on screen when time ran out
    out = []
    for what in shown:
        if mode == "１":
            text = q.choice(kana)
        else:
            a, b = q.randrange(len(kana)), q.randrange(len(kana))
            if a >= 46 and b >= 46:
                a = q.randrange(46)
            text = kana[a] + kana[b]
        weak = any(c in hard for c in text)
        strong = all(c in easy for c in text)
        if what == "A" and weak and q.random() < 0.45:
            what = "R"
        head = tail = inside = rejected = 0
        first = -1
        if what == "A":
            where = q.choices([0, 1, 2], [5, 3, 2] if weak else [2, 3, 5] if strong else [3, 3, 4])[0]
            head, tail, inside = [int(where == i) for i in range(3)]
            first = int(q.gauss(7000 if weak else 2500 if strong else 4000, 1200))
            first = max(600, first)
        elif what == "R":
            rejected = 1
        shown_ms = max(first, 0) + q.randint(200, 3000)
        out.append('"%s","%s","%s","%s",%d,%d,%d,%d,%d,%d,0\r\n' % (
            date, time, mode, text, shown_ms, head, tail, inside, rejected, first))
    return out
questions = []
day = datetime.datetime(2025, 10, 1, 20, 0, 0)
lines = []
while day < datetime.datetime(2026, 12, 6):
    if random.random() < 0.55:
        for k in range(random.choice([1, 2, 2, 3])):
            t = day + datetime.timedelta(minutes=7 * k + random.randint(0, 5), seconds=random.randint(0, 59))
            skill = (t - datetime.datetime(2025, 10, 1)).days / 430
            length = random.choices([60, 30, 120], [8, 1, 1])[0]
            mode = random.choices(["１", "２"], [1, 3])[0]
            ok = max(1, round((6 + 10 * skill) * length / 60 + random.gauss(0, 2)))
            ng = max(0, round(random.gauss(3 - 2 * skill, 1.2)))
            chars = ok * (3 if mode == "１" else 4) + random.randint(0, 6)
            score = max(-ng, round(ok * (1.6 + 0.6 * skill) - ng + random.gauss(0, 2)))
            questions += question_lines(t.strftime("%Y/%m/%d"), t.strftime("%H:%M:%S"), mode, ok, ng)
            lines.append('"%s","%s","%s",%d,%d,%d,%d,"%.1f%%","%.2f/秒","%d秒"\r\n' % (
                t.strftime("%Y/%m/%d"), t.strftime("%H:%M:%S"), mode, ok, ng, chars, score,
                100 * ok / (ok + ng), chars / length, length))
    day += datetime.timedelta(days=1)
open(sys.argv[1], "wb").write("".join(lines).encode("cp932"))
open(sys.argv[2], "wb").write("".join(questions).encode("cp932"))
PY

display=:$((90 + RANDOM % 9))
Xvfb "$display" -screen 0 1280x1024x24 -dpi 96 >/dev/null 2>&1 &
xvfb=$!
sleep 1
(cd "$work" && DISPLAY=$display exec "$root/build/app/kotobaru") &
app=$!
export DISPLAY=$display
win=$(xdotool search --sync --name 'コトバル' | head -1)
sleep 0.5
# The grid's middle, then the menu's one entry.
xdotool mousemove --window "$win" 300 380 click 3
sleep 0.5
xdotool key Return
chart=$(xdotool search --sync --name '成績グラフ' | head -1)
sleep 1.5
import -window "$chart" +repage "$out"
echo "saved $out"

# かな別 (the view box's last entry) for one-kana rounds (the mode box's last
# entry), in a larger window; the mouse rests on ぬ, the third row of the な
# column, and the picture is taken from the screen so that its tooltip is in it.
xdotool windowsize "$chart" 1000 760
sleep 0.5
xdotool key --window "$chart" alt+v End alt+m End
sleep 1
eval "$(xdotool getwindowgeometry --shell "$chart")"
xdotool mousemove --window "$chart" ${KANA_X:-240} ${KANA_Y:-150}
sleep 2.5
import -window root -crop "${WIDTH}x${HEIGHT}+$X+$Y" +repage "$kana_out"
echo "saved $kana_out"
