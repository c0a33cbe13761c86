// What the package's tests share: the repository's pages, the option matrix
// of the engine's property tests, and the native quenby-toc to compare with
// (QUENBY_NATIVE_TOC, set by scripts/test-wasm.sh).
import { execFileSync, spawnSync } from 'node:child_process';
import { mkdtempSync, readFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';

export const packageDir = join(dirname(fileURLToPath(import.meta.url)), '..');
export const root = join(packageDir, '..');
export const nativeToc = process.env.QUENBY_NATIVE_TOC;

export const pageFiles = ['samples/sample.html', 'dist/help.html', 'toc/golden/page.html',
                          'toc/golden/settings.html'].map((file) => join(root, file));
export const styleFile = join(root, 'toc/golden/style.txt');

export function scratch(label) {
  return mkdtempSync(join(tmpdir(), 'quenby-' + label + '-'));
}

// Every combination of style, anchors, names, levels, skipped class and
// numbering, as API options and as the native program's arguments.
export function* optionMatrix() {
  for (const style of ['classic', 'html5', 'details', 'file'])
    for (const anchors of ['name', 'id'])
      for (const names of ['stamp', 'slug'])
        for (const levels of [undefined, '2-4'])
          for (const skipClass of [undefined, 'notoc'])
            for (const number of [false, true]) {
              const options = { style: style === 'file' ? readFileSync(styleFile, 'utf8') : style,
                                styleName: style === 'file' ? styleFile : undefined, anchors, names, levels, skipClass, number, stamp: 1007136000 };
              const args = ['--style', style === 'file' ? styleFile : style, '--anchors', anchors,
                            '--names', names, '--stamp', '1007136000'];
              if (levels) args.push('--levels', levels);
              if (skipClass) args.push('--skip-class', skipClass);
              if (number) args.push('--number');
              yield { label: [style, anchors, names, levels, skipClass, number].join(' '), options, args };
            }
}

// The native program on a page given on standard input: its output, or its
// message and status where it fails.
export function native(args, input) {
  const run = spawnSync(nativeToc, [...args, '-q', '-o', '-', '-'], { input });
  return { status: run.status, output: run.stdout, message: run.stderr.toString() };
}

export function run(command, args, options) {
  return execFileSync(command, args, { encoding: 'utf8', ...options });
}
