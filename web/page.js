// The page's own thread: the controls, the pictures and the downloads. Every conversion
// runs in the conversion worker (conversion-worker.js); this thread only sends it the
// picture and the options and draws what comes back, so the page never freezes.
'use strict';

// The option bits of src/frontends/web/page_api.hpp.
const Option = {
  multithread: 1 << 0, bruteForce: 1 << 1, lumaOverload: 1 << 2, fli: 1 << 3,
  superFlicker: 1 << 4, lumaOnly: 1 << 5, ntsc: 1 << 6, assLace: 1 << 7,
};
// PageMatch and PageEyeDither of page_api.hpp.
const Match = { classic: 0, eye: 1 };
const EyeDither = { diffusion: 0, ordered: 1, none: 2 };
// The framing choices as PageFraming and whether they fill the viewer's visible area.
const Framing = {
  offset: [0, false], fit: [1, false], fill: [2, false], 'fit-visible': [1, true], 'fill-visible': [2, true],
};
const Aspect = { pal: 0, ntsc: 1, square: 2 };

const $ = (id) => document.getElementById(id);
const page = {
  worker: null,
  threads: false,   // the converter runs two workers (cross-origin isolated page)
  ready: false,
  picture: null,    // the name of the picture the converter holds
  waiting: null,    // a picture chosen while the converter was still loading
  busy: false,
  views: null,      // the last result's pictures
  report: null,     // the last result's quality figures, as the command line's --report=json
  links: [],        // object URLs of the downloads
  labels: {},       // the window's labels, by control identifier, from the converter
  nextText: '',     // the status line's words for a choice made during a conversion
  status: '',       // what the status line says
  reframeAfterJob: false,  // the framing changed during a conversion
  seconds: 0,       // the last conversion's time in the converter, from start to result
  pageSeconds: 0,   // and on the page, from "Process" to the files on offer
  processedAt: 0,
  conversions: 0,   // finished conversions
  opened: 0,        // answers to opening or re-framing a picture
  pendingOpens: 0,  // openings and re-framings not answered yet
  progressSeen: [], // the progress bar's values during the last job
  motion: null,     // the picture in motion's clock (blend-view.js)
};
window.peltrixPage = page;

function showError(text) {
  const box = $('error');
  box.textContent = text;
  box.hidden = !text;
}

function setStatus(text) {
  page.status = text;
  $('status').textContent = text;
}

function draw(canvasId, rgba) {
  if (!rgba) return;
  const canvas = $(canvasId);
  const image = new ImageData(new Uint8ClampedArray(rgba.buffer, rgba.byteOffset, rgba.byteLength), 320, 200);
  canvas.getContext('2d').putImageData(image, 0, 0);
}

function showFrames() {
  if (!page.views) return;
  const c64 = document.querySelector('input[name=frames-shown]:checked').value === 'c64';
  const frames = c64 && page.views.c64 ? page.views.c64 : page.views.frames;
  frames.forEach((f, i) => draw('view-frame' + (i + 1), f));
  for (let i = 1; i <= 3; ++i) {
    $('caption-frame' + i).textContent = 'Frame ' + i + (c64 && page.views.c64 ? ', as the C64 shows it' : '');
  }
}

// "Ass Lace" is enabled exactly when neither "Per 2 line FLI" nor "Super Flicker reduction"
// is on; disabling it leaves its state alone.
function applyAssLaceRule() {
  $('ass-lace').disabled = $('fli').checked || $('super-flicker').checked;
}

// The options go along: the viewer they pick decides what the visible area is.
function framing() {
  const [mode, visible] = Framing[$('framing').value];
  let aspect = $('aspect').value;
  if (aspect === 'machine') aspect = $('ntsc').checked ? 'ntsc' : 'pal';
  const whole = (input) => Math.max(0, Math.min(0x7fffffff, Math.floor(Number(input.value) || 0)));
  return { mode, left: whole($('offset-x')), top: whole($('offset-y')), aspect: Aspect[aspect],
           visible, options: options() };
}

function updateFramingControls() {
  const scaled = $('framing').value !== 'offset';
  $('aspect').disabled = !scaled;
  $('offset-x').disabled = scaled;
  $('offset-y').disabled = scaled;
}

