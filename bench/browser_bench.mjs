// The page in a headless browser, from navigation to the complete picture in
// its canvas, beside a minimal page that draws the picture, already computed
// as a PNG, into a canvas of its own; both in new tabs, interleaved.
//   node bench/browser_bench.mjs chromium|firefox PAGE PICTURE_PNG [RUNS]
// Uses the puppeteer-core that tests/browser installs (npm ci there).
import {createRequire} from 'node:module';
import {mkdtempSync, readFileSync, rmSync, writeFileSync} from 'node:fs';
import {tmpdir} from 'node:os';
import {resolve} from 'node:path';
import {pathToFileURL} from 'node:url';
import {gzipSync} from 'node:zlib';

const [kind, html, png, runs = 10] = process.argv.slice(2);
const puppeteer = createRequire(new URL('../tests/browser/', import.meta.url))('puppeteer-core');
const dir = mkdtempSync(`${tmpdir()}/browser-bench-`);
const minimal = `${dir}/minimal.html`;
writeFileSync(minimal, `<!doctype html><canvas width=554 height=554></canvas><script>
const image = new Image();
image.onload = () => document.querySelector('canvas').getContext('2d').drawImage(image, 0, 0);
image.src = 'data:image/png;base64,${readFileSync(png).toString('base64')}';
</script>`);
const browser = await puppeteer.launch({
  browser: kind === 'firefox' ? 'firefox' : 'chrome',
  executablePath: kind === 'firefox' ? '/usr/bin/firefox-esr' : '/usr/bin/chromium',
  userDataDir: `${dir}/profile`,
  args: kind === 'firefox' ? [] : ['--no-sandbox', '--no-first-run', '--disable-gpu'],
});

// Milliseconds from navigation to the last drawing into the canvas before its
// bottom right pixel is there, which comes last.
async function navigate(file) {
  const page = await browser.newPage();
  await page.setViewport({width: 800, height: 800, deviceScaleFactor: 1});
  await page.evaluateOnNewDocument(() => {
    const context = CanvasRenderingContext2D.prototype;
    for (const name of ['putImageData', 'drawImage']) {
      const draw = context[name];
      context[name] = function (...args) {
        draw.apply(this, args);
        globalThis.drawnAt = performance.now();
      };
    }
  });
  await page.goto(pathToFileURL(resolve(file)).href);
  const ms = await page.waitForFunction(() => {
    const canvas = document.querySelector('canvas');
    const corner = canvas?.getContext('2d').getImageData(553, 553, 1, 1).data[3];
    return corner === 255 && globalThis.drawnAt;
  }, {timeout: 60000});
  const result = await ms.jsonValue();
  await page.close();
  return result;
}

const median = (v) => (v.sort((a, b) => a - b), (v[(v.length - 1) >> 1] + v[v.length >> 1]) / 2);
const page = [], reference = [];
for (let run = 0; run < runs; ++run) {
  page.push(await navigate(html));
  reference.push(await navigate(minimal));
}
await browser.close();
const kb = (file) => (gzipSync(readFileSync(file), {level: 9}).length / 1024).toFixed(1);
console.log(`${kind}: the page ${median(page).toFixed(0)} ms, ${kb(html)} KB gzipped; ` +
            `the minimal page ${median(reference).toFixed(0)} ms, ${kb(minimal)} KB gzipped`);
rmSync(dir, {recursive: true, force: true});
