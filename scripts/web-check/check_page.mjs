// Opens the built page from file:// in Chromium, Firefox and WebKit and checks it against the
// Linux build. In all three, byte for byte through parcelo.split: the real list, the sample, a
// list cut off, an unsafe office code and a list that runs out of memory. In Chromium and
// Firefox, also as people use it: the file input by keyboard, the outcome line, the zip, drag
// and drop, the finder for every municipality, saving just a town's files, an audit by
// axe-core in each state, the tab order with visible focus, and a phone's width.
//
// Usage: node check_page.mjs PAGE LINUX_BINARY PROJECT_DIR [SCREENSHOT_FOLDER]
// WebKit's MiniBrowser needs a display: make test-web runs this under xvfb-run.
import { spawn, spawnSync } from "node:child_process";
import fs from "node:fs";
import { createRequire } from "node:module";
import net from "node:net";
import os from "node:os";
import path from "node:path";
import { pathToFileURL } from "node:url";
import puppeteer from "puppeteer-core";
import { Builder, By } from "selenium-webdriver";

const [pagePath, linuxBinary, project, screenshots] = process.argv.slice(2);
const url = pathToFileURL(path.resolve(pagePath)).href;
const work = fs.mkdtempSync(path.join(os.tmpdir(), "parcelo-page-"));
const realPath = path.join(project, "..", "shared", "data", "area.json");
const real = fs.existsSync(realPath) ? fs.readFileSync(realPath) : null;
const sample = fs.readFileSync(path.join(project, "data", "sample-area.json"));
const cutOff = sample.subarray(0, 1500);
const axeSource = fs.readFileSync(createRequire(import.meta.url).resolve("axe-core/axe.min.js"), "utf8");
const written = " を生成しました。";

// A centre with 3 million children: its index does not fit under the page's memory ceiling.
const tooLarge = Buffer.from('{"centers": {"1": {"name": "c", "children": [' +
                             Array(3000000).fill('"1"').join(",") + ']}}, "offices": {}}');
// A file of each kind that fails, as a person might choose it, and what the page says of it.
const failureRows = [
  { kind: "not JSON", file: "notes.txt", bytes: Buffer.from("気象庁\n"), says: "は JSON ではありません。",
    en: "is not JSON." },
  { kind: "an image", file: "photo.jpg", bytes: Buffer.from([0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 0x4A, 0x46, 0x49, 0x46]),
    says: "は画像（JPEG）です。", en: "is an image (JPEG), not the list." },
  { kind: "another JSON", file: "forecast.json", bytes: Buffer.from('[{"publishingOffice": "気象庁"}]'),
    says: "は JSON ですが、気象庁のエリアコード一覧ではありません", en: "is JSON, but not the agency's area-code list" },
  { kind: "an empty file", file: "area.json", bytes: Buffer.alloc(0), says: "は空です。", en: "is empty." },
  { kind: "a list cut off", file: "area (1).json", bytes: cutOff, says: "は途中で切れています。",
    en: "is cut off before its end." },
  { kind: "a record of another shape", file: "area.json", bytes: Buffer.from('{"centers": {}, "offices": {"a/b": 5}}'),
    says: "の中に、このツールが読めない形の記録があります。", en: "holds a record of a shape this tool cannot read." },
  { kind: "an unsafe office code", file: "area.json", bytes: Buffer.from('{"centers": {}, "offices": {"0": {}, "../x": {}}}'),
    says: "の府県予報区コードに、ファイル名にできないものがあります。", en: "cannot be a file name." },
];

// The lists of the cases every comparison of two builds runs (tests/data/comparison-cases.tsv;
// the page always runs "area.json out", so the cases of other arguments are left out), and one
// the page alone has: a list past its memory ceiling, against the Linux build under that limit.
const cases = [];
for (const line of fs.readFileSync(path.join(project, "tests/data/comparison-cases.tsv"), "utf8").split("\n")) {
  if (line === "" || line.startsWith("#")) continue;
  const [name, kind, value] = line.split("\t");
  const [file, bytes] = value.split(" ");
  if (kind === "text") cases.push([name, Buffer.from(value)]);
  if (kind !== "list" && kind !== "cut") continue;
  if (!fs.existsSync(path.join(project, file))) {
    console.log(`skip - ${name}: ${file} is absent`);
    continue;
  }
  const list = fs.readFileSync(path.join(project, file));
  cases.push([name, kind === "cut" ? list.subarray(0, Number(bytes)) : list]);
}
cases.push(["a list too large for the memory ceiling", tooLarge, 512]);

