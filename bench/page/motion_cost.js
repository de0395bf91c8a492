#!/usr/bin/env node
// What the playing picture in motion costs a conversion on the web page, in headless
// Chromium: the same conversion timed with the blend picture still ("Blend") and with the
// picture in motion playing at full speed, in turns (still, motion, motion, still, ...) so
// that a drift of the machine falls on both. Each line gives the medians of RUNS conversions
// of each after one warm-up, the motion's over the still's, and the display refreshes the
// page drew per second while the motion conversions ran.
//
//   motion_cost.js --site WEB_BUILD --modules NODE_MODULES --shared SHARED --python PYTHON
//                  --server SERVE_WEB_PY --work DIR [--runs N] [--photo fruits.jpg]
'use strict';

const fs = require('fs');
const path = require('path');

const { DEFAULTS, launch, startServer, openPage, setOptions, choosePicture,
  processAndWait } = require('../../tests/web/page_driver');

// Each page (served cross-origin isolated or not) with its modes and worker counts.
const CASES = [
  ['isolated', [['fli', {}, 2], ['fli', {}, 1], ['fli_luma', { lumaOnly: true }, 2],
    ['fli_luma', { lumaOnly: true }, 1]]],
  ['plain', [['fli', {}, 1], ['fli_luma', { lumaOnly: true }, 1]]],
];

function parseArguments() {
  const args = { runs: '5', photo: 'fruits.jpg', python: 'python3' };
  const argv = process.argv.slice(2);
  for (let i = 0; i < argv.length; i += 2) args[argv[i].replace(/^--/, '')] = argv[i + 1];
  for (const name of ['site', 'modules', 'shared', 'server', 'work']) {
    if (!args[name]) throw new Error('missing --' + name);
    args[name] = path.resolve(args[name]);
  }
  return args;
}

function median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  const middle = sorted.length >> 1;
  return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
}

// One conversion with the blend picture showing `view`; with the motion, the video frames
// the page drew per second meanwhile (one per refresh at full speed).
async function convert(page, view) {
  await page.click('input[name=blend-shown][value=' + view + ']');
  const before = await page.evaluate(() => [window.peltrixPage.motion.videoFrame, performance.now()]);
  const times = await processAndWait(page);
  const after = await page.evaluate(() => [window.peltrixPage.motion.videoFrame, performance.now()]);
  return { ...times, rate: (after[0] - before[0]) / (after[1] - before[1]) * 1000 };
}

async function main() {
  const args = parseArguments();
  const runs = Math.max(1, Number(args.runs));
  const puppeteer = require(path.join(args.modules, 'puppeteer-core'));
  fs.rmSync(args.work, { recursive: true, force: true });
  fs.mkdirSync(args.work, { recursive: true });
  const servers = { isolated: await startServer(args.python, args.server, args.site, true),
    plain: await startServer(args.python, args.server, args.site, false) };
  const browser = await launch(puppeteer, path.join(args.work, 'profile'));
  const ms = (s) => (s * 1000).toFixed(0).padStart(8);
  console.log('%s %s %s %s %s %s %s %s %s', 'mode'.padEnd(9), 'page'.padEnd(9), 'workers',
    'job_still', 'job_motion', ' ratio', 'page_still', 'page_motion', 'refreshes/s');
  try {
    for (const [where, cases] of CASES) {
      // One tab at a time: a tab in the background draws nothing.
      const page = await openPage(browser, servers[where].url);
      await choosePicture(page, path.join(args.shared, 'testdata', args.photo));
      for (const [mode, changes, workers] of cases) {
        await setOptions(page, { ...DEFAULTS, ...changes, multithread: workers === 2 });
        await convert(page, 'blend');  // warm-up
        const still = [];
        const motion = [];
        for (let r = 0; r < runs; ++r) {
          const order = r % 2 ? ['motion', 'blend'] : ['blend', 'motion'];
          for (const view of order) (view === 'blend' ? still : motion).push(await convert(page, view));
        }
        const job = (list) => median(list.map((t) => t.job));
        const seen = (list) => median(list.map((t) => t.page));
        const rate = median(motion.map((t) => t.rate));
        console.log('%s %s %s %s %s %s %s %s %s', mode.padEnd(9), where.padEnd(9),
          String(workers).padStart(7), ms(job(still)).padStart(9), ms(job(motion)).padStart(10),
          (job(motion) / job(still)).toFixed(3).padStart(6), ms(seen(still)).padStart(10),
          ms(seen(motion)).padStart(11), rate.toFixed(1).padStart(11));
      }
      await page.close();
    }
  } finally {
    await browser.close();
    servers.isolated.stop();
    servers.plain.stop();
  }
  console.log('milliseconds (medians of ' + runs + '); job: the converter\'s start to completion; ' +
    'page: "Process" to the files on offer; ratio: job_motion / job_still');
}

main().catch((error) => {
  console.error(error && error.stack || error);
  process.exit(1);
});
