#include "export/PhraseExport.h"

#include "core/Errors.h"
#include "core/PathResolver.h"
#include "core/StringUtil.h"
#include "export/Mp3Track.h"
#include "export/TrackAudio.h"
#include "media/WaveFile.h"

#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace parlora {

TPhraseExport::TPhraseExport(ExportSettings settings) : s_(std::move(settings)) {}

TPhraseExport::~TPhraseExport() {
    CleanUp();
}

void TPhraseExport::Log(const std::string& line) {
    if (s_.debugLog) s_.debugLog(line);
}

void TPhraseExport::CleanUp() {
    for (auto& f : folders_)
        f->Abandon();
}

namespace {

// The code point of the UTF-8 sequence at `at` and its length; length 0 for a malformed one.
std::pair<uint32_t, size_t> DecodeUtf8(const std::string& s, size_t at) {
    unsigned char c = static_cast<unsigned char>(s[at]);
    size_t n = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
    if (n == 0 || at + n > s.size()) return {0, 0};
    uint32_t cp = n == 1 ? c : c & (0x7F >> n);
    for (size_t i = 1; i < n; ++i) {
        unsigned char d = static_cast<unsigned char>(s[at + i]);
        if ((d & 0xC0) != 0x80) return {0, 0};
        cp = (cp << 6) | (d & 0x3F);
    }
    // Overlong forms, surrogates and values past Unicode are not text.
    static const uint32_t kLeast[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kLeast[n] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return {0, 0};
    return {cp, n};
}

// Letters and digits of any script, as far as a file name needs: everything from Latin-1's letters
// on, except the blocks of punctuation, symbols, private use, specials and pictographs.
bool WordCharacter(uint32_t cp) {
    if (cp < 0x80) return std::isalnum(int(cp)) != 0;
    if (cp < 0xC0 || cp == 0xD7 || cp == 0xF7) return false;
    if (cp >= 0x2000 && cp <= 0x2BFF) return false;         // punctuation, arrows, symbols, dingbats
    if (cp >= 0x3000 && cp <= 0x303F) return false;         // CJK punctuation
    if (cp >= 0xE000 && cp <= 0xF8FF) return false;         // private use
    if (cp >= 0xFE00 && cp <= 0xFE6F) return false;         // variation selectors, small forms
    if (cp >= 0xFF00 && cp <= 0xFF0F) return false;         // full-width punctuation
    if (cp >= 0xFFF0) return cp >= 0x10000 && cp < 0x1F000; // specials; pictographs and beyond
    return true;
}

} // namespace

std::string TPhraseExport::TrackFileName(int category, int track, const std::string& text,
                                         const std::string& code) {
    std::string words;
    bool gap = false;
    for (size_t at = 0; at < text.size();) {
        auto [cp, n] = DecodeUtf8(text, at);
        if (n == 0) {
            ++at;
            gap = true;
            continue;
        }
        bool keep = WordCharacter(cp) || cp == '-';
        if (keep) {
            bool space = gap && !words.empty();
            if (words.size() + (space ? 1 : 0) + n > kMaxWordsBytes) break;
            if (space) words += ' ';
            words.append(text, at, n);
        }
        // Punctuation and spaces between words become one space; none at either end.
        gap = !keep;
        at += n;
    }
    while (!words.empty() && (words.back() == ' ' || words.back() == '-'))
        words.pop_back();
    size_t lead = words.find_first_not_of("- ");
    words = lead == std::string::npos ? std::string() : words.substr(lead);
    if (words.empty()) words = TExportFolder::SafeName(code);
    return Format("%02d-%02d %s.mp3", category, track, words.c_str());
}

std::vector<std::string> TPhraseExport::Destinations() const {
    std::vector<std::string> out;
    for (const auto& f : folders_)
        out.push_back(f->FinalDir());
    return out;
}

bool TPhraseExport::Step() {
    if (state_ != State::Ready && state_ != State::Running) return false;
    try {
        if (state_ == State::Ready) {
            Start();
        } else if (category_ < categories_.size()) {
            PhraseStep();
        } else if (copied_ < playlist_.size() * (folders_.size() - 1)) {
            CopyStep();
        } else {
            Finish();
        }
    } catch (const std::exception& e) {
        error_ = e.what();
        CleanUp();
        state_ = State::Failed;
        Log("DelTree");
    }
    return state_ == State::Ready || state_ == State::Running;
}

void TPhraseExport::Cancel() {
    if (state_ != State::Ready && state_ != State::Running) return;
    CleanUp();
    state_ = State::Cancelled;
    Log("DelTree");
}

void TPhraseExport::Start() {
    title_ = "Parlora! " + s_.targetName;
    state_ = State::Running;
    Log(Format("MakePlayList %s", title_.c_str()));
    int count = 0;
    categories_ = PhraseLists::LoadPhrases(s_.sourceDir, s_.dataDir, count);
    maximum_ = count;
    std::vector<std::string> roots{s_.musicRoot};
    roots.insert(roots.end(), s_.playerRoots.begin(), s_.playerRoots.end());
    for (const std::string& root : roots) {
        folders_.push_back(std::make_unique<TExportFolder>(root + "/Parlora", title_, kArtist));
        folders_.back()->Begin();
    }
}

void TPhraseExport::PhraseStep() {
    TOurCategory& cat = categories_[category_];
    if (!categoryOpen_) {
        if (!PathResolver::IsDirectory(s_.targetDir + "\\" + cat.code)) {
            // The progress still counts the category, so the bar reaches its end.
            position_ += int(cat.phrases.size());
            ++category_;
            return;
        }
        categoryOpen_ = true;
        phrase_ = 0;
        trackInCategory_ = 0;
        Log(Format("ConcatCat %s", cat.code.c_str()));
        return;
    }
    if (phrase_ >= cat.phrases.size()) {
        if (trackInCategory_ > 0) Log(Format("AdjustTracks %s", cat.code.c_str()));
        categoryOpen_ = false;
        ++category_;
        return;
    }
    TOurPhrase& p = cat.phrases[phrase_++];
    ++position_;
    std::string male =
        Format("%s\\%s\\%s%s.aif", s_.targetDir.c_str(), cat.code.c_str(), "m", p.code.c_str());
    std::string female =
        Format("%s\\%s\\%s%s.aif", s_.targetDir.c_str(), cat.code.c_str(), "f", p.code.c_str());
    if (!PathResolver::IsFile(male) || !PathResolver::IsFile(female)) {
        leftOut_.push_back(p.code);
        Log(Format("Left out %s: a voice is missing", p.code.c_str()));
        return;
    }
    TrackPcm pcm;
    TrackAudio::Fit fit = TrackAudio::Fit::Same;
    try {
        pcm = TrackAudio::Build(WaveFile::Load(PathResolver::Resolve(male)),
                                WaveFile::Load(PathResolver::Resolve(female)), &fit);
    } catch (const AppError& e) {
        // A sound that cannot be read costs its phrase, not the export.
        leftOut_.push_back(p.code);
        Log(Format("Left out %s: %s", p.code.c_str(), e.what()));
        return;
    }
    if (fit == TrackAudio::Fit::Converted) {
        ++converted_;
        Log(Format("Converted %s: the female sound to the male sound's format", p.code.c_str()));
    }
    TrackTags tags;
    tags.title = p.text;
    tags.artist = kArtist;
    tags.album = title_ + " - " + cat.title;
    tags.genre = kGenre;
    tags.track = trackInCategory_ + 1;
    {
        std::string picture = PhraseLists::PicturePath(s_.interfaceDir, cat.code, p.code);
        std::ifstream in(picture, std::ios::binary);
        tags.picture.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (tags.picture.empty()) throw AppError(Format("Unknown picture %s", picture.c_str()));
    }
    if (trackInCategory_ == 0) Log(Format("StartCompressCat %s", cat.code.c_str()));
    // Category and track numbers make the name unique, also for a code listed twice.
    std::string name = TrackFileName(int(category_ + 1), tags.track, p.text, p.code);
    std::string path = folders_[0]->StagingDir() + "/" + name;
    Mp3Track::Encode(pcm, path);
    Mp3Track::WriteTags(path, tags);
    ++trackInCategory_;
    p.file = path;
    playlist_.push_back({name, kArtist, p.text, pcm.Seconds()});
}

void TPhraseExport::CopyStep() {
    size_t folder = 1 + copied_ / playlist_.size();
    const PlaylistEntry& e = playlist_[copied_ % playlist_.size()];
    std::string to = folders_[folder]->StagingDir() + "/" + e.file;
    std::error_code ec;
    fs::copy_file(folders_[0]->StagingDir() + "/" + e.file, to, fs::copy_options::overwrite_existing, ec);
    if (ec) throw AppError(Format("Can't create directory %s", folders_[folder]->StagingDir().c_str()));
    ++copied_;
}

void TPhraseExport::Finish() {
    if (!playlist_.empty()) {
        Log(Format("DumpOldTracks %s", title_.c_str()));
        for (auto& f : folders_)
            f->Commit(playlist_);
    }
    // With no track written the earlier export is worth more than an empty one: it stays.
    CleanUp();
    position_ = maximum_;
    state_ = State::Done;
    Log("DelTree");
}

} // namespace parlora
