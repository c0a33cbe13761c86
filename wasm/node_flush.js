// fsync for the command line over Node's file system: emscripten's own does
// nothing, which would move a page's new text into place before it reached
// the disk. Node flushes the file it has open underneath.
mergeInto(LibraryManager.library, {
  fd_sync__deps: ['$FS', '$ERRNO_CODES'],
  fd_sync: function (fd) {
    var stream = FS.getStream(fd);
    if (!stream) return {{{ cDefine('EBADF') }}};
    try {
      require('fs').fsyncSync(stream.nfd);
      return 0;
    } catch (e) {
      return (e.code && ERRNO_CODES[e.code]) || {{{ cDefine('EIO') }}};
    }
  },
});
