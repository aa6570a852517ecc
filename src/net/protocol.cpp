#include "net/protocol.h"

#include "net/room_code.h"

namespace net {
namespace {

class Writer {
  public:
    void U8(std::uint8_t v) { bytes_.push_back(v); }
    void U16(std::uint16_t v) { Le(v, 2); }
    void U32(std::uint32_t v) { Le(v, 4); }
    void U64(std::uint64_t v) { Le(v, 8); }
    void Bytes(std::span<const std::uint8_t> b) { bytes_.insert(bytes_.end(), b.begin(), b.end()); }
    void Str(const std::string& s) {
        U8(static_cast<std::uint8_t>(s.size()));
        for (char c : s) U8(static_cast<std::uint8_t>(c));
    }
    std::vector<std::uint8_t> Take() { return std::move(bytes_); }

  private:
    void Le(std::uint64_t v, int n) {
        for (int i = 0; i < n; ++i) bytes_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    std::vector<std::uint8_t> bytes_;
};

// Reads fields in order; the first failure sticks, so a decoder checks once at the end.
class Reader {
  public:
    explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::uint8_t U8() { return static_cast<std::uint8_t>(Le(1)); }
    std::uint16_t U16() { return static_cast<std::uint16_t>(Le(2)); }
    std::uint32_t U32() { return static_cast<std::uint32_t>(Le(4)); }
    std::uint64_t U64() { return Le(8); }
    // A value that must lie in lo..hi.
    std::uint32_t In(std::uint32_t v, std::uint32_t lo, std::uint32_t hi) {
        if (v < lo || v > hi) Fail(DecodeError::OutOfRange);
        return v;
    }
    std::span<const std::uint8_t> Bytes(std::size_t n) {
        if (n > bytes_.size() - pos_) {
            Fail(DecodeError::Truncated);
            return {};
        }
        auto out = bytes_.subspan(pos_, n);
        pos_ += n;
        return out;
    }
    std::string Str(std::size_t maxLength) {
        const std::size_t n = U8();
        if (n > maxLength) {
            Fail(DecodeError::OutOfRange);
            return {};
        }
        auto b = Bytes(n);
        return std::string(b.begin(), b.end());
    }
    Role ReadRole() { return static_cast<Role>(In(U8(), 1, 3)); }
    Reason ReadReason() { return static_cast<Reason>(In(U8(), 0, kLastReason)); }
    void Fail(DecodeError e) {
        if (error_ == DecodeError::None) error_ = e;
    }
    DecodeError Finish() {
        if (error_ == DecodeError::None && pos_ != bytes_.size())
            error_ = DecodeError::TrailingBytes;
        return error_;
    }
    bool Ok() const { return error_ == DecodeError::None; }

