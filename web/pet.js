// A small pet that walks along the bottom of the primary screen and grows a little land while
// you type. It talks to the application only through the two message channels.
"use strict";

const WEB_VERSION = "0.1.0";
const BOX = 200, FOOT_Y = 184, CELL = 24, MAX_COLS = 512, MAX_LEVEL = 3, KEYS_PER_LEVEL = 10;
const HIT = { x: 40, y: 64, w: 120, h: 120 };

const handlers = window.webkit?.messageHandlers;
const post = (type, fields = {}) => handlers?.brindlow?.postMessage({ type, ...fields });
const call = (type, fields = {}) =>
  handlers?.brindlowCall ? handlers.brindlowCall.postMessage({ type, ...fields }) : Promise.reject(new Error("closed"));
const log = (level, msg) => post("log", { level, msg: String(msg) });

const petEl = document.getElementById("pet");
const pupils = [...document.querySelectorAll(".pupil")];

const state = {
  mode: "pet", screens: [], prefs: null, visible: true, lowPower: false,
  frame: null, floor: null, dragging: false, walkDir: 1, walkUntil: 0, restUntil: 0, steps: 0,
  pointerNear: false,
  land: null, save: { v: 1, keys: 0, paws: 0, day: "", todayKeys: 0, todayCells: 0, levels: {}, x: null },
};

function today() {
  const d = new Date();
  const two = (n) => String(n).padStart(2, "0");
  return `${d.getFullYear()}-${two(d.getMonth() + 1)}-${two(d.getDate())}`;
}

function primaryScreen() {
  return state.screens.find((s) => s.primary) ?? state.screens[0] ?? null;
}

// ---- Placement

function setFrame(x, y) {
  const f = { x: Math.round(x), y: Math.round(y), w: BOX, h: BOX };
  const old = state.frame;
  if (old && old.x === f.x && old.y === f.y) return;
  state.frame = f;
  post("pet.frame", { frame: f });
}

function placeOnFloor(x) {
  const screen = primaryScreen();
  if (!screen) return;
  const v = screen.visible;
  state.floor = { minX: v.x - HIT.x, maxX: v.x + v.w - HIT.x - HIT.w, y: v.y + v.h - FOOT_Y };
  const wanted = x ?? v.x + (v.w - BOX) / 2;
  setFrame(Math.min(Math.max(wanted, state.floor.minX), state.floor.maxX), state.floor.y);
}

// ---- Walking, falling and short moves
// Nothing loops while the pet stands still: one timer waits for the next walk, the blink and the
// glance each wait for their turn, and every timer stops while the page is not visible.

const timers = {};
function stopTimer(name) {
  clearTimeout(timers[name]);
  delete timers[name];
}
function later(name, ms, fn) {
  stopTimer(name);
  timers[name] = setTimeout(() => { delete timers[name]; fn(); }, ms);
}
function stopAll() {
  for (const name of Object.keys(timers)) stopTimer(name);
}

const canMove = () => state.visible && !state.dragging && !state.prefs?.resting;
// Every step is a message to the application and a repaint, so the pet walks in steps of a few
// pixels ten times a second (50 px/s) rather than a pixel or two at every frame.
const stepMs = () => 100;
const walkPx = () => (state.lowPower ? 1 : 5);
const fallPx = () => (state.lowPower ? 12 : 30);
const stepsPerStride = () => (state.lowPower ? 6 : 4);  // a stride every 400 ms, 600 ms in low power

function setWalking(walking) {
  petEl.classList.toggle("walking", walking);
  if (!walking) petEl.classList.remove("stride");
  petEl.classList.toggle("flip", state.walkDir < 0);
}

function tick() {
  const now = performance.now(), f = state.frame, floor = state.floor;
  let next = null;  // ms to the next turn; null waits for an event (visible, drop, prefs, screens)
  let walking = false;
  if (f && floor && canMove()) {
    if (f.y < floor.y) {
      setFrame(f.x, Math.min(floor.y, f.y + fallPx()));  // fall back to the floor
      next = stepMs();
    } else if (now < state.walkUntil) {
      let x = f.x + state.walkDir * walkPx();
      if (x <= floor.minX || x >= floor.maxX) state.walkDir = -state.walkDir;
      x = Math.min(Math.max(x, floor.minX), floor.maxX);
      setFrame(x, floor.y);
      state.steps += 1;
      if (state.steps % stepsPerStride() === 0) petEl.classList.toggle("stride");
      walking = true;
      next = stepMs();
    } else if (now >= state.restUntil) {
      state.walkDir = Math.random() < 0.5 ? -1 : 1;
      state.walkUntil = now + 3000 + Math.random() * 5000;
      state.restUntil = state.walkUntil + 4000 + Math.random() * 6000;
      next = 0;
    } else {
      next = state.restUntil - now;
    }
  }
  setWalking(walking);
  if (next === null) stopTimer("tick");
  else later("tick", next, tick);
}

