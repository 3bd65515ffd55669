// Serial ports: which devices are offered under which COM number, choosing one, and the real
// terminal link that talks to it.
#include "FakeLink.h"
#include "common/SystemClock.h"
#include "device/Ports.h"
#include "device/TermiosLink.h"
#include "support/TestSupport.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace tlx::test {
namespace {

// "COMn=device" for each binding, in the table's order.
std::string Bindings(const PortTable& table) {
  std::string text;
  for (const PortBinding& b : table) text += "COM" + std::to_string(b.Number) + "=" + b.Device + " ";
  return text;
}

TEST(PortsTest, ListsUsbAdaptersFirstThenRealUartsInNaturalOrder) {
  TempDir sys, home;
  const std::pair<std::string, const char*> ttys[] = {
      {"ttyS0", "4\n"}, {"ttyS1", "0\n"}, {"ttyS2", nullptr}, {"ttyUSB10", nullptr},
      {"ttyUSB2", nullptr}, {"ttyACM0", nullptr}, {"ttyAMA0", "91\n"}};
  for (const auto& [name, type] : ttys) {
    std::filesystem::create_directories(sys.File(name + "/device"));
    if (type) WriteBytes(sys.File(name + "/type"), type);
  }
  std::filesystem::create_directories(sys.File("tty0"));  // no device behind it
  const PortTable table = LoadPortTable(home.Path(), sys.Path(), "/dev");
  EXPECT_EQ(Bindings(table), "COM1=/dev/ttyACM0 COM2=/dev/ttyUSB2 COM3=/dev/ttyUSB10 COM4=/dev/ttyS0 "
                             "COM5=/dev/ttyAMA0 ");
  EXPECT_TRUE(ListSerialDevices(sys.File("missing")).empty());
}

// A fake system: /sys/class/tty entries and a /dev with the adapters' stable names.
struct FakeSystem {
  TempDir root;
  std::string sys = root.File("sys"), dev = root.File("dev");
  std::string byId = dev + "/serial/by-id";

