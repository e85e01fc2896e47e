// Writes what the agency's page shows for every primary subdivision of every forecast document in
// DATA/forecast, as forecast_rules.mjs reads it, for the Arduino check to compare with.
// Usage: node forecast_answers.mjs DATA OUT
import fs from "node:fs";
import path from "node:path";
import { fileURLToPath } from "node:url";
import { forecast, loadTables } from "./forecast_rules.mjs";

const here = path.dirname(fileURLToPath(import.meta.url));
const [data, out] = process.argv.slice(2);
const tables = loadTables(data, path.join(here, "../../board/micropython/parcelo_tables.py"));
const answers = {};
for (const file of fs.readdirSync(path.join(data, "forecast")).filter((f) => f.endsWith(".json"))) {
  const doc = JSON.parse(fs.readFileSync(path.join(data, "forecast", file), "utf8"));
  answers[file] = {};
  for (const class10 of tables.areasOf(file.slice(0, 6))) {
    answers[file][class10] = forecast(doc, class10, tables);
  }
}
fs.writeFileSync(out, JSON.stringify(answers));