  private:
    std::uint64_t Le(int n) {
        if (static_cast<std::size_t>(n) > bytes_.size() - pos_) {
            Fail(DecodeError::Truncated);
            pos_ = bytes_.size();
            return 0;
        }
        std::uint64_t v = 0;
        for (int i = 0; i < n; ++i) v |= static_cast<std::uint64_t>(bytes_[pos_ + i]) << (8 * i);
        pos_ += n;
        return v;
    }
    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
    DecodeError error_ = DecodeError::None;
};

bool ValidRoomField(const std::string& room) {
    return room.empty() || ValidRoomCode(room);
}

// ---------------------------------------------------------------- one writer and reader a type

void Put(Writer& w, const Hello& m) {
    w.U16(m.protocol);
    w.Str(m.gameVersion);
    w.U64(m.levelHash);
    w.U8(static_cast<std::uint8_t>(m.role));
    w.Str(m.name);
    w.Str(m.room);
}
void Get(Reader& r, Hello& m) {
    // The version comes first and is taken whatever its value, so that a peer of another
    // version can be told why it was refused.
    m.protocol = r.U16();
    m.gameVersion = r.Str(kMaxGameVersionLength);
    m.levelHash = r.U64();
    m.role = r.ReadRole();
    m.name = r.Str(kMaxNameLength);
    m.room = r.Str(kRoomCodeLength);
    if (!ValidGameVersion(m.gameVersion) || !ValidName(m.name) || !ValidRoomField(m.room))
        r.Fail(DecodeError::OutOfRange);
}
void Put(Writer& w, const Welcome& m) {
    w.U8(static_cast<std::uint8_t>(m.role));
    w.Str(m.name);
}
void Get(Reader& r, Welcome& m) {
    m.role = r.ReadRole();
    m.name = r.Str(kMaxNameLength);
    if (!ValidName(m.name)) r.Fail(DecodeError::OutOfRange);
}
void Put(Writer& w, const Refuse& m) {
    w.U8(static_cast<std::uint8_t>(m.reason));
}
void Get(Reader& r, Refuse& m) {
    m.reason = r.ReadReason();
}
void Put(Writer& w, const Start& m) {
    w.U64(m.seed);
    w.U8(m.startLevel);
    w.U8(m.delay);
}
void Get(Reader& r, Start& m) {
    m.seed = r.U64();
    m.startLevel = static_cast<std::uint8_t>(r.In(r.U8(), 1, kMaxStartLevel));
    m.delay = static_cast<std::uint8_t>(r.In(r.U8(), kMinDelay, kMaxDelay));
}
// A run of commands, each as a byte saying which of its bytes differ from the command before
// it (the first from an empty one), then those bytes: a held pointer costs one byte a tick.
class CommandRunWriter {
  public:
    void Put(Writer& w, const WireCommand& c) {
        unsigned mask = 0;
        for (std::size_t k = 0; k < c.bytes.size(); ++k) {
            if (c.bytes[k] != last_.bytes[k]) mask |= 1u << k;
        }
        w.U8(static_cast<std::uint8_t>(mask));
        for (std::size_t k = 0; k < c.bytes.size(); ++k) {
            if (mask & (1u << k)) w.U8(c.bytes[k]);
        }
        last_ = c;
    }

  private:
    WireCommand last_;
};
class CommandRunReader {
  public:
    WireCommand Get(Reader& r) {
        const unsigned mask = r.U8();
        for (std::size_t k = 0; k < last_.bytes.size(); ++k) {
            if (mask & (1u << k)) last_.bytes[k] = r.U8();
        }
        return last_;
    }

