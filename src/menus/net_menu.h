// The network match screen: host a match, or join one by a typed address or from the hosts
// waiting on the LAN. The screen only asks (Game::netMenu); the shell's network session does the
// rest and says what it found, so no network reaches the simulation.
#pragma once

struct Game;

// Its buttons (laid out by ShowNetMatch, src/menus/transitions.cpp): host, join, back, one row
// for each host found on the LAN (a click joins a waiting host and watches one whose match runs),
// watch the typed address, and the host's start level.
enum NetButton {
    kHostButton = 1,
    kJoinButton = 2,
    kBackButton = 3,
    kFirstFoundButton = 4,
    kWatchButton = 7,
    kStartLevelButton = 8,
};
constexpr int kFoundRows = 3;
constexpr int kFirstFoundY = 480;
constexpr int kFoundStep = 22;

void NetMatchScreen(Game& game);
// A typed character (a code point, Backspace 8) for the address.
void NetAddressKey(Game& game, char32_t ch);
// An address holds this many characters at most ("[ipv6]:port" and host names fit).
constexpr int kNetAddressChars = 40;
