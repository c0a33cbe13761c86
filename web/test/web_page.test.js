// The offline page in Chromium, loaded from file:// and driven as a person
// drives it: a folder of pages is given, options chosen, the run started.
// Every result must be byte for byte what the native quenby-toc writes with
// the same options and stamp, the zip must hold every page that has a
// result, and every TOC link of the preview must land on its heading.
//
// QUENBY_WEB_DIR: the assembled page (build/web); QUENBY_TOC: the native
// program (build/native/bin/quenby-toc); QUENBY_WEB_TEST_OUT: where the
// screenshot goes (build/web-test); CHROMIUM: the browser (/usr/bin/chromium).
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { spawnSync } = require('node:child_process');
const { pathToFileURL } = require('node:url');
const { chromium } = require('playwright-core');
const { unzipSync } = require('fflate');

const root = path.resolve(__dirname, '../..');
const webDir = process.env.QUENBY_WEB_DIR || path.join(root, 'build/web');
const nativeToc = process.env.QUENBY_TOC || path.join(root, 'build/native/bin/quenby-toc');
const outDir = process.env.QUENBY_WEB_TEST_OUT || path.join(root, 'build/web-test');
const stamp = '1700000000';

// Pages that differ where the engine is easily wrong: line ends, letters
// beyond ASCII in either encoding, a TOC comment, ids the page has, a block
// made before, a setting the page gets wrong (an error with its line), a
// picture from the network, which the preview must not fetch.
const pages = {
  'index.html': '<html><head><title>Start</title></head>\r\n<body>\r\n<h1>Start &amp; finish</h1>\r\n' +
    '<p>Text. <img src="https://example.invalid/pixel.png" alt=""></p>\r\n<h2 id="own">Own id</h2>\r\n<h3>Gr\u00f6\u00dfe</h3>\r\n<h2 class="notoc">Not listed</h2>\r\n' +
    '<h2>Last <em>words</em></h2>\r\n' + '<p>More text.</p>\r\n'.repeat(40) + '</body></html>\r\n',
  'guide/setup.html': '<!DOCTYPE html>\n<html><body>\n<!-- toc -->\n<h1>Setup</h1>\n<h2>Before</h2>\n' +
    '<h3>Needs</h3>\n<h2>After</h2>\n<h4>Deep</h4>\n</body></html>\n',
  'guide/legacy.htm': Buffer.from('<html><body><h1>Caf\xe9</h1><h2>Men\xfc</h2></body></html>', 'latin1'),
  'guide/remade.html': '<html><body>\n<!--KRYN_HTML_TOC_START--><ul><li><a href="#old">Old</a></li></ul>' +
    '<!--KRYN_HTML_TOC_END-->\n<h1><a name="old">Old</a></h1>\n<h2>New</h2>\n</body></html>\n',
  'guide/plain.html': '<html><body><p>No headings.</p></body></html>\n',
  'guide/bad.html': '<html><body>\n\n<!-- toc levels=banana -->\n<h1>One</h1>\n</body></html>\n',
  'notes.txt': 'not a page',
};

// Every style (a style file too) with both anchor modes, both namings, the
// default levels and a range; every other set also skips a class and numbers.
// Last, the blocks taken out again.
const styleFile = path.join(root, 'toc/golden/style.txt');
const optionSets = [];
for (const style of ['details', 'classic', 'html5', 'ol', styleFile])
  for (const anchors of ['name', 'id'])
    for (const names of ['stamp', 'slug'])
      for (const levels of ['', '2-4']) {
        const extra = optionSets.length % 2 ? { skipClass: 'notoc', number: true } : {};
        optionSets.push({ style, anchors, names, levels, ...extra });
      }
optionSets.push({ remove: true });

function nativeArgs(options) {
  const args = ['--quiet', '--stamp', stamp];
  if (options.remove) args.push('--remove');
  // A style file goes by its own name, as the page records the file picked.
  if (options.style) args.push('--style', options.style === styleFile ? path.basename(styleFile) : options.style);
  if (options.levels) args.push('--levels', options.levels);
  if (options.anchors) args.push('--anchors', options.anchors);
  if (options.names) args.push('--names', options.names);
  if (options.skipClass) args.push('--skip-class', options.skipClass);
  if (options.number) args.push('--number');
  return args;
}

function writePages(folder) {
  for (const [name, bytes] of Object.entries(pages)) {
    fs.mkdirSync(path.dirname(path.join(folder, name)), { recursive: true });
    fs.writeFileSync(path.join(folder, name), bytes);
  }
}

