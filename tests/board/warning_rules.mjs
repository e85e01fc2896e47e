// The check's own reading of the agency's warnings: the whole document through JSON.parse, the
// codes as the agency's table gives them, and the rules a display must follow. The board's
// readers must give the same answers. As a program it writes, for every municipality of the three
// documents (and for each primary subdivision, a municipality the document lacks), the answer:
// node warning_rules.mjs DATA OUT
import fs from "node:fs";
import path from "node:path";
import { fileURLToPath } from "node:url";

const levels = { "特別警報": 4, "危険警報": 3, "警報": 2, "注意報": 1, "解除": 0 };
const unknown = 5;
const maxWarnings = 6;
const ended = ["解除", "発表警報・注意報はなし"];

export function loadCodes(data) {
  const table = JSON.parse(fs.readFileSync(path.join(data, "warning", "warning-codes-r8.json"), "utf8"));
  return (code) => (code in table ? levels[table[code].category] : unknown);
}

// The town's warnings, or the error's text: the municipality's kinds, merged across every bulletin
// that carries it, the newest bulletin (reportDatetime, then controlDatetime) deciding a code;
// else its primary subdivision's.
export function warnings(doc, city, area, levelOf) {
  if (!Array.isArray(doc)) {
    return doc !== null && typeof doc === "object" && "areaTypes" in doc ?
      "old warning address: use data/r8/" : "not the agency's warnings";
  }
  const item = (bulletin, key, code) => (bulletin.warning?.[key] ?? []).find((i) => i.areaCode === code);
  const carriers = (key, code) => doc.filter((bulletin) => code && item(bulletin, key, code));
  const fromArea = carriers("class20Items", city).length === 0;
  const [key, code] = fromArea ? ["class10Items", area] : ["class20Items", city];
  const bulletins = carriers(key, code);
  if (bulletins.length === 0) return "no such town in the warnings";
  const rank = (c) => (levelOf(c) === unknown ? 2 : levelOf(c));
  const merged = new Map();
  let newest = "";
  let best = { level: 0, when: ["", ""], headline: "" };
  for (const bulletin of bulletins) {
    const when = [bulletin.reportDatetime ?? "", bulletin.controlDatetime ?? ""];
    const kinds = item(bulletin, key, code).kinds.filter((k) => k.code).slice(0, 8);
    let level = 0;
    for (const { code: c, status = "" } of kinds) {
      if (!ended.includes(status)) level = Math.max(level, rank(c));
      const before = merged.get(c);
      if (!before || when[0] > before.when[0] || (when[0] === before.when[0] && when[1] > before.when[1])) {
        merged.set(c, { status, when });
      }
    }
    if (when[0] > newest) newest = when[0];
    const newer = when[0] > best.when[0] || (when[0] === best.when[0] && when[1] > best.when[1]);
    if (level > 0 && (level > best.level || (level === best.level && newer))) {
      best = { level, when, headline: bulletin.headlineText ?? "" };
    }
  }
  const shown = [...merged].filter(([c, k]) => !ended.includes(k.status) && rank(c) > 0)
    .map(([c, k]) => [c, k.status, levelOf(c)]).sort((a, b) => rank(b[0]) - rank(a[0]));
  return { reportDatetime: newest, fromArea, kinds: shown.slice(0, maxWarnings),
           more: Math.max(0, shown.length - maxWarnings), headline: best.headline };
}

// Every municipality of a document, and a municipality it lacks in each primary subdivision.
export function questions(doc) {
  const codes = (key) => [...new Set(doc.flatMap((b) => (b.warning?.[key] ?? []).map((i) => i.areaCode)))];
  const areas = codes("class10Items");
  return [...codes("class20Items").map((city) => [city, areas[0]]),
          ...areas.map((area) => ["9999999", area])];
}

if (process.argv[1] === fileURLToPath(import.meta.url)) {
  const [data, out] = process.argv.slice(2);
  const levelOf = loadCodes(data);
  const answers = {};
  for (const file of fs.readdirSync(path.join(data, "warning")).filter((f) => /^\d{6}-/.test(f))) {
    const doc = JSON.parse(fs.readFileSync(path.join(data, "warning", file), "utf8"));
    answers[file] = questions(doc).map(([city, area]) => [city, area, warnings(doc, city, area, levelOf)]);
  }
  fs.writeFileSync(out, JSON.stringify(answers));
}
