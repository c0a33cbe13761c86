// The packed package installs without a compiler, and both its command and
// its API work from the folder it was installed in.
import assert from 'node:assert/strict';
import { copyFileSync, readdirSync, readFileSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { test } from 'node:test';
import { packageDir, root, run, scratch } from './support.mjs';

test('npm pack, npm install, then npx quenby-toc and the API from there', () => {
  const packed = scratch('pack');
  run('npm', ['pack', '--silent', '--pack-destination', packed], { cwd: packageDir });
  const tarball = readdirSync(packed).find((name) => /^quenby-toc-.*\.tgz$/.test(name));
  assert.ok(tarball, 'npm pack made no tarball');

  const project = scratch('project');
  writeFileSync(join(project, 'package.json'), '{ "name": "site", "private": true }\n');
  run('npm', ['install', '--silent', '--no-audit', '--no-fund', '--offline', join(packed, tarball)], { cwd: project });
  copyFileSync(join(root, 'samples/sample.html'), join(project, 'page.html'));

  run('npx', ['--no-install', 'quenby-toc', '-q', '--stamp', '1', 'page.html'], { cwd: project });
  const made = readFileSync(join(project, 'page.html'), 'latin1');
  assert.match(made, /<!--KRYN_HTML_TOC_START-->[^]*<nav class="toc"[^]*href="#choosing-the-trees"[^]*<!--KRYN_HTML_TOC_END-->/);
  assert.match(run('npx', ['--no-install', 'quenby-toc', '--version'], { cwd: project }), /^quenby-toc /);

  const script = "import { makeToc } from 'quenby-toc'; import { readFileSync } from 'node:fs';" +
                 "const page = new Uint8Array(readFileSync('page.html'));" +
                 "console.log(JSON.stringify(makeToc(page, { stamp: 1 }).changed));";
  assert.equal(run(process.execPath, ['--input-type=module', '-e', script], { cwd: project }).trim(), 'false');
});