// Starts the walk loop again after something that may let the pet move.
function wake() {
  if (state.visible) later("tick", 0, tick);
}

let look = "";
function lookAt(dx, dy) {
  const t = `translate(${dx}px, ${dy}px)`;
  if (t === look) return;
  look = t;
  for (const p of pupils) p.style.transform = t;
}

function blink() {
  if (!state.visible) return;
  if (!state.prefs?.resting) {
    petEl.classList.add("blink");
    later("unblink", 140, () => petEl.classList.remove("blink"));
  }
  later("blink", 4000 + Math.random() * 6000, blink);
}

// Now and then the pet looks aside for a moment, unless it follows the pointer. Blinks and glances
// are rare enough that a still pet paints well under one frame a second.
function glance() {
  if (!state.visible) return;
  const still = state.frame && performance.now() >= state.walkUntil;
  if (still && !state.pointerNear && !state.prefs?.resting) {
    lookAt(Math.random() < 0.5 ? -3 : 3, Math.round(Math.random() * 2 - 1));
    later("unglance", 900, () => { if (!state.pointerNear) lookAt(0, 0); });
  }
  later("glance", 12000 + Math.random() * 16000, glance);
}

function setVisible(visible) {
  state.visible = visible;
  if (!visible) {
    stopAll();
    petEl.classList.remove("blink");
    setWalking(false);
    return;
  }
  wake();
  later("blink", 1000 + Math.random() * 3000, blink);
  later("glance", 6000 + Math.random() * 10000, glance);
}

// ---- Land

function base64(bytes) {
  let text = "";
  for (const b of bytes) text += String.fromCharCode(b);
  return btoa(text);
}

function sendLandState() {
  const screen = primaryScreen();
  if (!screen) return;
  const cols = Math.min(MAX_COLS, Math.floor(screen.visible.w / CELL));
  const saved = state.save.levels[screen.key];
  const levels = saved && saved.length === cols ? saved.slice() : new Array(cols).fill(0);
  state.land = { key: screen.key, cols, levels, x0: screen.visible.x + (screen.visible.w - cols * CELL) / 2, progress: 0 };
  state.save.levels[screen.key] = levels;
  post("land.state", {
    palette: { top: "#7ec850", side: "#8b5a2b" },
    screens: [{ key: screen.key, cols, levels: base64(levels) }],
  });
}

function growLand(keys) {
  const land = state.land, f = state.frame;
  if (!land || !f || land.cols === 0) return;
  land.progress += keys;
  const changes = [];
  while (land.progress >= KEYS_PER_LEVEL) {
    land.progress -= KEYS_PER_LEVEL;
    const under = Math.floor((f.x + BOX / 2 - land.x0) / CELL) + Math.round((Math.random() - 0.5) * 6);
    const col = Math.min(Math.max(under, 0), land.cols - 1);
    if (land.levels[col] >= MAX_LEVEL) continue;
    land.levels[col] += 1;
    state.save.todayCells += 1;
    changes.push([col, land.levels[col]]);
  }
  if (changes.length) post("land.paint", { key: land.key, changes });
}

// ---- Status item

function mood() {
  if (state.prefs?.resting) return "sleeping";
  return state.save.todayKeys > 500 ? "excited" : "happy";
}

function sendStatus() {
  const s = state.save;
  post("status.update", {
    status: {
      day: s.day, todayPaws: s.todayKeys, paws: s.paws, todayKeys: s.todayKeys, todayCells: s.todayCells,
      todayBoards: 0, giftWaiting: false, affectionLevel: Math.floor(s.paws / 1000),
      affectionProgress: (s.paws % 1000) / 1000, mood: mood(), petName: "Brin",
    },
  });
}

function sendIcon() {
  const c = document.createElement("canvas");
  c.width = c.height = 36;
  const g = c.getContext("2d");
  g.fillStyle = "#f07f2c";
  g.beginPath(); g.arc(18, 20, 14, 0, Math.PI * 2); g.fill();
  g.beginPath(); g.moveTo(6, 14); g.lineTo(9, 2); g.lineTo(16, 8); g.fill();
  g.beginPath(); g.moveTo(30, 14); g.lineTo(27, 2); g.lineTo(20, 8); g.fill();
  g.fillStyle = "#2b1a10";
  g.fillRect(11, 16, 4, 6); g.fillRect(21, 16, 4, 6);
  post("status.icon", { png: c.toDataURL("image/png").split(",")[1], mood: mood() });
}