  private:
    WireCommand last_;
};
void Put(Writer& w, const Commands& m) {
    w.U32(m.firstTick);
    w.U32(m.ackNext);
    w.U8(static_cast<std::uint8_t>(m.commands.size()));
    CommandRunWriter run;
    for (const auto& c : m.commands) run.Put(w, c);
}
void Get(Reader& r, Commands& m) {
    m.firstTick = r.In(r.U32(), 0, kMaxTick);
    m.ackNext = r.In(r.U32(), 0, kMaxTick);
    const std::size_t n = r.In(r.U8(), 0, kMaxCommandsPerPacket);
    CommandRunReader run;
    for (std::size_t i = 0; i < n && r.Ok(); ++i) m.commands.push_back(run.Get(r));
    if (m.firstTick + n > kMaxTick) r.Fail(DecodeError::OutOfRange);
}
// The host's and the guest's commands as two runs, interleaved tick by tick.
void Put(Writer& w, const Ticks& m) {
    w.U32(m.firstTick);
    w.U8(static_cast<std::uint8_t>(m.ticks.size()));
    CommandRunWriter host, guest;
    for (const auto& t : m.ticks) {
        host.Put(w, t.host);
        guest.Put(w, t.guest);
    }
}
void Get(Reader& r, Ticks& m) {
    m.firstTick = r.In(r.U32(), 0, kMaxTick);
    const std::size_t n = r.In(r.U8(), 0, kMaxTicksPerPacket);
    CommandRunReader host, guest;
    for (std::size_t i = 0; i < n && r.Ok(); ++i) {
        TickPair t;
        t.host = host.Get(r);
        t.guest = guest.Get(r);
        m.ticks.push_back(t);
    }
    if (m.firstTick + n > kMaxTick) r.Fail(DecodeError::OutOfRange);
}
void Put(Writer& w, const StateHash& m) {
    w.U32(m.tick);
    w.U16(m.epoch);
    w.U64(m.hash);
}
void Get(Reader& r, StateHash& m) {
    m.tick = r.In(r.U32(), 0, kMaxTick);
    m.epoch = r.U16();
    m.hash = r.U64();
}
void Put(Writer& w, const SnapshotChunk& m) {
    w.U32(m.tick);
    w.U16(m.epoch);
    w.U32(m.totalSize);
    w.U32(m.offset);
    w.U16(static_cast<std::uint16_t>(m.bytes.size()));
    w.Bytes(m.bytes);
}
void Get(Reader& r, SnapshotChunk& m) {
    m.tick = r.In(r.U32(), 0, kMaxTick);
    m.epoch = r.U16();
    m.totalSize = r.In(r.U32(), 1, kMaxSnapshotBytes);
    m.offset = r.In(r.U32(), 0, kMaxSnapshotBytes - 1);
    const std::size_t n = r.In(r.U16(), 1, kSnapshotChunkBytes);
    if (!r.Ok()) return;
    if (static_cast<std::uint64_t>(m.offset) + n > m.totalSize) r.Fail(DecodeError::OutOfRange);
    auto b = r.Bytes(n);
    m.bytes.assign(b.begin(), b.end());
}
void Put(Writer& w, const DelayChange& m) {
    w.U32(m.fromTick);
    w.U8(m.delay);
}
void Get(Reader& r, DelayChange& m) {
    m.fromTick = r.In(r.U32(), 0, kMaxTick);
    m.delay = static_cast<std::uint8_t>(r.In(r.U8(), kMinDelay, kMaxDelay));
}
void Put(Writer& w, const Ping& m) {
    w.U32(m.stamp);
}
void Get(Reader& r, Ping& m) {
    m.stamp = r.U32();
}
void Put(Writer& w, const Pong& m) {
    w.U32(m.stamp);
}
void Get(Reader& r, Pong& m) {
    m.stamp = r.U32();
}
void Put(Writer& w, const Bye& m) {
    w.U8(static_cast<std::uint8_t>(m.reason));
}
void Get(Reader& r, Bye& m) {
    m.reason = r.ReadReason();
}
void Put(Writer& w, const Relayed& m) {
    w.U8(static_cast<std::uint8_t>(m.from));
    w.U8(m.slot);
    w.U16(static_cast<std::uint16_t>(m.inner.size()));
    w.Bytes(m.inner);
}
void Get(Reader& r, Relayed& m) {
    m.from = r.ReadRole();
    m.slot = static_cast<std::uint8_t>(r.In(r.U8(), 0, kMaxWatchers));
    const std::size_t n = r.In(r.U16(), 1, kMaxClientPacketBytes);
    auto b = r.Bytes(n);
    m.inner.assign(b.begin(), b.end());
}
void Put(Writer& w, const PeerJoined& m) {
    w.U8(static_cast<std::uint8_t>(m.role));
    w.U8(m.slot);
}
void Get(Reader& r, PeerJoined& m) {
    m.role = r.ReadRole();
    m.slot = static_cast<std::uint8_t>(r.In(r.U8(), 0, kMaxWatchers));
}
void Put(Writer& w, const PeerLeft& m) {
    w.U8(static_cast<std::uint8_t>(m.role));
    w.U8(m.slot);
}
void Get(Reader& r, PeerLeft& m) {
    m.role = r.ReadRole();
    m.slot = static_cast<std::uint8_t>(r.In(r.U8(), 0, kMaxWatchers));
}
void Put(Writer& w, const Probe& m) {
    w.U16(m.protocol);
    w.U32(m.nonce);
}
void Get(Reader& r, Probe& m) {
    m.protocol = r.U16();
    m.nonce = r.U32();
}
void Put(Writer& w, const Offer& m) {
    w.U16(m.protocol);
    w.U32(m.nonce);
    w.U16(m.port);
    w.Str(m.name);
    w.U8(m.startLevel);
    w.Str(m.room);
    w.U8(m.playing);
}
void Get(Reader& r, Offer& m) {
    m.protocol = r.U16();
    m.nonce = r.U32();
    m.port = static_cast<std::uint16_t>(r.In(r.U16(), 1, 65535));
    m.name = r.Str(kMaxNameLength);
    m.startLevel = static_cast<std::uint8_t>(r.In(r.U8(), 1, kMaxStartLevel));
    m.room = r.Str(kRoomCodeLength);
    m.playing = static_cast<std::uint8_t>(r.In(r.U8(), 0, 1));
    if (!ValidName(m.name) || !ValidRoomField(m.room)) r.Fail(DecodeError::OutOfRange);
}

// The bounds Encode keeps, so that everything sent can be decoded.
bool Sendable(const Message& message) {
    return std::visit(
        [](const auto& m) -> bool {
            using T = std::decay_t<decltype(m)>;
            if constexpr (std::is_same_v<T, Hello>) {
                return ValidGameVersion(m.gameVersion) && ValidName(m.name) &&
                       ValidRoomField(m.room);
            } else if constexpr (std::is_same_v<T, Welcome>) {
                return ValidName(m.name);
            } else if constexpr (std::is_same_v<T, Offer>) {
                return ValidName(m.name) && ValidRoomField(m.room) && m.port != 0 &&
                       m.startLevel >= 1 && m.startLevel <= kMaxStartLevel && m.playing <= 1;
            } else if constexpr (std::is_same_v<T, Commands>) {
                return m.commands.size() <= kMaxCommandsPerPacket &&
                       m.firstTick + m.commands.size() <= kMaxTick && m.ackNext <= kMaxTick;
            } else if constexpr (std::is_same_v<T, Ticks>) {
                return m.ticks.size() <= kMaxTicksPerPacket &&
                       m.firstTick + m.ticks.size() <= kMaxTick;
            } else if constexpr (std::is_same_v<T, SnapshotChunk>) {
                return !m.bytes.empty() && m.bytes.size() <= kSnapshotChunkBytes &&
                       m.totalSize >= 1 && m.totalSize <= kMaxSnapshotBytes &&
                       static_cast<std::uint64_t>(m.offset) + m.bytes.size() <= m.totalSize &&
                       m.tick <= kMaxTick;
            } else if constexpr (std::is_same_v<T, Relayed>) {
                return !m.inner.empty() && m.inner.size() <= kMaxClientPacketBytes;
            } else if constexpr (std::is_same_v<T, Start>) {
                return m.startLevel >= 1 && m.startLevel <= kMaxStartLevel &&
                       m.delay >= kMinDelay && m.delay <= kMaxDelay;
            } else if constexpr (std::is_same_v<T, DelayChange>) {
                return m.delay >= kMinDelay && m.delay <= kMaxDelay && m.fromTick <= kMaxTick;
            } else if constexpr (std::is_same_v<T, StateHash>) {
                return m.tick <= kMaxTick;
            } else {
                return true;
            }
        },
        message);
}

template <typename T>
DecodeError DecodeAs(Reader& r, Message& out) {
    T m;
    Get(r, m);
    const DecodeError e = r.Finish();
    if (e == DecodeError::None) out = std::move(m);
    return e;
}

}  // namespace

WireCommand PackCommand(const CommandFields& f) {
    WireCommand c;
    c.bytes = {static_cast<std::uint8_t>(f.pointerX),
               static_cast<std::uint8_t>(f.pointerX >> 8),
               static_cast<std::uint8_t>(f.pointerY),
               static_cast<std::uint8_t>(f.pointerY >> 8),
               f.keys,
               f.fire,
               f.control,
               f.spare};
    return c;
}

CommandFields UnpackCommand(const WireCommand& c) {
    const auto& b = c.bytes;
    CommandFields f;
    f.pointerX = static_cast<std::uint16_t>(b[0] | b[1] << 8);
    f.pointerY = static_cast<std::uint16_t>(b[2] | b[3] << 8);
    f.keys = b[4];
    f.fire = b[5];
    f.control = b[6];
    f.spare = b[7];
    return f;
}

bool ValidName(const std::string& name) {
    if (name.size() > kMaxNameLength) return false;
    for (char ch : name) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 32 || (c >= 127 && c < 160)) return false;
    }
    return true;
}

