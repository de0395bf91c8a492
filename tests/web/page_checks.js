// What the page tests share besides driving the page: their arguments, skipping, and the
// named checks whose tally decides the exit status.
'use strict';

const path = require('path');

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

// The tally, and the exit status it makes.
function summary() {
  console.log(results.passed + ' passed, ' + results.failed + ' failed');
  return results.failed === 0 ? 0 : 1;
}

module.exports = { SKIP, parseArguments, skip, check, expect, summary };
