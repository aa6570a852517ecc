// The network match's wire protocol: every message the game, a spectator and the relay exchange,
// encoded little-endian with a one-byte type in front. Every message has a fixed upper size and
// every value a range; Decode checks both and refuses a packet rather than trusting a length.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace net {

// Raised whenever a message changes shape (4: the whole state a host shares no longer holds the
// player's own tables); peers of another version are refused at the hello.
inline constexpr std::uint16_t kProtocolVersion = 4;
// Our default port, one fixed number for host and relay (UDP; the relay's WebSocket door
// takes the same number in TCP).
inline constexpr std::uint16_t kDefaultPort = 27431;
// No packet of ours is larger, so nothing bigger is ever read into memory.
inline constexpr std::size_t kMaxPacketBytes = 1280;
// What a player may hand the relay: the relay's stamp must still fit.
inline constexpr std::size_t kMaxClientPacketBytes = kMaxPacketBytes - 5;
inline constexpr std::size_t kMaxCommandsPerPacket = 64;
inline constexpr std::size_t kMaxTicksPerPacket = 48;
inline constexpr std::size_t kSnapshotChunkBytes = 1024;
inline constexpr std::uint32_t kMaxSnapshotBytes = 1u << 20;
inline constexpr std::size_t kMaxGameVersionLength = 32;
inline constexpr std::size_t kMaxNameLength = 16;
// Ticks are counted from the start of the match; far beyond any match, far from overflow.
inline constexpr std::uint32_t kMaxTick = 1u << 30;
inline constexpr int kMinDelay = 2;
inline constexpr int kMaxDelay = 10;
inline constexpr int kMaxStartLevel = 50;
// Spectators of one room, numbered 1..8 (0 is a player).
inline constexpr int kMaxWatchers = 8;

// One player's command for one tick: a fixed record whose bytes the game gives their meaning
// (CommandFields is the layout it uses). The network only copies and compares it.
struct WireCommand {
    std::array<std::uint8_t, 8> bytes{};
    bool operator==(const WireCommand&) const = default;
};

// The game's reading of a command: the pointer, held keys, a click and a control (pause, Escape,
// a button of the match screen).
struct CommandFields {
    std::uint16_t pointerX = 0;
    std::uint16_t pointerY = 0;
    std::uint8_t keys = 0;
    std::uint8_t fire = 0;
    std::uint8_t control = 0;
    std::uint8_t spare = 0;
    bool operator==(const CommandFields&) const = default;
};
WireCommand PackCommand(const CommandFields& fields);
CommandFields UnpackCommand(const WireCommand& command);

enum class Role : std::uint8_t { Host = 1, Guest = 2, Watcher = 3 };

// Why a peer was turned away or left; each has its own message for the player.
enum class Reason : std::uint8_t {
    None = 0,
    VersionMismatch = 1,  // another protocol or game version
    LevelFilesDiffer = 2,
    RoomFull = 3,
    BadCode = 4,
    Quit = 5,  // the other side left the match
    TooManyDesyncs = 6,
    ProtocolError = 7,  // a packet that could not be read, or one out of turn
    Timeout = 8,
};
inline constexpr std::uint8_t kLastReason = 8;

