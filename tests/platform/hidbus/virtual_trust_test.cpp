// Whose virtual devices the bus takes: only those in the user's own folder,
// served by the user. Whoever can put a socket where the updater looks would
// otherwise be handed the firmware.
#include "bus_folder.h"
#include "other_account.h"
#include "virtual_entry.h"

#include <hidbus/hidbus.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <system_error>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using testsupport::kOtherUid;

hidbus::DeviceInfo Bootloader() {
  hidbus::DeviceInfo info;
  info.vendor_id = 0x04D8;
  info.product_id = 0x003C;
  info.max_input_report = 64;
  info.max_output_report = 64;
  return info;
}

std::string Me() { return std::to_string(geteuid()); }

void Check(bool ok, const std::string& what) {
  if (!ok) throw std::runtime_error(what + ": " + std::strerror(errno));
}

class VirtualTrustTest : public testing::Test {
 protected:
  VirtualTrustTest() {
    hidbus::set_log_sink([this](const std::string& line) { lines_.push_back(line); });
  }
  ~VirtualTrustTest() override { hidbus::set_log_sink({}); }

  std::unique_ptr<hidbus::Bus> BusOn(const std::string& dir) {
    hidbus::BusOptions o = folder_.options();
    o.virtual_dir = dir;
    return std::make_unique<hidbus::Bus>(o);
  }

  // A folder like /tmp, where every account may make its own: the scratch
  // folder becomes passable for the other account.
  std::string Shared() {
    fs::path shared = folder_.path() / "shared";
    fs::create_directory(shared);
    chmod(folder_.path().c_str(), 0711);
    chmod(shared.c_str(), 01777);
    return shared.string();
  }

  // The other account makes dir 0700, publishes "boot" in it, then gives the
  // folder `mode`.
  void PublishAsOther(const std::string& dir, mode_t mode) {
    other_.emplace([dir, mode](int stop_fd, const std::function<void()>& ready) {
      testsupport::BecomeOtherUser();
      Check(mkdir(dir.c_str(), 0700) == 0, "mkdir " + dir);
      hidbus::VirtualDevice device("boot", Bootloader(), dir);
      Check(chmod(dir.c_str(), mode) == 0, "chmod " + dir);
      ready();
      testsupport::WaitReadable(stop_fd);
    });
    ASSERT_EQ(other_->failure(), "");
  }

  testsupport::BusFolder folder_;
  std::vector<std::string> lines_;
  std::optional<hidbus::VirtualDevice> own_;
  std::optional<testsupport::ForkedChild> other_;
};

class UntrustedFolderTest;

// Each case publishes "boot" and leaves the folder as the bus must not trust
// it; the folder the bus is then pointed at.
struct FolderCase {
  const char* name;
  bool needs_root;
  std::string (*make)(UntrustedFolderTest& test);
  std::string why;
};
void PrintTo(const FolderCase& c, std::ostream* os) { *os << c.name; }

class UntrustedFolderTest : public VirtualTrustTest, public testing::WithParamInterface<FolderCase> {
 public:
  // The user's device in a folder of the user's own, which then gets `mode`.
  std::string OwnWithMode(mode_t mode) {
    std::string dir = (folder_.path() / "own").string();
    own_.emplace("boot", Bootloader(), dir);
    EXPECT_EQ(BusOn(dir)->enumerate().size(), 1u) << "the user's own folder is trusted";
    chmod(dir.c_str(), mode);
    return dir;
  }
  // The other account's device in a folder it made, which then gets `mode`.
  std::string OtherWithMode(mode_t mode) {
    std::string dir = Shared() + "/hidbus";
    PublishAsOther(dir, mode);
    return dir;
  }
  std::string UnderAPlainFile() {
    testsupport::WriteText(folder_.path() / "plain", "");
    return (folder_.path() / "plain" / "hidbus").string();
  }
  std::string LinkToOwn() {
    OwnWithMode(0700);
    fs::create_directory_symlink(folder_.path() / "own", folder_.path() / "link");
    return (folder_.path() / "link").string();
  }
};

TEST_P(UntrustedFolderTest, IsPassedOverWithOneLineOnTheLog) {
  if (GetParam().needs_root && !testsupport::CanActAsOtherUser())
    GTEST_SKIP() << "acting as another account needs root";
  const std::string dir = GetParam().make(*this);
  ASSERT_FALSE(HasFatalFailure());
  lines_.clear();
  auto bus = BusOn(dir);

  EXPECT_TRUE(bus->enumerate().empty());
  // The search asks every second; the reason is said once.
  EXPECT_TRUE(bus->enumerate().empty());
  int error = 0;
  EXPECT_FALSE(bus->open("virtual:boot", &error));
  EXPECT_EQ(error, ENOENT);

  ASSERT_EQ(lines_.size(), 1u);
  EXPECT_EQ(lines_[0], "hidbus: passed over the virtual device folder " + dir + ": " + GetParam().why);
}