// The Linux build on `bytes`, as "parcelo area.json out" in a folder of its own, under an
// address-space limit of `limitMib` when given (the page's own memory ceiling). Its files are
// those its report lines name, in that order, and they must be all that the folder holds.
const linuxRuns = new Map();
function linux(bytes, limitMib) {
  if (linuxRuns.has(bytes)) return linuxRuns.get(bytes);
  const folder = fs.mkdtempSync(path.join(work, "linux-"));
  fs.writeFileSync(path.join(folder, "area.json"), bytes);
  fs.mkdirSync(path.join(folder, "out"));
  const command = (limitMib ? `ulimit -v ${limitMib * 1024}; ` : "") + 'exec -a parcelo "$0" area.json out';
  const r = spawnSync("bash", ["-c", command, path.resolve(linuxBinary)], { cwd: folder });
  const stdout = r.stdout.toString();
  const files = stdout.split("\n").filter(l => l.endsWith(written)).map(l => l.slice(0, -written.length))
    .map(p => ({ name: path.basename(p), bytes: fs.readFileSync(path.join(folder, p)) }));
  if (fs.readdirSync(path.join(folder, "out")).length !== files.length) throw new Error("unreported files");
  const run = { status: r.status, stdout, stderr: r.stderr.toString(), files };
  linuxRuns.set(bytes, run);
  return run;
}

function differences(page, want) {
  const problems = [];
  for (const key of ["status", "stdout", "stderr"]) {
    if (page[key] !== want[key]) {
      problems.push(`${key}: ${JSON.stringify(page[key]).slice(0, 300)}, Linux ${JSON.stringify(want[key]).slice(0, 300)}`);
    }
  }
  const names = f => f.map(x => x.name).join(" ");
  if (names(page.files) !== names(want.files)) problems.push(`files ${names(page.files)}, Linux ${names(want.files)}`);
  else page.files.forEach((f, i) => {
    if (!Buffer.from(f.bytes, "base64").equals(want.files[i].bytes)) problems.push(`${f.name} differs`);
  });
  return problems;
}

let passed = 0, failed = 0;
function report(name, problems) {
  console.log((problems.length ? "FAIL - " : "ok - ") + name);
  for (const p of problems.slice(0, 10)) console.log("    " + p);
  problems.length ? ++failed : ++passed;
}
const expect = (ok, problem) => (ok ? [] : [problem]);

// In the page: bytes as base64 and back, in pieces small enough for String.fromCharCode.
function inPage() {
  window.toBase64 = bytes => {
    let text = "";
    for (let i = 0; i < bytes.length; i += 32768) text += String.fromCharCode(...bytes.subarray(i, i + 32768));
    return btoa(text);
  };
  window.fromBase64 = text => Uint8Array.from(atob(text), c => c.charCodeAt(0));
}
async function splitInPage(b64) {
  const r = await parcelo.split(fromBase64(b64));
  return { ...r, files: r.files.map(f => ({ name: f.name, bytes: toBase64(f.bytes) })) };
}

// Each engine opens the page and evaluates a function in it; Chromium and Firefox also give
// puppeteer's page, for the checks made as a person.
const chromiumFlags = ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                       "--disable-background-networking", "--disable-component-update", "--disable-sync"];
async function puppeteerEngine(name, options) {
  const browser = await puppeteer.launch({ headless: true, ...options });
  const page = await browser.newPage();
  const requests = [];
  page.on("request", r => requests.push(r.url()));
  return {
    name, page, requests,
    evaluate: (fn, arg) => page.evaluate(fn, arg),
    open: async () => {
      const started = Date.now();
      await page.goto(url);
      await page.waitForFunction(() => typeof parcelo === "object");
      const took = Date.now() - started;
      await page.evaluate(inPage);
      return took;
    },
    close: () => browser.close(),
  };
}

async function freePort() {
  const server = net.createServer().listen(0, "127.0.0.1");
  await new Promise(r => server.once("listening", r));
  const { port } = server.address();
  await new Promise(r => server.close(r));
  return port;
}

async function webkitEngine() {
  const port = await freePort();
  const server = spawn("WebKitWebDriver", [`--port=${port}`], { stdio: "ignore" });
  const capabilities = {
    browserName: "MiniBrowser",
    "webkitgtk:browserOptions": { binary: "/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser",
                                  args: ["--automation"] },
  };
  let driver;
  for (let tries = 0; !driver; ++tries) {
    try {
      driver = await new Builder().usingServer(`http://127.0.0.1:${port}`).withCapabilities(capabilities).build();
    } catch (e) {
      if (tries > 50) throw e;
      await new Promise(r => setTimeout(r, 200));
    }
  }
  await driver.manage().setTimeouts({ script: 120000 });
  const evaluate = (fn, arg) => driver.executeAsyncScript(
    `const done = arguments[arguments.length - 1];
     Promise.resolve((${fn})(arguments[0])).then(done, e => done({ thrown: String(e) }));`, arg);
  return {
    name: "WebKit", driver, evaluate,
    open: async () => {
      const started = Date.now();
      await driver.get(url);
      await driver.wait(() => driver.executeScript("return typeof parcelo === 'object'"), 30000);
      const took = Date.now() - started;
      await evaluate(inPage);
      return took;
    },
    close: async () => {
      await driver.quit();
      server.kill();
    },
  };
}

