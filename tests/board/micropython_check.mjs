// Runs the board's MicroPython module in the real interpreter (MicroPython's WebAssembly port):
// every call for every centre, office and municipality of the files the tool wrote from the
// agency's real list, compared with those files as this script reads them; what each call
// allocates; the bad-card table that the Arduino check shares; and the example, driven by its
// buttons. Usage: node micropython_check.mjs TOOL WORK. Exits 77 (skipped) without ../shared.
import { execFileSync } from "node:child_process";
import fs from "node:fs";
import path from "node:path";
import { fileURLToPath } from "node:url";
import { forecast, loadTables } from "./forecast_rules.mjs";
import { loadCodes, questions, warnings } from "./warning_rules.mjs";

const here = path.dirname(fileURLToPath(import.meta.url));
const list = path.join(here, "../../../shared/data/area.json");
const [tool, work] = process.argv.slice(2);

// Every code block in the guides' board sections is one of the short examples, whole.
const examples = ["../../board/arduino/Parcelo/examples/AreaCode/AreaCode.ino",
                  "../../board/micropython/examples/area_code.py"]
  .map((file) => fs.readFileSync(path.join(here, file), "utf8"));
const sections = ["guide.en.md", "guide.ja.md"].flatMap((guide) => [...fs.readFileSync(
  path.join(here, "../../docs", guide), "utf8").matchAll(/^## (?:On the board|ボードで使う)\n([\s\S]*?)(?=^## |(?![\s\S]))/gm)]);
const blocks = sections.flatMap((section) => [...section[1].matchAll(/^```\w*\n([\s\S]*?)^```/gm)]);
const strays = blocks.filter((block) => !examples.includes(block[1]));
if (sections.length !== 2 || blocks.length !== 4 || strays.length > 0) {
  console.log(`FAILED: the guides' board sections (${sections.length}) hold ${blocks.length} ` +
              `code blocks, ${strays.length} of them not an example file:\n` + strays.join("\n"));
  process.exit(1);
}

if (!fs.existsSync(list)) {
  console.log("skipped: the board's check needs ../shared/data/area.json");
  process.exit(77);
}
const { loadMicroPython } = await import("@micropython/micropython-webassembly-pyscript");

fs.rmSync(work, { recursive: true, force: true });
fs.mkdirSync(path.join(work, "parcelo"), { recursive: true });
execFileSync(tool, [list, path.join(work, "parcelo")], { stdio: "ignore" });
const real = (name) => fs.readFileSync(path.join(work, "parcelo", name));

let output = "";
const mp = await loadMicroPython({ stdout: (line) => (output += line + "\n") });
const python = (code) => {
  output = "";
  mp.runPython(code);
  return output;
};
// The module as mip installs it, from its package.json into /lib; the examples and the M5
// stand-in beside the program. Every file of the module must be in the package.
const module = path.join(here, "../../board/micropython");
const { urls, version } = JSON.parse(fs.readFileSync(path.join(module, "package.json"), "utf8"));
const unlisted = fs.readdirSync(module).filter((f) => f.endsWith(".py") && !urls.some(([, url]) => url === f));
const library = fs.readFileSync(path.join(here, "../../board/arduino/Parcelo/library.properties"), "utf8");
const packaged = [unlisted.length === 0 && library.includes(`\nversion=${version}\n`),
                  `package.json lists every module file (not ${unlisted}) with the library's version (${version})`];
mp.FS.mkdir("/lib");
for (const [target, url] of urls) mp.FS.writeFile("/lib/" + target, fs.readFileSync(path.join(module, url)));
for (const file of ["examples/area_code.py", "examples/town_weather.py", "examples/choose_your_town.py"]) {
  mp.FS.writeFile("/" + path.basename(file), fs.readFileSync(path.join(module, file)));
}
mp.FS.writeFile("/M5.py", fs.readFileSync(path.join(here, "M5.py")));
mp.runPython('import sys\nif "/lib" not in sys.path: sys.path.append("/lib")');
// The tool's files, and the same with CR LF line ends.
mp.FS.mkdir("/sd");
mp.FS.mkdir("/sd/parcelo");
mp.FS.mkdir("/sd/crlf");
for (const name of fs.readdirSync(path.join(work, "parcelo"))) {
  mp.FS.writeFile("/sd/parcelo/" + name, real(name));
  mp.FS.writeFile("/sd/crlf/" + name, real(name).toString("utf8").replaceAll("\n", "\r\n"));
}

let failures = 0;
const expect = (ok, what) => {
  if (!ok && ++failures <= 20) console.log("FAILED: " + what);
};
expect(...packaged);
const same = (a, b) => JSON.stringify(a) === JSON.stringify(b);

// What the files hold, read here.
const centres = JSON.parse(real("centers.json"));
const towns = {};
for (const centre of Object.values(centres)) {
  for (const { code } of centre.children) towns[code] = JSON.parse(real(code + ".json"));
}
mp.FS.writeFile("/questions.json", JSON.stringify(
  { centres: Object.keys(centres), towns: Object.entries(towns).map(
    ([office, entries]) => [office, entries.map((entry) => entry.cityname)]) }));

// Each call with the collector off: what it allocates bounds what it holds at any moment.
const ask = (folder) => JSON.parse(python(`
folder = "${folder}"
import gc, json, parcelo
peaks = {}
def measured(kind, where, call):
    gc.collect()
    gc.disable()
    before = gc.mem_alloc()
    answer = call()
    used = gc.mem_alloc() - before
    gc.enable()
    if used > peaks.get(kind, (0, ""))[0]:
        peaks[kind] = (used, where)
    return answer
with open("/questions.json") as file:
    questions = json.load(file)
answers = {"centers": measured("centers", "", lambda: parcelo.centers(folder=folder)), "offices": {}, "towns": {}}
for centre in questions["centres"]:
    answers["offices"][centre] = measured("offices", centre, lambda: parcelo.offices(centre, folder=folder))
for office, names in questions["towns"]:
    towns = measured("municipalities", office, lambda: parcelo.municipalities(office, folder=folder))
    codes = [measured("area_code", office + " " + name, lambda: parcelo.area_code(office, name, folder=folder))
             for name in names]
    answers["towns"][office] = (towns, codes)
answers["peaks"] = peaks
answers["shinjuku"] = parcelo.area_code("130000", "新宿区", folder=folder)
answers["nowhere"] = parcelo.area_code("130000", "no such town", folder=folder)
print(json.dumps(answers))
`));
for (const folder of ["/sd/parcelo", "/sd/crlf"]) {
  const answers = ask(folder);
  expect(same(answers.centers, Object.entries(centres).map(([code, c]) => [code, c.name])),
         folder + ": centers() lists every centre");
  for (const [code, centre] of Object.entries(centres)) {
    expect(same(answers.offices[code], centre.children.map((child) => [child.code, child.name])),
           "offices of " + code);
  }
  let count = 0;
  for (const [office, entries] of Object.entries(towns)) {
    const [listed, codes] = answers.towns[office];
    expect(same(listed, entries.map((e) => [e.cityname, e.areaname, e.code])) && entries.length > 0,
           "municipalities of " + office);
    entries.forEach((entry, i) => {
      const first = entries.find((other) => other.cityname === entry.cityname);
      expect(codes[i] === first.code, `area_code ${office} ${entry.cityname}: ${codes[i]}`);
      count++;
    });
  }
  expect(answers.shinjuku === "130010", "新宿区 is in 130010");
  expect(answers.nowhere === "", 'a town the office lacks has the code ""');
  const bound = 32 * 1024;
  console.log(`${folder}: ${Object.keys(centres).length} centres, ${count} municipalities; ` +
              "the most one call allocated (gc.mem_alloc(), collector off):");
  for (const [kind, [bytes, where]] of Object.entries(answers.peaks).sort()) {
    console.log(`  ${kind.padEnd(15)} ${String(bytes).padStart(6)} bytes  ${where}`);
    expect(bytes <= bound, `${kind} allocates at most ${bound} bytes`);
  }
}

// The bad-card table, as the Arduino check reads it.
const expand = (text) => (text ?? "").replace("@300", "x".repeat(300));
const cards = JSON.parse(fs.readFileSync(path.join(here, "bad_cards.json"), "utf8"));
cards.forEach((card, row) => {
  const folder = `/card${row}`;
  mp.FS.mkdir(folder);
  if (card.files) mp.FS.mkdir(folder + "/parcelo");
  for (const [name, what] of Object.entries(card.files ?? {})) {
    const file = `${folder}/parcelo/${name}`;
    const original = what.copy || what.half ? real(what.copy ?? what.half) : null;
    if (what.folder) mp.FS.mkdir(file);
    if (typeof what === "string") mp.FS.writeFile(file, expand(what));
    if (what.copy) mp.FS.writeFile(file, original);
    if (what.half) mp.FS.writeFile(file, original.subarray(0, original.length >> 1));
  }
  const [call, ...args] = card.call;
  const argumentList = [...args.map((a) => JSON.stringify(expand(a))), `folder="${folder}/parcelo"`];
  let error, code;
  try {
    [error, code = ""] = python(`
try:
    answer = parcelo.${call}(${argumentList.join(", ")})
    print("ok")
    print(answer if isinstance(answer, str) else answer["forecastOffice"] if isinstance(answer, dict) else
          answer[0][0] if "${call}" in ("centers", "offices") and answer else "")
except parcelo.Error as error:
    print(error.kind)
`).trim().split("\n");
  } catch (crash) {
    error = "crashed: " + crash.message.split("\n").slice(-2).join(" ");
  }
  expect(error === card.error, `${card.what}: ${error}`);
  if ("code" in card) expect(code === card.code, `${card.what}: the code ${code}`);
});

// The forecast reader: every document and area, as forecast_rules.mjs reads them whole; the odd
// documents that the Arduino check shares; every cut of a small document; bursts and a stall.
// A stream that collects the garbage at each read(n) gives what the reader holds then.
const data = path.join(here, "../../../shared/data");
const tables = loadTables(data, path.join(here, "../../board/micropython/parcelo_tables.py"));
mp.FS.mkdir("/forecast");
const documents = fs.readdirSync(path.join(data, "forecast")).filter((f) => f.endsWith(".json"));
const documentText = (file) => fs.readFileSync(path.join(data, "forecast", file), "utf8");
for (const file of documents) mp.FS.writeFile("/forecast/" + file, documentText(file));
const cases = JSON.parse(fs.readFileSync(path.join(here, "forecast_cases.json"), "utf8"));
cases.forEach((row, i) => {
  let text = row.document;
  if (typeof text !== "string") {
    text = documentText(text.file);
    if (row.document.replace) text = text.replaceAll(row.document.replace[0], expand(row.document.replace[1]));
    text += row.document.append ?? "";
  }
  mp.FS.writeFile(`/case${i}.json`, text);
});
mp.FS.writeFile("/forecast-questions.json", JSON.stringify({
  documents: documents.map((file) => [file, tables.areasOf(file.slice(0, 6))]),
  cases: cases.map((row, i) => [`/case${i}.json`, row.area]) }));
const small = "370000-2024011111.json";
const forecasts = JSON.parse(python(`
import io, json, parcelo, parcelo_forecast
class Stream:
    """A stream that gives None (no byte yet) \`gaps\` times after every \`burst\` bytes, and
    None for ever past the end of \`data\` when it stalls."""
    def __init__(self, data, burst, gaps, stalls):
        self.data, self.at, self.burst, self.gaps, self.waiting = data, 0, burst, gaps, 0
        self.stalls = stalls
    def read(self, n):
        if self.at % self.burst == 0 and 0 < self.at < len(self.data) and self.waiting < self.gaps:
            self.waiting += 1
            return None
        self.waiting = 0
        chunk = self.data[self.at:self.at + min(n, self.burst - self.at % self.burst)]
        self.at += len(chunk)
        return chunk if chunk or not self.stalls else None
def ask(stream, area, timeout=0):
    try:
        return parcelo_forecast.read_forecast(stream, area, timeout)
    except parcelo.Error as error:
        return error.kind
def document(path):
    with open(path, "rb") as file:
        return file.read()
with open("/forecast-questions.json") as file:
    questions = json.load(file)
answers = {}
for name, areas in questions["documents"]:
    answers[name] = {area: ask(open("/forecast/" + name, "rb"), area) for area in areas}
cases = [ask(open(path, "rb"), area) for path, area in questions["cases"]]
whole = document("/forecast/${small}")
print(json.dumps({
    "answers": answers,
    "cases": cases,
    "cuts": [ask(io.BytesIO(whole[:n]), "370000") for n in range(len(whole))],
    "bursts": ask(Stream(whole, 7, 3, False), "370000", 1000),
    "stall": ask(Stream(whole[:len(whole) // 2], 7, 3, True), "370000", 50)}))
`));
// The same objects whatever the order of their keys (MicroPython's dicts keep none).
const canonical = (value) => JSON.stringify(value, (key, v) => (v && typeof v === "object" &&
  !Array.isArray(v) ? Object.fromEntries(Object.entries(v).sort()) : v));
let areas = 0;
for (const file of documents) {
  const doc = JSON.parse(documentText(file));
  for (const area of tables.areasOf(file.slice(0, 6))) {
    const want = forecast(doc, area, tables) ?? "no such area in the forecast";
    expect(canonical(forecasts.answers[file][area]) === canonical(want),
           `read_forecast ${file} ${area}`);
    areas++;
  }
}
cases.forEach((row, i) => {
  const answer = forecasts.cases[i];
  const error = typeof answer === "string" ? answer : "ok";
  expect(error === row.error, `${row.what}: ${error}`);
  if ("station" in row) expect(answer.temps?.station === row.station, `${row.what}: station`);
  if ("stationName" in row) expect(answer.temps?.name === row.stationName, `${row.what}: name`);
  if ("weekArea" in row) expect(answer.week?.area === row.weekArea, `${row.what}: week`);
});
expect(forecasts.cuts.every((answer) => answer === "not the agency's forecast"),
       "a document cut anywhere is not the agency's forecast");
const whole = forecast(JSON.parse(documentText(small)), "370000", tables);
expect(canonical(forecasts.bursts) === canonical(whole), "bursts with gaps, read with a time limit");
expect(forecasts.stall === "timed out", "a stream that stalls: " + forecasts.stall);

// What the reader holds at each read of the stream, for one area of every document: fed 256
// bytes at a time, each read in a call of its own, after which the collector runs (this port
// collects nothing while Python code runs).
let most = { bytes: 0, where: "" };
for (const file of documents) {
  const area = tables.areasOf(file.slice(0, 6))[0];
  python(`
import gc
reader = parcelo_forecast.ForecastReader("${area}")
data = document("/forecast/${file}")
at = 0
gc.collect()
start = gc.mem_alloc()
`);
  const size = fs.statSync(path.join(data, "forecast", file)).size;
  for (let at = 0; at < size; at += 256) {
    python("reader.feed(data[at:at + 256])\nat += 256");
    const held = Number(python("gc.collect()\nprint(gc.mem_alloc() - start)"));
    if (held > most.bytes) most = { bytes: held, where: `${file} ${area}` };
  }
  python("reader.result()\ndel reader, data");
}
const forecastBound = 16 * 1024;
console.log(`read_forecast: ${documents.length} documents, ${areas} areas; the most it held at a ` +
            `read of the stream: ${most.bytes} bytes (${most.where})`);
expect(most.bytes > 0 && most.bytes <= forecastBound,
       `read_forecast holds at most ${forecastBound} bytes`);

// The warning reader: every municipality of the three documents, as warning_rules.mjs reads them
// whole; the odd documents that the Arduino check shares; the small one cut at every byte, in
// bursts and stalled; what the reader holds at each read of the stream.
const levelOf = loadCodes(data);
const warningFiles = fs.readdirSync(path.join(data, "warning")).filter((f) => /^\d{6}-/.test(f));
mp.FS.mkdir("/warning");
for (const file of warningFiles) mp.FS.writeFile("/warning/" + file, fs.readFileSync(path.join(data, "warning", file)));
const warningCases = JSON.parse(fs.readFileSync(path.join(here, "warning_cases.json"), "utf8"));
warningCases.forEach((row, i) => {
  let text = row.document;
  if (typeof text !== "string") {
    text = fs.readFileSync(path.join(data, "warning", text.file), "utf8");
    if (row.document.replace) text = text.replaceAll(row.document.replace[0], expand(row.document.replace[1]));
    text += row.document.append ?? "";
  }
  mp.FS.writeFile(`/warning-case${i}.json`, text);
});
const warningQuestions = Object.fromEntries(warningFiles.map((file) => [file, questions(
  JSON.parse(fs.readFileSync(path.join(data, "warning", file), "utf8")))]));
mp.FS.writeFile("/warning-questions.json", JSON.stringify({
  documents: warningQuestions, cases: warningCases.map((row, i) => [`/warning-case${i}.json`, row.city, row.area]) }));
const warned = JSON.parse(python(`
import io, json, parcelo, parcelo_warning
def warn(stream, city, area, timeout=0):
    try:
        return parcelo_warning.read_warnings(stream, city, area, timeout)
    except parcelo.Error as error:
        return error.kind
with open("/warning-questions.json") as file:
    questions = json.load(file)
answers = {name: [warn(open("/warning/" + name, "rb"), city, area) for city, area in towns]
           for name, towns in questions["documents"].items()}
cases = [warn(open(name, "rb"), city, area) for name, city, area in questions["cases"]]
small = document("/warning-case0.json")
print(json.dumps({
    "answers": answers, "cases": cases,
    "cuts": [warn(io.BytesIO(small[:n]), "0520100", "050010") for n in range(len(small))],
    "bursts": warn(Stream(small, 7, 3, False), "0520100", "050010", 1000),
    "stall": warn(Stream(small[:len(small) // 2], 7, 3, True), "0520100", "050010", 50)}))
`));
let warnedTowns = 0;
for (const file of warningFiles) {
  const doc = JSON.parse(fs.readFileSync(path.join(data, "warning", file), "utf8"));
  warningQuestions[file].forEach(([city, area], i) => {
    const want = warnings(doc, city, area, levelOf);
    expect(canonical(warned.answers[file][i]) === canonical(want), `read_warnings ${file} ${city} ${area}: ` +
           JSON.stringify(warned.answers[file][i]));
    warnedTowns++;
  });
}
warningCases.forEach((row, i) => {
  const answer = warned.cases[i];
  expect((typeof answer === "string" ? answer : "ok") === row.error, `${row.what}: ${JSON.stringify(answer)}`);
  for (const key of ["kinds", "fromArea", "more"]) {
    if (key in row) expect(JSON.stringify(answer[key]) === JSON.stringify(row[key]), `${row.what}: ${key}`);
  }
});
expect(warned.cuts.every((answer) => answer === "not the agency's warnings"),
       "a warning document cut anywhere is not the agency's warnings");
expect(canonical(warned.bursts) === canonical(warned.cases[0]), "warnings in bursts with gaps");
expect(warned.stall === "timed out", "warnings from a stream that stalls: " + warned.stall);
let mostWarned = { bytes: 0, where: "" };
for (const file of warningFiles) {
  python(`
import gc
reader = parcelo_warning.WarningReader("${warningQuestions[file][0][0]}", "${warningQuestions[file][0][1]}")
data = document("/warning/${file}")
gc.collect()
start = gc.mem_alloc()
`);
  for (let at = 0; at < fs.statSync(path.join(data, "warning", file)).size; at += 256) {
    python(`reader.feed(data[${at}:${at} + 256])`);
    const held = Number(python("gc.collect()\nprint(gc.mem_alloc() - start)"));
    if (held > mostWarned.bytes) mostWarned = { bytes: held, where: file };
  }
  python("reader.result()\ndel reader, data");
}
console.log(`read_warnings: ${warningFiles.length} documents, ${warnedTowns} towns; the most it held at a ` +
            `read of the stream: ${mostWarned.bytes} bytes (${mostWarned.where})`);
expect(mostWarned.bytes > 0 && mostWarned.bytes <= forecastBound, `read_warnings holds at most ${forecastBound} bytes`);

// The example with the buttons pressed: 十勝 (published in 釧路・根室's document), its first town;
// the town file it saves, as the page writes it.
const tokachi = Object.values(centres).findIndex((c) => c.children.some((o) => o.code === "014030"));
const tokachiAt = Object.values(centres)[tokachi].children.findIndex((o) => o.code === "014030");
const town = towns["014030"][0];
const screen = python(`
import M5, choose_your_town
M5.presses = "${"C".repeat(tokachi)}B${"C".repeat(tokachiAt)}BB"
try:
    choose_your_town.main()
except M5.Done:
    pass
print(M5.Lcd.text)
with open("/sd/parcelo/town.json") as file:
    print(file.read())
`);
expect(screen.startsWith(`${town.cityname}\n${town.areaname} ${town.code}\n` +
                         "https://www.jma.go.jp/bosai/forecast/data/forecast/014100.json\n" +
                         `area.code == "${town.code}"\nSaved: town.json\n`),
       "the example shows 十勝's town, not:\n" + screen);
const savedTown = { area: town.code, areaname: town.areaname, city: "", cityname: town.cityname,
                    forecastOffice: "014100", office: "014030" };
expect(screen.includes("\n" + JSON.stringify(savedTown, null, 4) + "\n"),
       "the example saves the town as the page does:\n" + screen);

// The weather program's fetch on every row of the HTTPS table, the bytes replayed as the local
// server sends them (https_server.py), with a deadline of 3 s for the board's 60; its screen as
// the Arduino sketch's. Then the same forecast at other times of the board's clock.
const rows = path.join(work, "https-events.json");
const widest = path.join(work, "widest.json");
const shinjukuDocument = path.join(data, "forecast/130000-2024011111.json");
execFileSync("python3", [path.join(here, "https_server.py"), "events", shinjukuDocument, rows]);
execFileSync("python3", [path.join(here, "https_server.py"), "widest", shinjukuDocument,
                         path.join(data, "weather-codes.json"), widest]);
mp.FS.writeFile("/https-events.json", fs.readFileSync(rows));
mp.FS.writeFile("/widest.json", fs.readFileSync(widest));
mp.FS.writeFile("/tls_replay.py", fs.readFileSync(path.join(here, "tls_replay.py")));
const sameScreen = fs.readFileSync(path.join(here, "town_weather.txt"), "utf8");
const screens = JSON.parse(python(`
import json, sys, time, tls_replay
sys.modules["socket"] = sys.modules["ssl"] = tls_replay
import parcelo, town_weather
town_weather.DEADLINE_MS = 3000
with open("/sd/parcelo/town.json", "w") as file:
    file.write(${JSON.stringify(fs.readFileSync(path.join(here, "town.json"), "utf8"))})
town_weather.town = parcelo.town()
with open("/https-events.json") as file:
    table = json.load(file)
def day(now):
    return tuple(int(now[i:i + n]) for i, n in ((0, 4), (5, 2), (8, 2), (11, 2), (14, 2))) + (0, 0, 0)
# The town's warnings, as the weather's screen shows them first.
warning_lines = []
for row in table["warnings"]:
    tls_replay.row = row
    town_weather.warnings_state["warnings"] = None
    problem = town_weather.fetch_warnings()
    warning_lines.append(town_weather.lines(None, day(row["row"]["now"]), None, 0,
                                            town_weather.warnings_state["warnings"], problem)[0])
tls_replay.row = table["warnings"][0]
town_weather.fetch_warnings()
warnings = town_weather.warnings_state["warnings"]
screens, good = [], None
for row in table["rows"]:
    tls_replay.row = row
    town_weather.state["forecast"] = None
    started = time.ticks_ms()
    problem = town_weather.fetch()
    good = good or town_weather.state["forecast"]
    lines = town_weather.lines(town_weather.state["forecast"], (2024, 1, 11, 11, 20, 0, 3, 11), problem,
                               0, warnings)
    screens.append([row["row"]["what"], "\\n".join(lines) + "\\n", time.ticks_diff(time.ticks_ms(), started)])
# A forecast, then nothing newer (asked with its Last-Modified), then a failure, 30 minutes on.
town_weather.state["forecast"] = None
recovery = []
for row in table["recovery"]:
    tls_replay.row = row
    recovery.append(town_weather.fetch())
    recovery.append(tls_replay.sent.decode())
kept = town_weather.lines(town_weather.state["forecast"], (2024, 1, 11, 11, 20, 0, 0, 0), recovery[-2], 30)[1:]
clocks = []
for now in ${JSON.stringify(JSON.parse(fs.readFileSync(path.join(here, "http_rows.json"), "utf8")).clocks.map((c) => c.now))}:
    clocks.append(town_weather.lines(good, day(now))[1:])
import io, parcelo_forecast
with open("/widest.json") as file:
    documents = json.load(file)
widest = [town_weather.lines(parcelo_forecast.read_forecast(io.BytesIO(d.encode()), "130010"),
                             (2024, 1, 11, 11, 20, 0, 0, 0)) for d in documents]
print(json.dumps({"rows": screens, "clocks": clocks, "widest": widest, "recovery": recovery, "kept": kept,
                  "warnings": warning_lines,
                  "sent": tls_replay.sent.decode()}))
`));
const { rows: rowTable, clocks, warnings: warningRows } = JSON.parse(fs.readFileSync(path.join(here, "http_rows.json"), "utf8"));
warningRows.forEach((row, i) => expect(screens.warnings[i] === row.line, `${row.what}: ${screens.warnings[i]}`));
screens.rows.forEach(([what, screen, ms], i) => {
  const want = rowTable[i].screen ?? "forecast";
  const ok = want === "forecast" ? screen === sameScreen : screen.split("\n").includes(want);
  expect(ok && ms < 3100, `town_weather.py, ${what} (after ${ms} ms), shows:\n${screen}`);
});
clocks.forEach(({ now, days }, i) => {
  const shown = screens.clocks[i].slice(1, days.split("|").length + 1).join("|");
  expect(shown === days, `at ${now} the screen shows:\n` + screens.clocks[i].join("\n"));
});
const modified = "If-Modified-Since: Thu, 11 Jan 2024 02:00:00 GMT\r\n";
expect(screens.recovery[0] === null && screens.recovery[2] === null && screens.recovery[4] === "cut off" &&
       !screens.recovery[1].includes(modified) && screens.recovery[3].includes(modified) &&
       screens.recovery[5].includes(modified), "a forecast, nothing newer, a cut body: " +
       JSON.stringify(screens.recovery));
expect(screens.kept[0] === "2024-01-11T11:00 東京" && screens.kept.at(-2) === "! cut off, 30分前の予報",
       "after a failure the forecast stays, with its age:\n" + screens.kept.join("\n"));

// Every weather code with the widest values: 15 lines of 16 px at most, none wider than 320 px
// (ASCII 8 px), none cut.
const width = (line) => [...line].reduce((w, c) => w + (c.codePointAt(0) < 0x80 ? 8 : 16), 0);
for (const lines of screens.widest) {
  expect(lines.length <= 15 && lines.every((l) => width(l) <= 320 && !l.includes("…")),
         "a screen of the widest texts does not fit:\n" + lines.join("\n"));
}
expect(screens.widest.length === 12, `${screens.widest.length} screens of the widest texts`);
expect(screens.sent.startsWith("GET /bosai/forecast/data/forecast/130000.json HTTP/1.1\r\n"),
       "the request: " + screens.sent);

const shortOne = python("import area_code").trim();
expect(shortOne === "新宿区: 130010", "area_code.py prints: " + shortOne);

if (failures > 0) console.log(`${failures} failed`);
process.exit(failures === 0 ? 0 : 1);
