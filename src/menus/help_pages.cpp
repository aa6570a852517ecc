#include "menus/help_pages.h"

#include <algorithm>
#include <string>

#include "core/game.h"
#include "menus/buttons.h"
#include "menus/transitions.h"
#include "presentation/sound.h"
#include "presentation/text.h"
#include "core/words.h"

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
    int germanY;
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
void PagedScreenStep(Game& game) {
    ButtonTable& b = game.buttons;
    if (b.MenuSelection == 1) {
        if (b.PageNumber > 1) --b.PageNumber;
        RequestSound(game, sndTast1, 400);
    }
    if (b.MenuSelection == 2) {
        if (b.PageNumber < kHelpPages) ++b.PageNumber;
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
        int y = language == kLanguageGerman ? p.germanY : std::max(p.y, next);
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
    PagedScreenStep(game);
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
    PagedScreenStep(game);
}