// Every run through parcelo.split, compared with the Linux build.
async function checkBytes(engine) {
  for (const [name, bytes, limitMib] of cases) {
    const got = await engine.evaluate(splitInPage, bytes.toString("base64"));
    report(`${engine.name}: ${name}: the same as the Linux build`, differences(got, linux(bytes, limitMib)));
  }
}

// The checks made as a person, in Chromium and Firefox.
async function axe(engine, state) {
  await engine.page.evaluate(axeSource);
  const violations = await engine.page.evaluate(async () =>
    (await axe.run()).violations.map(v => `${v.id} (${v.impact}): ${v.nodes.length} nodes`));
  report(`${engine.name}: axe-core finds nothing ${state}`, violations);
}

// The zip the page saves when `press` is done, caught as the link that would download it.
async function saved(page, press) {
  await page.evaluate(() => {
    window.saved = [];
    HTMLAnchorElement.prototype.click = function () {
      window.saved.push(fetch(this.href).then(r => r.arrayBuffer())
        .then(b => ({ name: this.download, bytes: toBase64(new Uint8Array(b)) })));
    };
  });
  await press();
  await page.waitForFunction(() => window.saved.length > 0);
  const zip = await page.evaluate(() => window.saved[0]);
  const file = path.join(fs.mkdtempSync(path.join(work, "zip-")), zip.name);
  fs.writeFileSync(file, Buffer.from(zip.bytes, "base64"));
  const folder = file + ".d";
  const unzip = spawnSync("unzip", ["-q", file, "-d", folder]);
  if (unzip.status !== 0) return { name: zip.name, files: null };
  return { name: zip.name, files: fs.readdirSync(folder).sort().map(n => ({ name: n, bytes: fs.readFileSync(path.join(folder, n)) })) };
}

function sameFiles(got, want) {
  const names = f => f.map(x => x.name).sort().join(" ");
  if (!got) return ["the zip does not unpack"];
  if (names(got) !== names(want)) return [`the zip holds ${names(got)}, not ${names(want)}`];
  return want.filter(w => !got.find(g => g.name === w.name).bytes.equals(w.bytes)).map(w => `${w.name} differs`);
}

// Presses Tab `count` times and gives, per stop, the element and whether its focus shows. It
// stops where the focus leaves the page (the browser's own controls come next).
async function tabStops(page, count) {
  const stops = [];
  for (let i = 0; i < count && !stops.at(-1)?.body; ++i) {
    await page.keyboard.press("Tab");
    stops.push(await page.evaluate(() => {
      const e = document.activeElement, style = getComputedStyle(e);
      return { what: e.id || `${e.tagName.toLowerCase()}:${e.textContent.trim().slice(0, 24)}`,
               shows: style.outlineStyle !== "none" && parseFloat(style.outlineWidth) >= 2,
               outline: `${style.outlineStyle} ${style.outlineWidth}`, body: e === document.body };
    }));
  }
  return stops;
}

async function drop(page, bytes, name = "area.json") {
  await page.evaluate((b64, name) => {
    const transfer = new DataTransfer();
    transfer.items.add(new File([fromBase64(b64)], name, { type: "application/json" }));
    document.querySelector("footer").dispatchEvent(
      new DragEvent("drop", { dataTransfer: transfer, bubbles: true, cancelable: true }));
  }, bytes.toString("base64"), name);
}

// The places where a line of Japanese text breaks inside a word: between two characters of one
// text node (a phrase break the page marks splits the node) that are neither a space nor a
// punctuation mark that a line may end after or start before.
function midWordBreaks() {
  const mayEnd = /[\s、。，．）」』】・！？：]/, mayStart = /[\s（「『【]/;
  const walker = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);
  const found = [];
  while (walker.nextNode()) {
    const node = walker.currentNode;
    if (!/[\u3041-\u30ff\u4e00-\u9fff]/.test(node.data) || !node.parentElement.offsetParent ||
        node.parentElement.closest("pre")) continue;
    let top = null;
    for (let i = 0; i < node.data.length; ++i) {
      const range = document.createRange();
      range.setStart(node, i);
      range.setEnd(node, i + 1);
      const rect = range.getClientRects()[0];
      if (!rect) continue;
      if (top !== null && rect.top > top + rect.height / 2 && i > 0 &&
          !mayEnd.test(node.data[i - 1]) && !mayStart.test(node.data[i])) {
        found.push(`${node.data.slice(Math.max(0, i - 6), i)}/${node.data.slice(i, i + 6)}`);
      }
      top = rect.top;
    }
  }
  return found;
}

const shown = (page, id) => page.$eval("#" + id, e => !e.hidden && !e.closest("[hidden]"));
const text = (page, id) => page.$eval("#" + id, e => e.textContent);

