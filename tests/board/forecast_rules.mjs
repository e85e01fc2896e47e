// The check's own reading of the agency's forecast: the whole document through JSON.parse and the
// agency's tables as published (forecast_area.json, week_area05.json, week_area.json), with the
// rules that its forecast page follows. The board's readers must give the same answers.
import fs from "node:fs";
import path from "node:path";

// The agency's tables, and the station names of the tables the board carries (the one thing the
// agency's tables do not give), read from the MicroPython module's copy.
export function loadTables(data, boardTables) {
  const read = (name) => JSON.parse(fs.readFileSync(path.join(data, name), "utf8"));
  const stations = {};  // class10 -> its temperature stations, in the table's order
  for (const entries of Object.values(read("forecast_area.json"))) {
    for (const { class10, amedas } of entries) stations[class10] = amedas;
  }
  const names = {};
  for (const [, code, name] of fs.readFileSync(boardTables, "utf8").matchAll(/(\d{5}):([^,|"]*)/g)) {
    if (name) names[code] = name;
  }
  const area = read("area.json");
  const officeOf = (class10) => area.class10s[class10].parent;
  // The offices whose forecast comes in another office's document.
  const documentOf = { "014030": "014100", "460040": "460100" };
  const areasOf = (office) => Object.keys(area.class10s).filter(
    (class10) => (documentOf[officeOf(class10)] ?? officeOf(class10)) === office);
  return { stations, names, listed: new Set(Object.values(stations).flat()),
           weekAreas: read("week_area05.json"), weekArea: read("week_area.json"), officeOf,
           areasOf };
}

// The station of `wanted` in a list of the document's {area: {code, name}}: itself; else, where the
// document no longer lists it, the station renumbered (one that no area's list names, with the
// name `wanted` has); else the first of `fallbacks` that the document lists.
function station(areas, wanted, fallbacks, tables) {
  const names = tables.names;
  const byCode = (code) => areas.find((a) => a.area.code === code);
  if (byCode(wanted)) return byCode(wanted);
  const renumbered = areas.find((a) => !tables.listed.has(a.area.code) && a.area.name === names[wanted]);
  if (renumbered) return renumbered;
  for (const code of fallbacks) if (byCode(code)) return byCode(code);
  return null;
}

// What the agency's page shows for `class10` from the document `doc`; null where the document
// does not list it.
export function forecast(doc, class10, tables) {
  const [short, week] = doc;
  const [weather, pops, temps] = short.timeSeries;
  const mine = (series) => series.areas.find((a) => a.area.code === class10);
  const here = mine(weather);
  if (!here) return null;
  const answer = { reportDatetime: short.reportDatetime, days: [], pops: [], temps: {}, week: {} };
  weather.timeDefines.forEach((time, i) => answer.days.push({
    time, weatherCode: here.weatherCodes[i], weather: here.weathers[i], wind: here.winds[i],
    waves: here.waves ? here.waves[i] : "" }));
  pops.timeDefines.forEach((time, i) => answer.pops.push({ time, pop: mine(pops).pops[i] }));

  const list = tables.stations[class10] ?? [];
  const at = list.length > 0 ? station(temps.areas, list[0], list.slice(1), tables) : null;
  const today = short.reportDatetime.slice(0, 10);
  answer.temps = { station: at ? at.area.code : "", name: at ? at.area.name : "", todayMax: "",
                   tomorrowMin: "", tomorrowMax: "" };
  temps.timeDefines.forEach((time, i) => {
    if (!at) return;
    const [date, hour] = [time.slice(0, 10), time.slice(11, 13)];
    if (date === today && hour === "09") answer.temps.todayMax = at.temps[i];
    if (date > today && hour === "00") answer.temps.tomorrowMin = at.temps[i];
    if (date > today && hour === "09") answer.temps.tomorrowMax = at.temps[i];
  });

  const [days, weekTemps] = week.timeSeries;
  const weekArea = (tables.weekAreas[class10] ?? []).find((code) => days.areas.some(
    (a) => a.area.code === code));
  const office = tables.officeOf(class10);
  const entry = (tables.weekArea[office] ?? []).find((e) => e.week === weekArea);
  const weekly = days.areas.find((a) => a.area.code === weekArea);
  const weekStation = entry ? station(weekTemps.areas, entry.amedas, [], tables) : null;
  answer.week = { area: weekArea ?? "", station: weekStation ? weekStation.area.code : "", days: [] };
  if (weekly) {
    days.timeDefines.forEach((date, i) => {
      const value = (key) => (weekStation ? weekStation[key][i] : "");
      answer.week.days.push({
        date, weatherCode: weekly.weatherCodes[i], pop: weekly.pops[i],
        reliability: weekly.reliabilities[i], min: value("tempsMin"),
        minUpper: value("tempsMinUpper"), minLower: value("tempsMinLower"), max: value("tempsMax"),
        maxUpper: value("tempsMaxUpper"), maxLower: value("tempsMaxLower") });
    });
  }
  return answer;
}
