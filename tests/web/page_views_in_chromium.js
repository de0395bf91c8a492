#!/usr/bin/env node
// The blend picture's moving and mapped views on the web page in headless Chromium: the
// picture in motion, captured refresh by refresh, is the C64's frames in the viewer's order
// (built from the native peltrix-convert's --c64-frames); its speeds and pause work; the
// flicker map is the command line's --flicker-map, with its legend and the report's flicker
// figures beside it.
//
//   page_views_in_chromium.js --site WEB_BUILD --modules NODE_MODULES --shared SHARED
//                             --python PYTHON --server SERVE_WEB_PY --work DIR [--screenshots DIR]
//
// The native converter comes from PELTRIX_NATIVE_CONVERT (scripts/test.sh sets it).
// Exit status 0 = pass, 1 = fail, 77 = skipped.
'use strict';

const { execFileSync } = require('child_process');
const fs = require('fs');
const path = require('path');

const { DEFAULTS, launch, startServer, cliOptions, openPage, setOptions,
  choosePicture, processAndWait } = require('./page_driver');
const { parseArguments, skip, requireTools, check, expect, summary } = require('./page_checks');






// The command line's frames (as converted, and as the viewer shows them) and flicker map.
let runs = 0;
function native(convert, work, photo, options) {
  const folder = path.join(work, 'native-' + ++runs);
  fs.mkdirSync(folder);
  execFileSync(convert, ['-q', ...cliOptions(options), '--frames', 'made', '--c64-frames', 'shown',
    '--flicker-map', 'flicker.png', photo, 'out.prg'], { cwd: folder });
  const read = (name) => fs.readFileSync(path.join(folder, name)).toString('base64');
  return { frames: [1, 2, 3].map((f) => read('made-frame' + f + '.png')),
    c64: [1, 2, 3].map((f) => read('shown-c64-frame' + f + '.png')), flicker: read('flicker.png') };
}

// Installs in the page the pictures a check compares with (PNGs as base64, decoded by the
// browser into window.expected) and the helpers that count the refreshes.
function prepare(page, pngs) {
  return page.evaluate(async (pngs) => {
    const decode = async (base64) => {
      const image = new Image();
      image.src = 'data:image/png;base64,' + base64;
      await image.decode();
      const scratch = document.createElement('canvas');
      scratch.width = 320;
      scratch.height = 200;
      scratch.getContext('2d').drawImage(image, 0, 0);
      return scratch.getContext('2d').getImageData(0, 0, 320, 200).data;
    };
    window.expected = {};
    for (const [name, list] of Object.entries(pngs)) window.expected[name] = await Promise.all(list.map(decode));
    window.canvasPixels = (id) => document.getElementById(id).getContext('2d').getImageData(0, 0, 320, 200).data;
    // Calls `each` at each of `count` display refreshes (after the page's own drawing, whose
    // callback was asked for first); resolves to what it returned.
    window.atRefreshes = (count, each) => new Promise((resolve) => {
      const seen = [];
      const step = () => {
        seen.push(each());
        if (seen.length < count) requestAnimationFrame(step); else resolve(seen);
      };
      requestAnimationFrame(step);
    });
  }, pngs);
}

// Captures the blend canvas at `count` refreshes: the video frame drawn, and how many values
// differ from that video frame of the viewer's show. The frames come 3, 2, 1, ... from video
// frame to video frame, as the C64 shows them; a line viewer also steps them line by line;
// the mask viewer's checkerboard (black where x / 2 + y is even on the C64 frames) inverts
// on every other video frame.
function captureMotion(page, count, viewer) {
  return page.evaluate((count, viewer) => {
    const { c64, frames } = window.expected;
    const black = c64[0].slice(0, 4);  // pixel 0, 0 lies under the checkerboard
    return window.atRefreshes(count, () => {
      const n = window.peltrixPage.motion.shown;
      const got = window.canvasPixels('view-blend');
      let differing = 0;
      for (let y = 0; y < 200; ++y) {
        const f = 2 - (n + (viewer === 'line' ? y : 0)) % 3;
        for (let x = 0; x < 320; ++x) {
          const i = 4 * (y * 320 + x);
          const masked = viewer === 'mask' && ((x >> 1) + y + n) % 2 === 0;
          const want = masked ? black : viewer === 'mask' ? frames[f].subarray(i, i + 4) : c64[f].subarray(i, i + 4);
          for (let k = 0; k < 4; ++k) differing += got[i + k] !== want[k];
        }
      }
      return { n, differing };
    });
  }, count, viewer);
}

function videoFrames(page, refreshes) {
  return page.evaluate((count) => window.atRefreshes(count, () => window.peltrixPage.motion.videoFrame),
    refreshes);
}