async function checkAsAPerson(engine, times) {
  const { page } = engine;
  await page.setViewport({ width: 900, height: 1000 });
  await axe(engine, "before a run");
  const first = await tabStops(page, 1);
  report(`${engine.name}: the first Tab reaches the file input, its focus visible`,
         expect(first[0].what === "pick" && first[0].shows, JSON.stringify(first)));
  if (!real) return;

  // The real list, chosen by keyboard where the browser lets a test answer the file chooser
  // (Space, else Enter; else through the input, and the time then counts the tries).
  const want = linux(real);
  const started = Date.now();
  let chosen = false;
  for (const key of ["Space", "Enter"]) {
    if (chosen) break;
    try {
      await page.focus("#pick");
      const [chooser] = await Promise.all([page.waitForFileChooser({ timeout: 5000 }), page.keyboard.press(key)]);
      await chooser.accept([realPath]);
      chosen = true;
    } catch {
      console.log(`    ${engine.name}: ${key} opened no file chooser that a test can answer`);
    }
  }
  if (!chosen) await (await page.$("#pick")).uploadFile(realPath);
  await page.waitForSelector("#summary:not([hidden])", { timeout: 60000 });
  times.push(`${engine.name}: the real list to the outcome line in ${Date.now() - started} ms`);
  const bytes = want.files.reduce((n, f) => n + f.bytes.length, 0);
  const line = `${want.files.length} ファイル、${bytes.toLocaleString("en")} バイトの準備ができました。`;
  const rows = await page.$$eval("#files tbody tr", r => r.map(row => row.cells[0].textContent));
  report(`${engine.name}: the outcome first: "${line}", the save button, the transcript folded`, [
    ...expect((await text(page, "summary")).startsWith(line), "summary: " + await text(page, "summary")),
    ...expect(await shown(page, "save"), "no save button"),
    ...expect(!(await page.$eval("#transcript", e => e.open)), "the transcript is open"),
    ...expect(await text(page, "console") === want.stdout.replace(/^\n+/, ""), "the transcript is not the tool's output"),
    ...expect(rows.join(" ") === want.files.map(f => f.name).join(" "), "the table: " + rows.join(" ")),
  ]);
  // English outside lang="en": three English words in a row, outside code.
  const after = await page.evaluate(() => [document.activeElement?.id, document.getElementById("pick").value,
    [...document.querySelectorAll(".en")].filter(e => e.lang !== "en").length +
    [...document.querySelectorAll("body *:not(script, style, code, pre)")].filter(e => !e.closest("[lang=en]") &&
      [...e.childNodes].some(n => n.nodeType === 3 && /[A-Za-z]+ [a-z]+ [a-z]+/.test(n.data))).length,
    [...document.querySelectorAll("button, input[type=file]")].filter(e => e.offsetParent)
      .map(e => [e.id || e.textContent, e.getBoundingClientRect().height])]);
  report(`${engine.name}: the outcome takes the focus; the file may be chosen again; English is lang="en"; ` +
         "controls are 44 px tall", [
    ...expect(after[0] === "outcome", "the focus is on " + after[0]),
    ...expect(after[1] === "", "the file input keeps " + after[1]),
    ...expect(after[2] === 0, `${after[2]} English texts without lang="en"`),
    ...after[3].filter(([, height]) => height < 44).map(([what, height]) => `${what} is ${height} px tall`)]);
  const all = await saved(page, () => page.click("#save"));
  report(`${engine.name}: "save all" gives parcelo-files.zip, the Linux build's ${want.files.length} files`,
         [...expect(all.name === "parcelo-files.zip", all.name), ...sameFiles(all.files, want.files)]);
  await axe(engine, "after a whole run");

  // The finder, for every municipality, against what the Linux build's files hold.
  const decode = f => JSON.parse(f.bytes.toString());
  const offices = new Map(Object.values(decode(want.files[0])).flatMap(c => c.children.map(o => [o.code, o.name])));
  const towns = want.files.slice(1).flatMap(f => decode(f).map(e =>
    [e.cityname, `${e.areaname} ${e.code}`, `${offices.get(f.name.slice(0, -5))} ${f.name.slice(0, -5)}`,
     `centers.json ${f.name} town.json`].join("\t")));
  const found = await page.evaluate(names => names.map(name => {
    const field = document.getElementById("find");
    field.value = name;
    field.dispatchEvent(new Event("input"));
    return [...document.querySelectorAll("#matches li")].map(li => li.dataset.text);
  }), towns.map(t => t.split("\t")[0]));
  report(`${engine.name}: the finder gives each of ${towns.length} municipalities its area, office and files`,
         towns.filter((t, i) => !found[i].includes(t)).map(t => "missing: " + t.replaceAll("\t", " | ")));

  // A town however a person types it: the first match's town, area code and office.
  const finderRows = [
    ["しんじゅく", "新宿区", "130010", "130000"], ["シンジュク", "新宿区", "130010", "130000"],
    ["ｼﾝｼﾞｭｸ", "新宿区", "130010", "130000"], ["shinjuku", "新宿区", "130010", "130000"],
    ["Shin-Juku", "新宿区", "130010", "130000"], ["13104", "新宿区", "130010", "130000"],
    ["1310400", "新宿区", "130010", "130000"], ["竜ヶ崎", "龍ケ崎市", "080020", "080000"],
    ["Ryūgasaki", "龍ケ崎市", "080020", "080000"], ["茅ケ崎", "茅ヶ崎市", "140010", "140000"],
    ["鎌ヶ谷", "鎌ケ谷市", "120010", "120000"], ["関ヶ原", "関ケ原町", "210010", "210000"],
    ["せきがはら", "関ケ原町", "210010", "210000"], ["塩竃", "塩竈市", "040010", "040000"],
    ["剣渕", "剣淵町", "012010", "012000"], ["府中", "府中市", "130010", "130000"],
    ["東京都", "千代田区", "130010", "130000"], ["tokyo", "千代田区", "130010", "130000"],
    ["東京23区", "千代田区", "130010", "130000"], ["北海道", "稚内市", "011000", "011000"],
    ["沖縄本島地方", "那覇市", "471010", "471000"], ["アシカガ", "足利市", "090010", "090000"],
    ["ｱｼｶｶﾞ", "足利市", "090010", "090000"], ["ナガサキ", "長崎市", "420010", "420000"],
    ["ツルガシマ", "鶴ヶ島市", "110010", "110000"], ["鶴ガ島", "鶴ヶ島市", "110010", "110000"],
    ["ｶｶﾐｶﾞﾊﾗ", "各務原市", "210010", "210000"], ["茨城県水戸市", "水戸市", "080010", "080000"],
    ["東京都八王子市", "八王子市", "130010", "130000"], ["大阪府堺市", "堺市", "270000", "270000"],
    ["沖縄県那覇市", "那覇市", "471010", "471000"], ["Tokyo Hachioji", "八王子市", "130010", "130000"],
    ["Hachioji, Tokyo", "八王子市", "130010", "130000"], ["横浜市青葉区", "横浜市", "140010", "140000"],
    ["大阪市北区", "大阪市", "270000", "270000"], ["サガ", "佐賀市", "410010", "410000"],
    ["Yokohama-shi", "横浜市", "140010", "140000"], ["Setagaya-ku", "世田谷区", "130010", "130000"],
    ["Hakone-machi", "箱根町", "140020", "140000"], ["Setagaya Ward", "世田谷区", "130010", "130000"],
    ["hukuoka", "福岡市", "400010", "400000"], ["tiba", "千葉市", "120010", "120000"],
    ["sizuoka", "静岡市南部", "220010", "220000"], ["tutiura", "土浦市", "080020", "080000"],
    ["kitakyuusyuu", "北九州市", "400020", "400000"], ["Ohtsu", "大津市南部", "250010", "250000"],
    ["Otsu", "大津市南部", "250010", "250000"], ["髙知", "高知市", "390010", "390000"],
    ["桧原村", "檜原村", "130010", "130000"], ["濱松", "浜松市北部", "220040", "220000"],
    ["飯館村", "飯舘村", "070020", "070000"], ["141003", "横浜市", "140010", "140000"],
    ["131041", "新宿区", "130010", "130000"], ["14103", "横浜市", "140010", "140000"],
    ["かながわ", "横浜市", "140010", "140000"], ["Kanagawa-ken", "横浜市", "140010", "140000"],
    ["八王寺市", "八王子市", "130010", "130000"], ["八王市", "八王子市", "130010", "130000"], ["ｶｶﾞﾐｶﾞﾊﾗ", "各務原市", "210010", "210000"],
    ["Hiroshima Naka-ku", "広島市中区", "340010", "340000"],
    // A name several places have: every one, with its prefecture; a ward of a city the agency
    // forecasts whole gives the city.
    ["中区", ["広島市中区", "横浜市（神奈川県）", "名古屋市（愛知県）", "堺市（大阪府）", "岡山市（岡山県）"]],
    ["港区", ["港区", "名古屋市（愛知県）", "大阪市（大阪府）"]], ["みなとく", ["港区", "名古屋市（愛知県）", "大阪市（大阪府）"]],
    ["中央区", ["中央区", "札幌市（北海道）", "さいたま市（埼玉県）", "千葉市（千葉県）", "相模原市（神奈川県）",
               "新潟市（新潟県）", "浜松市北部（静岡県）", "浜松市南部（静岡県）", "大阪市（大阪府）", "神戸市（兵庫県）",
               "福岡市（福岡県）", "熊本市（熊本県）"]],
    ["青葉区", ["仙台市東部（宮城県）", "仙台市西部（宮城県）", "横浜市（神奈川県）"]],
    ["府中", ["府中市（東京都）", "府中町", "府中市（広島県）"]],
  ];
  const firsts = await page.evaluate(queries => queries.map(query => {
    const field = document.getElementById("find");
    field.value = query;
    field.dispatchEvent(new Event("input"));
    return [document.querySelector("#matches li")?.dataset.text ?? "",
            [...document.querySelectorAll("#matches .town")].map(town => town.textContent)];
  }), finderRows.map(row => row[0]));
  report(`${engine.name}: the finder finds ${finderRows.length} ways of typing a town`,
         finderRows.flatMap(([query, town, area, office], i) => {
           const [first, all] = firsts[i];
           if (Array.isArray(town)) return all.join(" ") === town.join(" ") ? [] : [`"${query}" gives ${all.join(" ")}`];
           const [name, areaLine, officeLine] = first.split("\t");
           return name === town && areaLine?.endsWith(" " + area) && officeLine?.endsWith(" " + office) ?
             [] : [`"${query}" gives ${first.replaceAll("\t", " | ") || "nothing"}`];
         }));

  // The list answers the composed text only ("こうｂ" half-typed is no query); "not found" then
  // says what to try.
  const [before, composing, composed] = await page.evaluate(() => {
    const field = document.getElementById("find");
    const state = () => document.getElementById("found").textContent + " " +
      [...document.querySelectorAll("#matches li")].map(li => li.dataset.text).join(" ");
    field.value = "こうべ";
    field.dispatchEvent(new Event("input"));
    const shown = state();
    field.dispatchEvent(new CompositionEvent("compositionstart"));
    field.value = "こうｂ";
    field.dispatchEvent(new Event("input"));
    const during = state();
    field.value = "ｚｚｚ";
    field.dispatchEvent(new CompositionEvent("compositionend"));
    return [shown, during, document.getElementById("found").textContent];
  });
  report(`${engine.name}: the finder waits for the input method; "not found" says what to try`, [
    ...expect(before.includes("神戸市") && composing === before, `while composing: ${composing}, before: ${before}`),
    ...expect(composed.startsWith("見つかりません。読み") && composed.includes("romaji"), composed)]);

  // "しんじゅく", the reading, typed from the keyboard; then Tab to its buttons and save just its
  // three files.
  await page.evaluate(() => { document.getElementById("find").value = ""; });
  await page.focus("#find");
  await page.keyboard.type("しんじゅく");
  await page.waitForFunction(() => document.querySelectorAll("#matches li").length > 0);
  const shinjuku = await page.$eval("#matches li", li => li.dataset.text);
  report(`${engine.name}: "しんじゅく" typed gives 新宿区, 東京地方 130010, 東京都 130000`,
         expect(shinjuku === "新宿区\t東京地方 130010\t東京都 130000\tcenters.json 130000.json town.json", shinjuku));
  if (screenshots && engine.name === "Chromium") await (await page.$("#finder")).screenshot({ path: path.join(screenshots, "web-finder.png") });
  const stops = await tabStops(page, 1);
  const two = await saved(page, () => page.keyboard.press("Enter"));
  // The town file is the one the board's checks read for 新宿区, byte for byte.
  const tokyo = want.files.filter(f => f.name === "centers.json" || f.name === "130000.json")
    .concat([{ name: "town.json", bytes: fs.readFileSync(path.join(project, "tests/board/town.json")) }]);
  report(`${engine.name}: Tab from the finder reaches "save these 3 files"; Enter saves them and the town file`, [
    ...expect(stops[0].what.startsWith("button:この 3 ファイル") && stops[0].shows, JSON.stringify(stops)),
    ...expect(two.name === "parcelo-130000.zip", two.name), ...sameFiles(two.files, tokyo)]);
  await axe(engine, "with the finder showing results");
  await page.keyboard.down("Shift");
  const back = await tabStops(page, 8);
  await page.keyboard.up("Shift");
  report(`${engine.name}: every control takes the focus from the keyboard, visibly`, [
    ...["find", "save", "pick"].filter(id => !back.some(s => s.what === id)).map(id => `Shift+Tab never reaches #${id}`),
    ...back.filter(s => !s.shows && !s.body).map(s => `no visible focus on ${s.what} (outline ${s.outline})`)]);

  // A phone's width, with everything open.
  // The sample, built into the page, marked so that no one puts it on a card; the file said back.
  await page.click("#try-sample");
  await page.waitForFunction(() => document.getElementById("summary").textContent.startsWith("4 ファイル"));
  const tried = await page.evaluate(() => {
    const field = document.getElementById("find");
    field.value = "うつのみや";
    field.dispatchEvent(new Event("input"));
    const note = document.getElementById("sample-note");
    return [document.getElementById("chosen").textContent, !note.hidden && note.parentElement.id === "result",
            document.querySelector("#matches li")?.dataset.text ?? ""];
  });
  const trial = await saved(page, () => page.click("#save"));
  report(`${engine.name}: "try it with a sample" splits the sample, marked as one beside its button, ` +
         "saves it under a sample's names, and finds its towns", [
    ...expect(tried[0].startsWith("sample-area.json（2,903 バイト"), tried[0]),
    ...expect(tried[1], "no note beside the button that it is a sample"),
    ...expect(trial.name === "parcelo-sample-files.zip" && trial.files?.length === 4 &&
              trial.files.every(f => f.name.startsWith("sample-")), `${trial.name}: ${trial.files.map(f => f.name)}`),
    ...expect(tried[2].startsWith("宇都宮市\t"), tried[2])]);

  // On a phone's screen (320 x 568) the outcome lies below the fold: a run brings it into view.
  await page.setViewport({ width: 320, height: 568 });
  await page.evaluate(() => { window.scrollTo(0, 0); document.getElementById("summary").hidden = true; });
  await (await page.$("#pick")).uploadFile(realPath);
  await page.waitForSelector("#summary:not([hidden])", { timeout: 60000 });
  await page.waitForFunction(() => document.activeElement?.id === "outcome");
  const phone = await page.evaluate(() => {
    const { top, bottom } = document.getElementById("summary").getBoundingClientRect();
    return { top, bottom, height: innerHeight };
  });
  report(`${engine.name}: at 320 x 568 the outcome line is in view after a run`,
         expect(phone.top >= 0 && phone.bottom <= phone.height, JSON.stringify(phone)));
  if (screenshots && engine.name === "Chromium") await page.screenshot({ path: path.join(screenshots, "web-outcome.png") });
  await page.setViewport({ width: 390, height: 844 });
  await page.evaluate(() => document.querySelectorAll("details").forEach(d => { d.open = true; }));
  const widths = await page.evaluate(() => [document.documentElement.scrollWidth, document.documentElement.clientWidth]);
  report(`${engine.name}: at 390 px nothing scrolls sideways`, expect(widths[0] <= widths[1], `${widths[0]} px wide in ${widths[1]}`));
  report(`${engine.name}: at 390 px Japanese lines break between words`, await page.evaluate(midWordBreaks));
  await page.setViewport({ width: 900, height: 1000 });

  // Drag and drop: the sample, then one file of each kind that fails. Each says what was chosen,
  // by name and size, and what to do; the transcript opens with the tool's error line.
  await drop(page, sample);
  await page.waitForFunction(() => document.getElementById("summary").textContent.startsWith("4 ファイル"));
  for (const row of failureRows) {
    await page.evaluate(() => { document.getElementById("failure").hidden = true; });
    await drop(page, row.bytes, row.file);
    await page.waitForSelector("#failure:not([hidden])", { timeout: 60000 });
    const said = await text(page, "failure"), printed = await text(page, "console");
    const size = row.bytes.length.toLocaleString("en"), tool = linux(row.bytes);
    report(`${engine.name}: ${row.kind}: "${row.says}", with the file's name and size; no zip`, [
      ...expect(said.includes(`「${row.file}」（${size} バイト）`) && said.includes(`"${row.file}" (${size} bytes)`),
                "no name and size: " + said),
      ...expect(said.includes(row.says) && said.includes(row.en), said),
      ...expect(printed === tool.stderr + tool.stdout.replace(/^\n+/, ""), "the transcript: " + printed),
      ...expect(!(await shown(page, "save")) && !(await shown(page, "finder")), "a zip or the finder is still offered")]);
    if (row.kind === "a list cut off") {
      await axe(engine, "after a failure");
      await page.setViewport({ width: 390, height: 844 });
      report(`${engine.name}: at 390 px a failure's sentence breaks between words`, await page.evaluate(midWordBreaks));
      await page.setViewport({ width: 900, height: 1000 });
    }
  }

  await (await page.$("#pick")).uploadFile(path.join(work, "too-large.json"));
  await page.waitForFunction(() => document.getElementById("console").textContent.startsWith("メモリが不足しています。\n"), { timeout: 120000 });
  report(`${engine.name}: a list too large through the file input: the sentence, the message, no zip`, [
    ...expect((await text(page, "failure")).includes("は、このページで扱うには大きすぎます。"), await text(page, "failure")),
    ...expect(!(await shown(page, "save")) && !(await shown(page, "listing")), "the zip or the table is still offered")]);

  // A list 8 times the real one (every code of copy k ends in k) reaches its outcome line in
  // about the time the split alone takes: the finder's keys are made after the outcome is shown.
  const large = path.join(work, "area-8x.json");
  const list = JSON.parse(real);
  const copy = (k, code) => k ? code + k : code;
  fs.writeFileSync(large, JSON.stringify(Object.fromEntries(Object.entries(list).map(([table, entries]) =>
    [table, Object.fromEntries([...Array(8).keys()].flatMap(k => Object.entries(entries).map(([code, e]) =>
      [copy(k, code), { ...e, ...(e.parent && { parent: copy(k, e.parent) }),
                        ...(e.children && { children: e.children.map(c => copy(k, c)) }) }])))]))));
  // Timed inside the page, from the file input's change to the first frame with the outcome line,
  // against the split within it; the finder's keys follow, and are timed too. The page is opened
  // afresh, as a person opens it, without the garbage of the runs before.
  await engine.open();
  await page.evaluate(() => {
    const split = parcelo.split, at = window.timing = {};
    parcelo.split = async bytes => {
      const started = performance.now();
      const result = await split(bytes);
      at.split = performance.now() - started;
      return result;
    };
    document.getElementById("pick").addEventListener("change", () => { at.chosen = performance.now(); }, { once: true });
    new MutationObserver((_, observer) => {
      if (document.getElementById("summary").hidden) return;
      observer.disconnect();
      requestAnimationFrame(() => { at.shown = performance.now(); });
    }).observe(document.getElementById("summary"), { attributes: true });
    document.getElementById("summary").hidden = true;
  });
  await (await page.$("#pick")).uploadFile(large);
  await page.waitForFunction(() => window.timing.shown, { timeout: 120000 });
  const { split: alone, chosen: picked, shown: painted } = await page.evaluate(() => window.timing);
  const ready = await page.evaluate(() => {
    const started = performance.now();
    const field = document.getElementById("find");
    field.value = "x";
    field.dispatchEvent(new Event("input"));
    return performance.now() - started;
  });
  const outcome = painted - picked, ratio = outcome / alone;
  times.push(`${engine.name}: a list 8 times the real one: the split alone ${Math.round(alone)} ms, to the outcome ` +
             `line ${Math.round(outcome)} ms (${ratio.toFixed(2)} times); a first search then ${Math.round(ready)} ms`);
  const finds = await page.evaluate(() => {
    const field = document.getElementById("find");
    field.value = "しんじゅく";
    field.dispatchEvent(new Event("input"));
    return document.querySelectorAll("#matches li").length;
  });
  report(`${engine.name}: a list 8 times the real one reaches its outcome in at most 1.3 times the split alone, ` +
         "and then finds its towns", [...expect(ratio <= 1.3, `${ratio.toFixed(2)} times`),
                                      ...expect(finds === 8, `しんじゅく: ${finds} matches`)]);
  const outside = engine.requests.filter(u => !/^(file|data|blob):/.test(u));
  report(`${engine.name}: the page asks for nothing from anywhere`, outside.map(u => "requested " + u));
}

