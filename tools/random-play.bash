# Sourced by tools/soak.sh and tools/compare-builds.sh: the modes and a random player's input.

# One line a mode: its name, its GameMode, the screen it is played on, and the y of the buttons
# (x 400) clicked from the main menu to start it, 25 ticks apart ("Spiel starten" is y 340; on the
# game choice Endless 340, Puzzle 380, Pipe 420, Puzzle-Match 460; "Level 1" of the match 310).
modes=(
    "endless 1 1 340 340"
    "puzzle 2 1 340 380"
    "pipe 3 1 340 420"
    "match 4 22 340 460 310"
)

# The input of one run: the clicks that start the mode, then random play until `length`.
make_input() {  # make_input SEED LENGTH Y...
    local s=$1 length=$2
    shift 2
    awk -v seed="$s" -v length_="$length" -v ys="$*" '
    function r(n) { return int(rand() * n) }
    function key(k) { printf "%d key %s\n", t, k }
    function click(x, y) { printf "%d move %d %d\n%d click\n", t, x, y, t }
    BEGIN {
        srand(seed)
        n = split(ys, y, " ")
        t = 225
        for (i = 1; i <= n; i++) { click(400, y[i]); t += 25 }
        while (t < length_) {
            t += 1 + r(12)
            p = r(1000)
            if (p < 330) printf "%d move %d %d\n", t, r(640), 200 + r(400)
            else if (p < 520) printf "%d click\n", t
            else if (p < 600) key(r(2) ? "left" : "right")
            else if (p < 660) key("space")
            else if (p < 670) { printf "%d keydown space\n", t; t += 5 + r(60); printf "%d keyup space\n", t }
            else if (p < 690) key("p")
            else if (p < 700) printf "%d move %d %d\n", t, r(800) - 100, r(700) - 50
            else if (p < 706) {
                # Escape to the main menu over the game, then one of its entries
                key("escape"); t += 30
                q = r(6)
                if (q == 0) click(400, 315)                      # resume
                else if (q == 1) {                                # save into a random slot
                    click(400, 385); t += 25; click(400, 330 + 25 * r(7)); t += 5
                    printf "%d text soak%d\n", t, r(100); t += 5; key("return"); t += 5; key("escape")
                } else if (q == 2) {                              # load a random slot
                    click(400, 420); t += 25; click(400, 330 + 25 * r(7))
                } else if (q == 3) {                              # options: change one, back
                    click(400, 455); t += 25; click(400, 350 + 50 * r(3)); t += 10; key("escape")
                } else if (q == 4) {                              # a new game of the same mode
                    click(400, 350); t += 25; click(400, y[n])
                } else click(r(800), r(600))                      # anywhere
                t += 25
            }
            else if (p < 712) printf "%d text %c%c\n", t, 97 + r(26), 48 + r(10)
            else if (p < 714) printf "%d keydown backspace\n%d keyup backspace\n", t, t + 1
            else if (p < 716) printf "%d focus 0\n%d focus 1\n", t, t + 1 + r(5)
            else if (p < 760) { printf "%d down\n", t; t += 1 + r(40); printf "%d up\n", t }
            else if (p == 760 && r(20) == 0) printf "%d close\n", t     # the window closed
        }
    }'
}
