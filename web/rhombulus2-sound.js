// The game's sound in the page: the waves through Web Audio with the desktop's gains for each
// loudspeaker, the tune through an audio element (the browser decodes the MP3). Browsers start
// sound only after a click or a key, so both wait for the first one.
"use strict";
(function () {
  let context = null;
  const buffers = new Map();  // path -> AudioBuffer, or a Promise while it is decoded
  const tune = new Audio();
  tune.loop = true;
  let tuneUrl = null, tuneWanted = false, suspended = false, played = 0;

  function audio() {
    if (context === null) {
      const Context = window.AudioContext || window.webkitAudioContext;
      if (!Context) return null;
      context = new Context();
    }
    return context;
  }
  function unlock() {
    const c = audio();
    if (c !== null && c.state === "suspended" && !suspended) c.resume();
    if (tuneWanted && !suspended && tune.paused && tuneUrl !== null) tune.play().catch(() => {});
  }
  for (const type of ["pointerdown", "keydown", "touchend"]) {
    addEventListener(type, unlock, true);
  }

  function decoded(path) {
    const c = audio();
    if (c === null) return Promise.resolve(null);
    if (!buffers.has(path)) {
      let bytes;
      try {
        bytes = FS.readFile(path);
      } catch (e) {
        buffers.set(path, null);
        return Promise.resolve(null);
      }
      const copy = bytes.buffer.slice(bytes.byteOffset, bytes.byteOffset + bytes.byteLength);
      const pending = c.decodeAudioData(copy).then(
          (buffer) => { buffers.set(path, buffer); return buffer; },
          () => { buffers.set(path, null); return null; });
      buffers.set(path, pending);
    }
    return Promise.resolve(buffers.get(path));
  }

  function play(buffer, left, right) {
    const c = context;
    if (buffer === null || c === null || c.state !== "running") return;
    const source = c.createBufferSource();
    source.buffer = buffer;
    const merger = c.createChannelMerger(2);
    const gains = [left, right].map((value, side) => {
      const gain = c.createGain();
      gain.gain.value = value;
      gain.connect(merger, 0, side);
      return gain;
    });
    if (buffer.numberOfChannels >= 2) {
      const splitter = c.createChannelSplitter(2);
      source.connect(splitter);
      splitter.connect(gains[0], 0);
      splitter.connect(gains[1], 1);
    } else {
      source.connect(gains[0]);
      source.connect(gains[1]);
    }
    merger.connect(c.destination);
    source.start();
    ++played;
  }

  window.Module = window.Module || {};
  Module.rhombulusSound = {
    wave: (path, left, right) => { decoded(path).then((b) => play(b, left, right)); },
    open: (path) => {
      Module.rhombulusSound.free();
      try {
        const blob = new Blob([FS.readFile(path)], { type: "audio/mpeg" });
        tuneUrl = URL.createObjectURL(blob);
        tune.src = tuneUrl;
      } catch (e) {
        tuneUrl = null;
      }
    },
    play: () => {
      tuneWanted = true;
      if (tuneUrl !== null && !suspended) tune.play().catch(() => {});
    },
    pause: () => { tuneWanted = false; tune.pause(); },
    free: () => {
      tuneWanted = false;
      tune.pause();
      if (tuneUrl !== null) URL.revokeObjectURL(tuneUrl);
      tuneUrl = null;
      tune.removeAttribute("src");
    },
    volume: (level) => { tune.volume = level / 100; },
    seek: (seconds) => { if (tuneUrl !== null) tune.currentTime = seconds; },
    // For the tests: whether the effects can sound, the tune plays, and how many waves sounded.
    state: () => ({ context: context === null ? "none" : context.state,
                    tune: tuneUrl !== null && !tune.paused, waves: played }),
    // The page without the focus: the effects and the tune pause, and go on after.
    suspend: (on) => {
      suspended = on !== 0;
      if (suspended) {
        if (context !== null) context.suspend();
        tune.pause();
      } else {
        unlock();
      }
    },
  };
})();
