#!/usr/bin/python3
"""The game's page in headless Chromium against rhombulus2-headless, tick by tick.

page_test.py BUILD_WEB RUNNER RES WORK

Serves BUILD_WEB on 127.0.0.1, opens the page with its clock stepped by the test, and plays the
script below through the page's real mouse and key events (Chromium's input, at the canvas's
scale). At each checked tick the canvas read back and the state hash must equal the runner's
--shot and hash of the same tick (same seed, same script). Screenshots of the page go to WORK.
Prints figures (the shares of the picture drawn and sent a tick among them) and "N passed, N
failed".
"""
import base64
import functools
import http.server
import json
import os
import shutil
import socketserver
import subprocess
import sys
import tempfile
import threading
import time
import urllib.request

import websocket

SEED = 3
WIDTH, HEIGHT = 800, 600
# The runner's scripts and the ticks compared (tick, what, screen id). Puzzle: Escape ends the
# splash, "Spiel starten", "Puzzle", a shot. Help: the help menu, the game's help, its next page.
PUZZLE = """5 key escape
30 move 400 350
40 click
60 move 400 390
80 click
150 move 300 200
170 click
"""
HELP = """5 key escape
30 move 400 465
40 click
60 move 400 355
70 click
100 move 685 570
110 click
"""
# Taps of a finger: "T tap X Y" touches and lifts before tick T, which the runner reads as a move
# and a click there.
TOUCH = """5 key escape
40 tap 400 350
80 tap 400 390
"""
# A pad of the browser's standard layout: "T pad NAME" presses a button before tick T and lets go
# before T + 1, which the runner reads as the key the window makes of it.
PAD_KEYS = {"a": ("space", 0), "b": ("escape", 1), "down": ("down", 13), "start": ("p", 9)}
PAD = """5 pad b
26 pad down
28 pad a
50 pad down
54 pad a
"""
# The level editor: two stones placed, then its proof, which the page plays without a thread.
EDITOR = """5 key escape
30 move 400 350
40 click
60 move 305 545
80 click
100 move 326 30
101 down
103 move 386 30
104 up
120 move 760 354
121 click
"""
SCENES = [
    ("puzzle", 1, PUZZLE, [(20, "main menu", 2), (50, "game choice", 11),
                           (120, "puzzle level", 1), (175, "puzzle shot", 1)]),
    ("help-en", 2, HELP, [(55, "help menu", 5), (90, "help page", 4), (130, "next help page", 4)]),
    ("help-de", 1, HELP, [(90, "help page", 4)]),
    ("touch", 2, TOUCH, [(60, "game choice", 11), (100, "puzzle level", 1)]),
    ("pad", 1, PAD, [(40, "game choice", 11), (70, "puzzle level", 1)]),
    ("editor", 1, EDITOR, [(123, "editor's proof begun", 26), (580, "editor's proof done", 26)]),
]


def runner_script(script):
    """The scene's script as the runner reads it: a tap is a move and a click."""
    lines = []
    for line in script.splitlines():
        words = line.split()
        if words[1] == "tap":
            lines += [f"{words[0]} move {words[2]} {words[3]}", f"{words[0]} click"]
        elif words[1] == "pad":
            lines.append(f"{words[0]} key {PAD_KEYS[words[2]][0]}")
        else:
            lines.append(line)
    return "\n".join(lines) + "\n"


def log(text):
    print(text, flush=True)


def read_bmp(path):
    """RGBA bytes, top row first, of the runner's 24-bit bottom-up bitmap."""
    data = open(path, "rb").read()
    offset = int.from_bytes(data[10:14], "little")
    width = int.from_bytes(data[18:22], "little")
    height = int.from_bytes(data[22:26], "little")
    assert (width, height) == (WIDTH, HEIGHT) and data[28] == 24, "not an 800x600 24-bit bitmap"
    stride = (width * 3 + 3) // 4 * 4
    out = bytearray(width * height * 4)
    for y in range(height):
        row = data[offset + (height - 1 - y) * stride:]
        for x in range(width):
            b, g, r = row[x * 3], row[x * 3 + 1], row[x * 3 + 2]
            out[(y * width + x) * 4:(y * width + x) * 4 + 4] = bytes((r, g, b, 255))
    return bytes(out)


