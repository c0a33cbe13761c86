// One result shown in a sandboxed frame: its scripts do not run, and its
// links to other pages do not leave this one. A link to a name in the page
// scrolls to it; a plain fragment link in a srcdoc frame would resolve
// against this page's address and load this page into the frame.
(function (web) {
  'use strict';

  function target(doc, name) {
    return doc.getElementById(name) || doc.getElementsByName(name)[0] || null;
  }

  function followLinksInPlace(doc) {
    doc.addEventListener('click', function (event) {
      var link = event.target.closest && event.target.closest('a[href]');
      if (!link) return;
      event.preventDefault();
      var href = link.getAttribute('href');
      if (href.charAt(0) !== '#') return;
      var name = href.slice(1);
      try {
        name = decodeURIComponent(name);
      } catch (notEscaped) { /* the name as written */ }
      var found = target(doc, name);
      if (found) found.scrollIntoView({ block: 'start' });
    });
  }

  web.showPreview = function (frame, result) {
    return new Promise(function (resolve) {
      frame.addEventListener('load', function loaded() {
        frame.removeEventListener('load', loaded);
        if (frame.contentDocument) followLinksInPlace(frame.contentDocument);
        resolve();
      });
      frame.srcdoc = web.pageText(result.output);
    });
  };
})(window.QuenbyWeb = window.QuenbyWeb || {});
