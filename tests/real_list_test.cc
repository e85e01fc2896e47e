// The agency's published list, read from beside the project when it is there.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "test_support.h"

namespace parcelo::testing {
namespace {

class RealListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (real_list_path().empty()) {
      GTEST_SKIP() << "../shared/data/area.json is absent: the real list is not tested";
    }
    list_ = json::parse(read_file(real_list_path()));
    result_ = run_parcelo({real_list_path(), dir_.path()});
  }
  json output(const std::string& name) const { return json::parse(read_file(dir_ / name)); }

  TempDir dir_;
  json list_;
  ProcessResult result_;
};

TEST_F(RealListTest, WritesTheCentreIndexAndFiftyEightOfficeFiles) {
  EXPECT_EQ(result_.status, 0);
  EXPECT_EQ(result_.err, "");
  const std::vector<std::string> files = list_folder(dir_.path());
  EXPECT_EQ(files.size(), 59u);
  std::string want = start_up_text() + written_line(dir_ / "centers.json");
  for (const auto& [code, office] : list_["offices"].items()) {
    want += written_line(dir_ / (code + ".json"));
  }
  EXPECT_EQ(result_.out, want);
}

TEST_F(RealListTest, ResolvesEveryOfficeNameOfTheElevenCentres) {
  const json index = output("centers.json");
  EXPECT_EQ(index.size(), 11u);
  for (const auto& [code, centre] : index.items()) {
    EXPECT_EQ(centre["name"], list_["centers"][code]["name"]);
    EXPECT_EQ(centre["children"].size(), list_["centers"][code]["children"].size()) << code;
    for (const json& child : centre["children"]) {
      EXPECT_EQ(child["name"], list_["offices"][child["code"].get<std::string>()]["name"]);
    }
  }
}

TEST_F(RealListTest, ListsEveryMunicipalityOfEachOfficeUnderItsClass10) {
  const json& class10s = list_["class10s"];
  const json& class15s = list_["class15s"];
  for (const auto& [code, office] : list_["offices"].items()) {
    // The municipalities reachable from the office, as "class10 code/city name".
    std::vector<std::string> want;
    for (const json& c10 : office["children"]) {
      for (const json& c15 : class10s[c10.get<std::string>()]["children"]) {
        for (const json& c20 : class15s[c15.get<std::string>()]["children"]) {
          want.push_back(c10.get<std::string>() + "/" +
                         list_["class20s"][c20.get<std::string>()]["name"].get<std::string>());
        }
      }
    }
    const json file = output(code + ".json");
    ASSERT_TRUE(file.is_array()) << code;
    std::vector<std::string> got;
    for (const json& entry : file) {
      ASSERT_EQ(entry.size(), 3u) << code;
      EXPECT_EQ(entry.at("areaname"), class10s[entry.at("code").get<std::string>()]["name"])
          << code;
      got.push_back(entry.at("code").get<std::string>() + "/" +
                    entry.at("cityname").get<std::string>());
    }
    EXPECT_EQ(got, want) << code;
    const std::string text = read_file(dir_ / (code + ".json"));
    for (const auto& [city, record] : list_["class20s"].items()) {
      ASSERT_EQ(text.find('"' + city + '"'), std::string::npos) << code << " holds " << city;
    }
  }
  EXPECT_EQ(output("200000.json").size(), 79u);  // 長野県, the largest
}

// Straight onto a board's card: a FAT32 image mounted through FUSE, written twice so that the
// second run replaces every file (FAT keeps no permission bits). The files must equal those
// written on the ordinary disk.
TEST_F(RealListTest, WritesTheSameFilesOntoAFat32Card) {
  if (std::system(
          "for c in mkfs.vfat fusefat fusermount; do command -v $c || exit 1; done >/dev/null") !=
          0 ||
      access("/dev/fuse", R_OK | W_OK) != 0) {
    GTEST_SKIP() << "no FUSE, mkfs.vfat or fusefat here: the FAT32 card is not tested";
  }
  TempDir card;
  const std::string image = card / "sd.img", mounted = card / "mnt";
  write_file(image, "");
  std::filesystem::resize_file(image, 64 << 20);
  std::filesystem::create_directory(mounted);
  ASSERT_EQ(std::system(("mkfs.vfat -F 32 " + image + " >/dev/null && fusefat -o rw+ " + image +
                         " " + mounted + " >/dev/null 2>&1")
                            .c_str()),
            0);
  for (int run = 0; run < 2; ++run) EXPECT_EQ(run_parcelo({real_list_path(), mounted}).status, 0);
  const std::vector<std::string> files = list_folder(dir_.path());
  EXPECT_EQ(list_folder(mounted), files);
  for (const std::string& name : files) {
    EXPECT_EQ(read_file(mounted + "/" + name), read_file(dir_ / name)) << name;
  }
  EXPECT_EQ(std::system(("fusermount -u " + mounted).c_str()), 0);
}

}  // namespace
}  // namespace parcelo::testing
