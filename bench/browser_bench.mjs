// The page from navigation to the complete picture in its canvas, beside a page
// that draws the picture, already a PNG, into a canvas; interleaved, new tabs.
// Needs the puppeteer-core that `npm ci` installs at the top.
//   node bench/browser_bench.mjs chromium|firefox PAGE PICTURE_PNG [RUNS]
import {createRequire} from 'node:module';
import {mkdtempSync, readFileSync, realpathSync, rmSync, writeFileSync} from 'node:fs';
import {gzipSync} from 'node:zlib';

const [kind, html, png, runs = 10] = process.argv.slice(2);
const puppeteer = createRequire(new URL('../', import.meta.url))('puppeteer-core');
const dir = mkdtempSync('/tmp/browser-bench-'), minimal = `${dir}/minimal.html`;
writeFileSync(minimal, `<!doctype html><canvas width=554 height=554></canvas><script>
const image = new Image();
image.onload = () => document.querySelector('canvas').getContext('2d').drawImage(image, 0, 0);
image.src = 'data:image/png;base64,${readFileSync(png).toString('base64')}';
</script>`);
const firefox = kind === 'firefox';
const browser = await puppeteer.launch({
  browser: firefox ? 'firefox' : 'chrome', userDataDir: `${dir}/profile`,
  executablePath: firefox ? '/usr/bin/firefox-esr' : '/usr/bin/chromium',
  args: firefox ? [] : ['--no-sandbox', '--no-first-run', '--disable-gpu'],
});

// Milliseconds to the last drawing before the canvas's last pixel is there.
async function navigate(file) {
  const page = await browser.newPage();
  await page.setViewport({width: 800, height: 800, deviceScaleFactor: 1});
  await page.evaluateOnNewDocument(() => ['putImageData', 'drawImage'].forEach((name) => {
    const draw = CanvasRenderingContext2D.prototype[name];
    CanvasRenderingContext2D.prototype[name] = function (...args) {
      draw.apply(this, args), globalThis.drawnAt = performance.now();
    };
  }));
  await page.goto(`file://${realpathSync(file)}`);
  const ms = await (await page.waitForFunction(() => {
    const corner = document.querySelector('canvas')?.getContext('2d').getImageData(553, 553, 1, 1);
    return corner?.data[3] === 255 && globalThis.drawnAt;
  }, {timeout: 60000})).jsonValue();
  await page.close();
  return ms;
}

const median = (v) => (v.sort((a, b) => a - b), (v[(v.length - 1) >> 1] + v[v.length >> 1]) / 2);
const page = [], reference = [];
for (let run = 0; run < runs; ++run) page.push(await navigate(html)), reference.push(await navigate(minimal));
await browser.close();
const kb = (file) => (gzipSync(readFileSync(file), {level: 9}).length / 1024).toFixed(1);
console.log(`${kind}: the page ${median(page).toFixed(0)} ms, ${kb(html)} KB gzipped; ` +
            `the minimal page ${median(reference).toFixed(0)} ms, ${kb(minimal)} KB gzipped`);
rmSync(dir, {recursive: true, force: true});
