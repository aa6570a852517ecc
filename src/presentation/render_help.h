// The help screen's illustrations beside the text of each page.
#pragma once

struct Game;

void RenderHelpPictures(Game& game);
