// The help-language download program: fetching, checking and installing a language package, and
// refusing every package that would leave a half-installed language or write outside its folder.
#include "tools/gethelp/HelpPackage.h"

#include "tests/support/TestFiles.h"

#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <set>

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
    std::vector<uint8_t> out(1 << 20);
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
        EXPECT_EQ(archive_write_header(a.get(), h.get()), ARCHIVE_OK) << e.path;
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

} // namespace
} // namespace parlora
