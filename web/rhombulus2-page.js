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

  // The largest whole factor that fits the page; a page smaller than the picture shrinks it.
  function fitCanvas() {
    const scale = Math.min(innerWidth / kWidth, innerHeight / kHeight);
    const factor = scale >= 1 ? Math.floor(scale) : scale;
    canvas.style.width = kWidth * factor + "px";
    canvas.style.height = kHeight * factor + "px";
    canvas.classList.toggle("smooth", factor < 1);
  }
  addEventListener("resize", fitCanvas);
  fitCanvas();
  canvas.addEventListener("contextmenu", (e) => e.preventDefault());

  // The saves live in IndexedDB; what the game writes there is stored soon after.
  let dirty = false, syncing = false;
  function store() {
    if (syncing || !dirty) return;
    dirty = false;
    syncing = true;
    FS.syncfs(false, (error) => {
      syncing = false;
      if (error) console.warn("rhombulus2: the saves could not be stored", error);
    });
  }
  function watchWrites() {
    const inData = (path) => typeof path === "string" && path.startsWith("/data/");
    const close = FS.close, rename = FS.rename, unlink = FS.unlink;
    FS.close = function (stream) {
      if (stream && inData(stream.path) && (stream.flags & 3) !== 0) dirty = true;
      return close.apply(this, arguments);
    };
    FS.rename = function (from, to) {
      if (inData(from) || inData(to)) dirty = true;
      return rename.apply(this, arguments);
    };
    FS.unlink = function (path) {
      if (inData(path)) dirty = true;
      return unlink.apply(this, arguments);
    };
  }
  addEventListener("pagehide", () => { dirty = true; store(); });
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
      // A test starts from empty saves every time.
      FS.mount(testing ? MEMFS : IDBFS, {}, "/data");
      Module.addRunDependency("saves");
      const loaded = (error) => {
        if (error) console.warn("rhombulus2: no saves from the browser's storage", error);
        for (const dir of ["/data/saves", "/data/levels"]) {
          try { FS.mkdir(dir); } catch (e) { /* there already */ }
        }
        watchWrites();
        Module.removeRunDependency("saves");
      };
      if (testing) loaded(null); else FS.syncfs(true, loaded);
    }],
    setStatus: (text) => { if (text) status.textContent = text; },
    rhombulusReady: function () {
      const lang = Number(params.get("lang")) ||
          Module.ccall("rhombulus_language_of", "number", ["string"], [navigator.language || "en"]);
      status.textContent = "";
      canvas.focus();
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
    },
    rhombulusMainMenu: function (tick) {
      window.rhombulusMainMenuMs = performance.now();
      console.log("rhombulus2: main menu at tick " + tick + " after " +
                  Math.round(window.rhombulusMainMenuMs) + " ms");
    },
    rhombulusAfterTick: store,
    rhombulusMessage: function (text) {
      document.getElementById("message-text").textContent = text;
      document.getElementById("message").hidden = false;
    },
    rhombulusClosed: function () {
      dirty = true;
      store();
      status.textContent = "Rhombulus 2 has ended. Reload the page to play again.";
    },
  };
  document.getElementById("message-ok").addEventListener("click", () => {
    document.getElementById("message").hidden = true;
    Module.ccall("rhombulus_message_closed", null, [], []);
    canvas.focus();
  });

  // For the tests: the clock by hand and what the game shows.
  window.rhombulus = {
    step: (n) => Module.ccall("rhombulus_step", "number", ["number"], [n]),
    ticks: () => Module.ccall("rhombulus_ticks", "number", [], []),
    screen: () => Module.ccall("rhombulus_screen", "number", [], []),
    stateHash: () => Module.ccall("rhombulus_state_hash", "string", [], []),
    ready: false,
  };
})();