function options() {
  let bits = 0;
  const on = (id) => $(id).checked;
  if (on('multithread') && page.threads) bits |= Option.multithread;
  if (on('brute-force')) bits |= Option.bruteForce;
  if (on('luma-overload')) bits |= Option.lumaOverload;
  if (on('fli')) bits |= Option.fli;
  if (on('super-flicker')) bits |= Option.superFlicker;
  if (on('luma-only')) bits |= Option.lumaOnly;
  if (on('ntsc')) bits |= Option.ntsc;
  if (on('ass-lace')) bits |= Option.assLace;
  return bits;
}

// The palette, the match and the tone, as the controls stand; remembered in the browser
// between visits.
const LOOK_KEY = 'peltrix.look';
const NEUTRAL_LOOK = { palette: 'pepto-pal', match: 'classic', eyeDither: 'diffusion', brightness: 0,
  contrast: 0, saturation: 100, gamma: 100 };
const TONES = ['brightness', 'contrast', 'saturation', 'gamma'];

function look() {
  const l = { palette: Number($('palette').value) || 0 };
  for (const id of TONES) l[id] = Math.floor(Number($(id).value));
  return l;
}

function showLookValues() {
  for (const id of TONES) {
    const v = Number($(id).value);
    $(id + '-value').textContent = id === 'gamma' ? (v / 100).toFixed(2) : String(v);
  }
}

function match() {
  return { match: Match[$('match').value], eyeDither: EyeDither[$('eye-dither').value] };
}

// The eye dither is the eye match's alone.
function applyEyeDitherRule() {
  $('eye-dither').disabled = $('match').value !== 'eye';
}

function setLook(saved) {
  const named = [...$('palette').options].find((o) => o.textContent === saved.palette);
  $('palette').value = named ? named.value : '0';
  $('match').value = Object.hasOwn(Match, saved.match) ? saved.match : NEUTRAL_LOOK.match;
  $('eye-dither').value = Object.hasOwn(EyeDither, saved.eyeDither) ? saved.eyeDither : NEUTRAL_LOOK.eyeDither;
  applyEyeDitherRule();
  for (const id of TONES) {
    const v = Number(saved[id]);
    $(id).value = String(Number.isFinite(v) ? v : NEUTRAL_LOOK[id]);
  }
  showLookValues();
}

function rememberLook() {
  try {
    localStorage.setItem(LOOK_KEY, JSON.stringify({ ...look(), match: $('match').value,
      eyeDither: $('eye-dither').value, palette: $('palette').selectedOptions[0].textContent }));
  } catch (e) { /* storage may be off: the choice then lasts for this visit */ }
}

function lookChanged() {
  showLookValues();
  rememberLook();
  page.worker.postMessage({ type: 'look', look: look() });
  noteChoice();
}

// The match goes with the next "Process"; the source view does not change with it.
function matchChanged() {
  applyEyeDitherRule();
  rememberLook();
  noteChoice();
}

// The command line's --report, in its words and roundings.
function showReport(figures) {
  const [errorMean, errorP95, flickerMean, flickerShare] = figures;
  page.report = { errorMean, errorP95, flickerMean, flickerShareAbove002: flickerShare };
  blendView.showFigures(page.report);
  $('report').textContent = figures.some((f) => !Number.isFinite(f)) ? '' :
    'Error ' + errorMean.toFixed(2) + ' mean, ' + errorP95.toFixed(2) + ' p95 (CIEDE2000); flicker ' +
    flickerMean.toFixed(4) + ' mean, ' + (100 * flickerShare).toFixed(1) + ' % above 0.02';
}

// A choice made while a conversion runs waits for the next one, and the status line says so
// in the windows' words; "Luma only mode" alone reaches the running conversion.
function noteChoice() {
  if (page.busy && page.nextText) setStatus(page.nextText);
}

function ditherLevel() {
  const level = Math.floor(Number($('dither').value));
  return Number.isFinite(level) ? Math.max(0, Math.min(3, level)) : 2;
}

function updateButtons() {
  $('process').disabled = !page.ready || page.busy || !page.picture;
  $('stop').disabled = !page.busy;
  $('picture-file').disabled = page.busy;
  for (const id of ['palette', 'reset-look', ...TONES]) $(id).disabled = page.busy;
}

function baseName(name) {
  const dot = name.lastIndexOf('.');
  return dot > 0 ? name.slice(0, dot) : name;
}

