// The recording service: typed parameters read once for every front end and a folder's recordings
// in natural order. The batch into a table file is tested with the tidy table; the batch choices
// kept in the program home through the desktop.
#include "data/RecordingService.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace tlx {
namespace {

TEST(RecordingService, TypedParametersAreReadTheSameForEveryFrontEnd) {
  AnalysisOverrides o;
  OverrideTexts t;
  t.SessionLength = " 0:01:30 ";
  t.MaximumDistance = "2,5";
  t.AmbulatoryThreshold = "+3";
  t.StereotypicThreshold = "1e1";
  t.Units = "inches";
  t.MapFile = "/maps/A.MAP";
  EXPECT_EQ(ParseOverrides(t, o).Why, "'2,5' is not a number");  // the command line's decimal point
  ASSERT_EQ(ParseOverrides(t, o, true).Field, OverrideField::None);  // the desktop's decimal comma
  EXPECT_EQ(o.SessionLength, 90);
  EXPECT_EQ(o.MaximumDistance, 2.5);
  EXPECT_EQ(o.AmbulatoryThreshold, 3.0);
  EXPECT_EQ(o.StereotypicThreshold, 10.0);
  EXPECT_FALSE(o.CalibrateScale.has_value());  // empty: the recording's own
  EXPECT_EQ(o.UnitsCode, 5);
  EXPECT_EQ(o.MapFile, "/maps/A.MAP");

  const struct {
    std::string OverrideTexts::*entry;
    const char* text;
    OverrideField field;
    const char* why;
  } refused[] = {
      {&OverrideTexts::SessionLength, "-5", OverrideField::SessionLength, "'-5' is not a duration"},
      {&OverrideTexts::SessionLength, "ten", OverrideField::SessionLength, "'ten' is not a duration"},
      {&OverrideTexts::AmbulatoryThreshold, "three", OverrideField::AmbulatoryThreshold, "'three' is not a number"},
      {&OverrideTexts::CalibrateReference, "1,000.5", OverrideField::CalibrateReference, "'1,000.5' is not a number"},
      {&OverrideTexts::CalibrateScale, "inf", OverrideField::CalibrateScale, "'inf' is not a number"},
      {&OverrideTexts::Units, "parsecs", OverrideField::Units, "'parsecs' is not a unit name"},
  };
  for (const auto& r : refused) {
    OverrideTexts typed;
    typed.*r.entry = r.text;
    AnalysisOverrides kept;
    kept.SessionLength = 7;
    const OverrideProblem p = ParseOverrides(typed, kept, true);
    EXPECT_EQ(p.Field, r.field) << r.why;
    EXPECT_EQ(p.Why, r.why);
    EXPECT_EQ(kept.SessionLength, 7);  // unchanged by a refusal
  }
}

TEST(RecordingService, AFoldersRecordingsComeInNaturalOrder) {
  test::TempDir dir;
  for (const char* name : {"day10.dat", "day2.DAT", "Day1.dat", "day100.dat", "day02b.dat", "notes.txt"}) {
    test::WriteBytes(dir.File(name), "x");
  }
  ASSERT_EQ(::mkdir(dir.File("old.dat").c_str(), 0700), 0);  // a folder is not a recording
  std::vector<std::string> names;
  for (const std::string& path : RecordingsInFolder(dir.Path())) names.push_back(path.substr(dir.Path().size() + 1));
  EXPECT_EQ(names, (std::vector<std::string>{"Day1.dat", "day2.DAT", "day02b.dat", "day10.dat", "day100.dat"}));
}

}  // namespace
}  // namespace tlx