// What the native program makes of each page, one run per page as the web
// page runs the engine once per page: { path: Buffer } or { path: { line } }.
function nativeResults(scratch, options) {
  const folder = fs.mkdtempSync(path.join(scratch, 'native-'));
  writePages(folder);
  fs.copyFileSync(styleFile, path.join(folder, path.basename(styleFile)));
  const made = {};
  for (const name of Object.keys(pages).filter((n) => /\.html?$/.test(n))) {
    const run = spawnSync(nativeToc, [...nativeArgs(options), name], { cwd: folder, encoding: 'latin1' });
    assert.ifError(run.error);
    if (run.status === 0) {
      made[name] = fs.readFileSync(path.join(folder, name));
    } else {
      const line = /:(\d+):/.exec(run.stderr);
      made[name] = { line: line ? Number(line[1]) : 0, stderr: run.stderr };
    }
  }
  return made;
}

async function fillForm(page, options) {
  await page.selectOption('#action', options.remove ? 'remove' : 'make');
  const fromFile = options.style === styleFile;
  await page.selectOption('#style', fromFile ? 'file' : options.style || '');
  if (fromFile) await page.setInputFiles('#style-file', styleFile);
  await page.fill('#levels', options.levels || '');
  await page.selectOption('#anchors', options.anchors || '');
  await page.selectOption('#names', options.names || '');
  await page.fill('#skip-class', options.skipClass || '');
  await page.setChecked('#number', Boolean(options.number));
  await page.fill('#stamp', stamp);
}

async function download(page, click) {
  const [file] = await Promise.all([page.waitForEvent('download'), click()]);
  return fs.readFileSync(await file.path());
}

