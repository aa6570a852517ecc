#include "menus/help_pages.h"

#include <algorithm>
#include <string>

#include "core/game.h"
#include "core/words.h"
#include "menus/buttons.h"
#include "menus/screen_steps.h"
#include "menus/transitions.h"
#include "presentation/sound.h"
#include "presentation/text.h"

namespace {

// Which languages show an info line: the German last page sets its three lines apart.
enum InfoLanguages { kEveryLanguage, kOnlyGerman, kNotGerman };

struct InfoLine {
    int page;
    int dy;      // below PageTop
    int colour;  // texture
    Words text;
    InfoLanguages languages = kEveryLanguage;
};

// A paragraph of a help page, its lines 20 px apart. German keeps its own rows; every other
// language starts a paragraph on its row or, after a longer paragraph above, 10 px below it.
struct HelpParagraph {
    int page;
    int germanY;  // 0: as the other languages
    int y;
    Words text;  // lines separated by '\n'
};

const HelpParagraph kHelpParagraphs[] = {
    {1, 100, 100,
     N_("Move the cannon with the mouse or\n"
        "the left and right cursor key on\n"
        "the keyboard. Shoot the stone on\n"
        "the cannon with the left mouse key\n"
        "or the space key on the keyboard.")},
    {1, 250, 250,
     N_("Do not shoot stones to the center\n"
        "of other stones. It will explode\n"
        "and your time will decrease.")},
    {1, 380, 380,
     N_("If the stone stick on the side of\n"
        "another stone and three or more\n"
        "stones come together side by side\n"
        "with the same color they will\n"
        "disapear. You get points and time.")},
    {2, 100, 100,
     N_("Try to destroy all stones on the\n"
        "playfield and you win the level.\n"
        "In the long endless levels new stones \n"
        "move from above on the playfield\n"
        "even when you have destroyed some.")},
    {2, 230, 230,
     N_("The colored timebar on the right\n"
        "side of the playfield shows you the\n"
        "game time. If this bar is empty the\n"
        "game is over.")},
    {2, 340, 340,
     N_("In the pipes game you have to build a pipe between\n"
        "the two barrels.\n"
        "Use the pipes that are on the playfield yet.\n"
        "This gives you extra point!")},
    {2, 420, 450,
     N_("Select the pipe elements at the left side of the\n"
        "playfield. Click on the element you want to use \n"
        "and it will apear on the cannon.\n"
        "You can place it by pressing fire.")},
    {3, 100, 100,
     N_("In the puzzles match game two players are\n"
        "playing against the clock and another. One\n"
        "player moves his cannon with the mouse and the\n"
        "other with the cursor keys and space key.\n"
        "The player who wins two levels more than the\n"
        "other, wins the match.")},
    {3, 210, 230,
     N_("If all levels are cleared the game begins\n"
        "at level 1. The game time moves faster now.")},
    {3, 280, 280,
     N_("Some stones contains extras, that fall out of\n"
        "the stones if they explode. The bomb and the\n"
        "arrow destroys many stones. The clock gives you\n"
        "playing time. The colorstone colors stones in\n"
        "his neighborhood. The rainbow stone shakes the\n"
        "colors around it. X2 doubles your points for a\n"
        "while. The flash makes all stones undestroyable\n"
        "for a while. <Tip> key shows stones with extras.")},
    // The pages of what came after the first three: text over the whole width, no pictures.
    {4, 0, 90,
     N_("The level editor (Start Game, then Level Editor) builds Puzzle\n"
        "levels of your own. Choose a stone or an extra below the field\n"
        "and paint with the left mouse button; the right one erases.\n"
        "Without a mouse the cursor keys move a cursor over the field,\n"
        "Space places a stone and Delete erases it.")},
    {4, 0, 210,
     N_("The line under the field says what keeps the level from being\n"
        "played, such as a stone that nothing holds. Once the level\n"
        "passes every check, click on that line to write its idea.")},
    {4, 0, 290,
     N_("Test plays the level at once. Prove lets the computer try it\n"
        "five times and says how often it got through. Save puts it\n"
        "into the pack \"My Levels\". To name the level, click on the\n"
        "name at the top right and type: the first key replaces it.")},
    {5, 0, 90,
     N_("My Levels (Start Game, the button under the title) lists the\n"
        "level packs to play: the game's own levels first, then every\n"
        "pack in your levels folder. Click on a pack to play it as a\n"
        "Puzzle game; each pack keeps a highscore table of its own.")},
    {5, 0, 190,
     N_("A pack is one text file. To share a pack, send that file. To\n"
        "play a pack you were sent, put it into your levels folder:\n"
        "the list shows it within a second. The folder is named above\n"
        "the list; on Linux it is .local/share/rhombulus2/levels in your\n"
        "home folder.")},
    {5, 0, 290,
     N_("Edit lists the levels of the chosen pack: click on one to\n"
        "change it in the editor, or on New level to add one. The\n"
        "game's own levels are first copied into a new pack of yours.")},
    {6, 0, 90,
     N_("Every game you play is kept as a replay: the last 30 games\n"
        "and every game that made a highscore. On the highscore table\n"
        "a filled diamond beside a score says that its game, played\n"
        "again, reaches that very score (verified); a hollow one says\n"
        "that it does not.")},
    {6, 0, 210,
     N_("Click on an entry, then on Watch (or press its place number,\n"
        "then W). While you watch, Space pauses, the right cursor key\n"
        "doubles the speed up to eight times, the left one halves it\n"
        "and Escape leaves. At the end you can watch it again or go back.")},
    {6, 0, 310,
     N_("The replays are files in .local/share/rhombulus2/replays in\n"
        "your home folder. To show someone a game, send its file: the\n"
        "game opens it with a double click, or with\n"
        "rhombulus2 --replay FILE.")},
    {7, 0, 90,
     N_("Network Match (Start Game, beside the Level Editor) plays a\n"
        "match between two machines. One player hosts: Host a game\n"
        "waits for the other. The other joins: the hosts on your network\n"
        "are listed, click on one; or type the host's address and click\n"
        "Join a game.")},
    {7, 0, 210,
     N_("Across the internet both players name the same relay server\n"
        "(rhombulus2 --relay HOST:PORT). The host then gets a room code\n"
        "of six letters, and the other player types it as the address.")},
    {7, 0, 290,
     N_("Up to eight others can watch a running match: type the host's\n"
        "address or room code and click Watch, or click on a host in the\n"
        "list. Every network match is kept as a replay on both machines.")},
};

// Page 1 carries the licence notice in its free rows +20 .. +100.
const InfoLine kInfoLines[] = {
    {1, -5, 2, N_("Rhombulus 2")},
    {1, 25, 3, N_("Free software under the")},
    {1, 50, 2, N_("MIT License")},
    {1, 75, 3, N_("© 2026 Rhombulus 2 team")},
    {1, 135, 3, N_("Please read the")},
    {1, 160, 3, N_("full license terms and")},
    {1, 185, 3, N_("conditions in the")},
    {1, 210, 2, N_("readme.html")},
    {2, -5, 2, N_("Who does what?")},
    {2, 25, 3, N_("Graphics and Program")},
    {2, 60, 3, N_("Rhombulus 2 team")},
    {2, 105, 3, N_("Music")},
    {2, 140, 3, N_("Rhombulus 2 team")},
    {3, 40, 3, N_("You find more"), kOnlyGerman},
    {3, 65, 3, N_("information in the"), kOnlyGerman},
    {3, 95, 2, N_("readme.html"), kOnlyGerman},
    {3, 30, 3, N_("You find more"), kNotGerman},
    {3, 55, 3, N_("information in the"), kNotGerman},
    {3, 85, 2, N_("readme.html"), kNotGerman},
};

// The title runs straight into the page number: "Help - Page3".
std::string PageTitle(const Game& game, Words words, int page) {
    std::string title = Tr(game, words);
    title += std::to_string(page);
    return title;
}

// The frame both paged screens share: buttons, page flipping with its click, and the way back.
void PagedScreenStep(Game& game, int pages) {
    ButtonTable& b = game.buttons;
    if (b.MenuSelection == 1) {
        if (b.PageNumber > 1) --b.PageNumber;
        RequestSound(game, sndTast1, 400);
    }
    if (b.MenuSelection == 2) {
        if (b.PageNumber < pages) ++b.PageNumber;
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
    DrawButtonLabel(game, 3, Tr(game, "Back"), 5);
}

}  // namespace

std::vector<HelpLine> HelpPageLines(int language, int page) {
    std::vector<HelpLine> lines;
    int next = 0;  // the first row the next paragraph may take
    for (const HelpParagraph& p : kHelpParagraphs) {
        if (p.page != page) continue;
        // German keeps its rows on the first three pages; the later pages flow in every language.
        int y = language == kLanguageGerman && p.germanY != 0 ? p.germanY : std::max(p.y, next);
        const std::string text = Translate(language, p.text.context, p.text.id);
        size_t from = 0;
        while (from <= text.size()) {
            const size_t end = std::min(text.find('\n', from), text.size());
            lines.push_back(HelpLine{y, text.substr(from, end - from)});
            y += kHelpLineStep;
            from = end + 1;
        }
        next = y + kHelpParagraphGap;
    }
    return lines;
}

void HelpScreen(Game& game) {
    DrawPageButtons(game);
    const int page = game.buttons.PageNumber;
    DrawText(game, 400, 25, kAlignCentre, PageTitle(game, N_("Help - Page"), page), 1);
    for (const HelpLine& line : HelpPageLines(game.shell.Language, page))
        DrawText(game, kHelpTextX, line.y, kAlignLeft, line.text, 3);
    PagedScreenStep(game, kHelpPages);
}

void InfoScreen(Game& game) {
    DrawPageButtons(game);
    const int page = game.buttons.PageNumber;
    const int top = game.buttons.PageTop;
    DrawText(game, 400, top - 43, kAlignCentre, PageTitle(game, N_("Credits - Page"), page), 1);
    const bool german = game.shell.Language == kLanguageGerman;
    for (const InfoLine& line : kInfoLines) {
        if (line.page != page) continue;
        if (line.languages == (german ? kNotGerman : kOnlyGerman)) continue;
        DrawText(game, 400, top + line.dy, kAlignCentre, Tr(game, line.text), line.colour);
    }
    PagedScreenStep(game, kInfoPages);
}

void ShowInfo(Game& game) {
    BeginTransition(game, true);
    PageButtons(game, 540, 135, 415);
    EndTransition(game, kScreenInfo, true, false);
}

void ShowHelp(Game& game) {
    BeginTransition(game, true);
    PageButtons(game, 565, 115, 565);
    EndTransition(game, kScreenHelp, true, false);
}
