// The list of results: one row per page with what the run did to it, and
// the buttons that preview or download that page's result.
(function (web) {
  'use strict';

  function cell(row, text, className) {
    var td = row.insertCell();
    td.textContent = text;
    if (className) td.className = className;
    return td;
  }

  function button(label, name, onClick) {
    var b = document.createElement('button');
    b.type = 'button';
    b.textContent = label;
    b.setAttribute('aria-label', label + ' ' + name);
    b.addEventListener('click', onClick);
    return b;
  }

  // The engine names the page it was given "page"; the row names it already.
  web.resultText = function (result) {
    if (result.error) {
      var reason = result.error.message.replace(/^page:(\d+:)?\s*/, '');
      return 'Error' + (result.error.line ? ' on line ' + result.error.line : '') + ': ' + reason;
    }
    return result.changed ? 'Changed' : 'Unchanged';
  };

  // results: [{ path, output, changed, entries, error }]; actions: { preview, download }.
  web.showResults = function (table, results, actions) {
    var body = table.tBodies[0];
    body.textContent = '';
    results.forEach(function (result) {
      var row = body.insertRow();
      row.dataset.path = result.path;
      var name = row.insertCell();
      name.className = 'path';
      name.textContent = result.path;
      if (result.title) {
        var title = document.createElement('span');
        title.className = 'note';
        title.textContent = result.title;
        name.appendChild(title);
      }
      var kind = result.error ? 'error' : result.changed ? 'changed' : 'unchanged';
      cell(row, web.resultText(result), 'result ' + kind);
      cell(row, result.error ? '' : String(result.entries ? result.entries.length : 0), 'count');
      var buttons = row.insertCell();
      buttons.className = 'row-actions';
      if (!result.error) {
        buttons.appendChild(button('Preview', result.path, function () { actions.preview(result); }));
        buttons.appendChild(button('Download', result.path, function () { actions.download(result); }));
      }
    });
  };
})(window.QuenbyWeb = window.QuenbyWeb || {});
