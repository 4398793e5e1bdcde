// How the node player waits. Emscripten's poll() answers at once whatever its timeout, and
// node can neither wait for a descriptor nor run anything else while the program runs: so
// poll() here waits out its timeout, standard input is read without blocking (looked at
// every few milliseconds while a wait includes it), and the music's timers
// (player/web/WebTimers.h) run whenever the program waits, as the timer thread would run
// beside it on the desktop. isatty() tells the truth about the standard streams.
mergeInto(LibraryManager.library, {
  $NodeWait__deps: ['$FS', '$ERRNO_CODES'],
  $NodeWait__postset: 'addOnPreMain(function() { NodeWait.install(); });',
  $NodeWait: {
    // Milliseconds between looks at standard input while nothing else is due.
    inputStep: 10,
    sleeper: null,
    state: null,
    lookedAtInput: false,

    install: function() {
      var tty = require('tty');
      for (var fd = 0; fd < 3; fd++) {
        if (FS.streams[fd]) FS.streams[fd].tty = tty.isatty(fd);
      }
      FS.streams[0] = Object.assign({}, FS.streams[0], {
        node: {mode: {{{ cDefine('S_IFCHR') }}}},
        stream_ops: {read: NodeWait.read, poll: NodeWait.pollInput},
      });
    },

    // Standard input, opened again without blocking where it can be (a pipe or a terminal;
    // a file never makes a read wait).
    input: function() {
      if (!NodeWait.state) {
        var s = {fd: 0, chunks: [], eof: false, canWait: false};
        try {
          if (!fs.fstatSync(0).isFile()) {
            s.fd = fs.openSync('/proc/self/fd/0', fs.constants.O_RDONLY | fs.constants.O_NONBLOCK);
            s.canWait = true;
          }
        } catch (e) {
          // A socket, or no /proc: reads block, and a wait cannot include them.
        }
        NodeWait.state = s;
      }
      return NodeWait.state;
    },

    // Takes in what standard input holds now.
    fill: function(s) {
      if (s.chunks.length || s.eof) return;
      var buffer = Buffer.alloc(65536);
      var got;
      try {
        got = fs.readSync(s.fd, buffer, 0, buffer.length, null);
      } catch (e) {
        if (e.code === 'EAGAIN') return;
        if (e.code !== 'EOF') throw new FS.ErrnoError(ERRNO_CODES[e.code] || {{{ cDefine('EIO') }}});
        got = 0;
      }
      if (got === 0) {
        s.eof = true;
      } else {
        s.chunks.push(buffer.subarray(0, got));
      }
    },

    // Whether a read would return without waiting.
    inputReady: function() {
      var s = NodeWait.input();
      if (!s.canWait) return true;
      NodeWait.fill(s);
      NodeWait.lookedAtInput = true;
      return s.chunks.length > 0 || s.eof;
    },

    pollInput: function(stream) {
      return NodeWait.inputReady() ? {{{ cDefine('POLLIN') }}} : 0;
    },

    read: function(stream, buffer, offset, length, position) {
      var s = NodeWait.input();
      NodeWait.waitUntil(NodeWait.inputReady, -1);
      if (!s.canWait) NodeWait.fill(s);
      var n = 0;
      while (n < length && s.chunks.length) {
        var chunk = s.chunks[0];
        var k = Math.min(chunk.length, length - n);
        buffer.set(chunk.subarray(0, k), offset + n);
        n += k;
        if (k === chunk.length) {
          s.chunks.shift();
        } else {
          s.chunks[0] = chunk.subarray(k);
        }
      }
      return n;
    },

    sleep: function(ms) {
      if (!NodeWait.sleeper) NodeWait.sleeper = new Int32Array(new SharedArrayBuffer(4));
      Atomics.wait(NodeWait.sleeper, 0, 0, ms);
    },

    // Runs the timers and sleeps until `ready()` holds or `timeout` ms (-1: no end) pass;
    // returns whether it holds.
    waitUntil: function(ready, timeout) {
      var end = timeout < 0 ? Infinity : performance.now() + timeout;
      for (;;) {
        var next = typeof _vornal_run_timers == 'function' ? _vornal_run_timers() : -1;
        NodeWait.lookedAtInput = false;
        if (ready()) return true;
        var nap = end - performance.now();
        if (nap <= 0) return false;
        if (next >= 0) nap = Math.min(nap, next);
        if (NodeWait.lookedAtInput) nap = Math.min(nap, NodeWait.inputStep);
        NodeWait.sleep(nap);
      }
    },
  },

  __syscall_poll__deps: ['$NodeWait'],
  __syscall_poll: function(fds, nfds, timeout) {
    var count = 0;
    var scan = function() {
      count = 0;
      for (var i = 0; i < nfds; i++) {
        var pollfd = fds + {{{ C_STRUCTS.pollfd.__size__ }}} * i;
        var fd = {{{ makeGetValue('pollfd', C_STRUCTS.pollfd.fd, 'i32') }}};
        var events = {{{ makeGetValue('pollfd', C_STRUCTS.pollfd.events, 'i16') }}};
        var mask = {{{ cDefine('POLLNVAL') }}};
        var stream = FS.getStream(fd);
        if (stream) {
          mask = SYSCALLS.DEFAULT_POLLMASK;
          if (stream.stream_ops && stream.stream_ops.poll) mask = stream.stream_ops.poll(stream);
        }
        mask &= events | {{{ cDefine('POLLERR') }}} | {{{ cDefine('POLLHUP') }}};
        if (mask) count++;
        {{{ makeSetValue('pollfd', C_STRUCTS.pollfd.revents, 'mask', 'i16') }}};
      }
      return count > 0;
    };
    NodeWait.waitUntil(scan, timeout);
    return count;
  },
});