INSTANTIATE_TEST_SUITE_P(
    Folders, UntrustedFolderTest,
    testing::Values(
        // What another account does to the shared fallback: makes it, and
        // publishes a device of its own in it.
        FolderCase{"OwnedByAnotherAccount", true, [](UntrustedFolderTest& t) { return t.OtherWithMode(0700); },
                   "owned by uid " + std::to_string(kOtherUid) + ", not by uid " + Me()},
        FolderCase{"SquattedWithEveryonesRights", true, [](UntrustedFolderTest& t) { return t.OtherWithMode(01777); },
                   "owned by uid " + std::to_string(kOtherUid) + ", not by uid " + Me()},
        FolderCase{"WritableByEveryone", false, [](UntrustedFolderTest& t) { return t.OwnWithMode(01777); },
                   "writable by others (mode 1777)"},
        FolderCase{"WritableByTheGroup", false, [](UntrustedFolderTest& t) { return t.OwnWithMode(0770); },
                   "writable by others (mode 0770)"},
        // Whoever owns a link can point it elsewhere at any time.
        FolderCase{"SymbolicLinkToTheUsersFolder", false, [](UntrustedFolderTest& t) { return t.LinkToOwn(); },
                   "a symbolic link"},
        // A folder that cannot be, not one that is merely missing.
        FolderCase{"UnderAPlainFile", false, [](UntrustedFolderTest& t) { return t.UnderAPlainFile(); },
                   "Not a directory"}),
    [](const testing::TestParamInfo<FolderCase>& info) { return info.param.name; });

