// The page's conversion worker: the core in WebAssembly, off the page's own thread, so the
// page never freezes. Cross-origin isolated, it loads the module with pthreads (a job runs
// on one or two worker threads while this thread waits for their rows); otherwise the one
// without, which runs a job here in short slices between messages, so "Stop" still gets in.
'use strict';

const threads = self.crossOriginIsolated === true;
const moduleScript = threads ? 'peltrix-page.js' : 'peltrix-page-single.js';
importScripts(moduleScript);

// Must match the enums of src/frontends/web/page_api.hpp.
const Status = { done: 0, failed: 1, refused: 2, running: 3 };
const Files = { prg: 0, raw: 1, png: 2, eye: 3 };
const Views = { source: 0, blend: 1, frame1: 2, c64Frame1: 5, eye: 8, flickerMap: 9 };
const FIGURES = 4;  // of peltrix_report: error mean, p95, flicker mean, share above 0.02
const SLICE_MS = 20;  // how long one slice of a job keeps this thread before messages
const [SCALE_WIDTH, SCALE_HEIGHT] = [320, 10];  // the flicker map's legend strip, as the windows'

let core = null;
let session = 0;
let current = null;  // the picture's name in the file system and its framing
let jobRunning = false;
let jobStarted = false;  // the frame planes hold a job's pictures
let together = 'blend';  // what the page's blend picture shows (blend, eye, motion, flicker)
let motionCycle = 0;     // video frames after which the picture in motion repeats

function heapBytes(pointer, size) {
  // With threads the memory may have grown on another thread: take the live buffer.
  const buffer = core.wasmMemory ? core.wasmMemory.buffer : core.HEAPU8.buffer;
  return new Uint8Array(buffer, pointer, size).slice();
}

function call(name, ...args) {
  const types = args.map((a) => (typeof a === 'string' ? 'string' : 'number'));
  return core.ccall(name, 'number', types, args);
}

function bytesOf(name, what) {
  const pointer = call(name, session, what);
  if (!pointer) return null;
  return heapBytes(pointer, call('peltrix_size', session));
}

function message() {
  return core.UTF8ToString(call('peltrix_message', session));
}

function view(which) {
  return bytesOf('peltrix_view', which);
}

// The picture the page's blend picture shows, made only for the choice in force: the
// picture in motion as one cycle of video frames, which the page plays over at the display's
// pace without waiting for this thread.
function togetherViews() {
  switch (together) {
    case 'eye': return { eye: view(Views.eye) };
    case 'flicker': return { flicker: view(Views.flickerMap) };
    case 'motion': {
      const motion = [];
      for (let n = 0; n < motionCycle; ++n) motion.push(bytesOf('peltrix_motion_view', n));
      return { motion };
    }
    default: return { blend: view(Views.blend) };
  }
}

function resultViews() {
  const frames = [0, 1, 2].map((f) => view(Views.frame1 + f));
  const c64 = [0, 1, 2].map((f) => view(Views.c64Frame1 + f));
  return { ...togetherViews(), blend: view(Views.blend), eye: view(Views.eye), frames, c64 };
}

function transferables(views) {
  const list = [];
  for (const picture of Object.values(views)) {
    for (const p of Array.isArray(picture) ? picture : [picture]) list.push(p.buffer);
  }
  return list;
}

function openCurrent() {
  const f = current.framing;
  const status = call('peltrix_open', session, current.path, f.mode, f.left, f.top, f.aspect,
                      f.visible ? 1 : 0, f.options);
  if (status !== Status.done) {
    return { type: 'opened', ok: false, name: current.name,
             message: status === Status.refused ? 'a conversion is running' : message() };
  }
  const source = view(Views.source);
  return {
    type: 'opened', ok: true, name: current.name, source,
    width: call('peltrix_picture_width', session),
    height: call('peltrix_picture_height', session),
    flattened: call('peltrix_picture_flattened', session) === 1,
  };
}

// Each picture lives in the module's in-memory file system in a folder of its own, under
// its own name, which is the working folder while it is the current picture: error messages
// name it as the user knows it, and a picture that fails to load leaves the previous one
// (still the converter's picture, as in the window) and its file as they were.
let folders = 0;
function openFile(name, bytes, framing) {
  const previous = current;
  const folder = '/pictures/' + ++folders;
  const path = name.replace(/[\/\0]/g, '_') || 'picture';
  core.FS.mkdir(folder);
  core.FS.writeFile(folder + '/' + path, new Uint8Array(bytes));
  core.FS.chdir(folder);
  current = { name: path, path, folder, framing };
  const reply = openCurrent();
  const dropped = reply.ok ? previous : current;
  if (!reply.ok) {
    current = previous;
    core.FS.chdir(previous ? previous.folder : '/pictures');
  }
  if (dropped) {
    core.FS.unlink(dropped.folder + '/' + dropped.path);
    core.FS.rmdir(dropped.folder);
  }
  return reply;
}

