// The engine's JavaScript face: makeToc and removeToc over the WebAssembly
// module (quenby_engine.js). Works as a CommonJS module and as a classic
// <script>, where it defines the global QuenbyToc:
//   QuenbyToc.load(createQuenbyEngine).then(({ makeToc, removeToc, QuenbyError }) => ...)
(function (root, factory) {
  if (typeof module === 'object' && module.exports) module.exports = factory();
  else root.QuenbyToc = factory();
})(typeof globalThis !== 'undefined' ? globalThis : this, function () {
  'use strict';

  // A bad option, a bad style or a page whose TOC comment has a bad setting.
  // line: the page's line (or the style text's) where one is to blame, else null.
  class QuenbyError extends Error {
    constructor(message, line) {
      super(message);
      this.name = 'QuenbyError';
      this.line = line > 0 ? line : null;
    }
  }

  // The command line's long options the API takes, and how each is given.
  const optionKinds = {
    levels: 'value',     // "2-3", "2", or a number
    anchors: 'value',    // "name" | "id"
    names: 'value',      // "stamp" | "slug"
    skipClass: 'list',   // a class name, or an array of them
    within: 'value',     // "main", "#id" or ".class"
    style: 'style',      // "classic" | "html5" | "ol" | "details", or a style file's text
    styleName: 'styleName', // the name a style's text goes by in the block's record
    number: 'switch',
    stamp: 'value',      // seconds; default SOURCE_DATE_EPOCH (in Node) or now
    maxSize: 'value',
  };

  function longName(key) {
    return '--' + key.replace(/[A-Z]/g, (c) => '-' + c.toLowerCase());
  }

  function defaultStamp() {
    const env = typeof process === 'object' && process.env ? process.env.SOURCE_DATE_EPOCH : undefined;
    return env !== undefined && env !== '' ? env : String(Math.floor(Date.now() / 1000));
  }

  // The options as the command line's arguments, and the style apart.
  function commandLine(options) {
    const args = [];
    let style = null;
    let styleName = null;
    let stamp = null;
    for (const key of Object.keys(options || {})) {
      const value = options[key];
      const kind = optionKinds[key];
      if (!kind) throw new QuenbyError("unknown option '" + key + "'");
      if (value === undefined || value === null) continue;
      if (kind === 'switch') {
        if (typeof value !== 'boolean') throw new QuenbyError(key + ' must be true or false');
        // false says so (--no-number), over what the page's block records
        args.push(value ? longName(key) : '--no-' + longName(key).slice(2));
      } else if (kind === 'list') {
        for (const item of Array.isArray(value) ? value : [value]) args.push(longName(key), String(item));
      } else if (kind === 'style') {
        style = String(value);
      } else if (kind === 'styleName') {
        styleName = String(value);
      } else if (key === 'stamp') {
        stamp = String(value);
      } else {
        args.push(longName(key), String(value));
      }
    }
    args.push('--stamp', stamp === null ? defaultStamp() : stamp);
    for (const arg of args) {
      if (arg.indexOf('\0') >= 0) throw new QuenbyError('an option holds a NUL character');
    }
    if (style !== null && style.indexOf('\0') >= 0) throw new QuenbyError('the style holds a NUL character');
    if (styleName !== null && styleName.indexOf('\0') >= 0) throw new QuenbyError('the style name holds a NUL character');
    return { args, style, styleName };
  }

  function bind(engine) {
    const encoder = new TextEncoder();
    const decoder = new TextDecoder();

    // Bytes into the module's memory, ended by a NUL; freed by the caller.
    function place(bytes) {
      const at = engine._malloc(bytes.length + 1);
      engine.HEAPU8.set(bytes, at);
      engine.HEAPU8[at + bytes.length] = 0;
      return at;
    }

    function run(input, options, remove) {
      const asText = typeof input === 'string';
      if (!asText && !(input instanceof Uint8Array))
        throw new TypeError('a page is a string or a Uint8Array');
      const line = commandLine(options);
      if (remove) line.args.push('--remove');
      const page = asText ? encoder.encode(input) : input;
      const pageAt = place(page);
      const argsAt = place(encoder.encode(line.args.map((a) => a + '\0').join('')));
      const styleAt = line.style === null ? 0 : place(encoder.encode(line.style));
      const nameAt = line.styleName === null ? 0 : place(encoder.encode(line.styleName));
      const result = engine._quenby_make_toc(pageAt, page.length, argsAt, styleAt, nameAt);
      engine._free(pageAt);
      engine._free(argsAt);
      if (styleAt) engine._free(styleAt);
      if (nameAt) engine._free(nameAt);
      try {
        if (engine._quenby_status(result) !== 0) {
          throw new QuenbyError(engine.UTF8ToString(engine._quenby_message(result)),
                                engine._quenby_line(result));
        }
        const outAt = engine._quenby_output(result);
        // A copy: the module's memory is reused, and may move as it grows.
        const bytes = engine.HEAPU8.slice(outAt, outAt + engine._quenby_output_length(result));
        return {
          output: asText ? decoder.decode(bytes) : bytes,
          changed: engine._quenby_changed(result) !== 0,
          title: engine.UTF8ToString(engine._quenby_title(result)),
          entries: JSON.parse(engine.UTF8ToString(engine._quenby_entries(result))),
        };
      } finally {
        engine._quenby_free(result);
      }
    }

    return {
      makeToc: (input, options) => run(input, options, false),
      removeToc: (input, options) => run(input, options, true),
      QuenbyError,
    };
  }

  // createQuenbyEngine: the factory quenby_engine.js defines.
  function load(createQuenbyEngine) {
    return Promise.resolve(createQuenbyEngine()).then(bind);
  }

  return { load, QuenbyError };
});
