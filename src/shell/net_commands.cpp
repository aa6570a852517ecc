#include "shell/net_commands.h"

#include <algorithm>

#include "core/button_table.h"
#include "core/game.h"

namespace {

// The active button slot of the screen under (x, y); 0 for none.
int ButtonAt(const Game& game, int x, int y) {
    for (int slot = 1; slot <= kButtonSlots; ++slot) {
        if (game.buttons.ButtonActive[slot] > 0 && PointInButton(game.buttons, slot, x, y))
            return slot;
    }
    return 0;
}

}  // namespace

net::WireCommand CommandCapture::Capture(const Game& game, const LocalControls& now) {
    net::CommandFields f;
    const int x = std::clamp(now.mouseX, 0, kScreenWidth - 1);
    const int y = std::clamp(now.mouseY, 0, kScreenHeight - 1);
    f.pointerX = static_cast<std::uint16_t>(x);
    f.pointerY = static_cast<std::uint16_t>(y);
    if (!first_ && (now.mouseX != last_.mouseX || now.mouseY != last_.mouseY)) pointerAims_ = true;
    if (now.keyLeft || now.keyRight) pointerAims_ = false;
    if (now.keyLeft) f.keys |= kNetKeyLeft;
    if (now.keyRight) f.keys |= kNetKeyRight;
    if (pointerAims_) f.keys |= kNetPointerAims;
    const int button = ButtonAt(game, x, y);
    // A button or key still held from before the match (the click that joined it) is no press
    // in it: it would hit the match's button under the pointer.
    if (first_) mouseHeldBefore_ = now.mouseHeld;
    if (!now.mouseHeld) mouseHeldBefore_ = false;
    const bool held = now.mouseHeld && !mouseHeldBefore_;
    const bool pressed = held && !first_ && !last_.mouseHeld;
    // The mouse button fires away from the buttons, whose clicks are theirs.
    f.fire = (now.keySpace || (held && button == 0)) ? 1 : 0;
    if (now.keyP && !first_ && !last_.keyP) f.control |= kNetPause;
    if (now.keyEscape && !first_ && !last_.keyEscape) f.control |= kNetEscape;
    if (pressed && button != 0) {
        f.control |= kNetButton;
        f.spare = static_cast<std::uint8_t>(button);
    }
    last_ = now;
    first_ = false;
    return net::PackCommand(f);
}

void ApplyNetCommands(Game& game, const net::WireCommand& host, const net::WireCommand& guest) {
    NetMatchTick& t = game.netTick;
    t = NetMatchTick{};
    t.on = true;
    const net::CommandFields fields[2] = {net::UnpackCommand(host), net::UnpackCommand(guest)};
    for (int p = 1; p <= 2; ++p) {
        const net::CommandFields& f = fields[p - 1];
        NetMatchTick::Side& s = t.side[p];
        // A record from the wire names any 16-bit pointer; the screen's are the only ones used.
        s.pointerX = std::min<int>(f.pointerX, kScreenWidth - 1);
        s.pointerY = std::min<int>(f.pointerY, kScreenHeight - 1);
        s.keyLeft = (f.keys & kNetKeyLeft) != 0;
        s.keyRight = (f.keys & kNetKeyRight) != 0;
        s.pointerAims = (f.keys & kNetPointerAims) != 0;
        s.fire = f.fire != 0;
        t.pause = t.pause || (f.control & kNetPause) != 0;
        t.escape = t.escape || (f.control & kNetEscape) != 0;
        if (t.button == 0 && (f.control & kNetButton) != 0 && f.spare >= 1 &&
            f.spare <= kButtonSlots)
            t.button = f.spare;
    }
    // The simulation's own pointer rests off the screen on both machines: the buttons light
    // only through the commands.
    InputState& in = game.input;
    in.MouseX = -1;
    in.MouseY = -1;
    in.MouseMoved = 0;
    in.MouseButtonDown = 0;
    in.MouseButtonDown2 = 0;
    in.MouseReleasePending = 0;
}

void EndNetCommands(Game& game) {
    game.netTick = NetMatchTick{};
}
