// Choose your town with the three buttons and see which forecast is yours.
// A and C step through the list on the screen, B chooses: a regional centre, one of its
// offices, then a municipality. The screen then shows the municipality's primary-subdivision
// code, the agency's forecast address for the office, and which of its areas to show, and the
// town is saved as /parcelo/town.json, where the TownWeather example reads it.
// Needs M5Unified; Parcelo's files lie in /parcelo on the microSD card.
#include <M5Unified.h>
#include <Parcelo.h>
#include <ParceloForecast.h>
#include <SD.h>

parcelo::Files files(SD);  // or files(LittleFS) after LittleFS.begin()

enum class Step { Centre, Office, Town, Forecast };
Step step = Step::Centre;
int chosen = 0;      // the item on the screen
int listLength = 0;  // how many items its list has
parcelo::Place centre;
parcelo::Place office;
parcelo::Municipality town;

// Reads item `chosen` of the current list into its variable and sets listLength.
parcelo::Error readChosen() {
  int count = 0;
  parcelo::Error error = parcelo::Error::Ok;
  if (step == Step::Centre) {
    error = files.centers([&](const parcelo::Place& place) {
      if (count++ == chosen) centre = place;
      return true;
    });
  } else if (step == Step::Office) {
    error = files.offices(centre.code, [&](const parcelo::Place& place) {
      if (count++ == chosen) office = place;
      return true;
    });
  } else if (step == Step::Town) {
    error = files.municipalities(office.code, [&](const parcelo::Municipality& municipality) {
      if (count++ == chosen) town = municipality;
      return true;
    });
  }
  listLength = error ? 0 : count;
  return error;
}

// Saves the town chosen as /parcelo/town.json. The office files do not carry the
// municipality's own code, so `city` stays "" (the page's town file has it).
bool saveTown() {
  parcelo::Town chosenTown = parcelo::Town();
  strcpy(chosenTown.office, office.code);
  strcpy(chosenTown.forecastOffice, parcelo::forecastOffice(office.code));
  strcpy(chosenTown.area, town.code);
  strcpy(chosenTown.areaname, town.areaname);
  strcpy(chosenTown.cityname, town.cityname);
  File file = SD.open("/parcelo/town.json", "w");
  if (!file) return false;
  bool written = parcelo::writeTown(file, chosenTown);
  file.close();
  return written;
}

void showForecast() {
  M5.Display.println(town.cityname);
  M5.Display.printf("%s %s\n", town.areaname, town.code);
  // 十勝 and 奄美 are published in another office's document.
  M5.Display.printf("https://www.jma.go.jp/bosai/forecast/data/forecast/%s.json\n",
                    parcelo::forecastOffice(office.code));
  // The forecast lists its areas by code: show the one whose area.code is the town's code,
  // wherever it stands in timeSeries[].areas[].
  M5.Display.printf("area.code == \"%s\"\n", town.code);
  M5.Display.println(saveTown() ? "Saved: /parcelo/town.json" : "Not saved: the card is read-only?");
  M5.Display.println("出典：気象庁ホームページ");
}

void draw() {
  M5.Display.clear();
  M5.Display.setCursor(0, 0);
  if (step == Step::Forecast) {
    showForecast();
    return;
  }
  parcelo::Error error = readChosen();
  if (error) {
    M5.Display.printf("Error: %s\n", error.c_str());
    return;
  }
  static const char* const titles[] = {"地方 / Centre", "府県 / Office", "市町村 / Town"};
  M5.Display.println(titles[static_cast<int>(step)]);
  if (listLength == 0) {
    M5.Display.println("(none)");
    return;
  }
  M5.Display.printf("%d/%d\n", chosen + 1, listLength);
  if (step == Step::Centre) M5.Display.println(centre.name);
  if (step == Step::Office) M5.Display.printf("%s %s\n", office.code, office.name);
  if (step == Step::Town) M5.Display.println(town.cityname);
}

void setup() {
  M5.begin();
  M5.Display.setFont(&fonts::lgfxJapanGothic_16);
  if (!SD.begin(4)) {  // the card's chip select on M5Stack Core, Core2 and CoreS3
    M5.Display.println("No microSD card");
    return;
  }
  draw();
}

void loop() {
  M5.update();
  bool chose = M5.BtnB.wasPressed();
  if (listLength > 0 && M5.BtnA.wasPressed()) chosen = (chosen + listLength - 1) % listLength;
  if (listLength > 0 && M5.BtnC.wasPressed()) chosen = (chosen + 1) % listLength;
  if (chose && step == Step::Forecast) {
    step = Step::Centre;
  } else if (chose && listLength > 0) {
    step = static_cast<Step>(static_cast<int>(step) + 1);
  }
  if (chose) chosen = 0;
  if (chose || M5.BtnA.wasPressed() || M5.BtnC.wasPressed()) draw();
  delay(20);
}
