#!/usr/bin/env node
// The web page's conversion time in headless Chromium, per photo, search mode and worker
// count: the page served cross-origin isolated (one or two pthreads) and without the
// headers (one worker, the job in steps on the conversion worker's thread). Each line gives
// the best and the median of RUNS conversions after one warm-up (the first conversion of a
// page also compiles the hot code), as the converter times its job (start to completion)
// and as the page sees it ("Process" to the files on offer).
//
//   page_bench.js --site WEB_BUILD --modules NODE_MODULES --shared SHARED --python PYTHON
//                 --server SERVE_WEB_PY --work DIR [--runs N] [--photos a.jpg,b.png]
'use strict';

const fs = require('fs');
const path = require('path');

const { DEFAULTS, launch, startServer, openPage, setOptions, choosePicture,
  processAndWait } = require('../../tests/web/page_driver');

const MODES = [
  ['standard', { fli: false }], ['fli', {}], ['superflicker', { fli: false, superFlicker: true }],
  ['fli_superflicker', { superFlicker: true }], ['standard_luma', { fli: false, lumaOnly: true }],
  ['fli_luma', { lumaOnly: true }],
];
const PHOTOS = ['fruits.jpg', 'baboon.jpg', 'butterfly.jpg', 'smarties.png', 'HappyFish.jpg'];

function parseArguments() {
  const args = { runs: '5', photos: PHOTOS.join(',') };
  const argv = process.argv.slice(2);
  for (let i = 0; i < argv.length; i += 2) args[argv[i].replace(/^--/, '')] = argv[i + 1];
  for (const name of ['site', 'modules', 'shared', 'server', 'work']) {
    if (!args[name]) throw new Error('missing --' + name);
    args[name] = path.resolve(args[name]);
  }
  args.python = args.python || 'python3';
  return args;
}

function median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.floor(sorted.length / 2)];
}

async function main() {
  const args = parseArguments();
  const runs = Math.max(1, Number(args.runs));
  const puppeteer = require(path.join(args.modules, 'puppeteer-core'));
  fs.rmSync(args.work, { recursive: true, force: true });
  fs.mkdirSync(args.work, { recursive: true });
  const isolated = await startServer(args.python, args.server, args.site, true);
  const plain = await startServer(args.python, args.server, args.site, false);
  const browser = await launch(puppeteer, path.join(args.work, 'profile'));
  const ms = (s) => (s * 1000).toFixed(0).padStart(9);
  console.log('%s %s %s %s %s %s %s', 'photo'.padEnd(14), 'mode'.padEnd(17), 'page'.padEnd(9),
    'workers', '  job_best job_median', ' page_best', 'page_median');
  try {
    for (const [where, url, workerCounts] of [['isolated', isolated.url, [1, 2]],
      ['plain', plain.url, [1]]]) {
      const page = await openPage(browser, url);
      for (const photo of args.photos.split(',')) {
        await choosePicture(page, path.join(args.shared, 'testdata', photo));
        for (const [mode, changes] of MODES) {
          for (const workers of workerCounts) {
            if (workers === 2 && changes.superFlicker) continue;  // always one worker
            await setOptions(page, { ...DEFAULTS, ...changes, multithread: workers === 2 });
            await processAndWait(page);  // warm-up
            const times = [];
            for (let r = 0; r < runs; ++r) times.push(await processAndWait(page));
            const job = times.map((t) => t.job);
            const seen = times.map((t) => t.page);
            console.log('%s %s %s %s %s %s %s %s', photo.padEnd(14), mode.padEnd(17),
              where.padEnd(9), String(workers).padStart(7), ms(Math.min(...job)),
              ms(median(job)), ms(Math.min(...seen)), ms(median(seen)).padStart(11));
          }
        }
      }
      await page.close();
    }
  } finally {
    await browser.close();
    isolated.stop();
    plain.stop();
  }
  console.log('milliseconds; job: the converter\'s start to completion; page: "Process" to the files on offer');
}

main().catch((error) => {
  console.error(error && error.stack || error);
  process.exit(1);
});
