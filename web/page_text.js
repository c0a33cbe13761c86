// Page bytes as text for the preview: UTF-8 where the bytes are valid UTF-8,
// else windows-1252, the older pages' usual encoding.
(function (web) {
  'use strict';
  var utf8 = new TextDecoder('utf-8', { fatal: true });
  var windows1252 = new TextDecoder('windows-1252');

  web.pageText = function (bytes) {
    try {
      return utf8.decode(bytes);
    } catch (notUtf8) {
      return windows1252.decode(bytes);
    }
  };

  web.sameBytes = function (a, b) {
    if (a.length !== b.length) return false;
    for (var i = 0; i < a.length; i++) if (a[i] !== b[i]) return false;
    return true;
  };
})(window.QuenbyWeb = window.QuenbyWeb || {});
