// A text of the game in both its languages.
#pragma once

// A German and an English text.
struct Words {
    const char* german;
    const char* english;
};
