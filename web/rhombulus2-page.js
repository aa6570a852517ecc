// The page around the game: the canvas and its size, the saves in the browser's storage, the
// message box, and for tests a clock stepped by hand (?test=1&seed=N&lang=L).
"use strict";
(function () {
  const kWidth = 800, kHeight = 600;
  const params = new URLSearchParams(location.search);
  const testing = params.get("test") === "1";
  const canvas = document.getElementById("canvas");
  const context = canvas.getContext("2d", { alpha: false });
  const status = document.getElementById("status");
  let image = null;

  // The largest whole factor that fits the page; a page smaller than the picture, and the
  // whole screen, take the largest size that fits, smoothed.
  function fitCanvas() {
    const scale = Math.min(innerWidth / kWidth, innerHeight / kHeight);
    const whole = document.fullscreenElement === null && scale >= 1;
    const factor = whole ? Math.floor(scale) : scale;
    canvas.style.width = kWidth * factor + "px";
    canvas.style.height = kHeight * factor + "px";
    canvas.classList.toggle("smooth", !whole);
  }
  addEventListener("resize", fitCanvas);
  document.addEventListener("fullscreenchange", fitCanvas);
  fitCanvas();
  // F11, Alt+Return and the button switch the whole screen, as the window's keys do.
  function toggleFullscreen() {
    if (document.fullscreenElement) {
      document.exitFullscreen();
    } else if (document.documentElement.requestFullscreen) {
      document.documentElement.requestFullscreen().catch(() => {});
    }
  }
  addEventListener("keydown", (e) => {
    if (e.repeat) return;
    if (e.code === "F11" || (e.code === "Enter" && e.altKey)) {
      e.preventDefault();
      e.stopImmediatePropagation();
      toggleFullscreen();
    }
  }, true);
  document.getElementById("fullscreen").addEventListener("click", () => {
    toggleFullscreen();
    canvas.focus();
  });
  canvas.addEventListener("contextmenu", (e) => e.preventDefault());

  // A full or refused storage is said once, under the picture; the game plays on.
  let problemShown = false;
  function storageProblem() {
    if (problemShown) return;
    problemShown = true;
    status.textContent = "This browser keeps no saves for this page now: " +
        "settings and games last only until the page is closed.";
    setTimeout(() => { status.textContent = ""; }, 10000);
  }
  // The saves live in IndexedDB; what the game writes there is stored soon after. Files
  // written since the last store are named in `changed` (a deleted one maps to false).
  let dirty = false, syncing = false;
  let changed = new Map(), storing = new Map();
  const kPending = "rhombulus2:";
  function store() {
    if (syncing || !dirty) return;
    dirty = false;
    syncing = true;
    storing = changed;
    changed = new Map();
    FS.syncfs(false, (error) => {
      syncing = false;
      if (error) {
        console.warn("rhombulus2: the saves could not be stored", error);
        storageProblem();
        for (const [path, there] of storing) if (!changed.has(path)) changed.set(path, there);
        dirty = true;
      }
      storing = new Map();
    });
  }
  function watchWrites() {
    const inData = (path) => typeof path === "string" && path.startsWith("/data/");
    const close = FS.close, rename = FS.rename, unlink = FS.unlink;
    const note = (path, there) => { dirty = true; changed.set(path, there); };
    FS.close = function (stream) {
      if (stream && inData(stream.path) && (stream.flags & 3) !== 0) note(stream.path, true);
      return close.apply(this, arguments);
    };
    FS.rename = function (from, to) {
      if (inData(from)) note(from, false);
      if (inData(to)) note(to, true);
      return rename.apply(this, arguments);
    };
    FS.unlink = function (path) {
      if (inData(path)) note(path, false);
      return unlink.apply(this, arguments);
    };
  }
  // A page that goes has no time for IndexedDB (the browser drops its transactions): the files
  // not yet stored wait in localStorage, which writes at once, and the next start takes them.
  function keepPending() {
    for (const [path, there] of new Map([...storing, ...changed])) {
      let text = "";
      if (there) {
        try {
          const bytes = FS.readFile(path);
          let binary = "";
          for (let i = 0; i < bytes.length; i += 8192) {
            binary += String.fromCharCode.apply(null, bytes.subarray(i, i + 8192));
          }
          text = "+" + btoa(binary);
        } catch (e) { continue; /* gone meanwhile */ }
      }
      try {
        localStorage.setItem(kPending + path, text);
      } catch (e) {
        console.warn("rhombulus2: " + path + " could not be kept", e);
      }
    }
  }
  function takePending() {
    for (const key of Object.keys(localStorage)) {
      if (!key.startsWith(kPending)) continue;
      const path = key.slice(kPending.length), text = localStorage.getItem(key);
      try {
        if (text.startsWith("+")) {
          const binary = atob(text.slice(1));
          const bytes = new Uint8Array(binary.length);
          for (let i = 0; i < binary.length; ++i) bytes[i] = binary.charCodeAt(i);
          FS.writeFile(path, bytes);
        } else {
          FS.unlink(path);
        }
      } catch (e) { /* a folder gone, or the file already gone */ }
      localStorage.removeItem(key);
      dirty = true;
    }
  }
  // Closing the tab is the window's close button: the game keeps what it keeps then.
  addEventListener("pagehide", () => {
    if (window.rhombulus.ready) Module.ccall("rhombulus_page_closing", null, [], []);
    if (!testing) keepPending();
  });
  // A page taken back from the browser's cache has ended its game: it starts anew.
  addEventListener("pageshow", (e) => { if (e.persisted) location.reload(); });
  document.addEventListener("visibilitychange", () => { if (document.hidden) store(); });

  function seedOfPage() {
    const n = Number(params.get("seed"));
    return Number.isInteger(n) && n > 0 ? n : 0;
  }

  window.Module = {
    canvas: canvas,
    print: (text) => console.log(text),
    printErr: (text) => console.warn(text),
    preRun: [function () {
      FS.mkdir("/data");
      // A test starts from empty saves every time; a browser without IndexedDB keeps them in
      // memory only.
      const stored = !testing && typeof indexedDB !== "undefined" && indexedDB !== null;
      FS.mount(stored ? IDBFS : MEMFS, {}, "/data");
      Module.addRunDependency("saves");
      const loaded = (error) => {
        if (error) {
          console.warn("rhombulus2: no saves from the browser's storage", error);
          storageProblem();
        }
        for (const dir of ["/data/saves", "/data/levels"]) {
          try { FS.mkdir(dir); } catch (e) { /* there already */ }
        }
        if (!testing) takePending();
        watchWrites();
        Module.removeRunDependency("saves");
      };
      if (stored) {
        FS.syncfs(true, loaded);
      } else {
        if (!testing) storageProblem();
        loaded(null);
      }
    }],
    setStatus: (text) => { if (text && !problemShown) status.textContent = text; },
    rhombulusReady: function () {
      const lang = Number(params.get("lang")) ||
          Module.ccall("rhombulus_language_of", "number", ["string"], [navigator.language || "en"]);
      if (!problemShown) status.textContent = "";
      canvas.focus();
      // The relay's WebSocket door for network matches: ?relay=HOST:PORT, else this page's
      // host on the relay's default port.
      Module.ccall("rhombulus_set_relay", null, ["string"],
                   [params.get("relay") || (location.hostname || "127.0.0.1") + ":27431"]);
      Module.ccall("rhombulus_start", null, ["number", "number", "number"],
                   [seedOfPage(), lang, testing ? 1 : 0]);
      window.rhombulus.ready = true;
    },
    rhombulusBlit: function (pointer, x, y, w, h) {
      if (image === null || image.data.buffer !== Module.HEAPU8.buffer) {
        image = new ImageData(
            new Uint8ClampedArray(Module.HEAPU8.buffer, pointer, kWidth * kHeight * 4),
            kWidth, kHeight);
      }
      context.putImageData(image, 0, 0, x, y, w, h);
      window.rhombulus.sentPixels += w * h;
    },
    rhombulusMainMenu: function (tick) {
      window.rhombulusMainMenuMs = performance.now();
      window.rhombulusMainMenuTick = tick;
      console.log("rhombulus2: main menu at tick " + tick + " after " +
                  Math.round(window.rhombulusMainMenuMs) + " ms");
      // #host, #join=CODE or #watch=CODE: the network match screen, as if its button was
      // pressed (a link a host sends to a friend).
      const net = /^#(host|join|watch)(?:=([A-Za-z0-9 -]{0,16}))?$/.exec(
          decodeURIComponent(location.hash));
      const replay = /^#replay=(.+)$/.exec(location.hash);
      if (replay !== null && !testing) {
        fetch(decodeURIComponent(replay[1]))
            .then((r) => r.ok ? r.arrayBuffer() : Promise.reject(r.status))
            .then((bytes) => watchReplay(new Uint8Array(bytes)))
            .catch((e) => { status.textContent = "The replay could not be fetched (" + e + ")."; });
      }
      if (net !== null && !testing) {
        const ask = { host: 1, join: 2, watch: 3 }[net[1]];
        Module.ccall("rhombulus_net_open", null, ["number", "string"], [ask, net[2] || ""]);
      }
    },
    // Both ends' state hashes of every 60th tick of a network match, and its end.
    rhombulusNetHash: function (tick, hash) {
      window.rhombulus.netHashes.push([tick, hash]);
    },
    rhombulusNetEnded: function (tick) {
      window.rhombulus.netEnded = tick;
    },
    rhombulusReplayEnded: function (tick, hash) {
      window.rhombulus.replayEnded = [tick, hash];
    },
    rhombulusAfterTick: store,
    rhombulusMessage: function (text) {
      document.getElementById("message-text").textContent = text;
      document.getElementById("message").hidden = false;
    },
    rhombulusClosed: function () {
      dirty = true;
      if (!testing) store();
      status.textContent = "Rhombulus 2 has ended. Reload the page to play again.";
    },
  };
  document.getElementById("message-ok").addEventListener("click", () => {
    document.getElementById("message").hidden = true;
    Module.ccall("rhombulus_message_closed", null, [], []);
    canvas.focus();
  });

  // A level pack (a .txt file) dropped on the page goes into the levels folder, where "My
  // Levels" finds it, as a pack a player drops into the folder on the desktop; a kept game (a
  // .r2replay file) plays in the replay viewer.
  const kMaxPackBytes = 1 << 20;
  const kMaxReplayBytes = 16 << 20;
  function watchReplay(bytes) {
    FS.writeFile("/tmp/watched.r2replay", bytes);
    if (Module.ccall("rhombulus_watch_replay", "number", ["string"], ["/tmp/watched.r2replay"])) {
      status.textContent = "Replay: Space pauses, the arrows change the speed, Escape ends it.";
      setTimeout(() => { status.textContent = ""; }, 8000);
    }
    canvas.focus();
  }
  function takeFiles(files) {
    const names = [];
    let refused = 0;
    for (const file of files) {
      const name = file.name.replace(/[^A-Za-z0-9._ -]/g, "_");
      if (name.toLowerCase().endsWith(".r2replay") && file.size <= kMaxReplayBytes) {
        file.arrayBuffer().then((bytes) => watchReplay(new Uint8Array(bytes)));
        continue;
      }
      if (!name.toLowerCase().endsWith(".txt") || name.startsWith(".") ||
          file.size > kMaxPackBytes) {
        ++refused;
        continue;
      }
      names.push(file.arrayBuffer().then((bytes) => {
        FS.writeFile("/data/levels/" + name, new Uint8Array(bytes));
        return name;
      }));
    }
    if (names.length === 0 && refused === 0) return;
    Promise.all(names).then((taken) => {
      const said = [];
      if (taken.length > 0) said.push("In My Levels now: " + taken.join(", ") + ".");
      if (refused > 0) said.push("Only level packs (.txt) and replays (.r2replay) are taken.");
      status.textContent = said.join(" ");
      setTimeout(() => { status.textContent = ""; }, 6000);
    });
  }
  // The files panel: each pack of My Levels as a download, and a picker for packs and replays.
  const files = document.getElementById("files");
  let packLinks = [];
  function listPacks() {
    for (const url of packLinks) URL.revokeObjectURL(url);
    packLinks = [];
    const list = document.getElementById("pack-list");
    list.textContent = "";
    let names = [];
    try {
      names = FS.readdir("/data/levels").filter((n) => n.toLowerCase().endsWith(".txt")).sort();
    } catch (e) { /* no folder yet */ }
    for (const name of names) {
      const url = URL.createObjectURL(
          new Blob([FS.readFile("/data/levels/" + name)], { type: "text/plain" }));
      packLinks.push(url);
      const link = document.createElement("a");
      link.href = url;
      link.download = name;
      link.textContent = name;
      const item = document.createElement("li");
      item.appendChild(link);
      list.appendChild(item);
    }
    if (names.length === 0) list.textContent = "(none yet: make one in the level editor)";
  }
  document.getElementById("files-button").addEventListener("click", () => {
    if (!window.rhombulus.ready) return;
    files.hidden = !files.hidden;
    if (!files.hidden) listPacks();
  });
  document.getElementById("files-close").addEventListener("click", () => {
    files.hidden = true;
    canvas.focus();
  });
  document.getElementById("file-picker").addEventListener("change", (e) => {
    if (window.rhombulus.ready) takeFiles(e.target.files);
    e.target.value = "";
    files.hidden = true;
  });
  addEventListener("dragover", (e) => e.preventDefault());
  addEventListener("drop", (e) => {
    e.preventDefault();
    if (window.rhombulus.ready && e.dataTransfer) takeFiles(e.dataTransfer.files);
  });

  // For the tests: the clock by hand and what the game shows.
  window.rhombulus = {
    step: (n) => Module.ccall("rhombulus_step", "number", ["number"], [n]),
    ticks: () => Module.ccall("rhombulus_ticks", "number", [], []),
    screen: () => Module.ccall("rhombulus_screen", "number", [], []),
    stateHash: () => Module.ccall("rhombulus_state_hash", "string", [], []),
    // The page's own clock from now on (a network match runs on it).
    runFree: () => Module.ccall("rhombulus_run_free", null, [], []),
    netOpen: (ask, address) =>
      Module.ccall("rhombulus_net_open", null, ["number", "string"], [ask, address]),
    netStatus: () => Module.ccall("rhombulus_net_status", "string", [], []),
    // The pixels put on the canvas so far, and those the renderer drew again: divided by the
    // ticks between two readings, the share of the picture sent and drawn a tick.
    sentPixels: 0,
    drawnPixels: () => Module.ccall("rhombulus_drawn_pixels", "number", [], []),
    netHashes: [],
    replayEnded: null,
    netEnded: -1,
    ready: false,
  };
})();