let statusTimer = null;
function statusSoon() {
  if (!statusTimer) statusTimer = setTimeout(() => { statusTimer = null; sendStatus(); }, 1000);
}

// ---- Pointer

petEl.addEventListener("mousedown", (e) => {
  if (e.button !== 0) return;
  state.dragging = true;
  post("drag.begin");
});
window.addEventListener("mouseup", () => setTimeout(() => { state.dragging = false; wake(); }, 0));
window.addEventListener("contextmenu", (e) => {
  e.preventDefault();
  post("menu.context");
});

// ---- Events from the application

window.brindlow = {
  onKeys({ n }) {
    const s = state.save;
    if (s.day !== today()) Object.assign(s, { day: today(), todayKeys: 0, todayCells: 0 });
    s.keys += n; s.paws += n; s.todayKeys += n;
    growLand(n);
    statusSoon();
  },
  onScreens({ screens }) {
    state.screens = screens;
    placeOnFloor(state.frame?.x);
    sendLandState();
    wake();
  },
  onWindow({ mode }) {
    // The application forgets the hit areas when the mode changes.
    if (mode === "pet" && state.mode !== "pet") post("hit.rects", { rects: [HIT] });
    state.mode = mode;
  },
  onDrag({ phase, origin }) {
    state.dragging = phase === "move";
    if (phase === "move") {
      setWalking(false);
      return;
    }
    wake();
    if (!state.floor) return;
    // Dropped where the window now is; the walk loop lets it fall back to the floor.
    const floor = state.floor;
    state.frame = { x: origin.x, y: origin.y, w: BOX, h: BOX };
    setFrame(Math.min(Math.max(origin.x, floor.minX), floor.maxX), Math.min(origin.y, floor.y));
    state.save.x = state.frame.x;
  },
  onPointerNear({ at }) {
    const f = state.frame;
    const dx = at && f ? Math.max(-3, Math.min(3, (at.x - f.x - BOX / 2) / 40)) : 0;
    const dy = at && f ? Math.max(-3, Math.min(3, (at.y - f.y - 110) / 40)) : 0;
    state.pointerNear = Boolean(at);
    lookAt(Math.round(dx * 2) / 2, Math.round(dy * 2) / 2);
  },
  onVisibility({ visible }) {
    if (visible !== state.visible) setVisible(visible);
  },
  onPower({ lowPower }) { state.lowPower = lowPower; },
  onPrefs(prefs) {
    state.prefs = prefs;
    petEl.classList.toggle("sleepy", prefs.resting);
    wake();
  },
  onPermission() {},
  onMenu({ command }) {
    if (command === "summon") {
      placeOnFloor(null);
      wake();
    }
    if (command === "clearLand" && state.land) {
      state.save.levels[state.land.key] = new Array(state.land.cols).fill(0);
      sendLandState();
    }
  },
  onLang() {},
  onWindows() {},
  async flush() {
    state.save.x = state.frame?.x ?? state.save.x;
    await call("save.write", { data: JSON.stringify(state.save) });
  },
};

// ---- Start

window.addEventListener("error", (e) => log("error", e.message));
window.addEventListener("unhandledrejection", (e) => log("error", e.reason?.message ?? e.reason));

async function start() {
  let hello;
  try {
    hello = await call("app.hello", { protocol: 6, webVersion: WEB_VERSION });
  } catch (e) {
    log("error", "hello failed: " + e.message);
    return;
  }
  try {
    if (hello.save) Object.assign(state.save, JSON.parse(hello.save));
  } catch {
    log("warn", "saved game unreadable, starting afresh");
  }
  if (state.save.day !== today()) Object.assign(state.save, { day: today(), todayKeys: 0, todayCells: 0 });
  state.screens = hello.screens;
  state.prefs = hello.prefs;
  state.mode = hello.window.mode;
  state.visible = hello.visibility.visible;
  state.lowPower = hello.power.lowPower;
  petEl.classList.toggle("sleepy", hello.prefs.resting);
  placeOnFloor(state.save.x);
  post("hit.rects", { rects: [HIT] });
  sendLandState();
  sendIcon();
  sendStatus();
  setVisible(state.visible);
}

start();
