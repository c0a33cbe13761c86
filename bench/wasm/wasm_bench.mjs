// The WebAssembly builds beside the native program, on toc_bench's page of
// just under 4 MiB and its dense page: the engine's module called in Node
// (the page already in memory, as a static-site build hands it over), the
// command line under Node as a process (Node's start and the module's
// compilation included), and the native quenby-toc as a process, each the
// median of RUNS runs after a warm-up; then the module's size, plain and
// compressed.
//
//   node bench/wasm/wasm_bench.mjs [NATIVE_BUILD [WASM_BUILD [RUNS]]]
// (defaults build/native, build/wasm, 7; the native build needs its
// quenby-toc and wasm_bench_pages targets, the WebAssembly one
// scripts/build-wasm.sh)
import { spawnSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import { gzipSync, brotliCompressSync, constants } from 'node:zlib';

const require = createRequire(import.meta.url);
const [nativeBuild = 'build/native', wasmBuild = 'build/wasm', runsText = '7'] = process.argv.slice(2);
const runs = Math.max(1, Number(runsText) || 7);
const nativeToc = resolve(nativeBuild, 'bin/quenby-toc');
const engineFile = resolve(wasmBuild, 'quenby_engine.js');
const wasmToc = resolve(wasmBuild, 'quenby-toc.js');
const stamp = ['--stamp', '1700000000'];

function median(times) {
  const sorted = [...times].sort((a, b) => a - b);
  return sorted[Math.floor(sorted.length / 2)];
}

function timed(work) {
  work();   // warm-up, not counted
  const times = [];
  for (let i = 0; i < runs; ++i) {
    const start = process.hrtime.bigint();
    work();
    times.push(Number(process.hrtime.bigint() - start) / 1e6);
  }
  return median(times);
}

function process_(command, args) {
  return () => {
    const run = spawnSync(command, args, { stdio: ['ignore', 'ignore', 'pipe'] });
    if (run.status !== 0) throw new Error(`${command} ${args.join(' ')}: ${run.stderr}`);
  };
}

const folder = mkdtempSync(join(tmpdir(), 'quenby-wasm-bench-'));
process_(resolve(nativeBuild, 'bin/wasm_bench_pages'), [folder])();
const { makeToc } = await require(resolve('npm/lib/quenby_api.js')).load(require(engineFile));

console.log(`median of ${runs} runs; MB/s of input`);
console.log('page               bytes  headings   native ms  module ms (ratio)  node CLI ms (ratio)');
for (const name of ['own-4MiB.html', 'dense-4MiB.html']) {
  const path = join(folder, name);
  const bytes = new Uint8Array(readFileSync(path));
  const out = join(folder, 'out.html');
  const nativeMs = timed(process_(nativeToc, ['-q', ...stamp, '-o', out, path]));
  let entries = 0;
  const moduleMs = timed(() => { entries = makeToc(bytes, { stamp: 1700000000 }).entries.length; });
  const cliMs = timed(process_(process.execPath, [wasmToc, '-q', ...stamp, '-o', out, path]));
  const rate = (ms) => (bytes.length / 1e6 / (ms / 1000)).toFixed(0).padStart(4) + ' MB/s';
  console.log(`${name.padEnd(16)} ${String(bytes.length).padStart(8)} ${String(entries).padStart(9)} ` +
              `${nativeMs.toFixed(1).padStart(7)} ${rate(nativeMs)}  ${moduleMs.toFixed(1).padStart(7)} ` +
              `(${(nativeMs / moduleMs).toFixed(2)}x native speed)  ${cliMs.toFixed(1).padStart(7)} ` +
              `(${(nativeMs / cliMs).toFixed(2)}x)`);
}
rmSync(folder, { recursive: true, force: true });

const engine = readFileSync(engineFile);
const wasm = Buffer.from(engine.toString('latin1').match(/base64,([A-Za-z0-9+/=]+)/)[1], 'base64');
const kb = (n) => (n / 1000).toFixed(0) + ' KB';
const sizes = (data) => `${kb(data.length)}, gzip -9 ${kb(gzipSync(data, { level: 9 }).length)}, ` +
  `brotli ${kb(brotliCompressSync(data, { params: { [constants.BROTLI_PARAM_QUALITY]: 11 } }).length)}`;
console.log(`quenby_engine.js (one file, the module inline): ${sizes(engine)}`);
console.log(`  its WebAssembly alone: ${sizes(wasm)}`);
console.log(`quenby-toc.js (the command line): ${sizes(readFileSync(wasmToc))}`);
