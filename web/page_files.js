// The pages a person gives the page: picked files, a picked or dropped
// folder (its .htm, .html and .shtml files, at any depth), or a folder opened
// through the File System Access API, whose files keep their handles so that
// results can be written back into them.
(function (web) {
  'use strict';
  var pageName = /\.(html?|shtml)$/i;

  function page(path, file, handle) {
    return { path: path, file: file, handle: handle || null };
  }

  // Files from an <input type="file">: a folder's carry their relative path.
  web.pagesFromInput = function (files, fromFolder) {
    var pages = [];
    Array.prototype.forEach.call(files, function (file) {
      var path = file.webkitRelativePath || file.name;
      if (!fromFolder || pageName.test(file.name)) pages.push(page(path, file));
    });
    return pages;
  };

  function entryFile(entry) {
    return new Promise(function (resolve, reject) { entry.file(resolve, reject); });
  }

  // A folder's reader gives its entries in batches until it gives none.
  function folderEntries(folder) {
    var reader = folder.createReader();
    var all = [];
    return new Promise(function (resolve, reject) {
      (function more() {
        reader.readEntries(function (batch) {
          if (!batch.length) return resolve(all);
          all = all.concat(batch);
          more();
        }, reject);
      })();
    });
  }

  // What was dropped, taken while the drop event lasts (the items are gone
  // after it): the entries of files and folders, and in Chromium also their
  // handles, through which results can be written back.
  web.takeDrop = function (dataTransfer) {
    var items = Array.prototype.filter.call(dataTransfer.items, function (item) { return item.kind === 'file'; });
    var withHandles = items.length > 0 && items.every(function (item) { return item.getAsFileSystemHandle; });
    return {
      entries: items.map(function (item) {
        return { entry: item.webkitGetAsEntry && item.webkitGetAsEntry(), file: item.getAsFile() };
      }),
      handles: withHandles ? Promise.all(items.map(function (item) { return item.getAsFileSystemHandle(); })) : null
    };
  };

  async function pagesFromHandles(handles) {
    var pages = [];
    for (var handle of handles) {
      if (handle.kind === 'directory') pages = pages.concat(await web.pagesFromFolderHandle(handle));
      else pages.push(page(handle.name, await handle.getFile(), handle));
    }
    return pages;
  }

  // Dropped files are taken as they are, dropped folders walked for their
  // pages. A list of entries rather than recursion keeps deep folders off
  // the stack.
  async function pagesFromEntries(dropped) {
    var pages = [];
    var pending = [];
    dropped.forEach(function (d) {
      if (d.entry) pending.push({ entry: d.entry, dropped: true });
      else if (d.file) pages.push(page(d.file.name, d.file));
    });
    while (pending.length) {
      var next = pending.shift();
      var entry = next.entry;
      var path = entry.fullPath.replace(/^\//, '');
      if (entry.isDirectory) {
        (await folderEntries(entry)).forEach(function (child) { pending.push({ entry: child }); });
      } else if (next.dropped || pageName.test(entry.name)) {
        pages.push(page(path, await entryFile(entry)));
      }
    }
    return pages;
  }

  web.pagesFromDrop = async function (taken) {
    var handles = taken.handles && (await taken.handles.catch(function () { return null; }));
    if (handles && handles.every(Boolean)) return pagesFromHandles(handles);
    return pagesFromEntries(taken.entries);
  };

  web.canOpenFolders = typeof window.showDirectoryPicker === 'function';

  // A folder opened for reading and writing: its pages with their handles.
  web.pagesFromFolderHandle = async function (folder) {
    var pages = [];
    var pending = [{ handle: folder, path: folder.name }];
    while (pending.length) {
      var next = pending.shift();
      for await (var child of next.handle.values()) {
        var path = next.path + '/' + child.name;
        if (child.kind === 'directory') pending.push({ handle: child, path: path });
        else if (pageName.test(child.name)) pages.push(page(path, await child.getFile(), child));
      }
    }
    pages.sort(function (a, b) { return a.path < b.path ? -1 : a.path > b.path ? 1 : 0; });
    return pages;
  };

  // Every page's bytes, read once: a run works on them, and a write back
  // compares them with what the file holds by then. A page that cannot be
  // read (gone or changed since it was chosen) keeps the reason instead.
  web.readPages = function (pages) {
    return Promise.all(pages.map(async function (p) {
      try {
        p.bytes = new Uint8Array(await p.file.arrayBuffer());
        p.readError = null;
      } catch (thrown) {
        p.bytes = null;
        p.readError = "can't read the page: " + (thrown && thrown.message ? thrown.message : thrown);
      }
      return p;
    }));
  };
})(window.QuenbyWeb = window.QuenbyWeb || {});
