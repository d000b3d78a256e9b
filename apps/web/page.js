// The page around the rain: the canvas at the window's device pixels, the model's 30 ms
// steps presented with requestAnimationFrame, only the changed bands put into the canvas,
// nothing at all while the page is hidden; a dropped glyph file; full screen for wrappers
// that run the page as a screen saver.
(function () {
  var StepMs = 30;           // the saver's frame interval
  var MaxStepsAtOnce = 4;    // after a longer stall the clock starts again instead
  var SaverMoveLimit = 4;    // pixels of mouse travel that end the saver, as on the desktop

  var canvas = document.getElementById('rain');
  var note = document.getElementById('note');
  var context = canvas.getContext('2d', { alpha: false });
  // What tests and measurements read: steps taken, canvas updates, fits, and milliseconds
  // of work: all of it in the frame callbacks, and the steps' and canvas updates' shares.
  var stats = { steps: 0, presents: 0, fits: 0, workMs: 0, stepMs: 0, presentMs: 0,
                ready: false, done: false };
  window.vorlixStats = stats;

  var frames = 0, still = false, fixedWidth = 0, fixedHeight = 0;
  var image = null, pictureWidth = 0, pictureHeight = 0;
  var request = 0, lastStep = -1, refit = false, stopped = false;

  function say(text) {
    note.textContent = text;
    note.hidden = !text;
  }

  function fit() {
    var ratio = window.devicePixelRatio || 1;
    var width = fixedWidth || Math.max(1, Math.round(window.innerWidth * ratio));
    var height = fixedHeight || Math.max(1, Math.round(window.innerHeight * ratio));
    image = null;
    if (!_vorlix_fit(width, height, Math.round(96 * ratio))) {
      say(UTF8ToString(_vorlix_error()));
      pictureWidth = pictureHeight = 0;
      return;
    }
    pictureWidth = _vorlix_picture(0);
    pictureHeight = _vorlix_picture(1);
    var zoom = _vorlix_picture(2);
    canvas.width = pictureWidth;
    canvas.height = pictureHeight;
    canvas.style.width = (pictureWidth * zoom / ratio) + 'px';
    canvas.style.height = (pictureHeight * zoom / ratio) + 'px';
    canvas.style.left = (_vorlix_picture(3) / ratio) + 'px';
    canvas.style.top = (_vorlix_picture(4) / ratio) + 'px';
    stats.fits++;
  }

  // The picture's pixels as the canvas takes them; made again when memory grew or moved.
  function pictureImage() {
    if (!image || image.data.buffer !== HEAPU8.buffer) {
      var bytes = new Uint8ClampedArray(HEAPU8.buffer, _vorlix_pixels(),
                                        pictureWidth * pictureHeight * 4);
      image = new ImageData(bytes, pictureWidth, pictureHeight);
    }
    return image;
  }

  function present() {
    var started = performance.now();
    putBands();
    stats.presentMs += performance.now() - started;
  }

  function putBands() {
    if (!pictureWidth) return;
    var count = _vorlix_take_bands();
    if (!count) return;
    var bands = _vorlix_bands() >> 2;
    var picture = pictureImage();
    for (var i = 0; i < count; i++) {
      var at = bands + i * 4;
      var left = HEAP32[at], top = HEAP32[at + 1];
      context.putImageData(picture, 0, 0, left, top, HEAP32[at + 2] - left, HEAP32[at + 3] - top);
    }
    stats.presents++;
  }

  function step() {
    var started = performance.now();
    _vorlix_step();
    stats.stepMs += performance.now() - started;
    stats.steps++;
    if (frames && stats.steps >= frames) {
      stopped = true;
      stats.done = true;
    }
  }

  function animate(now) {
    request = 0;
    if (document.hidden || stopped) return;
    var started = performance.now();
    if (refit) {
      refit = false;
      fit();
    }
    if (lastStep < 0 || now - lastStep >= StepMs * MaxStepsAtOnce) lastStep = now - StepMs;
    while (now - lastStep >= StepMs && !stopped) {
      step();
      lastStep += StepMs;
    }
    present();
    stats.workMs += performance.now() - started;
    schedule();
  }

  function schedule() {
    if (!request && !document.hidden && !stopped) request = requestAnimationFrame(animate);
  }

  function onVisibility() {
    if (!document.hidden) {
      lastStep = -1;  // a page shown again starts its clock anew, with no burst of steps
      schedule();
      return;
    }
    if (request) cancelAnimationFrame(request);
    request = 0;
  }

  function loadDropped(name, bytes) {
    var at = _vorlix_glyph_buffer(bytes.length);
    if (!at) {
      say(name + ': the file is empty or too large to be a glyph set');
      return;
    }
    HEAPU8.set(bytes, at);
    if (!_vorlix_load_glyph_buffer(bytes.length)) {
      say(name + ': ' + UTF8ToString(_vorlix_error()));
      return;
    }
    image = null;
    say('');
    if (stopped) present();
  }

  function watchDrops() {
    window.addEventListener('dragover', function (event) { event.preventDefault(); });
    window.addEventListener('drop', function (event) {
      event.preventDefault();
      var file = event.dataTransfer && event.dataTransfer.files[0];
      if (!file) return;
      file.arrayBuffer().then(function (buffer) {
        loadDropped(file.name, new Uint8Array(buffer));
      }, function () { say(file.name + ': the file cannot be read'); });
    });
  }

  // The first click asks for full screen; after that a key, a click or a move of more than
  // a few pixels leaves it, and the wrapper takes over.
  function watchAsSaver() {
    var from = null;
    function leave() {
      if (document.fullscreenElement) document.exitFullscreen().catch(function () {});
    }
    document.addEventListener('fullscreenchange', function () { from = null; });
    window.addEventListener('mousedown', function () {
      if (document.fullscreenElement) return leave();
      var asked = document.documentElement.requestFullscreen();
      if (asked) asked.catch(function () {});
    });
    window.addEventListener('keydown', leave);
    window.addEventListener('mousemove', function (event) {
      if (!document.fullscreenElement) return;
      if (!from) from = { x: event.screenX, y: event.screenY };
      var travel = Math.abs(event.screenX - from.x) + Math.abs(event.screenY - from.y);
      if (travel > SaverMoveLimit) leave();
    });
  }

  function start() {
    var query = allocateUTF8(window.location.search.replace(/^\?/, ''));
    var started = _vorlix_start(query, (Math.random() * 4294967296) >>> 0);
    _free(query);
    var problems = UTF8ToString(_vorlix_problems()).trim();
    say(problems);
    if (!started) {
      say(UTF8ToString(_vorlix_error()));
      return;
    }
    frames = _vorlix_option(0);
    still = _vorlix_option(1) !== 0;
    fixedWidth = _vorlix_option(3);
    fixedHeight = _vorlix_option(4);
    if (still && !fixedWidth) {
      // A still picture keeps the size it started at.
      var ratio = window.devicePixelRatio || 1;
      fixedWidth = Math.max(1, Math.round(window.innerWidth * ratio));
      fixedHeight = Math.max(1, Math.round(window.innerHeight * ratio));
    }
    fit();
    stats.ready = true;
    watchDrops();
    if (_vorlix_option(2)) watchAsSaver();
    if (!fixedWidth) window.addEventListener('resize', function () { refit = true; schedule(); });
    document.addEventListener('visibilitychange', onVisibility);
    if (still) {
      var count = frames || 1;
      while (stats.steps < count) _vorlix_step(), stats.steps++;
      present();
      stopped = true;
      stats.done = true;
      return;
    }
    schedule();
  }

  Module['onRuntimeInitialized'] = start;
})();
