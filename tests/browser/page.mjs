// The page in a headless browser: node page.mjs chromium|firefox PAGE PNG.
// Exits with 77 where the browser or puppeteer-core is missing.
import {spawnSync} from 'node:child_process';
import {existsSync, mkdtempSync, readdirSync, readFileSync, rmSync} from 'node:fs';
import {tmpdir} from 'node:os';

const [kind, html, reference] = process.argv.slice(2);
const executablePath = {chromium: '/usr/bin/chromium', firefox: '/usr/bin/firefox-esr'}[kind];
const puppeteer = await import('puppeteer-core').catch(() => null);
if (!puppeteer || !existsSync(executablePath)) process.exit(77);
const dir = mkdtempSync(`${tmpdir()}/browser-test-`);
const browser = await puppeteer.default.launch({
  browser: kind === 'firefox' ? 'firefox' : 'chrome', executablePath, userDataDir: `${dir}/profile`,
  args: kind === 'firefox' ? [] : ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-sync',
    '--disable-background-networking', '--disable-component-update'],
});
const fail = (what) => { console.error(`${kind}: ${what}`); process.exitCode = 1; };
const errors = [];
const page = await browser.newPage();
page.on('console', (m) => m.type() === 'error' && errors.push(m.text()));
page.on('pageerror', (e) => errors.push(e.message));

// The screenshot's top left against the golden picture in blocks of `block`.
async function checkPicture(ratio, block) {
  await page.waitForFunction((side) => {
    const canvas = document.querySelector('canvas');
    return canvas.width === side && canvas.getContext('2d').getImageData(0, 0, 1, 1).data[3] === 255;
  }, {timeout: 60000}, 554 * block);
  await page.screenshot({path: `${dir}/shot.png`});
  const side = `${554 * block}x${554 * block}`;
  spawnSync('convert', [reference, '-sample', `${side}!`, `${dir}/reference.png`]);
  const diff = spawnSync('compare', ['-metric', 'AE', `${dir}/shot.png[${side}+0+0]`,
    `${dir}/reference.png`, 'null:'], {encoding: 'utf8'}).stderr.trim();
  if (diff !== '0') fail(`ratio ${ratio}: ${diff} pixels differ from the picture in ${block}-blocks`);
}

for (const [ratio, block] of [[1, 1], [2, 2], [1.5, 2]]) {
  await page.setViewport({width: 800, height: 800, deviceScaleFactor: ratio});
  await page.goto(`file://${html}`);
  await checkPicture(ratio, block);
}
if ((await page.title()) !== "Mandelbrot's Set") fail(`title '${await page.title()}'`);
if (!(await page.$eval('canvas', (c) => c.getAttribute('aria-label')))) fail('no accessible name');
// A change at run time, with a resize, as headless Chromium signals none for
// the ratio alone.
await page.setViewport({width: 780, height: 780, deviceScaleFactor: 1});
await checkPicture('1 after 1.5', 1);

// The CPU time of the page's processes while the picture is shown: Chromium's
// renderers name the profile, Firefox's content processes their parent.
const mine = kind === 'firefox' ? `-parentPid ${browser.process().pid} ` : dir;
const read = (file) => { try { return readFileSync(file, 'utf8'); } catch { return ''; } };
const cpuTime = () => readdirSync('/proc').reduce((sum, pid) => {
  const cmd = read(`/proc/${pid}/cmdline`).replaceAll('\0', ' ');
  if (!cmd.includes(mine) || !/type=renderer|-isForBrowser/.test(cmd)) return sum;
  const fields = read(`/proc/${pid}/stat`).split(') ').pop().split(' ');
  return sum + (Number(fields[11]) + Number(fields[12]) || 0);
}, 0);
const before = cpuTime();
await new Promise((resolve) => setTimeout(resolve, 5000));
const ticks = cpuTime() - before;
if (ticks > 10) fail(`the idle page took ${ticks} ticks of CPU in 5 s`);
if (errors.length) fail(`console errors: ${errors.join('; ')}`);

// Without WebAssembly the page says so in one line.
const bare = await browser.newPage();
await bare.evaluateOnNewDocument(() => delete globalThis.WebAssembly);
await bare.goto(`file://${html}`);
await bare.waitForFunction(() => !document.getElementById('message').hidden, {timeout: 60000});
await browser.close();
rmSync(dir, {recursive: true, force: true});
console.log(`${kind}: idle ${ticks} ticks in 5 s`);