// An entry served by hand, as no VirtualDevice would serve it (under a name no
// device may take, or by a process that is not the user): its socket
// listening (bound through the folder's descriptor, as a host connects, so
// that a long name still fits) and its info file locked, so that it lives
// for a host that takes the name. `become` runs between bind and listen.
class RawEntry {
 public:
  RawEntry(const fs::path& dir, const std::string& name, void (*become)() = nullptr) {
    folder_.reset(open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    info_.reset(openat(folder_.get(), (name + ".info").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
    Check(info_ && flock(info_.get(), LOCK_EX) == 0, "info file of \"" + name + "\"");
    const std::string text = "vendor_id=04d8\nproduct_id=003c\n";
    Check(write(info_.get(), text.data(), text.size()) == ssize_t(text.size()), "write info file");
    server_.reset(socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string where = "/proc/self/fd/" + std::to_string(folder_.get()) + "/" + name + ".sock";
    std::strncpy(address.sun_path, where.c_str(), sizeof address.sun_path - 1);
    Check(server_ && bind(server_.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0, "bind " + where);
    if (become) become();
    Check(listen(server_.get(), 4) == 0, "listen on " + where);
  }
  // Whether a host has connected.
  bool Reached() { return hidbus::Fd(accept4(server_.get(), nullptr, nullptr, SOCK_CLOEXEC)).get() >= 0; }

 private:
  hidbus::Fd folder_, info_, server_;
};

// The other account's user ID, but the group kept: a server that shares
// only the user's group is not the user's.
void BecomeOtherUserInTheGroup() { Check(setuid(kOtherUid) == 0, "setuid " + std::to_string(kOtherUid)); }

// A server in the user's own folder that the user did not start: what is
// bound there is served by whoever called listen().
struct ServerCase {
  const char* name;
  void (*become)();  // what the server's process turns into before listen(); nullptr: stays the user
};
void PrintTo(const ServerCase& c, std::ostream* os) { *os << c.name; }

class ServerAccountTest : public VirtualTrustTest, public testing::WithParamInterface<ServerCase> {
 protected:
  void ServeBoot(const std::string& dir, void (*become)()) {
    other_.emplace([dir, become](int stop_fd, const std::function<void()>& ready) {
      RawEntry entry(dir, "boot", become);
      ready();
      testsupport::WaitReadable(stop_fd);
    });
    ASSERT_EQ(other_->failure(), "");
  }
};

TEST_P(ServerAccountTest, OnlyTheUsersOwnServerIsConnected) {
  const bool as_other = GetParam().become != nullptr;
  if (as_other && !testsupport::CanActAsOtherUser()) GTEST_SKIP() << "acting as another account needs root";
  const std::string dir = (folder_.path() / "own").string();
  ASSERT_EQ(mkdir(dir.c_str(), 0700), 0);
  ServeBoot(dir, GetParam().become);
  auto bus = BusOn(dir);
  ASSERT_EQ(bus->enumerate().size(), 1u);

  int error = 0;
  std::unique_ptr<hidbus::Channel> channel = bus->open("virtual:boot", &error);

  if (!as_other) {
    EXPECT_TRUE(channel);
    EXPECT_TRUE(lines_.empty());
    return;
  }
  EXPECT_FALSE(channel);
  EXPECT_EQ(error, EACCES);
  EXPECT_EQ(lines_,
            std::vector<std::string>{"hidbus: passed over virtual device boot in " + dir + ": its server runs as uid " +
                                     std::to_string(kOtherUid) + ", not as uid " + Me()});
}

INSTANTIATE_TEST_SUITE_P(Servers, ServerAccountTest,
                         testing::Values(ServerCase{"TheUser", nullptr},
                                         ServerCase{"AnotherAccount", testsupport::BecomeOtherUser},
                                         ServerCase{"AnotherUserInTheUsersGroup", BecomeOtherUserInTheGroup}),
                         [](const testing::TestParamInfo<ServerCase>& info) { return info.param.name; });

// An info file that is a symbolic link is not an entry of the folder: whoever
// owns what it points to would say what the device is and that it lives.
TEST_F(VirtualTrustTest, SymlinkedInfoFileGivesNoDevice) {
  const fs::path real = folder_.path() / "real", dir = folder_.path() / "own";
  own_.emplace("boot", Bootloader(), real.string());
  ASSERT_EQ(mkdir(dir.c_str(), 0700), 0);
  fs::create_symlink(real / "boot.info", dir / "boot.info");
  fs::create_symlink(real / "boot.sock", dir / "boot.sock");
  auto bus = BusOn(dir.string());

  EXPECT_TRUE(bus->enumerate().empty());
  int error = 0;
  EXPECT_FALSE(bus->open("virtual:boot", &error));
  EXPECT_EQ(error, ENOENT);
}

// A path names one entry of the folder: one that climbs out of it or into a
// folder below reaches no device, however good that one is; nor does a name
// that no device may take (empty, a leading dot, a line end, longer than the
// 77 bytes every host can reach), though an entry lives under it.
TEST_F(VirtualTrustTest, PathOutsideTheFolderGivesNoDevice) {
  const fs::path dir = folder_.path() / "own";
  own_.emplace("boot", Bootloader(), dir.string());
  hidbus::VirtualDevice below("boot", Bootloader(), (dir / "below").string());
  hidbus::VirtualDevice beside("boot", Bootloader(), (folder_.path() / "beside").string());
  const std::vector<std::string> bad_names = {"", ".", ".boot", "bo\not", std::string(78, 'x')};
  std::vector<std::unique_ptr<RawEntry>> raw;
  for (const std::string& name : bad_names) raw.push_back(std::make_unique<RawEntry>(dir, name));
  auto bus = BusOn(dir.string());

  std::vector<std::string> listed;
  for (const hidbus::DeviceInfo& device : bus->enumerate()) listed.push_back(device.path);
  EXPECT_EQ(listed, std::vector<std::string>{"virtual:boot"});
  std::vector<std::string> paths = {"virtual:below/boot", "virtual:../beside/boot"};
  for (const std::string& name : bad_names) paths.push_back("virtual:" + name);
  for (const std::string& path : paths) {
    int error = 0;
    EXPECT_FALSE(bus->open(path, &error)) << path;
    EXPECT_EQ(error, ENOENT) << path;
  }
  EXPECT_EQ(below.accept(), nullptr);
  EXPECT_EQ(beside.accept(), nullptr);
  for (size_t i = 0; i < raw.size(); ++i) EXPECT_FALSE(raw[i]->Reached()) << "\"" << bad_names[i] << "\"";
  EXPECT_TRUE(fs::exists(folder_.path() / "beside" / "boot.info"));
}

// The folder checked is the folder connected to: another one put in its
// place after the check does not get the host.
TEST_F(VirtualTrustTest, OpenReachesTheFolderThatWasChecked) {
  const fs::path dir = folder_.path() / "own";
  own_.emplace("boot", Bootloader(), dir.string());
  hidbus::detail::FolderCheck check = hidbus::detail::check_folder(dir.string());
  ASSERT_TRUE(check.fd) << check.why;
  fs::rename(dir, folder_.path() / "moved");
  hidbus::VirtualDevice newcomer("boot", Bootloader(), dir.string());

  int error = 0;
  std::unique_ptr<hidbus::Channel> channel = hidbus::detail::open_entry(check.fd.get(), dir.string(), "boot", &error);

  ASSERT_TRUE(channel) << std::strerror(error);
  EXPECT_NE(own_->accept(), nullptr);
  EXPECT_EQ(newcomer.accept(), nullptr);
}

// The serving side makes a missing folder the user's own and serves into no
// other.
TEST_F(VirtualTrustTest, DeviceMakesAMissingFolderTheUsersOwn) {
  const fs::path dir = folder_.path() / "made" / "hidbus";
  hidbus::VirtualDevice device("boot", Bootloader(), dir.string());
  struct stat st {};
  ASSERT_EQ(lstat(dir.c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  EXPECT_EQ(st.st_mode & 07777, 0700u);
  EXPECT_EQ(st.st_uid, geteuid());
  EXPECT_EQ(BusOn(dir.string())->enumerate().size(), 1u);
}

struct ServeCase {
  const char* name;
  bool needs_root;
  std::string (*make)(const fs::path& scratch);
  std::string why;
};
void PrintTo(const ServeCase& c, std::ostream* os) { *os << c.name; }

class RefusedFolderTest : public VirtualTrustTest, public testing::WithParamInterface<ServeCase> {};

TEST_P(RefusedFolderTest, DeviceWillNotServeThere) {
  if (GetParam().needs_root && !testsupport::CanActAsOtherUser())
    GTEST_SKIP() << "acting as another account needs root";
  const std::string dir = GetParam().make(folder_.path());
  try {
    hidbus::VirtualDevice device("boot", Bootloader(), dir);
    FAIL() << "served into " << dir;
  } catch (const std::system_error& e) {
    EXPECT_EQ(e.code().value(), EACCES);
    EXPECT_NE(std::string(e.what()).find("will not serve in the virtual device folder " + dir + ": " + GetParam().why),
              std::string::npos)
        << e.what();
  }
  EXPECT_TRUE(fs::is_empty(dir));
}

INSTANTIATE_TEST_SUITE_P(Folders, RefusedFolderTest,
                         testing::Values(ServeCase{"OwnedByAnotherAccount", true,
                                                   [](const fs::path& s) {
                                                     fs::path dir = s / "theirs";
                                                     fs::create_directory(dir);
                                                     chmod(dir.c_str(), 0700);
                                                     if (chown(dir.c_str(), kOtherUid, kOtherUid) != 0)
                                                       return std::string();
                                                     return dir.string();
                                                   },
                                                   "owned by uid " + std::to_string(kOtherUid) + ", not by uid " +
                                                       Me()},
                                         ServeCase{"WritableByEveryone", false,
                                                   [](const fs::path& s) {
                                                     fs::path dir = s / "everyone";
                                                     fs::create_directory(dir);
                                                     chmod(dir.c_str(), 0777);
                                                     return dir.string();
                                                   },
                                                   "writable by others (mode 0777)"},
                                         ServeCase{"SymbolicLink", false,
                                                   [](const fs::path& s) {
                                                     fs::create_directory(s / "own");
                                                     chmod((s / "own").c_str(), 0700);
                                                     fs::create_directory_symlink(s / "own", s / "link");
                                                     return (s / "link").string();
                                                   },
                                                   "a symbolic link"}),
                         [](const testing::TestParamInfo<ServeCase>& info) { return info.param.name; });

// Without a session's runtime folder, each user gets a folder of their own
// instead of one shared by everyone.
TEST(VirtualDirTest, FallbackIsTheUsersOwn) {
  struct Saved {
    const char* name;
    std::optional<std::string> value;
  } saved[] = {{"HIDBUS_VIRTUAL_DIR", {}}, {"XDG_RUNTIME_DIR", {}}};
  for (Saved& s : saved) {
    if (const char* v = std::getenv(s.name)) s.value = v;
    unsetenv(s.name);
  }

  EXPECT_EQ(hidbus::default_virtual_dir(), "/tmp/hidbus-" + Me());
  setenv("XDG_RUNTIME_DIR", "/run/user/7", 1);
  EXPECT_EQ(hidbus::default_virtual_dir(), "/run/user/7/hidbus");
  setenv("HIDBUS_VIRTUAL_DIR", "/somewhere/devices", 1);
  EXPECT_EQ(hidbus::default_virtual_dir(), "/somewhere/devices");

  for (const Saved& s : saved) {
    if (s.value) {
      setenv(s.name, s.value->c_str(), 1);
    } else {
      unsetenv(s.name);
    }
  }
}

}  // namespace
