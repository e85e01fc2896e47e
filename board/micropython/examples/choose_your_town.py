# Choose your town with the three buttons and see which forecast is yours (UIFlow 2).
# A and C step through the list on the screen, B chooses: a regional centre, one of its
# offices, then a municipality. The screen then shows the municipality's primary-subdivision
# code, the agency's forecast address for the office, and which of its areas to show, and the
# town is saved as town.json beside Parcelo's files, where town_weather.py reads it.
# parcelo.py lies beside this file; Parcelo's files in /sd/parcelo on the microSD card.
import time

import M5
import parcelo

FORECAST = "https://www.jma.go.jp/bosai/forecast/data/forecast/{}.json"
TITLES = ("地方 / Centre", "府県 / Office", "市町村 / Town")


def choices(path):
    """(text, choice) to choose from after the choices in `path`."""
    if not path:
        return [(name, code) for code, name in parcelo.centers()]
    if len(path) == 1:
        return [(code + " " + name, code) for code, name in parcelo.offices(path[0])]
    return [(town[0], town) for town in parcelo.municipalities(path[1])]


def forecast(office, town):
    cityname, areaname, code = town
    # 十勝 and 奄美 are published in another office's document. The office files do not carry
    # the municipality's own code, so "city" stays "" (the page's town file has it).
    chosen = {"office": office, "forecastOffice": parcelo.forecast_office(office), "area": code,
              "areaname": areaname, "cityname": cityname, "city": ""}
    try:
        parcelo.save_town(chosen)
        saved = "Saved: town.json"
    except OSError:
        saved = "Not saved: the card is read-only?"
    # The forecast lists its areas by code: show the one whose area.code is the town's code,
    # wherever it stands in timeSeries[].areas[].
    return [cityname, areaname + " " + code, FORECAST.format(chosen["forecastOffice"]),
            'area.code == "{}"'.format(code), saved, "出典：気象庁ホームページ"]


def show(lines):
    M5.Lcd.clear()
    M5.Lcd.setCursor(0, 0)
    for line in lines:
        M5.Lcd.print(line + "\n")


def screen(path, index):
    """The lines to show and the list on the screen."""
    if len(path) == 3:
        return forecast(path[1], path[2]), []
    try:
        items = choices(path)
    except parcelo.Error as error:
        return ["Error: " + error.kind], []
    if not items:
        return [TITLES[len(path)], "(none)"], []
    return [TITLES[len(path)], "{}/{}".format(index + 1, len(items)), items[index][0]], items


def main():
    M5.begin()
    M5.Lcd.setFont(M5.Lcd.FONTS.EFontJA16)
    path, index = [], 0
    lines, items = screen(path, index)
    show(lines)
    while True:
        M5.update()
        step = (M5.BtnC.wasPressed() - M5.BtnA.wasPressed()) if items else 0
        chose = M5.BtnB.wasPressed()
        if step:
            index = (index + step) % len(items)
        if chose and len(path) == 3:
            path = []
        elif chose and items:
            path.append(items[index][1])
        if chose:
            index = 0
        if chose or step:
            lines, items = screen(path, index)
            show(lines)
        time.sleep_ms(20)


if __name__ == "__main__":
    main()
