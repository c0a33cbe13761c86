#!/usr/bin/env node
// quenby-toc: the command line itself, compiled to WebAssembly over Node's
// file system; it reads its arguments from process.argv and exits with its
// own status.
require('../dist/quenby-toc.js');
