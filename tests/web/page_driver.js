// Driving the web page in headless Chromium, shared by its test (page_in_chromium.js) and
// its benchmark (bench/page/page_bench.js): the server (scripts/serve_web.py), Debian's
// chromium through puppeteer-core, and the page's controls as a user sets them.
'use strict';

const { spawn } = require('child_process');

const CHROMIUM = '/usr/lib/chromium/chromium';
const CHROMIUM_FLAGS = ['--no-sandbox', '--disable-gpu', '--disable-dev-shm-usage',
  '--disable-background-networking', '--disable-component-update', '--disable-sync',
  '--no-first-run'];
const JOB_TIMEOUT = 120000;

// Debian's chromium with a profile of its own in `profile` (no browser is downloaded).
function launch(puppeteer, profile) {
  return puppeteer.launch({ executablePath: CHROMIUM, headless: true, args: CHROMIUM_FLAGS,
    userDataDir: profile });
}

// Serves `site` on 127.0.0.1 with scripts/serve_web.py (a free port), isolated or not;
// resolves to its address and a stop().
function startServer(python, serverScript, site, isolated) {
  const extra = isolated ? [] : ['--no-isolation'];
  const server = spawn(python, [serverScript, '--port', '0', ...extra, site],
    { stdio: ['ignore', 'pipe', 'inherit'] });
  return new Promise((resolve, reject) => {
    let text = '';
    server.stdout.on('data', (chunk) => {
      text += chunk;
      const match = /(http:\/\/127\.0\.0\.1:\d+\/)/.exec(text);
      if (match) resolve({ url: match[1], stop: () => server.kill() });
    });
    server.on('exit', (code) => reject(new Error('the server ended (' + code + ')')));
  });
}

// The command line's options for the page's option states (see setOptions).
function cliOptions(o) {
  const list = ['-d', String(o.dither)];
  if (!o.fli) list.push('--no-fli');
  if (o.superFlicker) list.push('--super-flicker');
  if (o.lumaOnly) list.push('--luma-only');
  if (!o.bruteForce) list.push('--reduced');
  if (!o.lumaOverload) list.push('--basic-exclusions');
  if (!o.multithread) list.push('--single-thread');
  if (o.ntsc) list.push('--ntsc');
  if (o.assLace) list.push('--ass-lace');
  if (o.framing.startsWith('fit')) list.push('--fit');
  if (o.framing.startsWith('fill')) list.push('--fill');
  if (o.framing.endsWith('-visible')) list.push('--visible');
  if (o.framing === 'offset' && (o.x || o.y)) list.push('--offset', o.x + ',' + o.y);
  if (o.framing !== 'offset' && o.aspect !== 'machine') list.push('--aspect', o.aspect);
  if (o.palette !== 'pepto-pal') list.push('--palette', o.palette);
  if (o.match === 'eye') list.push('--match', 'eye');
  if (o.match === 'eye' && o.eyeDither !== 'diffusion') list.push('--eye-dither', o.eyeDither);
  if (o.brightness) list.push('--brightness', String(o.brightness));
  if (o.contrast) list.push('--contrast', String(o.contrast));
  if (o.saturation !== 100) list.push('--saturation', String(o.saturation));
  if (o.gamma !== 100) list.push('--gamma', (o.gamma / 100).toFixed(2));
  return list;
}

const DEFAULTS = { dither: 2, fli: true, superFlicker: false, lumaOnly: false, bruteForce: true,
  lumaOverload: true, multithread: true, ntsc: false, assLace: false, framing: 'offset', x: 0,
  y: 0, aspect: 'machine', palette: 'pepto-pal', match: 'classic', eyeDither: 'diffusion',
  brightness: 0, contrast: 0, saturation: 100, gamma: 100 };

// A new tab on the page, once its converter is ready; its script errors collect in .errors.
async function openPage(browser, url) {
  const page = await browser.newPage();
  page.errors = [];
  page.on('pageerror', (e) => page.errors.push(e.message));
  await page.goto(url);
  await page.waitForFunction(() => window.peltrixPage && window.peltrixPage.ready,
    { timeout: 30000 });
  return page;
}

// Sets the page's controls to the option states `o` (as DEFAULTS), as a user's clicks would.
async function setOptions(page, o) {
  await page.evaluate((o) => {
    const set = (id, value) => {
      const e = document.getElementById(id);
      if (e.type === 'checkbox' ? e.checked === value : e.value === String(value)) return;
      if (e.type === 'checkbox') e.checked = value; else e.value = String(value);
      e.dispatchEvent(new Event('change'));
    };
    set('dither', o.dither);
    set('fli', o.fli);
    set('super-flicker', o.superFlicker);
    set('luma-only', o.lumaOnly);
    set('brute-force', o.bruteForce);
    set('luma-overload', o.lumaOverload);
    if (!document.getElementById('multithread').disabled) set('multithread', o.multithread);
    set('ntsc', o.ntsc);
    set('ass-lace', o.assLace);
    set('offset-x', o.x);
    set('offset-y', o.y);
    set('aspect', o.aspect);
    set('framing', o.framing);
    const palette = [...document.getElementById('palette').options].find((p) => p.textContent === o.palette);
    set('palette', palette.value);
    set('match', o.match);
    set('eye-dither', o.eyeDither);
    for (const id of ['brightness', 'contrast', 'saturation', 'gamma']) {
      const e = document.getElementById(id);
      if (e.value === String(o[id])) continue;
      e.value = String(o[id]);
      e.dispatchEvent(new Event('input'));
    }
  }, o);
}

async function choosePicture(page, file) {
  const before = await page.evaluate(() => window.peltrixPage.opened || 0);
  const input = await page.$('#picture-file');
  await input.uploadFile(file);
  await page.waitForFunction((n) => window.peltrixPage.opened > n && window.peltrixPage.pendingOpens === 0,
    { timeout: 30000 }, before);
}

async function waitForFraming(page) {
  // A framing change re-opens the picture; wait until the converter has answered.
  await page.waitForFunction(() => window.peltrixPage.pendingOpens === 0, { timeout: 30000 });
}

// "Process", then waits for the result; resolves to the converter's own time (from the start
// of the job to its completion) and the page's (from the click to the files on offer), in s.
async function processAndWait(page) {
  const before = await page.evaluate(() => window.peltrixPage.conversions);
  await page.click('#process');
  await page.waitForFunction((n) => window.peltrixPage.conversions > n, { timeout: JOB_TIMEOUT },
    before);
  return page.evaluate(() => ({ job: window.peltrixPage.seconds, page: window.peltrixPage.pageSeconds }));
}

module.exports = { CHROMIUM, DEFAULTS, JOB_TIMEOUT, launch, startServer, cliOptions, openPage,
  setOptions, choosePicture, waitForFraming, processAndWait };
