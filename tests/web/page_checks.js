// What the page tests share besides driving the page: their arguments, skipping, and the
// named checks whose tally decides the exit status.
'use strict';

const fs = require('fs');
const path = require('path');

const { CHROMIUM } = require('./page_driver');

const SKIP = 77;

// --name value pairs; the folders made absolute.
function parseArguments() {
  const args = {};
  const argv = process.argv.slice(2);
  for (let i = 0; i < argv.length; i += 2) args[argv[i].replace(/^--/, '')] = argv[i + 1];
  for (const required of ['site', 'modules', 'shared', 'python', 'server', 'work']) {
    if (!args[required]) throw new Error('missing --' + required);
  }
  for (const name of ['site', 'modules', 'shared', 'server', 'work', 'screenshots']) {
    if (args[name]) args[name] = path.resolve(args[name]);
  }
  return args;
}

function skip(reason) {
  console.log('skipped: ' + reason);
  process.exit(SKIP);
}

const results = { passed: 0, failed: 0 };
async function check(name, body) {
  try {
    await body();
    results.passed += 1;
    console.log('ok   ' + name);
  } catch (error) {
    results.failed += 1;
    console.log('FAIL ' + name + ': ' + (error && error.stack || error));
  }
}

function expect(condition, text) {
  if (!condition) throw new Error(text);
}

// What every page test needs, or it skips: the native converter (PELTRIX_NATIVE_CONVERT, which
// scripts/test.sh sets), Chromium and puppeteer-core. Returns the converter and puppeteer.
function requireTools(args) {
  const native = process.env.PELTRIX_NATIVE_CONVERT || '';
  if (!native || !fs.existsSync(native)) {
    skip('set PELTRIX_NATIVE_CONVERT to the native peltrix-convert (scripts/test.sh does)');
  }
  if (!fs.existsSync(CHROMIUM)) skip('no ' + CHROMIUM + ' (Debian package chromium)');
  const puppeteerPath = path.join(args.modules, 'puppeteer-core');
  if (!fs.existsSync(puppeteerPath)) {
    skip('no puppeteer-core in ' + args.modules + ' (scripts/install_page_test_modules.sh)');
  }
  return { native, puppeteer: require(puppeteerPath) };
}

// The tally, and the exit status it makes.
function summary() {
  console.log(results.passed + ' passed, ' + results.failed + ' failed');
  return results.failed === 0 ? 0 : 1;
}

module.exports = { SKIP, parseArguments, skip, requireTools, check, expect, summary };
