// The page side of the browser backend: the canvas that shows the window, and
// the page's events, which wake the program waiting in GetMessage. What
// happened is kept as bits until the program takes it.
var page = {
  kLayout: 1, // the canvas has new device pixels, all cleared
  kExposed: 2, // its content may be lost
  kClosing: 4, // the page goes away
  canvas: null,
  size: 0, // the window's client size, in picture pixels
  ratio: 0, // the device pixel ratio it was sized for
  block: 1, // device pixels per picture pixel, each way
  events: 0,
  wake: null,

  post(event) {
    page.events |= event;
    if (page.wake) page.wake();
    page.wake = null;
  },

  create(caption, size, background) {
    document.title = caption;
    page.canvas = document.getElementById('window');
    page.size = size;
    page.canvas.style.background = '#' + background.toString(16).padStart(6, '0');
    page.fitRatio();
    addEventListener('pagehide', () => page.post(page.kClosing));
    // A page restored from the back-forward cache has no program behind it.
    addEventListener('pageshow', (e) => e.persisted && location.reload());
    document.addEventListener('visibilitychange', () => document.hidden || page.post(page.kExposed));
    page.canvas.addEventListener('contextrestored', () => page.post(page.kExposed));
  },

  // Each picture pixel is a whole block of device pixels, the nearest to the
  // ratio, and the canvas's CSS size is the one those blocks fill exactly.
  // Setting the canvas's size clears it.
  fitRatio() {
    if (devicePixelRatio === page.ratio) return;
    const ratio = (page.ratio = devicePixelRatio);
    page.block = Math.max(1, Math.round(ratio));
    const side = page.size * page.block;
    page.canvas.style.width = page.canvas.style.height = side / ratio + 'px';
    page.canvas.width = page.canvas.height = side;
    page.post(page.kLayout);
    matchMedia(`(resolution: ${ratio}dppx)`).addEventListener('change', page.fitRatio, {once: true});
  },

  // What happened since last asked, and the canvas's size and block size at
  // `layout`.
  take(layout) {
    HEAP32.set([page.canvas.width, page.canvas.height, page.block], layout >> 2);
    const events = page.events;
    page.events = 0;
    return events;
  },

  put(pixels, x, y, width, height) {
    const data = new Uint8ClampedArray(HEAPU8.buffer, pixels, width * height * 4);
    page.canvas.getContext('2d').putImageData(new ImageData(data, width, height), x, y);
  },
};