  FakeSystem() { std::filesystem::create_directories(byId); }
  void Plug(const std::string& name, const std::string& stable = {}) {
    std::filesystem::create_directories(sys + "/" + name + "/device");
    WriteBytes(dev + "/" + name, "");
    if (stable.empty()) return;
    std::filesystem::remove(byId + "/" + stable);
    std::filesystem::create_symlink("../../" + name, byId + "/" + stable);
  }
  void Unplug(const std::string& name) {
    std::filesystem::remove_all(sys + "/" + name);
    std::filesystem::remove(dev + "/" + name);
  }
  std::string Real(const std::string& name) const {
    return std::filesystem::canonical(dev).string() + "/" + name;
  }
};

TEST(PortsTest, AdaptersAreBoundByTheirStableNameAndFollowedWhenPluggedInAgain) {
  FakeSystem fake;
  fake.Plug("ttyUSB0", "usb-Acme_Serial_A1-if00-port0");
  fake.Plug("ttyUSB1");  // an adapter the system gives no stable name
  fake.Plug("ttyS0");
  WriteBytes(fake.sys + "/ttyS0/type", "4\n");
  std::filesystem::create_symlink("../../ttyGONE", fake.byId + "/usb-Left_Behind-port0");
  const std::string stable = fake.byId + "/usb-Acme_Serial_A1-if00-port0";

  const PortTable table = NumberDevices(ListSerialDevices(fake.sys, fake.dev));
  EXPECT_EQ(DevicePathFor(table, 1), stable);
  EXPECT_EQ(DevicePathFor(table, 2), fake.dev + "/ttyUSB1");
  EXPECT_EQ(DevicePathFor(table, 3), fake.dev + "/ttyS0");
  EXPECT_EQ(PickComEntries(table),
            (Texts{"COM3  " + fake.dev + "/ttyS0", "COM2  " + fake.dev + "/ttyUSB1",
                   "COM1  usb-Acme_Serial_A1-if00-port0  (" + fake.Real("ttyUSB0") + ")"}));

  // Plugged in again, the adapter comes back under another name; its port number still finds it.
  fake.Unplug("ttyUSB0");
  EXPECT_EQ(PickComEntries(table).back(), "COM1  " + stable);  // away: the stable path shows
  fake.Plug("ttyUSB2", "usb-Acme_Serial_A1-if00-port0");
  EXPECT_EQ(PickComEntries(table).back(),
            "COM1  usb-Acme_Serial_A1-if00-port0  (" + fake.Real("ttyUSB2") + ")");
  EXPECT_EQ(CurrentDeviceOf(DevicePathFor(table, 1)), fake.Real("ttyUSB2"));
  EXPECT_EQ(StableNameOf(fake.dev + "/ttyUSB1", fake.dev), "");
  EXPECT_EQ(ListSerialDevices(fake.sys, fake.dev),
            (Texts{fake.dev + "/ttyUSB1", stable, fake.dev + "/ttyS0"}));

}

// Listing again after an adapter was plugged in: the numbers given out stay with their devices,
// a new device takes the lowest free number, and a device bound under another of its names (the
// stable name of a plain path) is not offered twice.
TEST(PortsTest, ListingAgainKeepsEveryNumberAndAddsNewDevicesInTheGaps) {
  FakeSystem fake;
  fake.Plug("ttyUSB0", "usb-Acme_Serial_A1-if00-port0");
  fake.Plug("ttyUSB1");
  const std::string stable = fake.byId + "/usb-Acme_Serial_A1-if00-port0";
  // Bound in the ports file: the adapter by its plain path as COM3, a device now absent as COM1.
  const PortTable bound = {{1, fake.dev + "/ttyGONE"}, {3, fake.dev + "/ttyUSB0"}};

  const PortTable table = AddNewDevices(bound, ListSerialDevices(fake.sys, fake.dev));
  // The adapter is not added again by its stable name.
  EXPECT_EQ(Bindings(table), "COM1=" + fake.dev + "/ttyGONE COM2=" + fake.dev + "/ttyUSB1 COM3=" + fake.dev + "/ttyUSB0 ");

  fake.Plug("ttyACM0");
  fake.Unplug("ttyUSB1");
  const PortTable later = AddNewDevices(table, ListSerialDevices(fake.sys, fake.dev));
  // Unplugged, ttyUSB1 keeps its number; the new device takes the next.
  EXPECT_EQ(Bindings(later), Bindings(table) + "COM4=" + fake.dev + "/ttyACM0 ");
  EXPECT_EQ(AddNewDevices(later, ListSerialDevices(fake.sys, fake.dev)).size(), later.size());
  EXPECT_EQ(DevicePathFor(AddNewDevices({}, {stable}), 1), stable);
}

TEST(PortsTest, PortsFileBindsNumbersToPathsKeepingTheirCaseAndSkipsOtherLines) {
  TempDir home;
  WriteBytes(home.File("PORTS.INI"),
             "; ports\r\nCOM1 = \"/dev/ttyUSB0\"\r\ncom2 = /dev/Serial_A\nCOM3 = \"/dev/first\"\n"
             "COM3 = \"/dev/second\"\nCOM10 = \"/dev/pts/5\"\nCOMX = \"/dev/x\"\n"
             "COM0 = \"/dev/zero\"\nCOM4 = /dev/with space\nOther = 1\n\xff\xfe\x00junk");
  const PortTable table = LoadPortTable(home.Path(), home.File("nosys"));
  EXPECT_EQ(Bindings(table), "COM1=/dev/ttyUSB0 COM2=/dev/Serial_A COM3=/dev/second COM10=/dev/pts/5 ");
  PortTable none;
  EXPECT_FALSE(ReadPortsFile(home.File("NONE.INI"), none));
}

TEST(PortsTest, ChoosingAPortTakesTheNumberAndOpensOnlyAValidPort) {
  const Texts entries = PickComEntries({{1, "/dev/a"}, {10, "/dev/b"}});
  EXPECT_EQ(entries, (Texts{"COM10  /dev/b", "COM1  /dev/a"}));
  EXPECT_EQ(PickComActivate(entries, 1), 1);
  DeviceRig rig;
  ProgramSettings settings;
  EXPECT_TRUE(PickComOk(entries[1], settings, rig.link) && rig.state().PortIsOpen);
  EXPECT_FALSE(PickComOk(entries[0], settings, rig.link));  // 10 is beyond the eight ports
  EXPECT_EQ(settings.ComPort, 10);
  EXPECT_FALSE(rig.state().PortIsOpen);
  EXPECT_FALSE(PickComOk("", settings, rig.link));
  EXPECT_EQ(settings.ComPort, 0);
}

TEST(TermiosLinkTest, TalksRawToAPseudoTerminalAndNoticesItsEnd) {
  const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(master, 0);
  ASSERT_TRUE(::grantpt(master) == 0 && ::unlockpt(master) == 0);
  const std::string slave = ::ptsname(master);
  SystemClock clock;
  TermiosLink link([&](int n) { return n == 2 ? slave : std::string(); });
  EXPECT_FALSE(link.Open(1));
  EXPECT_FALSE(link.OpenDevice("/dev/null"));  // not a terminal
  ASSERT_TRUE(link.Open(2));
  termios tio{};
  ASSERT_EQ(::tcgetattr(link.FileDescriptor(), &tio), 0);
  EXPECT_EQ(::cfgetispeed(&tio), static_cast<speed_t>(B19200));
  EXPECT_EQ(tio.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), static_cast<tcflag_t>(CS8));
  EXPECT_EQ(tio.c_iflag & (IXON | IXOFF), 0u);
  EXPECT_EQ(tio.c_oflag & OPOST, 0u);

