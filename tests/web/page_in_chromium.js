#!/usr/bin/env node
// The web page in headless Chromium (Debian's, driven by puppeteer-core), served by
// scripts/serve_web.py on 127.0.0.1: once cross-origin isolated (two workers) and once
// without the headers (one worker, the job in steps). Every file the page offers is
// downloaded and compared with what the native peltrix-convert writes for the same picture
// and options; broken files, "Stop" and the keyboard are tried, and the page is looked at
// on a desktop and a phone screen.
//
//   page_in_chromium.js --site WEB_BUILD --modules NODE_MODULES --shared SHARED
//                       --python PYTHON --server SERVE_WEB_PY --work DIR [--screenshots DIR]
//
// The native converter comes from PELTRIX_NATIVE_CONVERT (scripts/test.sh sets it).
// Exit status 0 = pass, 1 = fail, 77 = skipped (no chromium, puppeteer-core, native
// converter or test photos).
'use strict';

const { execFileSync } = require('child_process');
const fs = require('fs');
const http = require('http');
const path = require('path');

const { DEFAULTS, JOB_TIMEOUT, launch, startServer, cliOptions, openPage, setOptions,
  choosePicture, waitForFraming, processAndWait } = require('./page_driver');
const { parseArguments, skip, requireTools, check, expect, summary } = require('./page_checks');




// ---- the native converter: the bytes the page must match ---------------------------------

// `also`: c64Frames (the frames as the C64 shows them), eye (what the eye sees, as `eye`),
// report (the --report=json figures).
let expectedRuns = 0;
function expected(native, work, photo, options, also = {}) {
  const folder = path.join(work, 'native-' + ++expectedRuns);
  fs.mkdirSync(folder);
  const extra = [];
  if (also.c64Frames) extra.push('--c64-frames', 'shown');
  if (also.eye) extra.push('--eye', 'out-eye.png');
  if (also.report) extra.push('--report=json');
  const printed = execFileSync(native, ['-q', ...cliOptions(options), ...extra, photo, 'out.prg',
    'out.raw', 'out.png'], { cwd: folder });
  const read = (name) => fs.readFileSync(path.join(folder, name));
  const files = { prg: read('out.prg'), raw: read('out.raw'), png: read('out.png') };
  if (also.c64Frames) files.c64 = [1, 2, 3].map((f) => read('shown-c64-frame' + f + '.png'));
  if (also.eye) files.eye = read('out-eye.png');
  if (also.report) files.report = JSON.parse(String(printed));
  return files;
}

// The message the native converter prints for a picture it cannot load, without its name.
function nativeError(native, work, file) {
  try {
    execFileSync(native, ['-q', path.basename(file), 'out.prg'],
      { cwd: path.dirname(file), stdio: ['ignore', 'ignore', 'pipe'] });
  } catch (error) {
    return String(error.stderr).trim().replace(/^peltrix-convert: /, '');
  }
  throw new Error('the native converter accepted ' + file);
}

// ---- the server and the browser -----------------------------------------------------------

function fetchText(url) {
  return new Promise((resolve, reject) => {
    http.get(url, (response) => {
      let body = '';
      response.on('data', (chunk) => { body += chunk; });
      response.on('end', () => resolve({ body, headers: response.headers, status: response.statusCode }));
    }).on('error', reject);
  });
}

// Downloads land in `folder` under their download's id; the page's suggested name travels
// along, so the test sees what the user's browser would save. One download at a time.
async function catchDownloads(browser, folder) {
  const cdp = await browser.target().createCDPSession();
  let current = null;  // { begun, resolve } of the download under way
  cdp.on('Browser.downloadWillBegin', (e) => {
    if (current && !current.guid) {
      current.guid = e.guid;
      current.name = e.suggestedFilename;
    }
  });
  cdp.on('Browser.downloadProgress', (e) => {
    if (!current || e.guid !== current.guid) return;
    current.state = e.state;
    if (e.state === 'completed') {
      current.resolve({ name: current.name, bytes: fs.readFileSync(path.join(folder, e.guid)) });
    }
  });
  await cdp.send('Browser.setDownloadBehavior',
    { behavior: 'allowAndName', downloadPath: folder, eventsEnabled: true });
  // A click that starts no download within a few seconds is tried again (said in the log):
  // under a heavily loaded machine a click was once lost before the browser saw it. A page
  // whose link does not work still fails, after the last try.
  return async (page, linkId) => {
    const arrived = new Promise((resolve) => { current = { resolve }; });
    const download = current;
    try {
      for (let attempt = 1; ; attempt += 1) {
        await page.click('#' + linkId);
        const begun = await waitUntil(() => download.guid, attempt < 3 ? 5000 : 20000);
        if (begun) break;
        if (attempt === 3) throw new Error('download of ' + linkId + ': three clicks started no download');
        console.log('note: a click on ' + linkId + ' started no download in 5 s; clicking again');
      }
      return await withTimeout(arrived, 20000, 'download of ' + linkId);
    } catch (error) {
      if (download.guid) error.message += ' (begun, last state ' + download.state + ')';
      throw error;
    } finally {
      current = null;
    }
  };
}

