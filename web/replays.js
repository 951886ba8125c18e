// Replays in the page (web/shell.html's #replays): the replay of the last match played here,
// saved as a file or copied as a ?replay= link (the game deflates the text; it is written here in
// base64url), and a replay opened from a file, a drop or a link watched in the canvas with the
// window's keys. Every match's replay is kept with the match in the player's record (record.js).
// The game's side is app/page/page_replays.h; window.kanaburstReplays is what it calls back.
(function () {
  'use strict';
  const $ = (id) => document.getElementById(id);
  const kWatchPath = '/tmp/kanaburst-watch';
  // More than the game reads of a file: a larger file is refused without being read whole.
  const kReadAtMost = 2 << 20;
  // A replay's first bytes, as the desktop's file type knows them too.
  const kMagic = 'kanaburst-replay';
  // A link's replay, as the address bar had it when the page opened.
  const linked = new URLSearchParams(location.search).get('replay');
  let game = null;  // the module, once started
  let last = null;  // the last match's replay: { name, text, link }

  function Say(text) {
    $('replay-status').textContent = text;
  }

  function ToBase64Url(bytes) {
    let binary = '';
    for (const b of bytes) binary += String.fromCharCode(b);
    return btoa(binary).replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '');
  }

  // The bytes base64url text holds; null for text that is none.
  function FromBase64Url(text) {
    if (!/^[A-Za-z0-9_-]*$/.test(text)) return null;
    try {
      return Uint8Array.from(atob(text.replace(/-/g, '+').replace(/_/g, '/')),
                             (c) => c.charCodeAt(0));
    } catch (e) {
      return null;
    }
  }

  // kanaburst-20260107-153012.kbreplay: the names sort as the matches were played.
  function FileName(when) {
    const two = (n) => String(n).padStart(2, '0');
    return `kanaburst-${when.getFullYear()}${two(when.getMonth() + 1)}${two(when.getDate())}-` +
           `${two(when.getHours())}${two(when.getMinutes())}${two(when.getSeconds())}.kbreplay`;
  }

  // Plays the replay in bytes (packed: a link's deflated bytes) in the canvas; what names it to
  // the player when it cannot be played.
  function Watch(bytes, packed, what) {
    if (!game) return Say('The game is still loading: open the replay again in a moment.');
    game.FS.writeFile(kWatchPath, bytes);
    const why = game.ccall('kanaburst_replay_watch', 'string', ['string', 'number'],
                           [kWatchPath, packed ? 1 : 0]);
    game.FS.unlink(kWatchPath);
    Say(why ? `${what} cannot be played: ${why}.`
            : 'Watching a replay: Space pauses, 1, 2 and 4 set the speed, Right steps while ' +
              'paused, End skips to the end of the match, Escape returns.');
    $('canvas').focus();
  }

  function WatchLink(text) {
    const bytes = FromBase64Url(text);
    if (!bytes) return Say('This replay link cannot be played: it is damaged.');
    Watch(bytes, true, 'This replay link');
  }

  function WatchFile(file) {
    file.slice(0, kReadAtMost).arrayBuffer().then(
        (bytes) => Watch(new Uint8Array(bytes), false, file.name),
        (e) => Say(`${file.name} could not be read: ${e.message}`));
  }

  function Save() {
    if (!last) return;
    const a = document.createElement('a');
    a.href = URL.createObjectURL(new Blob([last.text], { type: 'application/x-kanaburst-replay' }));
    a.download = last.name;
    a.click();
    setTimeout(() => URL.revokeObjectURL(a.href), 1000);
  }

  function CopyLink() {
    if (!last) return;
    if (!last.link) {
      return Say('This replay is too long for a link: save it as a file and send the file ' +
                 'instead.');
    }
    kanaburstPage.copy($('replay-link'), () => {
      $('replay-copy').textContent = 'Copied';
    });
  }

  function Controls() {
    $('replay-file').addEventListener('change', (e) => {
      if (e.target.files[0]) WatchFile(e.target.files[0]);
      e.target.value = '';
    });
    $('replay-save').addEventListener('click', Save);
    $('replay-copy').addEventListener('click', CopyLink);
  }

  window.kanaburstReplays = {
    // The game has started: the controls work, and a link's replay plays at once.
    started(module) {
      game = module;
      Controls();
      if (linked !== null) WatchLink(linked);
    },
    // A file dropped on the page: watched when it is a replay, else otherwise(file).
    dropped(file, otherwise) {
      file.slice(0, kMagic.length).text().then((start) => {
        if (start === kMagic) WatchFile(file);
        else otherwise(file);
      }, () => otherwise(file));
    },
    // A match's replay: its text and its deflated bytes (none when too long for a link).
    recorded(text, packed) {
      const name = FileName(new Date());
      const link = new URL(location.href);
      link.search = '';
      link.searchParams.set('replay', ToBase64Url(packed));
      last = { name, text, link: packed.length ? link.href : '' };
      $('replay-last').hidden = false;
      $('replay-link').value = last.link;
      $('replay-copy').textContent = 'Copy a link to it';
    },
    // The watcher left the replay: the game's keys are its own again.
    closed() {
      Say('');
      $('canvas').focus();
    },
    // The last match's replay ({ name, text, link }), for the page's tests.
    last: () => last,
  };
})();