bool ValidGameVersion(const std::string& version) {
    if (version.size() > kMaxGameVersionLength) return false;
    for (char c : version) {
        if (c < 33 || c > 126) return false;
    }
    return true;
}

const char* DecodeErrorName(DecodeError error) {
    switch (error) {
        case DecodeError::None:
            return "none";
        case DecodeError::Empty:
            return "empty packet";
        case DecodeError::TooLong:
            return "packet too long";
        case DecodeError::UnknownType:
            return "unknown message type";
        case DecodeError::Truncated:
            return "packet cut short";
        case DecodeError::OutOfRange:
            return "value out of range";
        case DecodeError::TrailingBytes:
            return "bytes after the message";
    }
    return "?";
}

std::uint8_t TypeOf(std::span<const std::uint8_t> bytes) {
    return bytes.empty() ? 0 : bytes[0];
}

std::vector<std::uint8_t> Encode(const Message& message) {
    if (!Sendable(message)) return {};
    Writer w;
    // The variant's order is the order of Type, from 1.
    w.U8(static_cast<std::uint8_t>(message.index() + 1));
    std::visit([&w](const auto& m) { Put(w, m); }, message);
    auto bytes = w.Take();
    if (bytes.size() > kMaxPacketBytes) return {};
    return bytes;
}

