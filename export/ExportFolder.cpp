#include "export/ExportFolder.h"

#include "core/Errors.h"
#include "core/StringUtil.h"
#include "export/Mp3Track.h"

#include <cmath>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace parlora {

TExportFolder::TExportFolder(std::string root, std::string title, std::string artist)
    : root_(std::move(root)), title_(std::move(title)), artist_(std::move(artist)), safe_(SafeName(title_)) {}

TExportFolder::~TExportFolder() {
    Abandon();
}

std::string TExportFolder::SafeName(const std::string& title) {
    std::string out;
    for (char c : title) {
        unsigned char u = static_cast<unsigned char>(c);
        bool bad = u < 0x20 || u == 0x7F || std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos;
        out += bad ? '_' : c;
    }
    // FAT drops trailing dots and spaces; a leading dot would hide the folder.
    while (!out.empty() && (out.back() == '.' || out.back() == ' '))
        out.pop_back();
    while (!out.empty() && (out.front() == '.' || out.front() == ' '))
        out.erase(out.begin());
    return out.empty() ? std::string("Parlora") : out;
}

std::string TExportFolder::FinalDir() const {
    return root_ + "/" + safe_;
}

void TExportFolder::Begin() {
    std::error_code ec;
    fs::create_directories(root_, ec);
    if (!fs::is_directory(root_)) throw AppError(Format("Can't create directory %s", root_.c_str()));
    // A swap that was cut short: put the earlier export back, or finish moving the learner's files.
    std::string old = root_ + "/." + safe_ + ".old";
    if (fs::is_directory(old, ec)) {
        if (!fs::exists(fs::symlink_status(FinalDir(), ec)))
            fs::rename(old, FinalDir(), ec);
        else
            MoveForeignFiles(old);
    }
    std::string staging = root_ + "/." + safe_ + ".part";
    // Only one copy of the course runs, so a staging folder found now is a killed export's.
    fs::remove_all(staging, ec);
    if (!fs::create_directory(staging, ec) || ec)
        throw AppError(Format("Can't create directory %s", staging.c_str()));
    // The tracks must be writable there; a read-only drive says so now, not halfway through.
    std::string probe = staging + "/.probe";
    {
        std::ofstream p(probe);
        if (!p) {
            fs::remove_all(staging, ec);
            throw AppError(Format("Can't create directory %s", staging.c_str()));
        }
    }
    fs::remove(probe, ec);
    staging_ = staging;
}

void TExportFolder::Abandon() {
    if (staging_.empty()) return;
    std::error_code ec;
    fs::remove_all(staging_, ec);
    staging_.clear();
}

bool TExportFolder::IsOurs(const std::string& path) const {
    fs::path p(path);
    std::error_code ec;
    if (!fs::is_regular_file(p, ec)) return false;
    std::string name = p.filename().string();
    if (name == safe_ + ".m3u8") return true;
    if (name.size() < 4 || !IEquals(name.substr(name.size() - 4), ".mp3")) return false;
    std::string artist, album;
    return Mp3Track::ReadArtistAlbum(path, artist, album) && artist == artist_ &&
           album.compare(0, title_.size(), title_) == 0;
}

std::string TExportFolder::PlaylistText(const std::string& title,
                                        const std::vector<PlaylistEntry>& playlist) {
    std::string out = "#EXTM3U\n#PLAYLIST:" + title + "\n";
    for (const PlaylistEntry& e : playlist)
        out += Format("#EXTINF:%d,%s - %s\n%s\n", int(std::lround(e.seconds)), e.artist.c_str(),
                      e.title.c_str(), e.file.c_str());
    return out;
}

void TExportFolder::Commit(const std::vector<PlaylistEntry>& playlist) {
    if (staging_.empty()) throw AppError("Nothing to commit");
    std::string list = staging_ + "/" + safe_ + ".m3u8";
    {
        std::ofstream out(list, std::ios::binary);
        out << PlaylistText(title_, playlist);
        out.flush();
        if (!out) throw AppError(Format("Can't create directory %s", staging_.c_str()));
    }
    std::string final = FinalDir();
    std::string old = root_ + "/." + safe_ + ".old";
    std::error_code ec;
    if (fs::exists(fs::symlink_status(old, ec))) MoveForeignFiles(old);
    bool hadOld = fs::exists(fs::symlink_status(final, ec));
    if (hadOld) {
        fs::rename(final, old, ec);
        if (ec) throw AppError(Format("Can't create directory %s", final.c_str()));
    }
    fs::rename(staging_, final, ec);
    if (ec) {
        std::error_code back;
        if (hadOld) fs::rename(old, final, back);
        throw AppError(Format("Can't create directory %s", final.c_str()));
    }
    staging_.clear();
    if (!hadOld) return;
    MoveForeignFiles(old);
}

void TExportFolder::MoveForeignFiles(const std::string& old) {
    // Whatever else the learner kept in the folder moves over; only our earlier tracks go.
    std::error_code ec;
    std::vector<fs::path> entries;
    for (const fs::directory_entry& e : fs::directory_iterator(old, ec))
        entries.push_back(e.path());
    bool keptAll = !ec;
    std::string final = FinalDir();
    for (const fs::path& p : entries) {
        if (IsOurs(p.string())) continue;
        fs::path to = fs::path(final) / p.filename();
        for (int n = 2; fs::exists(fs::symlink_status(to, ec)); ++n)
            to = fs::path(final) / (p.stem().string() + Format(" (%d)", n) + p.extension().string());
        std::error_code moved;
        fs::rename(p, to, moved);
        if (moved) keptAll = false;
    }
    // A file that could not be moved stays, with the folder, rather than being lost.
    if (keptAll) fs::remove_all(old, ec);
}

} // namespace parlora