function offerDownloads(files) {
  for (const url of page.links) URL.revokeObjectURL(url);
  page.links = [];
  const stem = baseName(page.picture);
  // The eye's picture is named as the command line's batch names it.
  const kinds = [['prg', '.prg', 'application/octet-stream'], ['raw', '.raw', 'application/octet-stream'],
    ['png', '.png', 'image/png'], ['eye', '-eye.png', 'image/png']];
  for (const [kind, ending, type] of kinds) {
    const url = URL.createObjectURL(new Blob([files[kind]], { type }));
    page.links.push(url);
    const link = $('download-' + kind);
    link.href = url;
    link.download = stem + ending;
  }
  $('downloads').hidden = false;
}

function openPicture(file) {
  if (!file || page.busy) return;
  if (!page.ready) {
    // Chosen while the converter still loads: opened as soon as it is ready.
    page.waiting = file;
    setStatus('Opening ' + file.name + ' once the converter has loaded\u2026');
    return;
  }
  showError('');
  setStatus('Opening ' + file.name + '\u2026');
  page.pendingOpens += 1;
  file.arrayBuffer().then((bytes) => {
    page.worker.postMessage({ type: 'open', name: file.name, bytes, framing: framing() }, [bytes]);
  }, (error) => {
    page.pendingOpens -= 1;
    showError(file.name + ': cannot be read: ' + error);
  });
}

function reframe() {
  updateFramingControls();
  if (page.busy) {
    // The picture is opened again, framed anew, once the conversion has ended.
    page.reframeAfterJob = true;
    noteChoice();
    return;
  }
  page.reframeAfterJob = false;
  if (!page.picture) return;
  page.pendingOpens += 1;
  page.worker.postMessage({ type: 'frame', framing: framing() });
}

const replies = {
  ready: (m) => {
    page.ready = true;
    page.threads = m.threads;
    page.labels = m.labels;
    page.nextText = m.nextText;
    for (const element of document.querySelectorAll('[data-control]')) {
      const label = m.labels[element.dataset.control];
      if (label) element.textContent = label;
    }
    if (!m.threads) {
      $('multithread').disabled = true;
      $('multithread-label').title = 'Two workers need a cross-origin isolated page; this one runs one.';
    }
    $('palette').replaceChildren(...m.palettes.map((name, i) => {
      const item = document.createElement('option');
      item.value = String(i);
      item.textContent = name;
      return item;
    }));
    let saved = NEUTRAL_LOOK;
    try { saved = { ...NEUTRAL_LOOK, ...JSON.parse(localStorage.getItem(LOOK_KEY) || '{}') }; } catch (e) { /* none */ }
    setLook(saved);
    page.worker.postMessage({ type: 'look', look: look() });
    blendView.setLegend(m.flickerScale);
    page.worker.postMessage({ type: 'shows', view: blendView.chosen() });
    setStatus('Ready: choose a picture (' + (m.threads ? 'two workers' : 'one worker') + ').');
    updateButtons();
    if (page.waiting) {
      openPicture(page.waiting);
      page.waiting = null;
    }
  },
  fatal: (m) => {
    showError(m.message);
    setStatus('');
  },
  opened: (m) => {
    page.pendingOpens -= 1;
    page.opened += 1;
    if (!m.ok) {
      showError(m.message);
      setStatus(page.picture ? 'Still holding ' + page.picture + '.' : 'Choose a picture.');
      updateButtons();
      return;
    }
    showError('');
    page.picture = m.name;
    draw('view-source', m.source);
    let info = m.name + ': ' + m.width + ' \u00d7 ' + m.height;
    if (m.flattened) info += ', transparency flattened onto black';
    $('picture-info').textContent = info;
    setStatus('Ready to process ' + m.name + '.');
    updateButtons();
  },
  looked: (m) => draw('view-source', m.source),
  started: () => {
    page.progressSeen = [];
    page.report = null;
    $('report').textContent = '';
    blendView.showFigures(null);
    $('progress').value = 0;
  },
  progress: (m) => {
    $('progress').value = m.value;
    page.progressSeen.push(m.value);
    if (m.views) {
      page.views = { ...m.views, c64: null };
      blendView.setViews(page.views, false);
      showFrames();
    }
  },
  done: (m) => {
    page.busy = false;
    page.seconds = m.seconds;
    $('progress').value = m.progress;
    page.views = m.views;
    blendView.setViews(page.views, false);
    showFrames();
    showReport(m.report);
    offerDownloads(m.files);
    page.pageSeconds = (performance.now() - page.processedAt) / 1000;
    page.conversions += 1;
    const converted = 'Converted ' + page.picture + ' in ' + m.seconds.toFixed(2) + ' s.';
    setStatus(page.status === page.nextText ? converted + ' ' + page.nextText : converted);
    const hadFocus = document.activeElement === $('stop') || document.activeElement === document.body;
    updateButtons();
    if (hadFocus) $('process').focus();
    if (page.reframeAfterJob) reframe();
  },
  together: (m) => {
    if (page.views) Object.assign(page.views, m.views);
    blendView.setViews(m.views, true);
  },
  failed: (m) => {
    page.busy = false;
    showError(m.message);
    updateButtons();
    if (page.reframeAfterJob) reframe();
  },
};