DecodeError Decode(std::span<const std::uint8_t> bytes, Message& out) {
    if (bytes.empty()) return DecodeError::Empty;
    if (bytes.size() > kMaxPacketBytes) return DecodeError::TooLong;
    Reader r(bytes.subspan(1));
    switch (static_cast<Type>(bytes[0])) {
        case Type::Hello:
            return DecodeAs<Hello>(r, out);
        case Type::Welcome:
            return DecodeAs<Welcome>(r, out);
        case Type::Refuse:
            return DecodeAs<Refuse>(r, out);
        case Type::Start:
            return DecodeAs<Start>(r, out);
        case Type::Commands:
            return DecodeAs<Commands>(r, out);
        case Type::Ticks:
            return DecodeAs<Ticks>(r, out);
        case Type::StateHash:
            return DecodeAs<StateHash>(r, out);
        case Type::SnapshotChunk:
            return DecodeAs<SnapshotChunk>(r, out);
        case Type::DelayChange:
            return DecodeAs<DelayChange>(r, out);
        case Type::Ping:
            return DecodeAs<Ping>(r, out);
        case Type::Pong:
            return DecodeAs<Pong>(r, out);
        case Type::Bye:
            return DecodeAs<Bye>(r, out);
        case Type::Relayed:
            return DecodeAs<Relayed>(r, out);
        case Type::PeerJoined:
            return DecodeAs<PeerJoined>(r, out);
        case Type::PeerLeft:
            return DecodeAs<PeerLeft>(r, out);
        case Type::Probe:
            return DecodeAs<Probe>(r, out);
        case Type::Offer:
            return DecodeAs<Offer>(r, out);
    }
    return DecodeError::UnknownType;
}

}  // namespace net