struct Hello {
    std::uint16_t protocol = kProtocolVersion;
    std::string gameVersion;
    std::uint64_t levelHash = 0;
    Role role = Role::Guest;
    std::string name;
    std::string room;  // empty, or six letters of the room-code alphabet
    bool operator==(const Hello&) const = default;
};
struct Welcome {
    Role role = Role::Guest;  // what the answering side takes this peer as
    std::string name;         // the answering player's name
    bool operator==(const Welcome&) const = default;
};
struct Refuse {
    Reason reason = Reason::None;
    bool operator==(const Refuse&) const = default;
};
struct Start {
    std::uint64_t seed = 0;
    std::uint8_t startLevel = 1;
    std::uint8_t delay = 3;
    bool operator==(const Start&) const = default;
};
// The sender's own commands from firstTick on, and the first tick of the other side's commands
// the sender does not hold yet (all before it have arrived).
struct Commands {
    std::uint32_t firstTick = 0;
    std::vector<WireCommand> commands;
    std::uint32_t ackNext = 0;
    bool operator==(const Commands&) const = default;
};
// Both players' commands of ticks the host has run, for spectators.
struct TickPair {
    WireCommand host;
    WireCommand guest;
    bool operator==(const TickPair&) const = default;
};
struct Ticks {
    std::uint32_t firstTick = 0;
    std::vector<TickPair> ticks;
    bool operator==(const Ticks&) const = default;
};
// The state hash after the game ran the ticks before `tick`. The epoch counts the snapshots that
// healed the match, so a hash taken before the last healing is not compared with one after it.
struct StateHash {
    std::uint32_t tick = 0;
    std::uint16_t epoch = 0;
    std::uint64_t hash = 0;
    bool operator==(const StateHash&) const = default;
};
// One piece of the host's simulation, taken before it ran `tick`.
struct SnapshotChunk {
    std::uint32_t tick = 0;
    std::uint16_t epoch = 0;
    std::uint32_t totalSize = 0;
    std::uint32_t offset = 0;
    std::vector<std::uint8_t> bytes;
    bool operator==(const SnapshotChunk&) const = default;
};
struct DelayChange {
    std::uint32_t fromTick = 0;
    std::uint8_t delay = 3;
    bool operator==(const DelayChange&) const = default;
};
struct Ping {
    std::uint32_t stamp = 0;
    bool operator==(const Ping&) const = default;
};
struct Pong {
    std::uint32_t stamp = 0;
    bool operator==(const Pong&) const = default;
};
struct Bye {
    Reason reason = Reason::Quit;
    bool operator==(const Bye&) const = default;
};
// The relay's frame around a forwarded packet: who sent it, as the relay knows the connection.
struct Relayed {
    Role from = Role::Host;
    std::uint8_t slot = 0;  // the watcher's number; 0 for the players
    std::vector<std::uint8_t> inner;
    bool operator==(const Relayed&) const = default;
};
struct PeerJoined {
    Role role = Role::Guest;
    std::uint8_t slot = 0;
    bool operator==(const PeerJoined&) const = default;
};
struct PeerLeft {
    Role role = Role::Guest;
    std::uint8_t slot = 0;
    bool operator==(const PeerLeft&) const = default;
};
// LAN discovery: a probe, and a waiting host's answer.
struct Probe {
    std::uint16_t protocol = kProtocolVersion;
    std::uint32_t nonce = 0;
    bool operator==(const Probe&) const = default;
};
struct Offer {
    std::uint16_t protocol = kProtocolVersion;
    std::uint32_t nonce = 0;
    std::uint16_t port = 0;
    std::string name;
    std::uint8_t startLevel = 1;
    std::string room;
    std::uint8_t playing = 0;  // 1: the match runs; the host takes spectators only
    bool operator==(const Offer&) const = default;
};

using Message =
    std::variant<Hello, Welcome, Refuse, Start, Commands, Ticks, StateHash, SnapshotChunk,
                 DelayChange, Ping, Pong, Bye, Relayed, PeerJoined, PeerLeft, Probe, Offer>;

enum class DecodeError {
    None,
    Empty,
    TooLong,
    UnknownType,
    Truncated,
    OutOfRange,
    TrailingBytes,
};
const char* DecodeErrorName(DecodeError error);

// The bytes of a message; empty when the message breaks a bound (a program error of the sender).
std::vector<std::uint8_t> Encode(const Message& message);
DecodeError Decode(std::span<const std::uint8_t> bytes, Message& out);

// Characters a typed name may hold (the game's font: Latin-1 printable) and the checks the decoder
// makes, for the game to use on what the player types.
bool ValidName(const std::string& name);
bool ValidGameVersion(const std::string& version);

// The message's type byte, for logs and the relay's routing; 0 for an empty packet.
std::uint8_t TypeOf(std::span<const std::uint8_t> bytes);

// Type bytes, fixed forever within a protocol version.
enum class Type : std::uint8_t {
    Hello = 1,
    Welcome,
    Refuse,
    Start,
    Commands,
    Ticks,
    StateHash,
    SnapshotChunk,
    DelayChange,
    Ping,
    Pong,
    Bye,
    Relayed,
    PeerJoined,
    PeerLeft,
    Probe,
    Offer,
};

}  // namespace net
