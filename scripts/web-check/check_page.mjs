// Opens the built page from file:// in Debian's headless Chromium and checks it against the
// Linux build, byte for byte: through parcelo.split on the real list, the sample, a list cut off,
// an unsafe office code and a list that runs out of memory; then once as a person would, with
// the file input and the save button, on the real list (screenshot) and on the list too large.
//
// Usage: node check_page.mjs PAGE LINUX_BINARY PROJECT_DIR [SCREENSHOT]
import { spawnSync } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { pathToFileURL } from "node:url";
import puppeteer from "puppeteer-core";

const [page_path, linux_binary, project, screenshot] = process.argv.slice(2);
const work = fs.mkdtempSync(path.join(os.tmpdir(), "parcelo-page-"));
const real = path.join(project, "..", "shared", "data", "area.json");
const sample = fs.readFileSync(path.join(project, "data", "sample-area.json"));

// A centre with 3 million children: its index does not fit under the page's memory ceiling.
function too_large() {
  return Buffer.from('{"centers": {"1": {"name": "c", "children": [' +
                     Array(3000000).fill('"1"').join(",") + ']}}, "offices": {}}');
}

const cases = [
  ["the sample", sample],
  ["a list cut off", sample.subarray(0, 1500)],
  ['an office code "../x"', Buffer.from('{"centers": {}, "offices": {"0": {}, "../x": {}}}')],
  ["a list too large for the memory ceiling", too_large(), 512],
];
if (fs.existsSync(real)) cases.unshift(["the agency's real list", fs.readFileSync(real)]);
else console.log("skip - the agency's real list: ../shared/data/area.json is absent");

// The Linux build on `bytes`, as "parcelo area.json out" in a folder of its own, under an
// address-space limit of `limit_mib` when given (the page's own memory ceiling).
function linux(bytes, limit_mib) {
  const folder = fs.mkdtempSync(path.join(work, "linux-"));
  fs.writeFileSync(path.join(folder, "area.json"), bytes);
  fs.mkdirSync(path.join(folder, "out"));
  const command = (limit_mib ? `ulimit -v ${limit_mib * 1024}; ` : "") +
                  `exec -a parcelo "$0" area.json out`;
  const r = spawnSync("bash", ["-c", command, path.resolve(linux_binary)], { cwd: folder });
  const files = r.stdout.toString().split("\n").filter(l => l.endsWith(" を生成しました。"))
    .map(l => l.slice(0, -" を生成しました。".length))
    .map(p => ({ name: path.basename(p), bytes: fs.readFileSync(path.join(folder, p)) }));
  return { status: r.status, stdout: r.stdout.toString(), stderr: r.stderr.toString(), files };
}

function differences(page, want) {
  const problems = [];
  for (const key of ["status", "stdout", "stderr"]) {
    if (page[key] !== want[key]) problems.push(`${key}: ${JSON.stringify(page[key]).slice(0, 300)}, Linux ${JSON.stringify(want[key]).slice(0, 300)}`);
  }
  const names = f => f.map(x => x.name).join(" ");
  if (names(page.files) !== names(want.files)) problems.push(`files ${names(page.files)}, Linux ${names(want.files)}`);
  else page.files.forEach((f, i) => {
    if (!Buffer.from(f.bytes, "base64").equals(want.files[i].bytes)) problems.push(`${f.name} differs`);
  });
  return problems;
}

const browser = await puppeteer.launch({
  executablePath: "/usr/bin/chromium",
  headless: true,
  args: ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync",
         `--user-data-dir=${path.join(work, "profile")}`],
});
let passed = 0, failed = 0;
function report(name, problems) {
  console.log((problems.length ? "FAIL - " : "ok - ") + name);
  for (const p of problems) console.log("    " + p);
  problems.length ? ++failed : ++passed;
}

try {
  const page = await browser.newPage();
  await page.setViewport({ width: 900, height: 1000 });
  const requests = [];
  page.on("request", r => requests.push(r.url()));
  await page.goto(pathToFileURL(path.resolve(page_path)).href);
  for (const [name, bytes, limit_mib] of cases) {
    const got = await page.evaluate(async b64 => {
      const bytes = Uint8Array.from(atob(b64), c => c.charCodeAt(0));
      const r = await parcelo.split(bytes);
      const base64 = b => btoa(Array.from(b, c => String.fromCharCode(c)).join(""));
      return { ...r, files: r.files.map(f => ({ name: f.name, bytes: base64(f.bytes) })) };
    }, bytes.toString("base64"));
    report(`${name}: the same as the Linux build`, differences(got, linux(bytes, limit_mib)));
  }

  // As a person: choose the file, wait for the table, save the zip, unpack it.
  const downloads = path.join(work, "downloads");
  const cdp = await page.createCDPSession();
  await cdp.send("Browser.setDownloadBehavior", { behavior: "allow", downloadPath: downloads });
  const input = await page.$("#pick");
  if (fs.existsSync(real)) {
    const started = Date.now();
    await input.uploadFile(real);
    await page.waitForSelector("#files:not([hidden])", { timeout: 30000 });
    const took = Date.now() - started;
    const rows = await page.$$eval("#files tbody tr", rows => rows.length);
    if (screenshot) await page.screenshot({ path: screenshot });
    await page.click("#save");
    const zip = path.join(downloads, "parcelo-files.zip");
    for (let i = 0; i < 100 && !fs.existsSync(zip); ++i) await new Promise(r => setTimeout(r, 100));
    const unpacked = path.join(work, "unpacked");
    const unzip = spawnSync("unzip", ["-q", zip, "-d", unpacked]);
    const want = linux(fs.readFileSync(real));
    const problems = [];
    if (unzip.status !== 0) problems.push("the zip does not unpack: " + unzip.stderr);
    else for (const f of want.files) {
      const file = path.join(unpacked, f.name);
      if (!fs.existsSync(file) || !fs.readFileSync(file).equals(f.bytes)) problems.push(`${f.name} differs`);
    }
    if (problems.length === 0 && fs.readdirSync(unpacked).length !== want.files.length) problems.push("extra files in the zip");
    if (rows !== want.files.length) problems.push(`${rows} rows in the table`);
    report(`the real list through the file input: ${rows} files in ${took} ms, the zip equal to the Linux build's`, problems);
  }
  const large = path.join(work, "too-large.json");
  fs.writeFileSync(large, too_large());
  await input.uploadFile(large);
  await page.waitForSelector("#console.failed", { timeout: 60000 });
  const shown = await page.$eval("#console", e => e.textContent);
  const save_hidden = await page.$eval("#save", e => e.hidden);
  const table_hidden = await page.$eval("#files", e => e.hidden);
  report("a list too large through the file input: the message, no table, no zip",
         [...(shown.endsWith("メモリが不足しています。\n") ? [] : [`shown: ${shown.slice(-200)}`]),
          ...(save_hidden && table_hidden ? [] : ["the zip or the table is still offered"])]);
  const outside = requests.filter(u => !u.startsWith("file:") && !u.startsWith("data:") && !u.startsWith("blob:"));
  report("the page asks for nothing from anywhere", outside.map(u => "requested " + u));
} finally {
  await browser.close();
  fs.rmSync(work, { recursive: true, force: true });
}
console.log(`${passed} passed, ${failed} failed`);
process.exit(failed ? 1 : 0);