async function main() {
  const args = parseArguments();
  const { native: convert, puppeteer } = requireTools(args);
  const fruits = path.join(args.shared, 'testdata', 'fruits.jpg');
  if (!fs.existsSync(fruits)) skip('test photo missing: ' + fruits);
  if (!fs.existsSync(path.join(args.site, 'blend-view.js'))) {
    throw new Error('no blend-view.js in ' + args.site + ': build the page with make web');
  }
  fs.rmSync(args.work, { recursive: true, force: true });
  fs.mkdirSync(args.work, { recursive: true });

  const server = await startServer(args.python, args.server, args.site, true);
  const browser = await launch(puppeteer, path.join(args.work, 'profile'));
  try {
    const page = await openPage(browser, server.url);
    await page.setViewport({ width: 1366, height: 900 });
    await choosePicture(page, fruits);
    await page.click('input[name=blend-shown][value=motion]');

    // FLI: a line viewer; super flicker: the whole frames in turn; Ass Lace: the checkerboard.
    for (const [name, changes, viewer] of [['FLI', {}, 'line'],
      ['super flicker', { fli: false, superFlicker: true }, 'whole'],
      ['Ass Lace', { fli: false, assLace: true }, 'mask']]) {
      await check('the picture in motion, ' + name + ': each refresh draws the next video frame of the viewer\'s show', async () => {
        const options = { ...DEFAULTS, ...changes };
        await setOptions(page, options);
        await processAndWait(page);
        const want = native(convert, args.work, fruits, options);
        await prepare(page, { c64: want.c64, frames: want.frames });
        // Two cycles and more: the page plays one cycle over and over.
        const seen = await captureMotion(page, 15, viewer);
        const steps = seen.slice(1).map((s, i) => s.n - seen[i].n);
        expect(steps.every((d) => d === 1), 'video frames drawn: ' + seen.map((s) => s.n).join(' '));
        const wrong = seen.filter((s) => s.differing > 0);
        expect(wrong.length === 0, 'video frames unlike the C64\'s: ' +
          wrong.map((s) => s.n + ' (' + s.differing + ' values)').join(', '));
      });
    }

    await check('the picture in motion: 1/4 and 1/16 speed, and Play / Pause', async () => {
      const advance = async (refreshes) => {
        const seen = await videoFrames(page, refreshes + 1);
        return seen[seen.length - 1] - seen[0];
      };
      await page.click('input[name=motion-speed][value="4"]');
      const quarter = await advance(16);
      await page.click('input[name=motion-speed][value="16"]');
      const sixteenth = await advance(32);
      await page.click('input[name=motion-speed][value="1"]');
      expect(quarter === 4 && sixteenth === 2, '16 refreshes at 1/4 speed went ' + quarter +
             ' video frames on, 32 at 1/16 ' + sixteenth);
      await page.click('#motion-play');
      const paused = await page.evaluate(async () => {
        const before = window.canvasPixels('view-blend');
        const frames = await window.atRefreshes(10, () => window.peltrixPage.motion.videoFrame);
        const after = window.canvasPixels('view-blend');
        return { frames: [...new Set(frames)], same: before.every((v, i) => v === after[i]),
          caption: document.getElementById('caption-blend').textContent };
      });
      expect(paused.frames.length === 1 && paused.same, 'paused, it showed video frames ' +
             paused.frames.join(' ') + (paused.same ? '' : ', the canvas changed'));
      expect(paused.caption === 'Picture in motion, paused', 'paused, the caption says ' + paused.caption);
      await page.click('#motion-play');
      expect(await advance(3) === 3, 'Play did not go on');
      if (args.screenshots) {
        await page.screenshot({ path: path.join(args.screenshots, 'web-motion.png'), fullPage: true });
      }
    });

    await check('the flicker map is the command line\'s --flicker-map; its legend and figures show with it', async () => {
      const want = native(convert, args.work, fruits, DEFAULTS);
      await setOptions(page, DEFAULTS);
      await processAndWait(page);
      await prepare(page, { flicker: [want.flicker] });
      await page.click('input[name=blend-shown][value=flicker]');
      // The map comes from the worker on the choice.
      await page.waitForFunction(() => {
        const got = window.canvasPixels('view-blend');
        return window.expected.flicker[0].every((v, i) => v === got[i]);
      }, { timeout: 10000 }).catch(() => { throw new Error('the canvas never showed the map'); });
      const legend = await page.evaluate(() => ({
        hidden: document.getElementById('flicker-legend').hidden,
        ticks: [...document.querySelectorAll('#flicker-ticks span')].map((s) => s.textContent).join(' '),
        caption: document.getElementById('flicker-caption').textContent,
        figures: document.getElementById('flicker-figures').textContent,
        report: document.getElementById('report').textContent,
        motionOff: document.getElementById('motion-controls').disabled,
      }));
      expect(!legend.hidden && legend.motionOff, 'legend hidden or motion controls on: ' + JSON.stringify(legend));
      expect(legend.ticks === '0 0.02 0.04 0.06 0.08 0.1', 'the scale says ' + legend.ticks);
      // The windows' words, from the core: they name the tick step, the first tick's value.
      expect(legend.caption.includes('0.02'), 'the caption says ' + legend.caption);
      // The report's flicker figures (its own check holds them to the command line's).
      const figures = 'Flicker ' + legend.report.split('; flicker ')[1];
      expect(legend.figures === figures, 'the figures say "' + legend.figures + '", not "' + figures + '"');
      if (args.screenshots) {
        await page.screenshot({ path: path.join(args.screenshots, 'web-flicker.png'), fullPage: true });
      }
      await page.click('input[name=blend-shown][value=blend]');
    });

    await check('no script error on the page', async () => {
      expect(page.errors.length === 0, 'page errors: ' + page.errors.join('; '));
    });
  } finally {
    await browser.close();
    server.stop();
  }
  return summary();
}

main().then((status) => process.exit(status), (error) => {
  console.log('FAIL ' + (error && error.stack || error));
  process.exit(1);
});
