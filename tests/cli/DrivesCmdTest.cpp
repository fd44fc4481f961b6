// tallowfen-cli drives: one JSON object per drive, whatever the machine has.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>

#include "support/TestSupport.h"

namespace tf::test {
namespace {

using nlohmann::json;

TEST(DrivesCommand, OneObjectPerDriveWithTheSystemDrive) {
  TCliResult r = RunCli({"drives"});
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Err, "");
  std::istringstream lines(r.Out);
  std::string line;
  std::string previous;
  bool sawC = false;
  while (std::getline(lines, line)) {
    json d = json::parse(line);  // each line alone is a document
    ASSERT_TRUE(d.is_object()) << line;
    for (const char* key : {"letter", "root", "mediaType", "mediaTypeName", "label", "fileSystem",
                            "serial", "caseInsensitive", "totalBytes", "freeBytes", "ready"})
      EXPECT_TRUE(d.contains(key)) << key << " in " << line;
    std::string letter = d["letter"];
    ASSERT_EQ(letter.size(), 1u);
    EXPECT_GT(letter, previous) << "letters in order";
    previous = letter;
    EXPECT_TRUE(d["ready"].is_boolean());
    if (d["ready"]) {
      EXPECT_TRUE(std::regex_match(d["serial"].get<std::string>(),
                                   std::regex("[0-9A-F]{4}-[0-9A-F]{4}")));
      EXPECT_LE(d["freeBytes"].get<int64_t>(), d["totalBytes"].get<int64_t>());
      EXPECT_LE(d["label"].get<std::string>().size(), 11u);
      EXPECT_LE(d["fileSystem"].get<std::string>().size(), 8u);
    } else {
      EXPECT_TRUE(d["label"].is_null());
    }
    if (letter == "C") {
      sawC = true;
      EXPECT_EQ(d["root"], "/");
      EXPECT_EQ(d["ready"], true);
      EXPECT_GT(d["totalBytes"].get<int64_t>(), 0);
    }
  }
  EXPECT_TRUE(sawC);
}

TEST(DrivesCommand, TakesNoArguments) {
  TCliResult r = RunCli({"drives", "extra"});
  EXPECT_EQ(r.Status, 1);
}

}  // namespace
}  // namespace tf::test