// Whether `condition()` holds within `ms`, looked at every 20 ms.
async function waitUntil(condition, ms) {
  const end = Date.now() + ms;
  while (!condition()) {
    if (Date.now() >= end) return false;
    await new Promise((resolve) => setTimeout(resolve, 20));
  }
  return true;
}

function withTimeout(promise, ms, what) {
  let timer;
  const timeout = new Promise((_, reject) => {
    timer = setTimeout(() => reject(new Error(what + ' took over ' + ms + ' ms')), ms);
  });
  return Promise.race([promise, timeout]).finally(() => clearTimeout(timer));
}

function sameBytes(a, b) {
  return a.length === b.length && Buffer.compare(a, b) === 0;
}

// ---- the checks ---------------------------------------------------------------------------



async function expectFiles(download, page, want, stem, kinds) {
  for (const kind of kinds) {
    const got = await download(page, 'download-' + kind);
    const name = stem + (kind === 'eye' ? '-eye.png' : '.' + kind);
    expect(got.name === name, 'download named ' + got.name + ', not ' + name);
    expect(sameBytes(got.bytes, want[kind]),
      kind + ': ' + got.bytes.length + ' bytes differ from the native ' + want[kind].length);
  }
}

// The share of black pixels in the blend picture's last cell row (192..199).
function blackShareOfLastRow(page) {
  return page.evaluate(() => {
    const data = document.getElementById('view-blend').getContext('2d')
      .getImageData(0, 192, 320, 8).data;
    let black = 0;
    for (let i = 0; i < data.length; i += 4) black += data[i] + data[i + 1] + data[i + 2] === 0;
    return black / (data.length / 4);
  });
}

// Whether the canvas shows exactly the pixels of a PNG (decoded by the browser).
function canvasEqualsPng(page, canvasId, png) {
  return page.evaluate(async (canvasId, base64) => {
    const image = new Image();
    image.src = 'data:image/png;base64,' + base64;
    await image.decode();
    const scratch = document.createElement('canvas');
    scratch.width = 320;
    scratch.height = 200;
    const context = scratch.getContext('2d');
    context.drawImage(image, 0, 0);
    const want = context.getImageData(0, 0, 320, 200).data;
    const got = document.getElementById(canvasId).getContext('2d').getImageData(0, 0, 320, 200).data;
    let differing = 0;
    for (let i = 0; i < want.length; ++i) differing += want[i] !== got[i];
    return differing;
  }, canvasId, png.toString('base64'));
}

async function stopMidJob(page, photo) {
  await choosePicture(page, photo);
  // One worker in FLI: the longest job.
  await setOptions(page, { ...DEFAULTS, multithread: false });
  const before = await page.evaluate(() => window.peltrixPage.conversions);
  // "Stop" right behind "Process", as a quick user would: the converter hears it before the
  // job's first row is done, whatever the machine's speed.
  await page.evaluate(() => {
    document.getElementById('process').click();
    document.getElementById('stop').click();
  });
  await page.waitForFunction((n) => window.peltrixPage.conversions > n, { timeout: JOB_TIMEOUT },
    before);
  // The skipped cells keep the black of a fresh page.
  const black = await blackShareOfLastRow(page);
  expect(black > 0.9, 'only ' + (black * 100).toFixed(0) + ' % of the last row is black: not stopped');
  const state = await page.evaluate(() => ({
    process: document.getElementById('process').disabled,
    stop: document.getElementById('stop').disabled,
    file: document.getElementById('picture-file').disabled,
    status: document.getElementById('status').textContent,
  }));
  expect(!state.process && state.stop && !state.file, 'after Stop: ' + JSON.stringify(state));
}