  // Every byte value comes through unchanged: no flow control, no line editing.
  int events = 0;
  link.SetReceiveHandler([&] { ++events; });
  ASSERT_EQ(::write(master, "\x11\r\n\x13\x00\xff", 6), 6);
  ASSERT_TRUE(clock.RunUntil([&] { return link.BufferedCount() == 6; }, 2000));
  link.Poll();
  EXPECT_EQ(link.Read(4), "\x11\r\n\x13");
  EXPECT_EQ(link.BufferedCount(), 2u);
  EXPECT_EQ(link.Read(), std::string("\x00\xff", 2));
  link.Poll();  // an empty line is not a device that went away
  EXPECT_TRUE(link.IsOpen() && events == 1);

  ::close(master);
  // A wait that only counts buffered bytes (as the counted read does) notices the end.
  ASSERT_TRUE(clock.RunUntil([&] { return link.BufferedCount() == 0 && !link.IsOpen(); }, 2000));
  EXPECT_TRUE(link.DeviceLost());
  link.Write("ignored");
}

// Opens a new pseudo-terminal ("an adapter") and points the stable name at it.
int PlugPty(const std::string& stableName) {
  const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) return -1;
  std::filesystem::remove(stableName);
  std::filesystem::create_symlink(::ptsname(master), stableName);
  return master;
}

TEST(TermiosLinkTest, ReopeningAPortFindsAnAdapterPluggedInAgainUnderItsStableName) {
  TempDir dir;
  const std::string stable = dir.File("usb-Acme_Serial_A1-if00-port0");
  int master = PlugPty(stable);
  ASSERT_GE(master, 0);
  const PortTable table = {{1, stable}};
  TermiosLink link([&](int n) { return DevicePathFor(table, n); });
  ASSERT_TRUE(link.Open(1));
  ::close(master);  // pulled out
  link.Poll();
  EXPECT_FALSE(link.IsOpen());
  master = PlugPty(stable);  // back, under another device name
  ASSERT_GE(master, 0);
  ASSERT_TRUE(link.Open(1));
  ASSERT_EQ(::write(master, "!", 1), 1);
  link.WaitReadable(2000);
  EXPECT_EQ(link.Read(), "!");
  ::close(master);
}