def run_runner(runner, res, work, name, language, script, checks):
    """The reference: the runner's shots (bitmaps) and state hashes of the checked ticks."""
    fresh = os.path.join(work, "res-" + name)
    # The game's files linked, its saves folder new and empty.
    shutil.rmtree(fresh, ignore_errors=True)
    shutil.copytree(os.path.abspath(res), fresh, ignore=shutil.ignore_patterns("saves", "levels"),
                    copy_function=os.symlink)
    os.mkdir(os.path.join(fresh, "saves"))
    path = os.path.join(work, f"input-{name}.txt")
    with open(path, "w") as f:
        f.write(f"# language {language}\n" + runner_script(script))
    last = max(t for t, _, _ in checks)
    args = [runner, "--res", fresh, "--seed", str(SEED), "--ticks", str(last), "--input", path,
            "--hash-every", "1"]
    for tick, _, _ in checks:
        args += ["--shot", f"{tick}:{work}/runner-{name}-{tick}.bmp"]
    out = subprocess.run(args, capture_output=True, text=True, timeout=120, check=True).stdout
    hashes = {}
    for line in out.splitlines():
        words = line.split()
        if len(words) == 4 and words[0] == "tick" and words[2] == "hash":
            hashes[int(words[1])] = words[3]
    return hashes


class Page:
    """One Chromium tab through the DevTools protocol."""

    def __init__(self, url):
        self.ws = websocket.create_connection(url, timeout=60, suppress_origin=True)
        self.next_id = 0

    def call(self, method, **params):
        self.next_id += 1
        self.ws.send(json.dumps({"id": self.next_id, "method": method, "params": params}))
        while True:
            message = json.loads(self.ws.recv())
            if message.get("id") == self.next_id:
                if "error" in message:
                    raise RuntimeError(f"{method}: {message['error']}")
                return message.get("result", {})

    def eval(self, expression):
        result = self.call("Runtime.evaluate", expression=expression, returnByValue=True,
                           awaitPromise=True)
        if "exceptionDetails" in result:
            raise RuntimeError(f"{expression}: {result['exceptionDetails']}")
        return result["result"].get("value")

    def wait_for(self, expression, seconds):
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            if self.eval(expression):
                return True
            time.sleep(0.1)
        return False

    def shot(self, path):
        data = self.call("Page.captureScreenshot", format="png")["data"]
        with open(path, "wb") as f:
            f.write(base64.b64decode(data))


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