function post(reply) {
  if (reply.source) {
    self.postMessage(reply, [reply.source.buffer]);
  } else {
    self.postMessage(reply);
  }
}

// Lets the job go on in slices; between slices this thread answers messages ("Stop"). A
// message channel brings the next slice back without the timers' minimum delay.
const tick = new MessageChannel();
let lastPreview = 0;
tick.port1.onmessage = () => {
  const status = call('peltrix_advance', session, SLICE_MS);
  if (status === Status.running) {
    const now = performance.now();
    const reply = { type: 'progress', value: call('peltrix_progress', session) };
    if (now - lastPreview > 150) {
      lastPreview = now;
      reply.views = { ...togetherViews(), frames: [0, 1, 2].map((f) => view(Views.frame1 + f)) };
      self.postMessage(reply, transferables(reply.views));
    } else {
      self.postMessage(reply);
    }
    tick.port2.postMessage(0);
    return;
  }
  jobRunning = false;
  const views = resultViews();
  const files = {};
  for (const kind of Object.keys(Files)) files[kind] = bytesOf('peltrix_file', Files[kind]);
  const report = [];
  for (let f = 0; f < FIGURES; ++f) report.push(call('peltrix_report', session, f));
  self.postMessage({ type: 'done', seconds: call('peltrix_job_seconds', session),
                     progress: call('peltrix_progress', session), views, files, report },
                   transferables(views).concat(Object.values(files).map((f) => f.buffer)));
};

function process(request) {
  if (jobRunning) return;
  call('peltrix_set_look', session, request.look.palette, request.look.brightness,
       request.look.contrast, request.look.saturation, request.look.gamma);
  call('peltrix_set_match', session, request.match.match, request.match.eyeDither);
  const status = call('peltrix_process', session, request.dither, request.options);
  if (status !== Status.done) {
    self.postMessage({ type: 'failed', message: status === Status.refused ? 'a conversion is running' : message() });
    return;
  }
  jobRunning = true;
  jobStarted = true;
  lastPreview = performance.now();
  self.postMessage({ type: 'started', workers: request.workers });
  tick.port2.postMessage(0);
}

const handlers = {
  open: (m) => post(openFile(m.name, m.bytes, m.framing)),
  frame: (m) => {
    if (!current) return;
    current.framing = m.framing;
    post(openCurrent());
  },
  dither: (m) => call('peltrix_set_dither', session, m.level),
  // The palette and tone: the next "Process" uses them (a running one keeps its own), the
  // source view shows the tone now.
  look: (m) => {
    if (call('peltrix_set_look', session, m.look.palette, m.look.brightness, m.look.contrast,
             m.look.saturation, m.look.gamma) !== Status.done || !current) return;
    post({ type: 'looked', source: view(Views.source) });
  },
  // The blend picture's choice; the pictures it needs now, of the planes as they stand.
  shows: (m) => {
    together = m.view;
    if (!jobStarted) return;
    const views = togetherViews();
    self.postMessage({ type: 'together', views }, transferables(views));
  },
  lumaOnly: (m) => call('peltrix_set_luma_only', session, m.on ? 1 : 0),
  process: (m) => process(m),
  stop: () => call('peltrix_stop', session),
};

let queue = [];
self.onmessage = (event) => {
  if (!core) {
    queue.push(event.data);
    return;
  }
  handlers[event.data.type](event.data);
};

createPeltrix({
  // The pthreads load this same script; without it they would take this worker's own.
  mainScriptUrlOrBlob: moduleScript,
  print: (text) => console.log(text),
  printErr: (text) => console.error(text),
}).then((instance) => {
  core = instance;
  core.FS.mkdir('/pictures');
  core.FS.chdir('/pictures');
  session = call('peltrix_create');
  // The window's labels, by control identifier, for the page to name its options by.
  const labels = {};
  for (let id = 0; id < 27; ++id) labels[id] = core.UTF8ToString(call('peltrix_control_label', id));
  const palettes = [];
  for (let i = 0; i < call('peltrix_palette_count'); ++i) {
    palettes.push(core.UTF8ToString(call('peltrix_palette_name', i)));
  }
  const nextText = core.UTF8ToString(call('peltrix_next_conversion_text'));
  motionCycle = call('peltrix_motion_cycle');
  const flickerScale = { rgba: heapBytes(call('peltrix_flicker_scale', session, SCALE_WIDTH, SCALE_HEIGHT),
                                         call('peltrix_size', session)),
                         width: SCALE_WIDTH, height: SCALE_HEIGHT,
                         text: core.UTF8ToString(call('peltrix_flicker_legend_text')) };
  self.postMessage({ type: 'ready', threads: call('peltrix_threads') === 1, labels, palettes, nextText,
                     flickerScale });
  for (const m of queue) handlers[m.type](m);
  queue = [];
}, (error) => {
  self.postMessage({ type: 'fatal', message: 'the converter could not start: ' + error });
});
