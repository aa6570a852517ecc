// The simulation written out and read back field by field, little-endian, from the field lists
// of the state structs: the bytes are the same whatever compiler or machine made them. The same
// walk gives the state hash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct PlayerOwn;
struct Simulation;

// Which part of the simulation: all of it, or the game in progress that a suspended game
// resumes with (the playfield and its tables, the match, the computer, the generator, whether
// the music is on; not the menus, the settings or the input).
enum class StatePart { kWhole, kGameInProgress };

std::vector<std::uint8_t> StateBytes(const Simulation& sim, StatePart part);
// Reads the bytes into `into` and checks every value against its bounds. False, with the
// reason, and `into` in an unknown state, when they are not a whole, sound state of this layout;
// read into a scratch value and copy what is taken.
bool ReadStateBytes(const std::uint8_t* data, std::size_t size, StatePart part, Simulation& into,
                    std::string& why);
// The same for a whole state as written before the highscore tables, the slot list and the
// editor's history became the player's own (replays of that time): what it held of them goes
// into `own`.
bool ReadOldWholeStateBytes(const std::uint8_t* data, std::size_t size, Simulation& into,
                            PlayerOwn& own, std::string& why);
// Whether every field holds a value it may take (the reason names the first that does not).
bool StateInBounds(const Simulation& sim, StatePart part, std::string& why);
// A number that changes whenever a field is added, removed, renamed or changes its type.
std::uint32_t StateLayout(StatePart part);
// 64-bit FNV-1a over the whole simulation's bytes.
std::uint64_t StateHash(const Simulation& sim);
// The hash as it was taken while the whole state held the player's own things (`own`).
std::uint64_t OldStateHash(const Simulation& sim, const PlayerOwn& own);
