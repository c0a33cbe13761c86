// The command line under Node sees Node's environment (SOURCE_DATE_EPOCH
// above all, for reproducible anchors): emscripten's C library would give it
// a fixed one of its own.
Module['preRun'] = Module['preRun'] || [];
Module['preRun'].push(function () {
  Object.assign(ENV, process.env);
});
