// The API and the command line compiled to WebAssembly give the native
// program's bytes, over the option matrix of the engine's property tests.
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { copyFileSync, existsSync, mkdirSync, readdirSync, readFileSync, writeFileSync } from 'node:fs';
import { basename, join } from 'node:path';
import { test } from 'node:test';
import { makeToc, removeToc, QuenbyError } from '../index.mjs';
import { native, nativeToc, optionMatrix, packageDir, pageFiles, run, scratch } from './support.mjs';

const pages = pageFiles.map((file) => ({ name: basename(file), bytes: readFileSync(file) }));

test('makeToc and removeToc give the native bytes for every option and page', { skip: !nativeToc }, () => {
  for (const { label, options, args } of optionMatrix()) {
    for (const page of pages) {
      const made = makeToc(new Uint8Array(page.bytes), options);
      const expected = native(args, page.bytes);
      assert.equal(expected.status, 0, expected.message);
      assert.ok(Buffer.from(made.output).equals(expected.output), `${label}: ${page.name}`);
      assert.equal(made.changed, !expected.output.equals(page.bytes), `${label}: ${page.name}`);
      const removed = native([...args, '--remove'], expected.output);
      if (removed.status === 0)
        assert.ok(Buffer.from(removeToc(made.output, options).output).equals(removed.output), `${label}: ${page.name} removed`);
      else
        assert.throws(() => removeToc(made.output, options), QuenbyError);
    }
  }
});

test('a page as a string gives a string, and its entries are those of its TOC', () => {
  const page = '<html><head><title>A\n  page</title></head><body><h1>One</h1>' +
               '<h2 class="notoc">Left</h2><h2>Two &amp; "ü"</h2></body></html>';
  const made = makeToc(page, { names: 'slug', skipClass: ['notoc'], number: true, stamp: 1 });
  assert.equal(typeof made.output, 'string');
  assert.equal(made.title, 'A page');
  assert.deepEqual(made.entries, [{ level: 1, text: 'One', href: '#one', number: '1. ' },
                                   { level: 2, text: 'Two &amp; "ü"', href: '#two-ü', number: '1.1. ' }]);
  for (const entry of made.entries) assert.ok(made.output.includes(`href="${entry.href}"`), entry.href);
  const again = makeToc(made.output, { names: 'slug', skipClass: 'notoc', number: true, stamp: 1 });
  assert.equal(again.changed, false);
  assert.equal(removeToc(made.output).output, page);
});

test('bad options and settings throw QuenbyError with the line to blame', { skip: !nativeToc }, () => {
  const cases = [
    [{ levels: '5-2' }, '<body><h1>x</h1></body>', ['--levels', '5-2']],
    [{ anchors: 'both' }, '<body></body>', ['--anchors', 'both']],
    [{ style: 'fancy' }, '<body></body>', null],
    [{ style: 'list_start = 3\n' }, '<body></body>', null],
    [{ output: 'x.html' }, '<body></body>', null],
    [{}, '<body>\n\n<!-- toc\n  levels=x -->\n<h1>x</h1></body>', []],
  ];
  for (const [options, page, args] of cases) {
    assert.throws(() => makeToc(page, options), (error) => {
      assert.ok(error instanceof QuenbyError, error.stack);
      if (args) {
        // The native program's message for the same fault, named "-" there.
        const expected = native(args, page);
        assert.equal(expected.status, 2);
        assert.ok(expected.message.replace(/^quenby-toc: /, '').replace(/^standard input:/, 'page:').startsWith(error.message),
                  `${error.message} | ${expected.message}`);
      }
      return true;
    }, JSON.stringify(options));
  }
  assert.throws(() => makeToc('<body>\n\n<!-- toc\n  levels=x --></body>'), { line: 4 });
  assert.throws(() => makeToc('<body></body>', { style: 'a = 1\nlist_start = 3\n' }), { line: 1 });
  assert.throws(() => makeToc('<body></body>', { levels: 'x' }), { line: null });
});

test('npx quenby-toc changes pages in place as the native program does', { skip: !nativeToc }, () => {
  const wasmToc = join(packageDir, 'bin', 'quenby-toc.js');
  // A temporary that a stopped run left, named after a process that ended.
  const ended = spawnSync(process.execPath, ['-e', '']).pid;
  const leftOver = `${pages[0].name}.quenby-${ended}-0.tmp`;
  for (const { label, args } of optionMatrix()) {
    const [ours, theirs] = [scratch('wasm'), scratch('native')];
    const names = pages.map((page) => page.name);
    for (const folder of [ours, theirs]) {
      for (const file of pageFiles) copyFileSync(file, join(folder, basename(file)));
      writeFileSync(join(folder, leftOver), 'left over');
    }
    run(process.execPath, [wasmToc, '-q', ...args, ...names], { cwd: ours });
    run(nativeToc, ['-q', ...args, ...names], { cwd: theirs });
    assert.deepEqual(readdirSync(ours).sort(), [...names].sort(), label);
    for (const name of names)
      assert.ok(readFileSync(join(ours, name)).equals(readFileSync(join(theirs, name))), `${label}: ${name}`);
  }
});

test('npx quenby-toc prints and exits as the native program does', { skip: !nativeToc }, () => {
  const wasmToc = join(packageDir, 'bin', 'quenby-toc.js');
  const commands = [
    ['--levels', '7-2', 'a.html'],
    ['missing.html', 'a.html'],
    ['--check', 'a.html'],
    ['--diff', 'a.html'],
    ['-q', '-r', 'site', '--index', 'site/index.html', '--check-links'],
    ['a.html', 'site/b.html', '-j', '3'],
  ];
  for (const args of commands) {
    const [ours, theirs] = [scratch('wasm'), scratch('native')];
    for (const folder of [ours, theirs]) {
      mkdirSync(join(folder, 'site'));
      copyFileSync(pageFiles[0], join(folder, 'a.html'));
      writeFileSync(join(folder, 'site', 'b.html'), '<body><h2>B</h2><a href="a.html#none">x</a></body>');
    }
    const env = { ...process.env, SOURCE_DATE_EPOCH: '5' };
    const wasm = spawnSync(process.execPath, [wasmToc, ...args], { cwd: ours, env, encoding: 'latin1' });
    const native = spawnSync(nativeToc, args, { cwd: theirs, env, encoding: 'latin1' });
    const label = args.join(' ');
    assert.equal(wasm.status, native.status, label);
    // Timings in the summary differ from run to run.
    const steady = (text) => text.replace(/ in [0-9.]+ s/g, '').replaceAll(theirs, ours);
    assert.equal(steady(wasm.stderr), steady(native.stderr), label);
    assert.equal(wasm.stdout.replaceAll(ours, theirs), native.stdout, label);
    for (const file of ['a.html', 'site/b.html', 'site/index.html'])
      assert.equal(readIfThere(join(ours, file)), readIfThere(join(theirs, file)), `${label}: ${file}`);
    // A contents page lists other pages: the API leaves it as it is.
    const contents = readIfThere(join(ours, 'site/index.html'));
    if (contents !== null) assert.equal(makeToc(contents, { stamp: 5 }).changed, false);
  }
});

function readIfThere(path) {
  return existsSync(path) ? readFileSync(path, 'latin1') : null;
}

test('the engine module calls no file system: only the standard streams stand among its imports', () => {
  const engine = readFileSync(join(packageDir, 'dist/quenby_engine.js'), 'latin1');
  assert.deepEqual(engine.match(/__syscall_[a-z0-9_]+/g) ?? [], []);
});