// The page's results as the table shows them: { path: text }.
function shownResults(page) {
  return page.$$eval('#results tbody tr', (rows) =>
    Object.fromEntries(rows.map((row) => [row.dataset.path.replace(/^[^/]+\//, ''), row.cells[1].textContent])));
}

// Clicks every TOC link of the preview; each must bring its heading to
// the top of the frame (or as near as the page's end lets it come).
async function checkPreviewLinks(page) {
  const frame = page.frame({ url: 'about:srcdoc' });
  const links = await frame.$$('a[href^="#"]');
  assert.ok(links.length > 0, 'the preview has TOC links');
  for (const link of links) {
    await frame.evaluate(() => window.scrollTo(0, 0));
    const href = await link.getAttribute('href');
    await link.click();
    const landing = await frame.evaluate((name) => {
      const target = document.getElementById(name) || document.getElementsByName(name)[0];
      const heading = target && target.closest('h1, h2, h3, h4, h5, h6');
      if (!heading) return { heading: false };
      const atEnd = window.scrollY + window.innerHeight >= document.documentElement.scrollHeight - 1;
      const top = heading.getBoundingClientRect().top;
      return { heading: true, top, inView: top >= -1 && top < window.innerHeight, atEnd };
    }, decodeURIComponent(href.slice(1)));
    assert.ok(landing.heading, `${href} names a heading`);
    assert.ok(landing.inView && (Math.abs(landing.top) <= 1 || landing.atEnd), `${href} lands on its heading: ${JSON.stringify(landing)}`);
  }
}

// The page from file:// in a new browser, its engine loaded; it fails the
// test on any script error and on any request that leaves the machine.
async function openWebPage(t, initScript) {
  const browser = await chromium.launch({ executablePath: process.env.CHROMIUM || '/usr/bin/chromium' });
  t.after(() => browser.close());
  const page = await browser.newPage({ acceptDownloads: true, viewport: { width: 1100, height: 900 } });
  const complaints = [];
  page.on('pageerror', (error) => complaints.push(error.message));
  // The page's content security policy stops such a request before it
  // leaves ('csp'); one that went out finishes, or fails on the network.
  const leaves = (request) => !/^(file|data|blob|about):/.test(request.url());
  page.on('requestfinished', (request) => {
    if (leaves(request)) complaints.push('request to ' + request.url());
  });
  page.on('requestfailed', (request) => {
    if (leaves(request) && request.failure().errorText !== 'csp') complaints.push('request to ' + request.url());
  });
  t.after(() => assert.deepStrictEqual(complaints, []));
  if (initScript) await page.addInitScript(initScript);
  await page.goto(pathToFileURL(path.join(webDir, 'index.html')).href);
  await page.waitForSelector('body[data-engine="ready"]');
  return page;
}

function scratchFolder(t) {
  const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'quenby-web-'));
  t.after(() => fs.rmSync(scratch, { recursive: true, force: true }));
  return scratch;
}

async function runAndWait(page, options) {
  await fillForm(page, options);
  await page.click('#run');
  await page.waitForFunction(() => /changed/.test(document.getElementById('run-status').textContent));
}

test('the web page makes what quenby-toc makes, previews, and zips it', async (t) => {
  const scratch = scratchFolder(t);
  const given = path.join(scratch, 'site');
  writePages(given);
  fs.mkdirSync(outDir, { recursive: true });
  const page = await openWebPage(t);
  await page.setInputFiles('#pick-folder', given);

  for (const [index, options] of optionSets.entries()) {
    await t.test(JSON.stringify(options).replace(root + '/', ''), async () => {
      const expected = nativeResults(scratch, options);
      await runAndWait(page, options);

      const shown = await shownResults(page);
      assert.deepStrictEqual(Object.keys(shown).sort(), Object.keys(expected).sort(), 'one result per page');
      const zip = unzipSync(new Uint8Array(await download(page, () => page.click('#download-all'))));
      const zipped = Object.fromEntries(Object.entries(zip).map(([name, bytes]) => [name.replace(/^[^/]+\//, ''), bytes]));
      for (const [name, want] of Object.entries(expected)) {
        if (Buffer.isBuffer(want)) {
          assert.strictEqual(shown[name], want.equals(Buffer.from(pages[name])) ? 'Unchanged' : 'Changed', name);
          assert.ok(zipped[name], `the zip holds ${name}`);
          assert.ok(want.equals(Buffer.from(zipped[name])), `${name} as the native program makes it`);
        } else {
          assert.match(shown[name], new RegExp(`^Error on line ${want.line}: `), `${name}: ${want.stderr}`);
          assert.strictEqual(zipped[name], undefined, `the zip leaves out ${name}`);
        }
      }
      assert.strictEqual(Object.keys(zipped).length, Object.values(expected).filter(Buffer.isBuffer).length);

      if (index === 0) {
        const one = await download(page, () => page.click('#results tr[data-path$="guide/setup.html"] button:text("Download")'));
        assert.ok(one.equals(expected['guide/setup.html']), 'one page downloaded as made');
        await page.click('#results tr[data-path$="/index.html"] button:text("Preview")');
        await page.waitForSelector('#preview[data-previewed$="/index.html"]', { state: 'attached' });
        await page.screenshot({ path: path.join(outDir, 'web-page.png'), fullPage: true });
        await checkPreviewLinks(page);
      }
    });
  }
});

// A folder opened for writing, as the File System Access API gives it, held
// in memory: the test edits one page behind the run's back.
function memoryFolder() {
  const files = (window.memoryFiles = {});
  const fileHandle = (name) => ({
    kind: 'file',
    name,
    getFile: async () => new File([files[name]], name),
    createWritable: async () => {
      const parts = [];
      return {
        write: async (bytes) => { parts.push(bytes); },
        close: async () => { files[name] = new Uint8Array(await new Blob(parts).arrayBuffer()); },
      };
    },
  });
  window.showDirectoryPicker = async () => ({
    kind: 'directory',
    name: 'site',
    values: async function* () { for (const name of Object.keys(files)) yield fileHandle(name); },
  });
}

test('write back replaces the changed pages, never one edited since it was read', async (t) => {
  const expected = nativeResults(scratchFolder(t), optionSets[0]);
  const page = await openWebPage(t, memoryFolder);
  const given = { 'index.html': pages['index.html'], 'setup.html': pages['guide/setup.html'], 'plain.html': pages['guide/plain.html'] };
  await page.evaluate((named) => {
    for (const [name, text] of Object.entries(named)) window.memoryFiles[name] = new TextEncoder().encode(text);
  }, given);
  await page.click('#open-folder');
  await page.waitForFunction(() => /3 pages/.test(document.getElementById('page-count').textContent));
  await runAndWait(page, optionSets[0]);
  const edited = '<html><body><h1>Edited meanwhile</h1></body></html>';
  await page.evaluate((text) => { window.memoryFiles['setup.html'] = new TextEncoder().encode(text); }, edited);
  await page.click('#write-back');
  await page.waitForFunction(() => /written back/.test(document.getElementById('results-status').textContent));

  const held = await page.evaluate(() =>
    Object.fromEntries(Object.entries(window.memoryFiles).map(([name, bytes]) => [name, Array.from(bytes)])));
  assert.ok(expected['index.html'].equals(Buffer.from(held['index.html'])), 'index.html written as made');
  assert.strictEqual(Buffer.from(held['setup.html']).toString(), edited);
  assert.strictEqual(Buffer.from(held['plain.html']).toString(), given['plain.html']);
  assert.match(await page.textContent('#results-status'), /^1 page written back\. Not written: site\/setup\.html \(it changed since it was read\)/);
});

test('dropped pages are taken and made', async (t) => {
  const expected = nativeResults(scratchFolder(t), optionSets[0]);
  const page = await openWebPage(t);
  const dropped = { 'index.html': pages['index.html'], 'setup.html': pages['guide/setup.html'] };
  await page.evaluate((named) => {
    const transfer = new DataTransfer();
    for (const [name, text] of Object.entries(named)) transfer.items.add(new File([text], name, { type: 'text/html' }));
    document.getElementById('drop-zone').dispatchEvent(new DragEvent('drop', { dataTransfer: transfer, bubbles: true, cancelable: true }));
  }, dropped);
  await page.waitForFunction(() => /2 pages chosen/.test(document.getElementById('page-count').textContent));
  await runAndWait(page, optionSets[0]);
  const one = await download(page, () => page.click('#results tr[data-path="setup.html"] button:text("Download")'));
  assert.ok(one.equals(expected['guide/setup.html']));
});
