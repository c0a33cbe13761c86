// The page's wiring: the engine is loaded once, pages are gathered, a run
// makes every page's result from the same options, and results are
// previewed, downloaded one by one or as a zip, or written back.
(function (web) {
  'use strict';
  var $ = function (id) { return document.getElementById(id); };
  var engine = null;
  var pages = [];
  var results = [];

  function say(id, text) { $(id).textContent = text; }

  function plural(n, one, many) { return n + ' ' + (n === 1 ? one : many); }

  function updateRunButton() {
    $('run').disabled = !engine || pages.length === 0;
  }

  function setPages(chosen) {
    pages = chosen;
    results = [];
    web.showResults($('results'), results, {});
    $('download-all').disabled = true;
    $('write-back').disabled = true;
    say('page-count', chosen.length ? plural(chosen.length, 'page', 'pages') + ' chosen.' : 'No pages chosen.');
    updateRunButton();
  }

  function fileName(path) { return path.slice(path.lastIndexOf('/') + 1); }

  function save(name, bytes, type) {
    var url = URL.createObjectURL(new Blob([bytes], { type: type }));
    var link = document.createElement('a');
    link.href = url;
    link.download = name;
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(function () { URL.revokeObjectURL(url); }, 60000);
  }

  function errorOf(thrown) {
    if (thrown instanceof engine.QuenbyError) return { message: thrown.message, line: thrown.line || 0 };
    return { message: 'the engine failed: ' + (thrown && thrown.message ? thrown.message : String(thrown)) };
  }

  function runOne(page, chosen) {
    if (page.readError) return { path: page.path, page: page, error: { message: page.readError } };
    try {
      var made = chosen.remove ? engine.removeToc(page.bytes, chosen.options) : engine.makeToc(page.bytes, chosen.options);
      return {
        path: page.path, page: page, output: made.output, changed: made.changed,
        title: made.title || '', entries: made.entries || []
      };
    } catch (thrown) {
      return { path: page.path, page: page, error: errorOf(thrown) };
    }
  }

  async function run(event) {
    event.preventDefault();
    var form = $('options');
    if (!form.reportValidity()) return;
    var chosen = await web.readOptions(form);
    if (chosen.error) return say('run-status', chosen.error);
    say('run-status', 'Working…');
    $('run').disabled = true;
    try {
      await web.readPages(pages);
      results = [];
      // Many pages take a while: the page shows how far the run is and
      // stays responsive between pages.
      var shown = Date.now();
      for (var i = 0; i < pages.length; i++) {
        results.push(runOne(pages[i], chosen));
        if (Date.now() - shown > 100) {
          say('run-status', 'Working… ' + (i + 1) + ' of ' + pages.length);
          await new Promise(function (resolve) { setTimeout(resolve, 0); });
          shown = Date.now();
        }
      }
    } finally {
      updateRunButton();
    }
    var count = function (test) { return results.filter(test).length; };
    say('run-status', [
      plural(count(function (r) { return !r.error && r.changed; }), 'page', 'pages') + ' changed',
      count(function (r) { return !r.error && !r.changed; }) + ' unchanged',
      plural(count(function (r) { return r.error; }), 'error', 'errors')
    ].join(', ') + '.');
    web.showResults($('results'), results, { preview: preview, download: download });
    $('download-all').disabled = !results.some(function (r) { return !r.error; });
    $('write-back').disabled = !results.some(function (r) { return !r.error && r.changed && r.page.handle; });
    say('results-status', '');
    var first = results.find(function (r) { return !r.error; });
    if (first) preview(first);
  }

  function preview(result) {
    say('preview-name', result.path);
    var frame = $('preview');
    delete frame.dataset.previewed;
    return web.showPreview(frame, result).then(function () { frame.dataset.previewed = result.path; });
  }

  function download(result) {
    save(fileName(result.path), result.output, 'text/html');
  }

  // Every page that has a result, under its path; pages with errors have
  // none and are left out, and the status says so.
  function downloadAll() {
    var files = {};
    var made = results.filter(function (r) { return !r.error; });
    made.forEach(function (r) { files[r.path] = r.output; });
    save('quenby-toc-pages.zip', fflate.zipSync(files, { level: 6 }), 'application/zip');
    var left = results.length - made.length;
    say('results-status', plural(made.length, 'page', 'pages') + ' in the zip' +
        (left ? '; ' + plural(left, 'page', 'pages') + ' with errors left out.' : '.'));
  }

  // A page is written back only where its file still holds the bytes the
  // run read: an edit made meanwhile is never overwritten. The browser
  // writes to a copy and puts it in place when it is closed.
  async function writeBack() {
    var written = 0, skipped = [];
    for (var r of results) {
      if (r.error || !r.changed || !r.page.handle) continue;
      try {
        var now = new Uint8Array(await (await r.page.handle.getFile()).arrayBuffer());
        if (!web.sameBytes(now, r.page.bytes)) {
          skipped.push(r.path + ' (it changed since it was read)');
          continue;
        }
        // A dropped page's handle may read without having leave to write.
        var handle = r.page.handle;
        if (handle.requestPermission && (await handle.requestPermission({ mode: 'readwrite' })) !== 'granted') {
          skipped.push(r.path + ' (no leave to write it)');
          continue;
        }
        var writable = await handle.createWritable();
        await writable.write(r.output);
        await writable.close();
        r.page.bytes = r.output;
        r.page.file = await r.page.handle.getFile();
        r.changed = false;
        written++;
      } catch (thrown) {
        skipped.push(r.path + ' (' + (thrown && thrown.message ? thrown.message : thrown) + ')');
      }
    }
    $('write-back').disabled = true;
    say('results-status', plural(written, 'page', 'pages') + ' written back.' +
        (skipped.length ? ' Not written: ' + skipped.join('; ') + '.' : ''));
  }

  async function openFolder() {
    try {
      var folder = await window.showDirectoryPicker({ mode: 'readwrite' });
      setPages(await web.pagesFromFolderHandle(folder));
    } catch (thrown) {
      if (thrown && thrown.name !== 'AbortError') say('page-count', 'The folder could not be read: ' + thrown.message);
    }
  }

  function wireDropZone() {
    var zone = $('drop-zone');
    zone.addEventListener('dragover', function (event) {
      event.preventDefault();
      zone.classList.add('over');
    });
    zone.addEventListener('dragleave', function () { zone.classList.remove('over'); });
    zone.addEventListener('drop', async function (event) {
      event.preventDefault();
      zone.classList.remove('over');
      var taken = web.takeDrop(event.dataTransfer);
      try {
        setPages(await web.pagesFromDrop(taken));
      } catch (thrown) {
        say('page-count', 'What was dropped could not be read: ' + thrown.message);
      }
    });
  }

  // An engine without an option (an older one) refuses it by name; its
  // field is then not offered.
  function takesOption(name, value) {
    var probe = {};
    probe[name] = value;
    try {
      engine.makeToc('<h1>x</h1>', probe);
      return true;
    } catch (thrown) {
      return !(thrown instanceof engine.QuenbyError && /unknown option/.test(thrown.message));
    }
  }

  function start() {
    $('pick-files').addEventListener('change', function () { setPages(web.pagesFromInput(this.files, false)); });
    $('pick-folder').addEventListener('change', function () { setPages(web.pagesFromInput(this.files, true)); });
    $('style').addEventListener('change', function () { $('style-file').hidden = this.value !== 'file'; });
    $('options').addEventListener('submit', run);
    $('download-all').addEventListener('click', downloadAll);
    if (web.canOpenFolders) {
      $('open-folder').hidden = false;
      $('write-back').hidden = false;
      $('open-folder').addEventListener('click', openFolder);
      $('write-back').addEventListener('click', writeBack);
    }
    wireDropZone();
    say('run-status', 'Loading the engine…');
    QuenbyToc.load(createQuenbyEngine).then(function (loaded) {
      engine = loaded;
      $('within-field').hidden = !takesOption('within', 'main');
      say('run-status', '');
      document.body.dataset.engine = 'ready';
      updateRunButton();
    }, function (thrown) {
      say('run-status', 'The engine could not be loaded: ' + (thrown && thrown.message ? thrown.message : thrown));
    });
  }

  start();
})(window.QuenbyWeb = window.QuenbyWeb || {});