async function checkWebKitTiming(engine, times) {
  if (!real) return;
  const started = Date.now();
  await engine.driver.findElement(By.id("pick")).sendKeys(path.resolve(realPath));
  await engine.driver.wait(() => engine.driver.executeScript("return !document.getElementById('summary').hidden"), 60000);
  times.push(`${engine.name}: the real list to the outcome line in ${Date.now() - started} ms`);
}

fs.writeFileSync(path.join(work, "too-large.json"), tooLarge);
const size = fs.statSync(pagePath).size;
report(`the page is one file of ${size.toLocaleString("en")} bytes, under 500 KB`, expect(size < 500000, `${size} bytes`));
// The page tells a person what went wrong by the failure's name: every name the tool has needs
// its sentence there, and no text of the tool's is repeated in the page, where a mended text
// would go stale.
const consoleSource = fs.readFileSync(path.join(project, "src/output/console.cc"), "utf8");
const failureTable = [...consoleSource.matchAll(/\{FailureKind::k\w+, "([a-z-]+)",\s*"([^"]+)"\}/g)];
const pageSource = fs.readFileSync(path.join(project, "src/web/page.html.in"), "utf8");
const pageSentences = pageSource.slice(pageSource.indexOf("const sentences = {"));
report(`the page has a sentence for each of the tool's ${failureTable.length} failures, and none of its texts`, [
  ...expect(failureTable.length >= 10, `${failureTable.length} failures read from console.cc`),
  ...failureTable.filter(([, name]) => !pageSentences.includes(`"${name}": `)).map(([, name]) => `no sentence for ${name}`),
  ...failureTable.filter(([, , text]) => pageSource.includes(text.trim())).map(([, , text]) => `the page repeats "${text}"`)]);
const engines = [
  ["Chromium", () => puppeteerEngine("Chromium", {
    executablePath: "/usr/bin/chromium", args: [...chromiumFlags, `--user-data-dir=${path.join(work, "chromium")}`] })],
  ["Firefox", () => puppeteerEngine("Firefox", {
    browser: "firefox", protocol: "webDriverBiDi", executablePath: "/usr/bin/firefox-esr",
    userDataDir: path.join(work, "firefox") })],
  ["WebKit", webkitEngine],
];
const times = [];
try {
  for (const [name, start] of engines) {
    const engine = await start();
    try {
      times.push(`${name}: opened and ready in ${await engine.open()} ms`);
      await checkBytes(engine);
      if (engine.page) {
        await engine.open();
        await checkAsAPerson(engine, times);
      } else {
        await engine.open();
        await checkWebKitTiming(engine, times);
      }
    } finally {
      await engine.close();
    }
  }
} finally {
  fs.rmSync(work, { recursive: true, force: true });
}
for (const t of times) console.log("time - " + t);
console.log(`${passed} passed, ${failed} failed`);
process.exit(failed ? 1 : 0);