// One unit, one owner: the device is refused under any of its names while another link holds it,
// root included (TIOCEXCL lets root through; the lock on the device file does not), and the
// refusal names the process only as the kernel shows it holding the lock. A missing device's
// reason is checked through the command line.
TEST(TermiosLinkTest, AUnitHasOneOwnerUnderAnyName) {
  TempDir dir;
  const std::string stable = dir.File("usb-Acme_Serial_A1-if00-port0");
  const int master = PlugPty(stable);
  ASSERT_GE(master, 0);
  const std::string device = ::ptsname(master);
  TermiosLink first([&](int) { return device; }, dir.Path());
  TermiosLink second([&](int) { return stable; }, dir.Path());
  ASSERT_TRUE(first.Open(1));
  EXPECT_FALSE(second.Open(1));
  EXPECT_EQ(PortOpenFailureText(second.LastOpen(), 1),
            "The unit on COM1 (" + stable + ") is in use by another unit of this program.");
  first.Close();

  // Held by another process, which is named; once it has gone, the unit is free again.
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t child = ::fork();
  if (child == 0) {
    TermiosLink other([&](int) { return device; }, dir.Path());
    const char ok = other.Open(1) ? '1' : '0';
    (void)!::write(ready[1], &ok, 1);
    ::pause();
    ::_exit(0);
  }
  char ok = 0;
  ASSERT_EQ(::read(ready[0], &ok, 1), 1);
  EXPECT_EQ(ok, '1');
  EXPECT_FALSE(second.Open(1));
  EXPECT_EQ(PortOpenFailureText(second.LastOpen(), 1),
            "The unit on COM1 (" + stable + ") is in use by process " + std::to_string(child) + ".");
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  EXPECT_TRUE(second.Open(1));
  ::close(ready[0]);
  ::close(ready[1]);
  ::close(master);
}

// Lock files in the shared lock folder decide nothing: a link planted under a lock file's name is
// neither followed nor written through, another user's file naming a made-up process blocks
// nobody, and a stale lock file of our own is removed.
TEST(TermiosLinkTest, LockFilesInTheLockFolderNeitherBlockNorAreFollowed) {
  TempDir dir, locks;
  const int master = PlugPty(dir.File("tty"));
  ASSERT_GE(master, 0);
  struct stat st{};
  ASSERT_EQ(::stat(::ptsname(master), &st), 0);
  const std::string lockFile = locks.File("tracelux-unit-" + std::to_string(major(st.st_rdev)) +
                                          "-" + std::to_string(minor(st.st_rdev)) + ".lock");
  WriteBytes(dir.File("victim"), "keep");
  std::filesystem::create_symlink(dir.File("victim"), lockFile);
  TermiosLink link([&](int) { return dir.File("tty"); }, locks.Path());
  TermiosLink second([&](int) { return dir.File("tty"); }, locks.Path());
  EXPECT_TRUE(link.Open(1)) << PortOpenFailureText(link.LastOpen(), 1);
  EXPECT_FALSE(second.Open(1)) << "the unit is still guarded";
  EXPECT_EQ(ReadBytes(dir.File("victim")), "keep");
  EXPECT_TRUE(std::filesystem::is_symlink(lockFile));
  link.Close();

  std::filesystem::remove(lockFile);
  WriteBytes(lockFile, "1\n");  // "held by process 1"
  const bool foreign = ::geteuid() == 0 && ::chown(lockFile.c_str(), 65534, 65534) == 0;
  EXPECT_TRUE(link.Open(1)) << PortOpenFailureText(link.LastOpen(), 1);
  // Another user's file stays (it is not ours to remove); our own stale one goes.
  EXPECT_EQ(PathExists(lockFile), foreign);
  ::close(master);
}

// A device the user may not open says how to be let in.
TEST(TermiosLinkTest, APermissionErrorNamesTheDialoutGroupAndHowToJoinIt) {
  const PortOpenResult denied{PortOpenResult::Kind::CannotOpen, "/dev/ttyUSB0", EACCES};
  EXPECT_EQ(PortOpenFailureText(denied, 2),
            "The unit on COM2 (/dev/ttyUSB0) cannot be opened: Permission denied. Serial devices "
            "are open to the members of the group dialout: join it with \"sudo adduser $USER "
            "dialout\", then log out and in again.");
}

}  // namespace
}  // namespace tlx::test
