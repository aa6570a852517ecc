#include "menus/help_pages.h"

#include <string>

#include "core/game.h"
#include "menus/buttons.h"
#include "menus/transitions.h"
#include "presentation/sound.h"
#include "presentation/text.h"
#include "presentation/words.h"

namespace {

constexpr int kPages = 3;

struct PageLine {
    int y;
    const char* text;  // UTF-8
};

struct InfoLine {
    int page;
    int dy;               // below PageTop
    int colour;           // texture
    const char* german;   // nullptr: not on the German page
    const char* english;  // nullptr: not on the English page
};

const PageLine kHelpGerman1[] = {
    {100, "Die Kanone wird mit der Maus"},
    {120, "oder den CursorTasten bewegt."},
    {140, "Den Stein auf der Kanone schiesst"},
    {160, "du mit der Leertaste oder der"},
    {180, "linken Maustaste."},
    {250, "Trifft der Stein an die Spitze"},
    {270, "eines anderen Steins, dann"},
    {290, "explodiert er und du verlierst"},
    {310, "Spielzeit."},
    {380, "Bleibt der Stein dagegen Seite an"},
    {400, "Seite an anderen Steinen hängen"},
    {420, "und es berühren sich mindestens 3"},
    {440, "gleichfarbige Steine, explodieren"},
    {460, "diese. Das gibt Punkte und Spielzeit."},
};

const PageLine kHelpEnglish1[] = {
    {100, "Move the cannon with the mouse or"},  {120, "the left and right cursor key on"},
    {140, "the keyboard. Shoot the stone on"},   {160, "the cannon with the left mouse key"},
    {180, "or the space key on the keyboard."},  {250, "Do not shoot stones to the center"},
    {270, "of other stones. It will explode"},   {290, "and your time will decrease."},
    {380, "If the stone stick on the side of"},  {400, "another stone and three or more"},
    {420, "stones come together side by side"},  {440, "with the same color they will"},
    {460, "disapear. You get points and time."},
};

const PageLine kHelpGerman2[] = {
    {100, "Entferne so alle Steine vom Spielfeld"},
    {120, "und das Level ist gewonnen."},
    {140, "In den langen Levels der Spielart Endlos"},
    {160, "rücken neue zufällig gewählte Steine von"},
    {180, "oben nach."},
    {230, "Die farbige Röhre rechts neben dem"},
    {250, "Spielfeld zeigt die verbleibende"},
    {270, "Spielzeit an. Ist diese Zeit abgelaufen"},
    {290, "dann ist das Spiel beendet."},
    {340, "In der Spielart Pipes musst du eine durchgehende"},
    {360, "Rohrleitung von einem Gefäss zum anderen legen."},
    {380, "Benutze dabei die bereits gesetzten Rohrstücke."},
    {400, "Das gibt Bonuspunkte!"},
    {420, "Die Auswahl der Rohrstücke, die du verwenden"},
    {440, "möchtest befindet sich links vom Spielfeld."},
    {460, "Klicke auf einen Stein und er liegt auf der Kanone."},
    {480, "Du kannst ihn verbauen indem du ihn abfeuerst."},
};

const PageLine kHelpEnglish2[] = {
    {100, "Try to destroy all stones on the"},
    {120, "playfield and you win the level."},
    {140, "In the long endless levels new stones "},
    {160, "move from above on the playfield"},
    {180, "even when you have destroyed some."},
    {230, "The colored timebar on the right"},
    {250, "side of the playfield shows you the"},
    {270, "game time. If this bar is empty the"},
    {290, "game is over."},
    {340, "In the pipes game you have to build a pipe between"},
    {360, "the two barrels."},
    {380, "Use the pipes that are on the playfield yet."},
    {400, "This gives you extra point!"},
    {450, "Select the pipe elements at the left side of the"},
    {470, "playfield. Click on the element you want to use "},
    {490, "and it will apear on the cannon."},
    {510, "You can place it by pressing fire."},
};

const PageLine kHelpGerman3[] = {
    {100, "In der Spielart Puzzles-Match treten zwei Spieler"},
    {120, "gegeneinander an. Ein Spieler steuert die Kanone"},
    {140, "mit der Maus, der andere mit den Cursortasten"},
    {160, "und der Leertaste. Sieger ist, wer als erster"},
    {180, "zwei Levels mehr als der andere gewonnen hat."},
    {210, "Für alle Spielarten ausser der Endlos-Spielart"},
    {230, "gilt: Sind alle Levels geschafft, beginnt das"},
    {250, "Spiel bei Level 1. Die Zeit läuft nun schneller ab."},
    {280, "Manche Steine enthalten Extras, die beim"},
    {300, "Explodieren herausfallen. Die Bombe und der"},
    {320, "Pfeil zerstören gleich mehrere Steine. Die Uhr"},
    {340, "schenkt dir Spielzeit. Der Färber färbt Steine"},
    {360, "in seiner Umgebung ein. Regenbogensteine bringen"},
    {380, "die Farben durcheinander. X2 verdoppelt deine "},
    {400, "Punkte eine Zeit lang. Der Blitz macht Steine"},
    {420, "eine Weile unzerstörbar. <Tipp> zeigt Extras an."},
};

const PageLine kHelpEnglish3[] = {
    {100, "In the puzzles match game two players are"},
    {120, "playing against the clock and another. One"},
    {140, "player moves his cannon with the mouse and the"},
    {160, "other with the cursor keys and space key."},
    {180, "The player who wins two levels more than the"},
    {200, "other, wins the match."},
    {230, "If all levels are cleared the game begins"},
    {250, "at level 1. The game time moves faster now."},
    {280, "Some stones contains extras, that fall out of"},
    {300, "the stones if they explode. The bomb and the"},
    {320, "arrow destroys many stones. The clock gives you"},
    {340, "playing time. The colorstone colors stones in"},
    {360, "his neighborhood. The rainbow stone shakes the"},
    {380, "colors around it. X2 doubles your points for a"},
    {400, "while. The flash makes all stones undestroyable"},
    {420, "for a while. <Tip> key shows stones with extras."},
};

struct HelpPage {
    const PageLine* lines;
    int count;
};

template <size_t N>
constexpr HelpPage PageOf(const PageLine (&lines)[N]) {
    return HelpPage{lines, static_cast<int>(N)};
}

// [language 1..2][page 1..3]
const HelpPage kHelpPages[3][kPages + 1] = {
    {},
    {{}, PageOf(kHelpGerman1), PageOf(kHelpGerman2), PageOf(kHelpGerman3)},
    {{}, PageOf(kHelpEnglish1), PageOf(kHelpEnglish2), PageOf(kHelpEnglish3)},
};

// Page 1 carries the licence notice in its free rows +20 .. +100.
const InfoLine kInfoLines[] = {
    {1, -5, 2, "Rhombulus 2", "Rhombulus 2"},
    {1, 25, 3, "Freie Software unter der", "Free software under the"},
    {1, 50, 2, "MIT-Lizenz", "MIT License"},
    {1, 75, 3, "© 2026 Rhombulus 2 team", "© 2026 Rhombulus 2 team"},
    {1, 135, 3, "Bitte lesen sie die", "Please read the"},
    {1, 160, 3, "Lizenzbestimmungen", "full license terms and"},
    {1, 185, 3, "im Dokument", "conditions in the"},
    {1, 210, 2, "liesmich.html", "readme.html"},
    {2, -5, 2, "Credits", "Who does what?"},
    {2, 25, 3, "Grafik und Programm", "Graphics and Program"},
    {2, 60, 3, "Rhombulus 2 team", "Rhombulus 2 team"},
    {2, 105, 3, "Musik", "Music"},
    {2, 140, 3, "Rhombulus 2 team", "Rhombulus 2 team"},
    {3, 40, 3, "Weitere Infos", nullptr},
    {3, 65, 3, "siehe Dokument", nullptr},
    {3, 95, 2, "liesmich.html", nullptr},
    {3, 30, 3, nullptr, "You find more"},
    {3, 55, 3, nullptr, "information in the"},
    {3, 85, 2, nullptr, "readme.html"},
};

// The title runs straight into the page number: "Help - Page3".
std::string PageTitle(const Game& game, const char* german, const char* english, int page) {
    std::string title = Pick(game, german, english);
    title += std::to_string(page);
    return title;
}

// The frame both paged screens share: buttons, page flipping with its click, and the way back.
void PagedScreenStep(Game& game) {
    ButtonTable& b = game.buttons;
    if (b.MenuSelection == 1) {
        if (b.PageNumber > 1) --b.PageNumber;
        RequestSound(game, sndTast1, 400);
    }
    if (b.MenuSelection == 2) {
        if (b.PageNumber < kPages) ++b.PageNumber;
        RequestSound(game, sndTast1, 400);
    }
    if (game.input.KeyEscape == 1 || b.MenuSelection == 3) {
        game.input.KeyEscape = 0;
        ShowHelpMenu(game);
    }
}

void DrawPageButtons(Game& game) {
    UpdateButtons(game);
    DrawButtonLabel(game, 1, "<<<<", 5);
    DrawButtonLabel(game, 2, ">>>>", 5);
    DrawButtonLabel(game, 3, Pick(game, "Zurück", "Back"), 5);
}

}  // namespace

void HelpScreen(Game& game) {
    DrawPageButtons(game);
    const int page = game.buttons.PageNumber;
    DrawText(game, 400, 25, kAlignCentre, PageTitle(game, "Hilfe - Seite", "Help - Page", page), 1);
    if (page >= 1 && page <= kPages) {
        const HelpPage& p = kHelpPages[game.shell.Language == 2 ? 2 : 1][page];
        for (int i = 0; i < p.count; ++i)
            DrawText(game, 30, p.lines[i].y, kAlignLeft, p.lines[i].text, 3);
    }
    PagedScreenStep(game);
}

void InfoScreen(Game& game) {
    DrawPageButtons(game);
    const int page = game.buttons.PageNumber;
    const int top = game.buttons.PageTop;
    DrawText(game, 400, top - 43, kAlignCentre,
             PageTitle(game, "Info - Seite", "Credits - Page", page), 1);
    for (const InfoLine& line : kInfoLines) {
        const char* text = Pick(game, line.german, line.english);
        if (line.page != page || text == nullptr) continue;
        DrawText(game, 400, top + line.dy, kAlignCentre, text, line.colour);
    }
    PagedScreenStep(game);
}
