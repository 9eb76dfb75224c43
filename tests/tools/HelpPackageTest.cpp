// The help-language download program: fetching, checking and installing a language package, and
// refusing every package that would leave a half-installed language or write outside its folder.
#include "tools/gethelp/HelpPackage.h"

#include "tests/support/TestFiles.h"

#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <set>
#include <thread>

namespace parlora {
namespace {

namespace fs = std::filesystem;
using test::MakeDirs;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

const std::string kProgram = PARLORA_BINARY_DIR "/shell/parlora-get-help";

struct Entry {
    std::string path;
    std::string data;
    enum Kind { File, Folder, Symlink, Hardlink } kind = File;
    std::string link;
};

// Writes entries exactly as given, whatever they name: the packages a careless or hostile server
// could hand out.
std::vector<uint8_t> MakeArchive(const std::vector<Entry>& entries, bool zip = false) {
    std::unique_ptr<archive, int (*)(archive*)> a(archive_write_new(), archive_write_free);
    if (zip) {
        archive_write_set_format_zip(a.get());
    } else {
        archive_write_set_format_pax_restricted(a.get());
        archive_write_add_filter_zstd(a.get());
    }
    std::vector<uint8_t> out(4 << 20);
    size_t used = 0;
    EXPECT_EQ(archive_write_open_memory(a.get(), out.data(), out.size(), &used), ARCHIVE_OK);
    for (const Entry& e : entries) {
        std::unique_ptr<archive_entry, void (*)(archive_entry*)> h(archive_entry_new(), archive_entry_free);
        archive_entry_set_pathname(h.get(), e.path.c_str());
        archive_entry_set_perm(h.get(), 0644);
        switch (e.kind) {
        case Entry::File:
            archive_entry_set_filetype(h.get(), AE_IFREG);
            archive_entry_set_size(h.get(), la_int64_t(e.data.size()));
            break;
        case Entry::Folder:
            archive_entry_set_filetype(h.get(), AE_IFDIR);
            break;
        case Entry::Symlink:
            archive_entry_set_filetype(h.get(), AE_IFLNK);
            archive_entry_set_symlink(h.get(), e.link.c_str());
            break;
        case Entry::Hardlink:
            archive_entry_set_filetype(h.get(), AE_IFREG);
            archive_entry_set_hardlink(h.get(), e.link.c_str());
            break;
        }
        // A name the locale cannot spell is still written, as raw bytes, with a warning.
        EXPECT_GE(archive_write_header(a.get(), h.get()), ARCHIVE_WARN) << e.path;
        if (e.kind == Entry::File && !e.data.empty())
            archive_write_data(a.get(), e.data.data(), e.data.size());
    }
    archive_write_close(a.get());
    out.resize(used);
    return out;
}

std::vector<Entry> GoodEntries(int n = 7) {
    std::string top = std::to_string(n) + "source/";
    return {{top, "", Entry::Folder},
            {top + "general/", "", Entry::Folder},
            {top + "general/menu1.png", std::string(5000, 'p')},
            {top + "Help/Help1.png", "help one"}};
}

// A course folder and a package server folder; `sources` installed languages.
struct PackageServer {
    TempDir tmp;
    std::string course() const { return tmp / "course"; }
    std::string server() const { return tmp / "server"; }
    std::string data() const { return course() + "/data"; }
    std::string base() const { return "file://" + server(); }
    PackageServer() {
        MakeDirs(data() + "/sources/1source");
        MakeDirs(server());
        WriteFile(tmp / "outside-marker", "");
    }
    void Serve(const std::string& name, const std::vector<uint8_t>& bytes, bool withSum = true) {
        WriteFile(server() + "/" + name, std::string(bytes.begin(), bytes.end()));
        if (withSum)
            WriteFile(server() + "/" + name + ".sha256", THelpPackage::Sha256Hex(bytes) + "  " + name + "\n");
    }
    THelpPackage::Outcome Install(int n = 7) { return THelpPackage::Install(n, data() + "/..", base()); }
    // Everything under the temporary root except the server's files: what an install wrote.
    std::set<std::string> Written() const {
        std::set<std::string> all;
        for (const auto& e : fs::recursive_directory_iterator(tmp.path()))
            if (e.path().string().rfind(server(), 0) != 0)
                all.insert(fs::relative(e.path(), tmp.path()).string());
        return all;
    }
};

int RunProgram(const std::vector<std::string>& args, const std::string& folder, std::string& output) {
    std::string cmd = "cd '" + folder + "' && '" + kProgram + "'";
    for (const std::string& a : args)
        cmd += " '" + a + "'";
    cmd += " 2>&1";
    FILE* p = ::popen(cmd.c_str(), "r");
    if (!p) return -1;
    char buf[512];
    output.clear();
    while (std::fgets(buf, sizeof buf, p))
        output += buf;
    int status = ::pclose(p);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// `raw` compressed with zstd, as a .tar.zst carries a tar built by hand.
std::vector<uint8_t> Zstd(const std::string& raw) {
    std::unique_ptr<archive, int (*)(archive*)> a(archive_write_new(), archive_write_free);
    archive_write_set_format_raw(a.get());
    archive_write_add_filter_zstd(a.get());
    std::vector<uint8_t> out(raw.size() + 4096);
    size_t used = 0;
    EXPECT_EQ(archive_write_open_memory(a.get(), out.data(), out.size(), &used), ARCHIVE_OK);
    std::unique_ptr<archive_entry, void (*)(archive_entry*)> h(archive_entry_new(), archive_entry_free);
    archive_entry_set_pathname(h.get(), "raw");
    archive_entry_set_filetype(h.get(), AE_IFREG);
    archive_entry_set_size(h.get(), la_int64_t(raw.size()));
    EXPECT_EQ(archive_write_header(a.get(), h.get()), ARCHIVE_OK);
    archive_write_data(a.get(), raw.data(), raw.size());
    archive_write_close(a.get());
    out.resize(used);
    return out;
}

// A tar number in `width` bytes: octal, or base 256 as GNU tar writes what octal cannot hold.
void TarNumber(char* field, size_t width, uint64_t value) {
    if (value < (1ull << (3 * (width - 1)))) {
        std::snprintf(field, width, "%0*llo", int(width - 1), static_cast<unsigned long long>(value));
        return;
    }
    std::memset(field, 0, width);
    field[0] = char(0x80);
    for (size_t i = width - 1; i > 0 && value; --i, value >>= 8)
        field[i] = char(value & 0xFF);
}

// An old-style GNU sparse file ('S'): `realSize` bytes long, all a hole but for `chunk` at its end,
// which is all the archive carries.
std::string GnuSparseTar(const std::string& name, uint64_t realSize, const std::string& chunk) {
    char h[512] = {};
    std::memcpy(h, name.data(), std::min(name.size(), size_t(99)));
    TarNumber(h + 100, 8, 0644);
    TarNumber(h + 108, 8, 0);
    TarNumber(h + 116, 8, 0);
    TarNumber(h + 124, 12, chunk.size());
    TarNumber(h + 136, 12, 0);
    h[156] = 'S';
    std::memcpy(h + 257, "ustar  ", 8);
    TarNumber(h + 386, 12, realSize - chunk.size()); // the one data run: offset, length
    TarNumber(h + 398, 12, chunk.size());
    TarNumber(h + 483, 12, realSize);
    std::memset(h + 148, ' ', 8);
    unsigned sum = 0;
    for (unsigned char c : h)
        sum += c;
    std::snprintf(h + 148, 8, "%06o", sum);
    std::string tar(h, sizeof h);
    std::string data = chunk;
    data.resize((chunk.size() + 511) / 512 * 512, '\0');
    return tar + data + std::string(1024, '\0');
}

TEST(HelpPackage, InstallsATarZstOrAZipWhole) {
    for (bool zip : {false, true}) {
        SCOPED_TRACE(zip ? "zip" : "tar.zst");
        PackageServer s;
        s.Serve(zip ? "7source.zip" : "7source.tar.zst", MakeArchive(GoodEntries(), zip));
        THelpPackage::Outcome o = s.Install();
        EXPECT_EQ(o.result, THelpPackage::Installed) << o.message;
        EXPECT_EQ(ReadFile(s.data() + "/sources/7source/general/menu1.png"), std::string(5000, 'p'));
        EXPECT_EQ(ReadFile(s.data() + "/sources/7source/Help/Help1.png"), "help one");
        // Nothing left of the unpacking.
        for (const auto& e : fs::directory_iterator(s.data() + "/sources"))
            EXPECT_NE(e.path().filename().string()[0], '.') << e.path();
        // Asking again once it is there succeeds without fetching.
        fs::remove_all(s.server());
        EXPECT_EQ(s.Install().result, THelpPackage::Installed);
    }
}

TEST(HelpPackage, PackedFolderRoundTrips) {
    PackageServer s;
    MakeDirs(s.tmp / "made/general/aif");
    WriteFile(s.tmp / "made/general/aif/7gm.aif", "greeting");
    WriteFile(s.tmp / "made/labels.png", "labels");
    std::string error;
    ASSERT_TRUE(THelpPackage::Pack(s.tmp / "made", 7, s.server() + "/7source.tar.zst", error)) << error;
    EXPECT_EQ(THelpPackage::ChecksumOf(ReadFile(s.server() + "/7source.tar.zst.sha256")),
              THelpPackage::Sha256Hex([&] {
                  std::string b = ReadFile(s.server() + "/7source.tar.zst");
                  return std::vector<uint8_t>(b.begin(), b.end());
              }()));
    THelpPackage::Outcome o = s.Install();
    ASSERT_EQ(o.result, THelpPackage::Installed) << o.message;
    EXPECT_EQ(ReadFile(s.data() + "/sources/7source/general/aif/7gm.aif"), "greeting");
    EXPECT_EQ(ReadFile(s.data() + "/sources/7source/labels.png"), "labels");
}

TEST(HelpPackage, BadPackagesAreRefusedWithNothingInstalled) {
    struct Case {
        const char* what;
        std::vector<Entry> entries;
        THelpPackage::Result expected;
    };
    std::vector<Entry> climbing = GoodEntries();
    climbing.push_back({"7source/../../../outside-written", "escaped"});
    std::vector<Entry> absolute = GoodEntries();
    absolute.push_back({"/tmp/parlora-absolute-written", "escaped"});
    std::vector<Entry> symlink = GoodEntries();
    symlink.push_back({"7source/general/out", "", Entry::Symlink, "../../../../.."});
    std::vector<Entry> hardlink = GoodEntries();
    hardlink.push_back({"7source/general/passwd", "", Entry::Hardlink, "/etc/passwd"});
    std::vector<Entry> stray = GoodEntries();
    stray.push_back({"8source/general/x.png", "x"});
    std::vector<Entry> twice = GoodEntries();
    twice.push_back({"7source/general/menu1.png", "overwritten"});
    std::vector<Entry> backslash = GoodEntries();
    backslash.push_back({"7source\\..\\..\\outside-written", "escaped"});
    for (const Case& c : {Case{"climbs with ..", climbing, THelpPackage::BadArchive},
                          Case{"absolute path", absolute, THelpPackage::BadArchive},
                          Case{"symbolic link", symlink, THelpPackage::BadArchive},
                          Case{"hard link", hardlink, THelpPackage::BadArchive},
                          Case{"another language's folder", stray, THelpPackage::BadArchive},
                          Case{"windows separators climbing", backslash, THelpPackage::BadArchive},
                          Case{"a name given twice", twice, THelpPackage::BadArchive},
                          Case{"empty", {}, THelpPackage::BadArchive}}) {
        SCOPED_TRACE(c.what);
        PackageServer s;
        std::set<std::string> before = s.Written();
        s.Serve("7source.tar.zst", MakeArchive(c.entries));
        THelpPackage::Outcome o = s.Install();
        EXPECT_EQ(o.result, c.expected) << o.message;
        EXPECT_EQ(o.message.find('\n'), std::string::npos);
        EXPECT_EQ(s.Written(), before);
        EXPECT_FALSE(fs::exists("/tmp/parlora-absolute-written"));
    }
}

TEST(HelpPackage, TruncatedOrCorruptedPackagesAreRefused) {
    std::vector<uint8_t> good = MakeArchive(GoodEntries());
    for (size_t keep : {good.size() / 2, good.size() - 5, size_t(10)}) {
        SCOPED_TRACE(keep);
        PackageServer s;
        std::set<std::string> before = s.Written();
        // The checksum matches the cut bytes: only the unpacking can notice.
        s.Serve("7source.tar.zst", std::vector<uint8_t>(good.begin(), good.begin() + long(keep)));
        THelpPackage::Outcome o = s.Install();
        EXPECT_EQ(o.result, THelpPackage::BadArchive) << o.message;
        EXPECT_EQ(s.Written(), before);
    }
    {
        PackageServer s;
        std::vector<uint8_t> noise(4000, 0x5A);
        s.Serve("7source.tar.zst", noise);
        EXPECT_EQ(s.Install().result, THelpPackage::BadArchive);
        EXPECT_FALSE(fs::exists(s.data() + "/sources/7source"));
    }
}

TEST(HelpPackage, ChecksumIsCheckedBeforeUnpacking) {
    PackageServer s;
    std::vector<uint8_t> good = MakeArchive(GoodEntries());
    s.Serve("7source.tar.zst", good, false);
    // Missing checksum file.
    EXPECT_EQ(s.Install().result, THelpPackage::FetchFailed);
    // A checksum of other bytes, or no checksum at all in the file.
    std::vector<uint8_t> other = good;
    other.back() ^= 1;
    for (std::string sum : {THelpPackage::Sha256Hex(other) + "  7source.tar.zst\n", std::string("nonsense\n"),
                            THelpPackage::Sha256Hex(good).substr(0, 63) + "\n"}) {
        WriteFile(s.server() + "/7source.tar.zst.sha256", sum);
        THelpPackage::Outcome o = s.Install();
        EXPECT_EQ(o.result, THelpPackage::ChecksumMismatch) << sum << o.message;
        EXPECT_FALSE(fs::exists(s.data() + "/sources/7source"));
    }
    // Upper-case digits as some tools write them are the same checksum.
    std::string upper = THelpPackage::Sha256Hex(good);
    for (char& ch : upper)
        ch = char(std::toupper(static_cast<unsigned char>(ch)));
    WriteFile(s.server() + "/7source.tar.zst.sha256", upper + "\n");
    EXPECT_EQ(s.Install().result, THelpPackage::Installed);
}

TEST(HelpPackage, AddressesOtherThanHttpsAndFileAreNotUsed) {
    std::vector<uint8_t> out;
    std::string error;
    for (const char* url : {"http://example.org/7source.tar.zst", "ftp://example.org/x", "/plain/path", ""}) {
        EXPECT_FALSE(THelpPackage::Fetch(url, out, error)) << url;
        EXPECT_FALSE(error.empty());
    }
    PackageServer s;
    EXPECT_EQ(THelpPackage::Install(7, s.data() + "/..", "http://127.0.0.1:9/x").result,
              THelpPackage::FetchFailed);
    EXPECT_FALSE(fs::exists(s.data() + "/sources/7source"));
}

TEST(HelpPackage, BaseAddressComesFromTheCourseConfiguration) {
    TempDir t;
    MakeDirs(t / "course/data/sources");
    EXPECT_EQ(THelpPackage::BaseAddress(t / "course", t / "course/data/.."), "");
    WriteFile(t / "course/config.txt", "[Defaults]\r\nHelpBase=https://example.org/help/ \r\n");
    EXPECT_EQ(THelpPackage::BaseAddress("", t / "course/data/.."), "https://example.org/help/");
    // sconfig.txt wins over config.txt; a plain folder is relative to the configuration's folder.
    WriteFile(t / "course/SConfig.txt", "[Defaults]\r\nHelpBase=my packages\r\n");
    std::string base = THelpPackage::BaseAddress("", t / "course/data/..");
    EXPECT_EQ(base, "file://" + fs::weakly_canonical(t / "course").string() + "/my%20packages");
    // The program's working folder (the course's home) is asked first.
    WriteFile(t / "home/sconfig.txt", "[Defaults]\r\nHelpBase=file:///srv/help\r\n");
    EXPECT_EQ(THelpPackage::BaseAddress(t / "home", t / "course/data/.."), "file:///srv/help");
}

TEST(HelpPackage, DataFolderFromTheParentGiven) {
    TempDir t;
    MakeDirs(t / "course/Data/sources");
    MakeDirs(t / "other/content/Sources");
    EXPECT_EQ(THelpPackage::DataDirOf(t / "course/Data/.."), t / "course/Data");
    EXPECT_EQ(THelpPackage::DataDirOf(t / "course"), t / "course/Data");
    EXPECT_EQ(THelpPackage::DataDirOf(t / "course/"), t / "course/Data");
    EXPECT_EQ(THelpPackage::DataDirOf(t / "other"), t / "other/content");
    EXPECT_EQ(THelpPackage::DataDirOf(t / "missing/.."), "");
    EXPECT_EQ(THelpPackage::DataDirOf(t.path()), "");
}

TEST(HelpPackageProgram, ExitCodesAndOneLineReasons) {
    PackageServer s;
    std::string out;
    // No address configured: refused at once.
    EXPECT_EQ(RunProgram({"7", s.data() + "/.."}, s.course(), out), THelpPackage::NoAddress);
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
    EXPECT_NE(out.find("HelpBase"), std::string::npos) << out;
    EXPECT_EQ(RunProgram({"seven", s.data() + "/.."}, s.course(), out), THelpPackage::BadUsage);
    EXPECT_EQ(RunProgram({"7"}, s.course(), out), THelpPackage::BadUsage);

    WriteFile(s.course() + "/sconfig.txt", "[Defaults]\r\nHelpBase=" + s.base() + "\r\n");
    EXPECT_EQ(RunProgram({"7", s.data() + "/.."}, s.course(), out), THelpPackage::FetchFailed) << out;
    s.Serve("7source.tar.zst", MakeArchive(GoodEntries()));
    EXPECT_EQ(RunProgram({"7", s.data() + "/.."}, s.course(), out), 0) << out;
    EXPECT_TRUE(fs::is_regular_file(s.data() + "/sources/7source/Help/Help1.png"));
}

// Packages small on the wire that would fill the disk or the folder on unpacking.
TEST(HelpPackageLimits, SparseEntryOfHugeApparentSizeIsRefused) {
    std::vector<uint8_t> gnu =
        Zstd(GnuSparseTar("7source/Help/Help1.png", 100ull << 30, std::string(512, 'h')));
    ASSERT_LT(gnu.size(), 300u);
    PackageServer s;
    std::set<std::string> before = s.Written();
    s.Serve("7source.tar.zst", gnu);
    THelpPackage::Outcome o = s.Install();
    EXPECT_EQ(o.result, THelpPackage::BadArchive) << o.message;
    EXPECT_EQ(s.Written(), before);
}

TEST(HelpPackageLimits, FloodOfEmptyEntriesIsRefused) {
    std::vector<Entry> flood = GoodEntries();
    for (int i = 0; i < 20000; ++i)
        flood.push_back({"7source/e" + std::to_string(i), ""});
    PackageServer s;
    std::set<std::string> before = s.Written();
    s.Serve("7source.tar.zst", MakeArchive(flood));
    THelpPackage::Outcome o = s.Install();
    EXPECT_EQ(o.result, THelpPackage::BadArchive) << o.message;
    EXPECT_EQ(s.Written(), before);
}

// True when `text` holds a byte a terminal could take as a command: C0, DEL, or UTF-8 C1.
bool HasControls(const std::string& text) {
    for (unsigned char c = 0x80; c < 0xA0; ++c)
        if (text.find(std::string("\xC2") + char(c)) != std::string::npos) return true;
    return std::any_of(text.begin(), text.end(), [](unsigned char c) { return c < 0x20 || c == 0x7F; });
}

TEST(HelpPackageNames, NamesWithControlCharactersAreRefusedAndNeverEchoedRaw) {
    for (std::string name : {std::string("7source/a\nparlora-get-help: 7source installed.png"),
                             std::string("7source/\x1b[2J\x1b[Hwiped.png"),
                             std::string("7source/csi\xc2\x9b"
                                         "2J.png"),
                             std::string("7source/del\x7f.png"), std::string("7source/tab\there.png"),
                             std::string("8source/\x1b]0;title\x07.png")}) {
        SCOPED_TRACE(THelpPackage::Sha256Hex(std::vector<uint8_t>(name.begin(), name.end())).substr(0, 8));
        std::vector<Entry> entries = GoodEntries();
        entries.push_back({name, "x"});
        PackageServer s;
        std::set<std::string> before = s.Written();
        s.Serve("7source.tar.zst", MakeArchive(entries));
        THelpPackage::Outcome o = s.Install();
        EXPECT_EQ(o.result, THelpPackage::BadArchive) << o.message;
        EXPECT_FALSE(HasControls(o.message)) << o.message;
        EXPECT_EQ(s.Written(), before);
    }
    // An address from the course's configuration is echoed when it fails.
    PackageServer s;
    THelpPackage::Outcome o = THelpPackage::Install(7, s.data() + "/..", "file:///nowhere/\x1b[31m\npretend");
    EXPECT_EQ(o.result, THelpPackage::FetchFailed);
    EXPECT_FALSE(HasControls(o.message)) << o.message;
}

TEST(HelpPackageNames, ProgramPrintsNoForgedLines) {
    PackageServer s;
    WriteFile(s.course() + "/sconfig.txt", "[Defaults]\r\nHelpBase=" + s.base() + "\r\n");
    std::vector<Entry> entries = GoodEntries();
    entries.push_back({"8source/x\nparlora-get-help: 8source installed", "x"});
    s.Serve("7source.tar.zst", MakeArchive(entries));
    std::string out;
    EXPECT_EQ(RunProgram({"7", s.data() + "/.."}, s.course(), out), THelpPackage::BadArchive) << out;
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
    EXPECT_EQ(out.find("\nparlora-get-help: 8source installed"), std::string::npos) << out;
    // The arguments are echoed as safely.
    EXPECT_EQ(
        RunProgram({"7\nparlora-get-help: 7source installed\x1b[1A", s.data() + "/.."}, s.course(), out),
        THelpPackage::BadUsage);
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
    EXPECT_EQ(out.find('\x1b'), std::string::npos) << out;
}

// Entries of `folder` whose name starts with `prefix`.
std::vector<std::string> NamesStartingWith(const std::string& folder, const std::string& prefix) {
    std::vector<std::string> found;
    std::error_code ec;
    for (fs::directory_iterator d(folder, ec); !ec && d != fs::directory_iterator(); d.increment(ec))
        if (d->path().filename().string().rfind(prefix, 0) == 0) found.push_back(d->path().filename());
    return found;
}

TEST(HelpPackageInterrupted, SignalWhileUnpackingRemovesTheTemporaryFolder) {
    // Large enough unpacked that the signal comes while it is being written.
    std::vector<Entry> entries = GoodEntries();
    entries.push_back({"7source/large.bin", std::string(256u << 20, '\0')});
    std::vector<uint8_t> package = MakeArchive(entries);
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(sig);
        PackageServer s;
        WriteFile(s.course() + "/sconfig.txt", "[Defaults]\r\nHelpBase=" + s.base() + "\r\n");
        s.Serve("7source.tar.zst", package);
        std::string sources = s.data() + "/sources", parent = s.data() + "/..";
        pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, 1);
            ::dup2(null, 2);
            if (::chdir(s.course().c_str()) == 0)
                ::execl(kProgram.c_str(), kProgram.c_str(), "7", parent.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (NamesStartingWith(sources, ".7source-").empty() && std::chrono::steady_clock::now() < limit)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        bool unpacking = !NamesStartingWith(sources, ".7source-").empty();
        ::kill(pid, sig);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(unpacking) << "unpacking never started";
        ASSERT_TRUE(WIFEXITED(status)) << "killed by signal " << WTERMSIG(status);
        EXPECT_EQ(WEXITSTATUS(status), 128 + sig);
        EXPECT_EQ(NamesStartingWith(sources, ".7source-"), std::vector<std::string>{});
        EXPECT_FALSE(fs::exists(sources + "/7source"));
    }
}

// Sets the modification time of `path` itself (not of what a link names) `hours` into the past.
void Age(const std::string& path, int hours) {
    timespec times[2];
    ::clock_gettime(CLOCK_REALTIME, &times[0]);
    times[0].tv_sec -= hours * 3600;
    times[1] = times[0];
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << path;
}

TEST(HelpPackageInterrupted, StaleTemporaryFoldersGoAtTheNextRunAndNothingElse) {
    PackageServer s;
    s.Serve("7source.tar.zst", MakeArchive(GoodEntries()));
    std::string sources = s.data() + "/sources";
    std::string victim = s.tmp / "victim";
    WriteFile(victim + "/keep.txt", "keep");
    // What a killed run left: a large half-unpacked language.
    WriteFile(sources + "/.5source-Ab12Cd/5source/general/big.png", std::string(100000, 'b'));
    Age(sources + "/.5source-Ab12Cd/5source/general", 2);
    Age(sources + "/.5source-Ab12Cd/5source", 2);
    Age(sources + "/.5source-Ab12Cd", 2);
    // A run still unpacking, recently or for long (it holds its folder locked).
    MakeDirs(sources + "/.3source-Fr35h1/3source");
    MakeDirs(sources + "/.8source-Busy00/8source");
    Age(sources + "/.8source-Busy00", 2);
    int busy = ::open((sources + "/.8source-Busy00").c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_EQ(::flock(busy, LOCK_EX | LOCK_NB), 0);
    // Links put there by whoever else writes to the course's folder: never followed.
    fs::create_directory_symlink(victim, sources + "/.4source-L1nk00");
    Age(sources + "/.4source-L1nk00", 2);
    MakeDirs(sources + "/.6source-Old123/6source");
    fs::create_directory_symlink(victim, sources + "/.6source-Old123/6source/link");
    Age(sources + "/.6source-Old123/6source", 2);
    Age(sources + "/.6source-Old123", 2);
    Age(sources + "/1source", 2); // a language, however old

    THelpPackage::Outcome o = s.Install();
    EXPECT_EQ(o.result, THelpPackage::Installed) << o.message;
    EXPECT_FALSE(fs::exists(sources + "/.5source-Ab12Cd"));
    EXPECT_TRUE(fs::is_directory(sources + "/.3source-Fr35h1/3source"));
    EXPECT_TRUE(fs::is_directory(sources + "/.8source-Busy00/8source"));
    EXPECT_TRUE(fs::is_symlink(sources + "/.4source-L1nk00"));
    EXPECT_EQ(ReadFile(victim + "/keep.txt"), "keep");
    EXPECT_TRUE(fs::is_directory(sources + "/1source"));
    EXPECT_TRUE(fs::is_directory(sources + "/7source"));
    ::close(busy);
}

} // namespace
} // namespace parlora
