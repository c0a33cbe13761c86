// The form's options as the engine takes them: the command line's long
// names in camelCase. A field left empty is left out, so that a page's own
// settings and the defaults apply as on the command line.
(function (web) {
  'use strict';

  function readText(file) {
    return file.text ? file.text() : new Response(file).text();
  }

  // Resolves to { options } or { error } (a message for the person).
  web.readOptions = async function (form) {
    var options = {};
    var value = function (name) { return form.elements[name].value.trim(); };
    var style = value('style');
    if (style === 'file') {
      var file = form.elements.styleFile.files[0];
      if (!file) return { error: 'Choose a style file, or another style.' };
      options.style = await readText(file);
      options.styleName = file.name;   // the block records it, as the command line a file's name
    } else if (style) {
      options.style = style;
    }
    ['levels', 'anchors', 'names', 'within'].forEach(function (name) {
      if (value(name)) options[name] = value(name);
    });
    var skip = value('skipClass').split(/\s+/).filter(Boolean);
    if (skip.length) options.skipClass = skip.length === 1 ? skip[0] : skip;
    if (form.elements.number.checked) options.number = true;
    // One stamp for the whole run, as one run of the command gives its pages.
    var stamp = value('stamp');
    options.stamp = stamp ? Number(stamp) : Math.floor(Date.now() / 1000);
    if (!(options.stamp >= 0 && options.stamp <= 2147483647))
      return { error: 'The stamp is whole seconds from 0 to 2147483647.' };
    return { options: options, remove: value('action') === 'remove' };
  };
})(window.QuenbyWeb = window.QuenbyWeb || {});