async function main() {
  const args = parseArguments();
  const { native: native, puppeteer } = requireTools(args);
  const testdata = path.join(args.shared, 'testdata');
  const photos = ['fruits.jpg', 'HappyFish.jpg', 'smarties.png'].map((p) => path.join(testdata, p));
  const missing = photos.filter((p) => !fs.existsSync(p));
  if (missing.length) skip('test photos missing: ' + missing.join(', '));
  for (const file of ['index.html', 'peltrix-page.js', 'peltrix-page-single.js']) {
    if (!fs.existsSync(path.join(args.site, file))) {
      throw new Error('no ' + file + ' in ' + args.site + ': build it with make web');
    }
  }
  const [fruits, fish, smarties] = photos;

  fs.rmSync(args.work, { recursive: true, force: true });
  fs.mkdirSync(args.work, { recursive: true });
  const downloads = path.join(args.work, 'downloads');
  fs.mkdirSync(downloads);
  const broken = path.join(args.work, 'broken.jpg');
  fs.writeFileSync(broken, fs.readFileSync(fruits).subarray(0, 2000));
  const notPicture = path.join(args.work, 'notes.png');
  fs.writeFileSync(notPicture, 'not a picture at all\n');

  const isolated = await startServer(args.python, args.server, args.site, true);
  const plain = await startServer(args.python, args.server, args.site, false);
  const browser = await launch(puppeteer, path.join(args.work, 'profile'));
  try {
    const download = await catchDownloads(browser, downloads);
    let page = await openPage(browser, isolated.url);

    await check('the isolated page loads with two workers, the window\'s labels and its start-up states', async () => {
      const state = await page.evaluate(() => ({
        threads: window.peltrixPage.threads, isolated: window.crossOriginIsolated,
        labels: window.peltrixPage.labels,
        fli: document.getElementById('fli').checked,
        assLaceDisabled: document.getElementById('ass-lace').disabled,
        multithread: document.getElementById('multithread').checked,
        multithreadDisabled: document.getElementById('multithread').disabled,
        dither: document.getElementById('dither').value,
        process: document.getElementById('process').disabled,
      }));
      expect(state.isolated && state.threads, 'not isolated or no threads: ' + JSON.stringify(state));
      expect(state.fli && state.assLaceDisabled && state.multithread && !state.multithreadDisabled &&
             state.dither === '2' && state.process, 'start-up states: ' + JSON.stringify(state));
      // The page as served names every option as the window's table does.
      const { body } = await fetchText(isolated.url + 'index.html');
      const named = [...body.matchAll(/data-control="(\d+)"[^>]*>([^<]*)</g)];
      expect(named.length >= 11, 'only ' + named.length + ' labelled controls');
      for (const [, id, text] of named) {
        expect(state.labels[id] === text, 'control ' + id + ' is "' + text + '" on the page, "' +
               state.labels[id] + '" in the window');
      }
    });

    await check('the "Ass Lace" rule: enabled only without FLI and super flicker, its state kept', async () => {
      const states = await page.evaluate(() => {
        const box = (id) => document.getElementById(id);
        const click = (id) => box(id).click();
        const seen = [];
        click('fli'); seen.push(box('ass-lace').disabled);
        click('ass-lace'); click('super-flicker'); seen.push(box('ass-lace').disabled, box('ass-lace').checked);
        click('super-flicker'); click('fli'); seen.push(box('ass-lace').disabled, box('ass-lace').checked);
        click('fli'); click('ass-lace'); click('fli');
        return seen;
      });
      expect(JSON.stringify(states) === '[false,true,true,true,true]', 'states ' + JSON.stringify(states));
    });

    const modes = [
      ['standard', { fli: false }], ['fli', {}], ['superflicker', { fli: false, superFlicker: true }],
      ['fli_superflicker', { superFlicker: true }], ['standard_luma', { fli: false, lumaOnly: true }],
      ['fli_luma', { lumaOnly: true }],
    ];
    await choosePicture(page, fruits);
    for (const [name, changes] of modes) {
      await check('fruits.jpg in mode ' + name + ': the .prg and .raw are the command line\'s', async () => {
        const options = { ...DEFAULTS, ...changes };
        await setOptions(page, options);
        await processAndWait(page);
        const standard = name === 'standard';
        const want = expected(native, args.work, fruits, options, { c64Frames: standard, eye: standard });
        await expectFiles(download, page, want, 'fruits', name === 'fli' ? ['prg', 'raw', 'png'] :
          standard ? ['prg', 'raw', 'eye'] : ['prg', 'raw']);
        if (standard) {
          // What the eye sees (in the classic match not its blend): the command line's --eye.
          await page.click('input[name=blend-shown][value=eye]');
          const differing = await canvasEqualsPng(page, 'view-blend', want.eye);
          expect(differing === 0, 'what the eye sees: ' + differing + ' values differ');
          await page.click('input[name=blend-shown][value=blend]');
          // What the C64 shows: the command line's --c64-frames, pixel for pixel.
          await page.click('input[name=frames-shown][value=c64]');
          for (let f = 0; f < 3; ++f) {
            const differing = await canvasEqualsPng(page, 'view-frame' + (f + 1), want.c64[f]);
            expect(differing === 0, 'C64 frame ' + (f + 1) + ': ' + differing + ' values differ');
          }
          await page.click('input[name=frames-shown][value=computed]');
        }
      });
    }

    await check('the other options (reduced pairs, basic exclusions, Ass Lace, NTSC, dithering 0 and 3) give the command line\'s files', async () => {
      for (const changes of [{ bruteForce: false, lumaOverload: false, dither: 0 },
        { fli: false, assLace: true, ntsc: true, dither: 3 }]) {
        const options = { ...DEFAULTS, ...changes };
        await setOptions(page, options);
        await processAndWait(page);
        await expectFiles(download, page, expected(native, args.work, fruits, options), 'fruits', ['prg', 'raw']);
      }
    });

    await check('the eye match, diffused and ordered: the command line\'s files and report; remembered', async () => {
      const eye = { ...DEFAULTS, match: 'eye' };
      await setOptions(page, eye);
      await processAndWait(page);
      const want = expected(native, args.work, fruits, eye, { report: true });
      await expectFiles(download, page, want, 'fruits', ['prg', 'raw', 'png']);
      if (args.screenshots) {
        await page.click('input[name=blend-shown][value=eye]');
        await page.setViewport({ width: 1366, height: 900 });
        await page.screenshot({ path: path.join(args.screenshots, 'web-eye.png'), fullPage: true });
        await page.click('input[name=blend-shown][value=blend]');
      }
      // The page's figures are the command line's at its JSON precision, and the text shows
      // each rounded as the command line's text does.
      const shown = await page.evaluate(() => ({ text: document.getElementById('report').textContent,
        figures: window.peltrixPage.report }));
      const form = /^Error (\d+\.\d{2}) mean, (\d+\.\d{2}) p95 \(CIEDE2000\); flicker (\d+\.\d{4}) mean, (\d+\.\d) % above 0\.02$/;
      const numbers = form.exec(shown.text);
      expect(numbers, 'the report says "' + shown.text + '"');
      const figures = [['errorMean', 4, 1, 2], ['errorP95', 4, 1, 2], ['flickerMean', 5, 1, 4],
        ['flickerShareAbove002', 4, 100, 1]];
      figures.forEach(([key, jsonDigits, scale, digits], i) => {
        const figure = shown.figures[key];
        expect(Number(figure.toFixed(jsonDigits)) === want.report[key],
          key + ' is ' + figure + ', the command line\'s ' + want.report[key]);
        expect(Math.abs(Number(numbers[i + 1]) - figure * scale) <= 0.5 * 10 ** -digits + 1e-9,
          key + ' shown as ' + numbers[i + 1] + ' for ' + figure);
      });
      const ordered = { ...eye, fli: false, eyeDither: 'ordered' };
      await setOptions(page, ordered);
      await processAndWait(page);
      await expectFiles(download, page, expected(native, args.work, fruits, ordered), 'fruits',
        ['prg', 'raw', 'png']);
      // Remembered: a new visit starts with the same match.
      const again = await openPage(browser, isolated.url);
      try {
        const kept = await again.evaluate(() => ['match', 'eye-dither'].map((id) =>
          document.getElementById(id).value + (document.getElementById(id).disabled ? ' (off)' : '')));
        expect(kept.join() === 'eye,ordered', 'not remembered: ' + kept.join());
      } finally {
        await again.close();
      }
      await setOptions(page, DEFAULTS);
    });

    // The visible area is the viewer's: right of the sprite column in FLI, all of the screen
    // with the whole-frame viewer of non-FLI super flicker.
    await check('framing: fit, fill (NTSC and square), the visible area and an offset give the command line\'s files', async () => {
      const framings = [[fish, { framing: 'fit' }], [fish, { framing: 'fill', ntsc: true }],
        [smarties, { framing: 'fill', aspect: 'square' }], [fruits, { x: 150, y: 230 }],
        [fruits, { framing: 'fit-visible' }],
        [smarties, { framing: 'fill-visible', fli: false, superFlicker: true }]];
      for (const [photo, changes] of framings) {
        const options = { ...DEFAULTS, ...changes };
        await choosePicture(page, photo);
        await setOptions(page, options);
        await waitForFraming(page);
        await processAndWait(page);
        await expectFiles(download, page, expected(native, args.work, photo, options),
          path.basename(photo).replace(/\.[^.]+$/, ''), ['prg']);
      }
      await setOptions(page, DEFAULTS);
      await waitForFraming(page);
    });

    await check('a broken file and a file that is no picture show the command line\'s message; the next conversion works', async () => {
      await choosePicture(page, fruits);
      for (const bad of [broken, notPicture]) {
        await choosePicture(page, bad);
        const shown = await page.evaluate(() => {
          const box = document.getElementById('error');
          return { hidden: box.hidden, text: box.textContent, holding: window.peltrixPage.picture };
        });
        const want = nativeError(native, args.work, bad);
        expect(!shown.hidden && shown.text === want, 'shown "' + shown.text + '", want "' + want + '"');
        expect(shown.holding === 'fruits.jpg', 'the page lost its picture: ' + shown.holding);
      }
      await setOptions(page, DEFAULTS);
      await processAndWait(page);
      const hidden = await page.evaluate(() => document.getElementById('error').hidden);
      expect(hidden, 'the message stays after a good conversion');
      await expectFiles(download, page, expected(native, args.work, fruits, DEFAULTS), 'fruits', ['prg']);
    });

    await check('the progress bar moves while a job runs, on one worker as on two', async () => {
      for (const multithread of [false, true]) {
        // The slowest mode, so that the job spans many of the converter's reports.
        await setOptions(page, { ...DEFAULTS, lumaOnly: true, multithread });
        await processAndWait(page);
        const seen = await page.evaluate(() => [window.peltrixPage.progressSeen,
          document.getElementById('progress').value]);
        const between = seen[0].filter((v) => v > 0 && v < 25);
        const rising = seen[0].every((v, i) => i === 0 || v >= seen[0][i - 1]);
        expect(between.length > 0 && rising && seen[1] === 25,
          'progress values ' + JSON.stringify(seen[0]) + ', at the end ' + seen[1]);
      }
      await setOptions(page, DEFAULTS);
    });

    await check('the keyboard: Space toggles an option, Enter on "Process" converts', async () => {
      await page.focus('#fli');
      await page.keyboard.press('Space');
      const assLace = await page.evaluate(() => [document.getElementById('fli').checked,
        document.getElementById('ass-lace').disabled]);
      expect(!assLace[0] && !assLace[1], 'after Space on FLI: ' + assLace);
      await page.focus('#fli');
      await page.keyboard.press('Space');
      const before = await page.evaluate(() => window.peltrixPage.conversions);
      await page.focus('#process');
      await page.keyboard.press('Enter');
      await page.waitForFunction((n) => window.peltrixPage.conversions > n, { timeout: JOB_TIMEOUT }, before);
      const focused = await page.evaluate(() => document.activeElement.id);
      expect(focused === 'process', 'focus went to ' + focused);
      await expectFiles(download, page, expected(native, args.work, fruits, DEFAULTS), 'fruits', ['raw']);
    });

    if (args.screenshots) {
      await check('screenshots at desktop and phone width; the phone page needs no sideways scrolling', async () => {
        await page.click('input[name=frames-shown][value=c64]');
        await page.setViewport({ width: 1366, height: 900 });
        await page.screenshot({ path: path.join(args.screenshots, 'web-desktop.png'), fullPage: true });
        await page.click('input[name=zoom][value="2"]');
        await page.screenshot({ path: path.join(args.screenshots, 'web-desktop-2x.png'), fullPage: true });
        await page.click('input[name=zoom][value="1"]');
        await page.click('input[name=frames-shown][value=computed]');
        // A phone from the start (a change of isMobile would reload the page).
        const phone = await browser.newPage();
        try {
          await phone.setViewport({ width: 390, height: 844, isMobile: true, hasTouch: true });
          await phone.goto(isolated.url);
          await phone.waitForFunction(() => window.peltrixPage && window.peltrixPage.ready, { timeout: 30000 });
          await choosePicture(phone, fruits);
          await processAndWait(phone);
          const widths = await phone.evaluate(() => [document.documentElement.scrollWidth, window.innerWidth]);
          await phone.screenshot({ path: path.join(args.screenshots, 'web-phone.png'), fullPage: true });
          expect(widths[0] <= widths[1], 'phone page is ' + widths[0] + ' px wide in ' + widths[1]);
        } finally {
          await phone.close();
        }
      });
    }

    await check('"Stop" mid-job on a fresh isolated page: the cells left stay black, the page goes on', async () => {
      await page.close();
      page = await openPage(browser, isolated.url);
      await stopMidJob(page, fruits);
      await setOptions(page, DEFAULTS);
      await processAndWait(page);
      await expectFiles(download, page, expected(native, args.work, fruits, DEFAULTS), 'fruits', ['prg']);
    });

    await check('the page without isolation headers runs one worker in steps: same files, "Stop" works', async () => {
      const single = await openPage(browser, plain.url);
      try {
        const state = await single.evaluate(() => ({ threads: window.peltrixPage.threads,
          isolated: window.crossOriginIsolated,
          multithread: document.getElementById('multithread').disabled }));
        expect(!state.threads && !state.isolated && state.multithread, JSON.stringify(state));
        await stopMidJob(single, fruits);
        for (const changes of [{}, { fli: false, superFlicker: true, lumaOnly: true }]) {
          const options = { ...DEFAULTS, ...changes };
          await setOptions(single, options);
          await processAndWait(single);
          await expectFiles(download, single, expected(native, args.work, fruits, options), 'fruits', ['prg', 'raw']);
        }
        // The job in steps reports its rows too.
        await setOptions(single, { ...DEFAULTS, lumaOnly: true });
        await processAndWait(single);
        const seen = await single.evaluate(() => window.peltrixPage.progressSeen);
        expect(seen.some((v) => v > 0 && v < 25), 'progress values ' + JSON.stringify(seen));
        expect(single.errors.length === 0, 'page errors: ' + single.errors.join('; '));
      } finally {
        await single.close();
      }
    });

    await check('palette and tone: the command line\'s files, the source view toned at once, remembered', async () => {
      await choosePicture(page, fruits);
      const changes = { palette: 'colodore', gamma: 180, contrast: 20, saturation: 140, brightness: -10 };
      await setOptions(page, { ...DEFAULTS, ...changes });
      // The source view follows the sliders, before any "Process".
      await setOptions(page, { ...DEFAULTS, ...changes, saturation: 0 });
      await page.waitForFunction(() => {
        const c = document.getElementById('view-source').getContext('2d');
        const d = c.getImageData(0, 0, 320, 200).data;
        for (let i = 0; i < d.length; i += 4 * 97) if (d[i] !== d[i + 1] || d[i] !== d[i + 2]) return false;
        return d[4 * (100 * 320 + 160)] > 0;
      }, { timeout: 10000 });
      await setOptions(page, { ...DEFAULTS, ...changes });
      const options = { ...DEFAULTS, ...changes };
      await processAndWait(page);
      await expectFiles(download, page, expected(native, args.work, fruits, options), 'fruits',
        ['prg', 'raw', 'png']);
      // Remembered: a new visit starts with the same choices.
      const again = await openPage(browser, isolated.url);
      try {
        const kept = await again.evaluate(() => ({
          palette: document.getElementById('palette').selectedOptions[0].textContent,
          gamma: document.getElementById('gamma').value }));
        expect(kept.palette === 'colodore' && kept.gamma === '180', 'not remembered: ' + JSON.stringify(kept));
        await again.click('#reset-look');
        const reset = await again.evaluate(() => document.getElementById('palette').selectedOptions[0].textContent +
          ' ' + document.getElementById('gamma').value);
        expect(reset === 'pepto-pal 100', 'Reset left ' + reset);
      } finally {
        await again.close();
      }
      await setOptions(page, DEFAULTS);
    });

    await check('a choice made during a conversion waits for the next, as the status line says', async () => {
      await choosePicture(page, fruits);
      const slow = { ...DEFAULTS, lumaOnly: true, multithread: false };
      const changed = { ...slow, palette: 'colodore', bruteForce: false, dither: 0, match: 'eye',
        eyeDither: 'ordered' };
      await setOptions(page, slow);
      const before = await page.evaluate(() => window.peltrixPage.conversions);
      await page.evaluate(() => document.getElementById('process').click());
      // The match first and alone, then the rest.
      for (const choices of [{ ...slow, match: 'eye', eyeDither: 'ordered' }, changed]) {
        await setOptions(page, choices);
        const during = await page.evaluate(() => ({ busy: window.peltrixPage.busy,
          status: document.getElementById('status').textContent, words: window.peltrixPage.nextText }));
        expect(during.busy, 'the job ended before the choices were made');
        expect(during.words.length > 0 && during.status === during.words, 'the status said ' + during.status);
      }
      await page.waitForFunction((n) => window.peltrixPage.conversions > n, { timeout: JOB_TIMEOUT }, before);
      await expectFiles(download, page, expected(native, args.work, fruits, slow), 'fruits', ['prg']);
      await processAndWait(page);
      await expectFiles(download, page, expected(native, args.work, fruits, changed), 'fruits', ['prg']);
      await setOptions(page, DEFAULTS);
    });

    await check('a picture chosen while the converter still loads is opened once it is ready', async () => {
      // The converter's worker held back: the page stays loading until the test lets it start.
      const slow = await browser.newPage();
      await slow.evaluateOnNewDocument(() => {
        const RealWorker = window.Worker;
        window.Worker = function HeldWorker(url) {
          const queued = [];
          let real = null;
          this.postMessage = (message, transfer) => {
            if (real) real.postMessage(message, transfer); else queued.push([message, transfer]);
          };
          window.releaseWorker = () => {
            real = new RealWorker(url);
            real.onmessage = (event) => this.onmessage(event);
            real.onerror = (event) => this.onerror && this.onerror(event);
            for (const [message, transfer] of queued) real.postMessage(message, transfer);
          };
        };
      });
      try {
        await slow.goto(isolated.url);
        expect(!(await slow.evaluate(() => window.peltrixPage.ready)), 'the converter was ready already');
        const input = await slow.$('#picture-file');
        await input.uploadFile(fruits);
        const status = await slow.evaluate(() => document.getElementById('status').textContent);
        expect(status.includes('fruits.jpg'), 'while loading, the status says ' + status);
        await slow.evaluate(() => window.releaseWorker());
        await slow.waitForFunction(
          () => document.getElementById('picture-info').textContent.startsWith('fruits.jpg'),
          { timeout: 30000 });
        const framing = await slow.evaluate(() => document.getElementById('framing').value);
        expect(framing === 'fit', 'the page starts on ' + framing + ', not fit');
      } finally {
        await slow.close();
      }
    });

    await check('every file the page asks for exists (the icon among them)', async () => {
      const fresh = await browser.newPage();
      const missing = [];
      fresh.on('response', (response) => { if (response.status() >= 400) missing.push(response.url()); });
      try {
        await fresh.goto(isolated.url);
        await fresh.waitForFunction(() => window.peltrixPage && window.peltrixPage.ready, { timeout: 30000 });
        const icon = await fresh.evaluate(() => document.querySelector('link[rel=icon]').href);
        const { status } = await fetchText(icon);
        expect(status === 200, 'the icon ' + icon + ' answers ' + status);
        expect(missing.length === 0, 'not found: ' + missing.join(', '));
        const description = await fresh.evaluate(() => document.querySelector('meta[name=description]').content);
        expect(description.length > 40, 'no real description: ' + description);
      } finally {
        await fresh.close();
      }
    });

    await check('no script error on the isolated page', async () => {
      expect(page.errors.length === 0, 'page errors: ' + page.errors.join('; '));
    });
  } finally {
    await browser.close();
    isolated.stop();
    plain.stop();
  }
  return summary();
}

main().then((status) => process.exit(status), (error) => {
  console.log('FAIL ' + (error && error.stack || error));
  process.exit(1);
});