def serve(directory):
    handler = functools.partial(QuietHandler, directory=directory)
    server = socketserver.ThreadingTCPServer(("127.0.0.1", 0), handler)
    server.daemon_threads = True
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def start_chromium(profile):
    chromium = shutil.which("chromium") or "/usr/bin/chromium"
    process = subprocess.Popen(
        [chromium, "--headless=new", "--no-sandbox", "--disable-gpu", "--no-first-run",
         "--no-default-browser-check", "--disable-extensions", "--mute-audio",
         "--remote-debugging-address=127.0.0.1", "--remote-debugging-port=0",
         f"--user-data-dir={profile}", "--window-size=1700,1300", "about:blank"],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    port_file = os.path.join(profile, "DevToolsActivePort")
    end = time.monotonic() + 60
    while time.monotonic() < end and not os.path.exists(port_file):
        if process.poll() is not None:
            raise RuntimeError("chromium ended at start")
        time.sleep(0.1)
    time.sleep(0.2)
    port = int(open(port_file).read().split()[0])
    targets = json.load(urllib.request.urlopen(f"http://127.0.0.1:{port}/json/list", timeout=10))
    page = next(t for t in targets if t["type"] == "page")
    return process, Page(page["webSocketDebuggerUrl"])


class Player:
    """Plays the script's events through Chromium's input at the canvas's place and scale."""

    def __init__(self, page):
        self.page = page
        self.tick = 0
        box = page.eval("(() => { const r = document.getElementById('canvas')"
                        ".getBoundingClientRect(); return [r.left, r.top, r.width]; })()")
        self.left, self.top, self.scale = box[0], box[1], box[2] / WIDTH
        self.x = self.y = 0

    def step_to(self, tick):
        """Runs the ticks before `tick`: its events come next, then the tick itself."""
        if tick - 1 > self.tick:
            self.tick = int(self.page.eval(f"rhombulus.step({tick - 1 - self.tick})"))

    def mouse(self, kind, **extra):
        px = self.left + (self.x + 0.5) * self.scale
        py = self.top + (self.y + 0.5) * self.scale
        self.page.call("Input.dispatchMouseEvent", type=kind, x=px, y=py, **extra)

    def event(self, words):
        kind = words[1]
        if kind == "move":
            self.x, self.y = int(words[2]), int(words[3])
            self.mouse("mouseMoved")
        elif kind in ("down", "up"):
            self.mouse("mousePressed" if kind == "down" else "mouseReleased", button="left",
                       clickCount=1)
        elif kind in ("keydown", "keyup"):
            key, code, vk = {"escape": ("Escape", "Escape", 27), "return": ("Enter", "Enter", 13),
                             "space": (" ", "Space", 32)}[words[2]]
            self.page.call("Input.dispatchKeyEvent",
                           type="keyDown" if kind == "keydown" else "keyUp", key=key, code=code,
                           windowsVirtualKeyCode=vk)
        elif kind in ("paddown", "padup"):
            index = PAD_KEYS[words[2]][1]
            pressed = "true" if kind == "paddown" else "false"
            self.page.eval(f"(() => {{ const b = window.testPad.buttons[{index}];"
                           f" b.pressed = {pressed}; b.value = {pressed} ? 1 : 0;"
                           f" window.testPad.timestamp += 1; return true; }})()")
        elif kind == "tap":
            x = self.left + (int(words[2]) + 0.5) * self.scale
            y = self.top + (int(words[3]) + 0.5) * self.scale
            self.page.call("Input.dispatchTouchEvent", type="touchStart",
                           touchPoints=[{"x": x, "y": y, "id": 1}])
            self.page.call("Input.dispatchTouchEvent", type="touchEnd", touchPoints=[])
        else:
            raise ValueError(kind)


def expand(script):
    """The script's events one by one, as the runner reads them (click, key: down, then up)."""
    events = []
    for line in script.splitlines():
        words = line.split()
        tick = int(words[0])
        if words[1] == "click":
            events += [(tick, [words[0], "down"]), (tick + 1, [words[0], "up"])]
        elif words[1] == "pad":
            events += [(tick, [words[0], "paddown", words[2]]),
                       (tick + 1, [words[0], "padup", words[2]])]
        elif words[1] == "key":
            events += [(tick, [words[0], "keydown", words[2]]),
                       (tick + 1, [words[0], "keyup", words[2]])]
        else:
            events.append((tick, words))
    return sorted(events, key=lambda e: e[0])


def stepped(page, base, runner, res, work, scene, check):
    """The clock stepped by the test: every checked tick as the runner's."""
    name, language, script, checks = scene
    hashes = run_runner(runner, res, work, name, language, script, checks)
    page.call("Page.navigate", url=f"{base}/index.html?test=1&seed={SEED}&lang={language}")
    loaded = page.wait_for("window.rhombulus !== undefined && rhombulus.ready === true", 120)
    check(loaded, f"{name}: the page loads and starts the game")
    if not loaded:
        return
    # A pad the page reads through the Gamepad API.
    page.eval("window.testPad = { connected: true, id: 'test pad', index: 0, mapping: 'standard',"
              " timestamp: 0, axes: [0, 0, 0, 0], buttons: Array.from({ length: 17 },"
              " () => ({ pressed: false, value: 0 })) };"
              " Object.defineProperty(navigator, 'getGamepads', { value: () => [window.testPad],"
              " configurable: true }); true")
    player = Player(page)
    check(abs(player.scale - 2) < 1e-6,
          f"the canvas is scaled by 2 in a 1700x1300 page (scale {player.scale})")
    events = expand(script)
    for tick, what, screen in checks:
        while events and events[0][0] <= tick:
            event_tick, words = events.pop(0)
            player.step_to(event_tick)
            player.event(words)
        player.step_to(tick + 1)
        check(player.tick == tick, f"{name}: tick {tick} ran ({player.tick})")
        check(page.eval("rhombulus.screen()") == screen, f"{name}: tick {tick}: the {what} shows")
        check(page.eval("rhombulus.stateHash()") == hashes.get(tick),
              f"{name}: tick {tick}: the state hash is the runner's")
        shown = base64.b64decode(page.eval(
            "(() => { const d = document.getElementById('canvas').getContext('2d')"
            ".getImageData(0, 0, 800, 600).data; let s = '';"
            " for (let i = 0; i < d.length; i += 8192)"
            "   s += String.fromCharCode.apply(null, d.subarray(i, i + 8192));"
            " return btoa(s); })()"))
        expected = read_bmp(f"{work}/runner-{name}-{tick}.bmp")
        differ = sum(1 for i in range(0, len(expected), 4) if shown[i:i + 4] != expected[i:i + 4])
        check(differ == 0, f"{name}: tick {tick}: the canvas is the runner's shot byte for "
              f"byte ({differ} pixels differ)")
        page.shot(f"{work}/page-{name}-{tick}.png")
    if name == "puzzle":
        # What a tick of the level costs in the page (drawing included), and the tab's memory.
        spent = page.eval("(() => { const t = performance.now(); rhombulus.step(600);"
                          " return performance.now() - t; })()")
        memory = page.eval("[Module.HEAPU8.length, performance.memory ?"
                           " performance.memory.usedJSHeapSize : 0]")
        log(f"figure: {spent / 600:.3f} ms a tick in the page over 600 ticks of a Puzzle level; "
            f"WebAssembly memory {memory[0] >> 20} MiB, script heap {memory[1] >> 20} MiB")


def picture_shares(page, base, work, check):
    """The share of the picture the renderer draws again and the page puts on the canvas a tick,
    on the still main menu (the pointer resting on it) and in a Puzzle game with a click a
    second (its first level is cleared on the way), stepped so that every run measures the same
    ticks. A page that sent whole pictures again would send far more than it draws."""
    page.call("Page.navigate", url=f"{base}/index.html?test=1&seed={SEED}&lang=2")
    if not page.wait_for("window.rhombulus !== undefined && rhombulus.ready === true", 120):
        check(False, "shares: the page loads")
        return
    player = Player(page)
    page.eval("rhombulus.step(250)")

    def measure(ticks, clicks):
        """The shares in % over `ticks`, the clicks spread evenly, the pointer left on the last."""
        before = page.eval("[rhombulus.drawnPixels(), rhombulus.sentPixels]")
        for x, y, down in clicks:
            player.x, player.y = x, y
            player.mouse("mouseMoved")
            if down:
                player.mouse("mousePressed", button="left", clickCount=1)
                page.eval("rhombulus.step(1)")
                player.mouse("mouseReleased", button="left", clickCount=1)
            page.eval(f"rhombulus.step({ticks // len(clicks) - down})")
        after = page.eval("[rhombulus.drawnPixels(), rhombulus.sentPixels]")
        return [(a - b) * 100.0 / (ticks * WIDTH * HEIGHT) for a, b in zip(after, before)]

    measure(20, [(150, 120, False)])
    menu = measure(600, [(150, 120, False)])
    on_menu = page.eval("rhombulus.screen()") == 2
    page.shot(f"{work}/page-shares-menu.png")
    measure(80, [(400, 350, True), (400, 390, True)])
    # A click a second, the shots spread over the field.
    puzzle = measure(670, [(220 + 53 * i % 260, 180 + 37 * i % 120, True) for i in range(10)])
    on_puzzle = page.eval("rhombulus.screen()") == 1
    page.shot(f"{work}/page-shares-puzzle.png")
    for what, on, ticks, (drawn, sent) in [("main menu", on_menu, 600, menu),
                                           ("Puzzle game", on_puzzle, 670, puzzle)]:
        log(f"browser: {what:<11} drawn {drawn:.2f} % of the picture a tick, sent {sent:.2f} % "
            f"({ticks} ticks)")
        # What is sent is what was drawn again, never the whole picture.
        check(on and drawn > 0 and sent <= 1.5 * drawn + 0.05,
              f"shares: the {what} stays on, and the canvas is sent about what was drawn again")
    check(menu[1] < 3, "shares: the still main menu sends under 3 % of the picture a tick")


def free_running(page, base, work, check):
    """The page as a player gets it: its own clock, the saves in IndexedDB, the mouse into a
    Puzzle level. Prints the time to the main menu and the ticks a second."""
    page.call("Page.navigate", url=f"{base}/index.html")
    menu = page.wait_for("window.rhombulusMainMenuMs !== undefined", 60)
    check(menu, "the page's own clock reaches the main menu")
    if not menu:
        return
    ms, tick = page.eval("[window.rhombulusMainMenuMs, window.rhombulusMainMenuTick]")
    log(f"figure: main menu {ms:.0f} ms after the page was asked for, at tick {tick} "
        f"(the splash's {tick * 15} ms included)")
    player = Player(page)
    for x, y, screen, what in [(400, 350, 11, "game choice"), (400, 390, 1, "Puzzle level")]:
        # A menu takes clicks once it has come in.
        start = page.eval("rhombulus.ticks()")
        page.wait_for(f"rhombulus.ticks() >= {start + 40}", 10)
        player.x, player.y = x, y
        player.mouse("mouseMoved")
        time.sleep(0.1)
        player.mouse("mousePressed", button="left", clickCount=1)
        time.sleep(0.1)
        player.mouse("mouseReleased", button="left", clickCount=1)
        check(page.wait_for(f"rhombulus.screen() === {screen}", 10),
              f"a click with the mouse opens the {what}")
    sound = page.eval("Module.rhombulusSound.state()")
    check(sound["context"] == "running" and sound["tune"] and sound["waves"] > 0,
          f"after the first click the effects sound and the tune plays ({sound})")
    first = page.eval("[rhombulus.ticks(), performance.now()]")
    time.sleep(1.0)
    second = page.eval("[rhombulus.ticks(), performance.now()]")
    rate = (second[0] - first[0]) * 1000.0 / (second[1] - first[1])
    check(second[0] > first[0], "the ticks go on by themselves")
    log(f"figure: {rate:.1f} ticks a second on the page's clock (66.7 is one every 15 ms)")
    page.shot(f"{work}/page-free-running.png")
    # A page without the focus pauses as the window does: no ticks until the focus is back.
    page.eval("dispatchEvent(new FocusEvent('blur')); true")
    paused = page.eval("rhombulus.ticks()")
    time.sleep(0.5)
    check(page.eval("rhombulus.ticks()") == paused, "no ticks while the page lacks the focus")
    page.shot(f"{work}/page-paused.png")
    page.eval("dispatchEvent(new FocusEvent('focus')); true")
    check(page.wait_for(f"rhombulus.ticks() > {paused}", 5),
          "the ticks go on when the focus is back")
    # A pack dropped on the page goes into the levels folder; other files are refused.
    page.eval("(() => { const d = new DataTransfer();"
              " d.items.add(new File(['; a pack\\n'], 'dropped pack.txt'));"
              " d.items.add(new File(['x'], 'picture.png'));"
              " document.getElementById('canvas').dispatchEvent(new DragEvent('drop',"
              " { dataTransfer: d, bubbles: true, cancelable: true })); return true; })()")
    check(page.wait_for("FS.readdir('/data/levels').includes('dropped pack.txt')", 5),
          "a pack dropped on the page is in the levels folder")
    check(not page.eval("FS.readdir('/data/levels').includes('picture.png')"),
          "a file that is no pack is not taken")
    # The files panel offers each pack of My Levels as a download of the pack's bytes.
    page.eval("document.getElementById('files-button').click(); true")
    offered = page.eval("(async () => { const a = document.querySelector("
                        "'#pack-list a[download=\"dropped pack.txt\"]');"
                        " return a ? await (await fetch(a.href)).text() : null; })()")
    check(offered == "; a pack\n", f"the dropped pack is offered for download ({offered!r})")
    page.shot(f"{work}/page-files.png")
    page.eval("document.getElementById('files-close').click(); true")
    # Closing the page is the window's close: the settings and the game on screen are kept
    # (the browser's storage) and the next start offers to go on with that game.
    page.call("Page.reload")
    check(page.wait_for("window.rhombulusMainMenuMs !== undefined", 60),
          "the page starts again after a reload")
    saves = page.eval("FS.readdir('/data/saves')")
    check("settings.dat" in saves and "ave.dat" in saves,
          f"the settings and the game left survive the reload ({saves})")
    check(page.eval("FS.readdir('/data/levels').includes('dropped pack.txt')"),
          "the dropped pack survives the reload")
    time.sleep(1.0)
    page.shot(f"{work}/page-reloaded.png")
    # A browser that refuses the storage: the page says so once and the game plays on.
    script = page.call("Page.addScriptToEvaluateOnNewDocument",
                       source="Object.defineProperty(window, 'indexedDB', { value: undefined });")
    page.call("Page.navigate", url=f"{base}/index.html")
    check(page.wait_for("window.rhombulusMainMenuMs !== undefined", 60),
          "without the browser's storage the game still reaches the main menu")
    said = page.eval("document.getElementById('status').textContent")
    check("no saves" in said, f"and the page says it keeps no saves ({said!r})")
    page.shot(f"{work}/page-no-storage.png")
    page.call("Page.removeScriptToEvaluateOnNewDocument", identifier=script["identifier"])


def replay_dropped(page, base, runner, res, work, check):
    """A Puzzle game the runner kept as a replay, dropped on the page and watched four ticks a
    frame, ends in the state the runner's watching at one tick a frame ends in."""
    fresh = os.path.join(work, "res-replay")
    shutil.rmtree(fresh, ignore_errors=True)
    shutil.copytree(os.path.abspath(res), fresh, ignore=shutil.ignore_patterns("saves", "levels"),
                    copy_function=os.symlink)
    os.mkdir(os.path.join(fresh, "saves"))
    script = os.path.join(work, "input-replay.txt")
    with open(script, "w") as f:
        f.write(PUZZLE + "260 move 500 220\n270 click\n330 key escape\n400 close\n")
    kept = os.path.join(work, "kept")
    shutil.rmtree(kept, ignore_errors=True)
    subprocess.run([runner, "--res", fresh, "--seed", "5", "--no-draw", "--input", script,
                    "--keep-replays", kept], check=True, timeout=120, capture_output=True)
    files = sorted(os.listdir(kept))
    check(len(files) == 1, f"the runner keeps the Puzzle game as a replay ({files})")
    if len(files) != 1:
        return
    path = os.path.join(kept, files[0])
    out = subprocess.run([runner, "--res", fresh, "--watch", path, "--speed", "1",
                          "--hash-every", "1"], check=True, timeout=120, capture_output=True,
                         text=True).stdout
    ends = [line.split() for line in out.splitlines() if line.startswith("tick ")]
    page.call("Page.navigate", url=f"{base}/index.html?test=1&seed={SEED}&lang=2")
    if not page.wait_for("window.rhombulus !== undefined && rhombulus.ready === true", 120):
        check(False, "replay: the page loads")
        return
    page.eval("rhombulus.step(250)")
    data = base64.b64encode(open(path, "rb").read()).decode()
    page.eval("(() => { const d = new DataTransfer();"
              f" const bytes = Uint8Array.from(atob('{data}'), (c) => c.charCodeAt(0));"
              f" d.items.add(new File([bytes], '{files[0]}'));"
              " document.getElementById('canvas').dispatchEvent(new DragEvent('drop',"
              " { dataTransfer: d, bubbles: true, cancelable: true })); return true; })()")
    check(page.wait_for("rhombulus.screen() === 1", 10),
          "a replay dropped on the page plays its Puzzle game")
    for _ in range(2):
        page.call("Input.dispatchKeyEvent", type="keyDown", key="ArrowRight", code="ArrowRight",
                  windowsVirtualKeyCode=39)
        page.call("Input.dispatchKeyEvent", type="keyUp", key="ArrowRight", code="ArrowRight",
                  windowsVirtualKeyCode=39)
    page.eval("rhombulus.step(40)")
    page.shot(f"{work}/page-replay.png")
    for _ in range(100):
        if page.eval("rhombulus.replayEnded") is not None:
            break
        page.eval("rhombulus.step(50)")
    ended = page.eval("rhombulus.replayEnded")
    check(ended is not None and ends and ended[1] == ends[-1][3],
          f"the replay watched at 4 ticks a frame ends in the state of the runner's watch "
          f"({ended} and {ends[-1] if ends else None})")
    page.shot(f"{work}/page-replay-end.png")
    page.call("Input.dispatchKeyEvent", type="keyDown", key="Escape", code="Escape",
              windowsVirtualKeyCode=27)
    page.eval("rhombulus.step(2)")
    check(page.eval("rhombulus.screen()") == 2, "a key after the replay's end is back at the menu")


# A network match through the relay's WebSocket door: the runner hosts room KXP-WMN over ENet,
# the page joins it by the code; the host fires now and then, the page's player clicks.
NET_ROOM = "KXP-WMN"
NET_TICKS = 900
NET_HOST = "".join(f"{t} key space\n" for t in range(40, NET_TICKS, 110))


class Lines:
    """A process's stderr, read on a thread, to wait for a line rather than for a time."""

    def __init__(self, stream):
        self.lines = []
        self.stream = stream
        threading.Thread(target=self.read, daemon=True).start()

    def read(self):
        for line in self.stream:
            self.lines.append(line.rstrip("\n"))

    def wait(self, prefix, seconds):
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            for line in list(self.lines):
                if line.startswith(prefix):
                    return line
            time.sleep(0.05)
        return None


def network_match(page, base, runner, res, work, check, page_hosts=False):
    """The page as the guest of a runner host, or (page_hosts) as the host of a runner guest that
    joins by the room code the page's screen shows."""
    relay_bin = os.path.join(os.path.dirname(os.path.abspath(runner)), "rhombulus2-relay")
    relay = subprocess.Popen([relay_bin, "--bind", "127.0.0.1", "--port", "0", "--ws", "0",
                              "--packets-per-second", "10000"],
                             stderr=subprocess.PIPE, text=True)
    host = None
    try:
        said = Lines(relay.stderr)
        udp = said.wait("rhombulus2-relay: listening on UDP port ", 20)
        tcp = said.wait("rhombulus2-relay: WebSocket on TCP port ", 20)
        check(udp is not None and tcp is not None, "the relay names its UDP and WebSocket ports")
        if udp is None or tcp is None:
            return
        udp_port, ws_port = udp.split()[-1], tcp.split()[-1]
        side = "guest" if page_hosts else "host"
        script = os.path.join(work, f"net-{side}.txt")
        with open(script, "w") as f:
            f.write(NET_HOST)
        page.call("Page.navigate",
                  url=f"{base}/index.html?test=1&seed={SEED}&lang=2&relay=127.0.0.1:{ws_port}")
        if not page.wait_for("window.rhombulus !== undefined && rhombulus.ready === true", 120):
            check(False, "network: the page loads")
            return
        page.eval("rhombulus.step(250)")
        check(page.eval("rhombulus.screen()") == 2, "network: the page is at the main menu")
        room = NET_ROOM
        if page_hosts:
            page.eval("rhombulus.runFree(); rhombulus.netOpen(1, ''); true")
            check(said.wait("rhombulus2-relay: 1 rooms", 30) is not None,
                  "the page hosts a room on the relay")
            room = page.eval("rhombulus.netStatus()").split("\n")[0].split()[-1]
        args = [runner, "--res", res, "--seed", "11", "--no-draw", "--input", script,
                "--net-relay", f"127.0.0.1:{udp_port}", "--room", room, "--ticks",
                str(NET_TICKS), "--hash-every", "60"]
        if not page_hosts:
            args += ["--match-level", "1"]
        with open(os.path.join(work, f"net-{side}.out"), "w") as out, \
                open(os.path.join(work, f"net-{side}.err"), "w") as err:
            host = subprocess.Popen(args, stdout=out, stderr=err)
        if not page_hosts:
            check(said.wait("rhombulus2-relay: 1 rooms", 30) is not None,
                  "the runner hosts its room on the relay")
            page.eval("rhombulus.runFree(); rhombulus.netOpen(2, 'kxp wmn'); true")
        playing = page.wait_for("rhombulus.netHashes.length > 0", 60)
        check(playing, f"the page {'hosts' if page_hosts else 'joins'} the runner's match by "
              f"the room code {room}")
        player = Player(page)
        shot_taken = False
        # The page's player aims at the right field and fires while the match runs.
        end = time.monotonic() + 120
        while playing and page.eval("rhombulus.netEnded") < 0 and time.monotonic() < end:
            player.x, player.y = 620, 300 + (len(page.eval("rhombulus.netHashes")) % 3) * 20
            player.mouse("mouseMoved")
            player.mouse("mousePressed", button="left", clickCount=1)
            time.sleep(0.05)
            player.mouse("mouseReleased", button="left", clickCount=1)
            if not shot_taken and len(page.eval("rhombulus.netHashes")) >= 6:
                page.shot(f"{work}/page-net-match-{side}.png")
                shot_taken = True
            time.sleep(0.4)
        check(page.eval("rhombulus.netEnded") >= 0, "the page's match ends when the runner's does")
        host_status = host.wait(timeout=60)
        check(host_status == 0, f"the runner {side} ends its match (status {host_status})")
        host_hashes = []
        for line in open(os.path.join(work, f"net-{side}.out")):
            words = line.split()
            if len(words) == 4 and words[0] == "tick" and words[2] == "hash":
                host_hashes.append([int(words[1]), words[3]])
        page_hashes = [[int(t), h] for t, h in page.eval("rhombulus.netHashes")]
        check(len(host_hashes) == NET_TICKS // 60 and page_hashes == host_hashes,
              f"page and runner have the same state hash at every 60th tick of the match "
              f"({len(page_hashes)} and {len(host_hashes)} hashes)")
        page.call("Input.dispatchKeyEvent", type="keyDown", key="Escape", code="Escape",
                  windowsVirtualKeyCode=27)
        page.shot(f"{work}/page-net-after-{side}.png")
    finally:
        for p in (host, relay):
            if p is not None and p.poll() is None:
                p.terminate()
                try:
                    p.wait(timeout=10)
                except subprocess.TimeoutExpired:
                    p.kill()


def main():
    build_web, runner, res, work = sys.argv[1:5]
    started = time.monotonic()
    os.makedirs(work, exist_ok=True)
    server = serve(build_web)
    profile = tempfile.mkdtemp(prefix="rhombulus2-chromium-")
    process, page = start_chromium(profile)
    passed = failed = 0

    def check(ok, what):
        nonlocal passed, failed
        passed += ok
        failed += not ok
        log(("ok   " if ok else "FAIL ") + what)

    try:
        page.call("Page.enable")
        page.call("Runtime.enable")
        # A page of 1700 x 1300 pixels: the picture fits twice.
        page.call("Emulation.setDeviceMetricsOverride", width=1700, height=1300,
                  deviceScaleFactor=1, mobile=False)
        page.call("Emulation.setTouchEmulationEnabled", enabled=True, maxTouchPoints=1)
        base = f"http://127.0.0.1:{server.server_address[1]}"
        for scene in SCENES:
            stepped(page, base, runner, res, work, scene, check)
        picture_shares(page, base, work, check)
        free_running(page, base, work, check)
        replay_dropped(page, base, runner, res, work, check)
        network_match(page, base, runner, res, work, check)
        network_match(page, base, runner, res, work, check, page_hosts=True)
        # A figure, not a check: a busy machine is slower, not wrong.
        log(f"figure: the test took {time.monotonic() - started:.0f} s")
    finally:
        page.ws.close()
        process.terminate()
        try:
            process.wait(timeout=20)
        except subprocess.TimeoutExpired:
            process.kill()
        server.shutdown()
        shutil.rmtree(profile, ignore_errors=True)
    print(f"{passed} passed, {failed} failed")
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
