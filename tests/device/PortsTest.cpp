#include "FakeLink.h"
#include "device/Ports.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tlx::test {
namespace {

void FakeTty(const TempDir& sys, const std::string& name, const char* type = nullptr,
             bool withDevice = true) {
  std::filesystem::create_directories(sys.File(name));
  if (withDevice) std::filesystem::create_directories(sys.File(name + "/device"));
  if (type) WriteBytes(sys.File(name + "/type"), type);
}

TEST(PortsTest, ListsUsbAdaptersFirstThenRealUartsInNaturalOrder) {
  TempDir sys;
  FakeTty(sys, "tty0", nullptr, false);
  FakeTty(sys, "ttyS0", "4\n");
  FakeTty(sys, "ttyS1", "0\n");
  FakeTty(sys, "ttyS2");
  FakeTty(sys, "ttyUSB10");
  FakeTty(sys, "ttyUSB2");
  FakeTty(sys, "ttyACM0");
  FakeTty(sys, "ttyAMA0", "91\n");
  const std::vector<std::string> expected = {"/dev/ttyACM0", "/dev/ttyUSB2", "/dev/ttyUSB10",
                                             "/dev/ttyS0", "/dev/ttyAMA0"};
  EXPECT_EQ(ListSerialDevices(sys.Path(), "/dev"), expected);
  EXPECT_TRUE(ListSerialDevices(sys.File("missing"), "/dev").empty());

  TempDir home;
  const PortTable table = LoadPortTable(home.Path(), sys.Path(), "/dev");
  EXPECT_EQ(PortListNames(table),
            (std::vector<std::string>{"COM1", "COM2", "COM3", "COM4", "COM5"}));
  EXPECT_EQ(DevicePathFor(table, 4), "/dev/ttyS0");
  EXPECT_EQ(DevicePathFor(table, 6), "");
}

TEST(PortsTest, PortsFileBindsNumbersToPathsAndKeepsTheirCase) {
  TempDir home;
  WriteBytes(home.File("PORTS.INI"),
             "; ports\r\nCOM1 = \"/dev/ttyUSB0\"\r\ncom2 = /dev/Serial_A\nCOM3 = \"/dev/first\"\n"
             "COM3 = \"/dev/second\"\nCOM10 = \"/dev/pts/5\"\nCOMX = \"/dev/x\"\n"
             "COM0 = \"/dev/zero\"\nCOM4 = /dev/with space\nOther = 1\n\xff\xfe\x00junk");
  const PortTable table = LoadPortTable(home.Path(), home.File("nosys"));
  ASSERT_EQ(table.size(), 4u);
  EXPECT_EQ(DevicePathFor(table, 1), "/dev/ttyUSB0");
  EXPECT_EQ(DevicePathFor(table, 2), "/dev/Serial_A");
  EXPECT_EQ(DevicePathFor(table, 3), "/dev/second");
  EXPECT_EQ(DevicePathFor(table, 10), "/dev/pts/5");

  ASSERT_TRUE(WritePortsFile(home.File("COPY.INI"), table));
  EXPECT_EQ(ReadBytes(home.File("COPY.INI")).substr(0, 23), "COM1 = \"/dev/ttyUSB0\"\r\n");
  PortTable again;
  ASSERT_TRUE(ReadPortsFile(home.File("COPY.INI"), again));
  EXPECT_EQ(PortListNames(again), PortListNames(table));
  EXPECT_EQ(DevicePathFor(again, 2), "/dev/Serial_A");
}

TEST(PortsTest, PickComTakesTheNumberAndStoresTheOpenResult) {
  const PortTable table = {{1, "/dev/a"}, {10, "/dev/b"}};
  const std::vector<std::string> entries = PickComEntries(table);
  EXPECT_EQ(entries, (std::vector<std::string>{"COM10  /dev/b", "COM1  /dev/a"}));
  EXPECT_EQ(PickComActivate(entries, 1), 1);
  EXPECT_EQ(PickComActivate(entries, 7), -1);

  DeviceRig rig;
  ProgramSettings settings;
  EXPECT_TRUE(PickComOk(entries[1], settings, rig.link));
  EXPECT_TRUE(rig.state().PortIsOpen);
  EXPECT_FALSE(PickComOk(entries[0], settings, rig.link));  // 10 is beyond the eight ports
  EXPECT_EQ(settings.ComPort, 10);
  EXPECT_FALSE(rig.state().PortIsOpen);
  EXPECT_FALSE(PickComOk("", settings, rig.link));
  EXPECT_EQ(settings.ComPort, 0);
}

TEST(PortsTest, ComSelectOffersOnlyValidPorts) {
  std::vector<int> valid = {1, 3};
  auto isValid = [&](int n) { return std::find(valid.begin(), valid.end(), n) != valid.end(); };
  ComSelect select(isValid);
  int changes = 0;
  select.SetChangeHandler([&] { ++changes; });
  EXPECT_EQ(ComSelect::OptionCaption(0), "COM  1");
  EXPECT_TRUE(select.OptionEnabled(2));
  EXPECT_FALSE(select.OptionEnabled(4));

  select.SetValue(3);
  select.SetValue(5);
  select.SetValue(9);
  EXPECT_EQ(select.Value(), 3);
  select.OptionClicked(2);
  EXPECT_EQ(changes, 0);
  select.OptionClicked(0);
  select.OptionClicked(4);
  EXPECT_EQ(select.Value(), 1);
  EXPECT_EQ(changes, 1);
  select.SetValue(0);
  EXPECT_FALSE(select.OptionChecked(0));

  valid = {1};
  select.Reset();
  EXPECT_FALSE(select.OptionEnabled(2));
  EXPECT_TRUE(DeviceCanOpen("/dev/null"));
  EXPECT_FALSE(DeviceCanOpen("/nonexistent/tty"));
}

}  // namespace
}  // namespace tlx::test