function start() {
  page.worker = new Worker('conversion-worker.js');
  page.worker.onmessage = (event) => replies[event.data.type](event.data);
  page.worker.onerror = (event) => {
    showError('The converter stopped: ' + (event.message || 'unknown error') + '. Reload the page.');
    page.ready = false;
    page.busy = false;
    updateButtons();
  };

  $('controls').addEventListener('submit', (event) => {
    event.preventDefault();
    if ($('process').disabled) return;
    showError('');
    page.processedAt = performance.now();
    page.worker.postMessage({ type: 'process', dither: ditherLevel(), options: options(), look: look(),
                              match: match(), workers: page.threads && $('multithread').checked ? 2 : 1 });
    // Busy from here on: "Stop" may follow at once, and reaches the job however short.
    page.busy = true;
    setStatus('Processing ' + page.picture + '\u2026');
    const hadFocus = document.activeElement === $('process');
    updateButtons();
    if (hadFocus) $('stop').focus();
  });
  $('stop').addEventListener('click', () => page.worker.postMessage({ type: 'stop' }));
  document.addEventListener('keydown', (event) => {
    if (event.key === 'Escape' && page.busy) page.worker.postMessage({ type: 'stop' });
  });

  $('picture-file').addEventListener('change', (event) => {
    openPicture(event.target.files[0]);
    event.target.value = '';  // choosing the same file again (changed meanwhile) opens it again
  });
  const zone = $('drop-zone');
  zone.addEventListener('dragover', (event) => {
    event.preventDefault();
    zone.classList.add('dragging');
  });
  zone.addEventListener('dragleave', () => zone.classList.remove('dragging'));
  zone.addEventListener('drop', (event) => {
    event.preventDefault();
    zone.classList.remove('dragging');
    openPicture(event.dataTransfer.files[0]);
  });

  $('palette').addEventListener('change', lookChanged);
  for (const id of TONES) $(id).addEventListener('input', lookChanged);
  $('match').addEventListener('change', matchChanged);
  $('eye-dither').addEventListener('change', matchChanged);
  $('reset-look').addEventListener('click', () => {
    setLook(NEUTRAL_LOOK);
    lookChanged();
  });

  $('fli').addEventListener('change', applyAssLaceRule);
  $('super-flicker').addEventListener('change', applyAssLaceRule);
  for (const id of ['multithread', 'brute-force', 'luma-overload', 'fli', 'super-flicker', 'ntsc',
                    'ass-lace']) {
    $(id).addEventListener('change', noteChoice);
  }
  $('dither').addEventListener('change', () => {
    $('dither').value = ditherLevel();
    page.worker.postMessage({ type: 'dither', level: ditherLevel() });
    noteChoice();
  });
  $('luma-only').addEventListener('change', () =>
    page.worker.postMessage({ type: 'lumaOnly', on: $('luma-only').checked }));
  for (const id of ['framing', 'offset-x', 'offset-y', 'aspect']) $(id).addEventListener('change', reframe);
  // They change the viewer, and with it the visible area.
  for (const id of ['fli', 'super-flicker', 'ass-lace']) {
    $(id).addEventListener('change', () => {
      if ($('framing').value.endsWith('-visible')) reframe();
    });
  }
  $('ntsc').addEventListener('change', () => {
    if ($('framing').value !== 'offset' && $('aspect').value === 'machine') reframe();
  });
  for (const radio of document.querySelectorAll('input[name=zoom]')) {
    radio.addEventListener('change', () => $('pictures').classList.toggle('zoom2', radio.value === '2' && radio.checked));
  }
  for (const radio of document.querySelectorAll('input[name=frames-shown]')) {
    radio.addEventListener('change', showFrames);
  }
  blendView.start((view) => page.worker.postMessage({ type: 'shows', view }));
  page.motion = blendView.clock;

  applyAssLaceRule();
  applyEyeDitherRule();
  updateFramingControls();
  updateButtons();
}

start();
