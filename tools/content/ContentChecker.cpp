#include "tools/content/ContentChecker.h"

#include "core/Errors.h"
#include "core/PathResolver.h"
#include "display/DIBRender.h"
#include "display/MemoryDIB.h"
#include "display/PictureDecoder.h"
#include "media/MediaDecoder.h"
#include "media/WaveFile.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <vector>

namespace parlora {
namespace {

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

std::string Extension(const std::string& file) {
    return Lower(std::filesystem::path(file).extension().string());
}

std::vector<uint8_t> ReadAll(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw AppError("Can't open " + file);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string DescribePicture(const std::string& file) {
    std::vector<uint8_t> bytes = ReadAll(file);
    DecodedPicture pic = PictureDecoder::Decode(file, bytes.data(), bytes.size());
    std::string line =
        "picture " + std::to_string(pic.pixels.width()) + " x " + std::to_string(pic.pixels.height());
    if (pic.masked) line += ", masked";
    return line;
}

std::string DescribeWave(const std::string& file) {
    WaveData w = WaveFile::Load(file);
    const TWaveFormat& f = w.Format;
    std::string line = Extension(file) == ".wav" ? "sound WAV" : "sound AIFF";
    line += f.FormatTag == 1 ? " PCM" : " format " + std::to_string(f.FormatTag);
    line += " " + std::to_string(f.BitsPerSample) + "-bit";
    line += f.Channels == 1   ? " mono"
            : f.Channels == 2 ? " stereo"
                              : " " + std::to_string(f.Channels) + " channels";
    line += " " + std::to_string(f.SamplesPerSec) + " Hz";
    uint64_t ms = 0;
    if (f.BlockAlign != 0 && f.SamplesPerSec != 0)
        ms = uint64_t(w.DataLength / f.BlockAlign) * 1000 / f.SamplesPerSec;
    return line + ", " + std::to_string(ms) + " ms";
}

std::string DescribeMedia(const std::string& file) {
    MediaDecoder media(file);
    std::string line = media.HasVideo()
                           ? "film " + std::to_string(media.Width()) + " x " +
                                 std::to_string(media.Height()) + (media.HasAudio() ? " with sound" : "")
                           : "sound (media)";
    return line + ", " + std::to_string(media.LengthMs()) + " ms";
}

bool IsPictureName(const std::string& ext) {
    return ext == ".png" || ext == ".jpg" || ext == ".jpeg" || ext == ".bmp" || ext == ".pct" ||
           ext == ".pict";
}

// The file a sound pattern stands for: ".aif" before ".mp3"; empty when neither exists.
std::string FindSound(const std::string& base) {
    for (const char* ext : {".aif", ".mp3"}) {
        std::string p = PathResolver::Resolve(base + ext);
        if (PathResolver::IsFile(p)) return p;
    }
    return {};
}

} // namespace

std::string ContentChecker::Describe(const std::string& file) {
    if (PathResolver::IsDirectory(file)) return "folder";
    if (!PathResolver::IsFile(file)) throw AppError("Can't find " + file);
    std::string ext = Extension(file);
    if (ext == ".wav" || ext == ".aif" || ext == ".aiff") return DescribeWave(file);
    if (ext == ".mp3" || ext == ".mpg" || ext == ".mpeg" || ext == ".avi" || ext == ".mp4")
        return DescribeMedia(file);
    if (ext == ".txt" || ext == ".ini")
        return "list, " + std::to_string(std::filesystem::file_size(file)) + " bytes";
    // Unknown extensions go to the picture decoder, which knows the signatures.
    return DescribePicture(file);
}

bool ContentChecker::Info(const std::string& file, std::ostream& out) {
    std::string resolved = PathResolver::Resolve(file);
    try {
        std::string line = Describe(resolved); // before any output, so a failure prints one line
        out << file << ": " << line << "\n";
        return true;
    } catch (const std::exception& e) {
        out << file << ": unreadable: " << e.what() << "\n";
        return false;
    }
}

void ContentChecker::Convert(const std::string& in, const std::string& outPng) {
    TMemoryDIB picture;
    picture.LoadFromFile(PathResolver::Resolve(in));
    Surface shown(picture.Width(), picture.Height(), 0xFF000000u);
    DIBRender::DrawPicture(shown, shown.bounds(), 0, 0, picture, picture.Pixels().bounds(), 0, 100.0, 100.0);
    shown.savePng(outPng);
}

CheckSummary ContentChecker::Check(const std::string& dataDir, std::ostream& out) {
    CheckSummary sum;
    DataLayout layout = ScanDataDir(dataDir);
    std::set<std::string> seen; // the same file may be named twice (TextDir can be a source folder)

    for (const ManifestEntry& entry : ContentManifest()) {
        std::vector<ContentFile> files = ExpandEntry(entry, layout);
        if (entry.atLeastOne && files.empty()) {
            ++sum.missing;
            out << "missing (" << LevelName(entry.level) << "): " << entry.pattern;
            if (!entry.caption.empty()) out << " - " << entry.caption;
            out << "\n";
            continue;
        }
        for (const ContentFile& cf : files) {
            if (!seen.insert(Lower(cf.path)).second) continue;
            std::string full = PathResolver::Join(dataDir, cf.path);
            std::string found;
            if (entry.kind == ContentKind::Sound && Extension(cf.path).empty())
                found = FindSound(full);
            else {
                std::string r = PathResolver::Resolve(full);
                bool there = entry.kind == ContentKind::Folder ? PathResolver::IsDirectory(r)
                                                               : PathResolver::IsFile(r);
                if (there) found = r;
            }
            if (found.empty()) {
                if (!IsRequired(entry.level)) {
                    ++sum.missingOptional;
                    continue;
                }
                ++sum.missing;
                std::string shown = cf.path;
                if (entry.kind == ContentKind::Sound && Extension(cf.path).empty()) shown += ".aif|.mp3";
                out << "missing (" << LevelName(entry.level) << "): " << shown << "\n";
                continue;
            }
            if (entry.kind == ContentKind::Folder || entry.kind == ContentKind::List) {
                ++sum.checked;
                continue;
            }
            try {
                std::string ext = Extension(found);
                if (entry.kind == ContentKind::Picture || IsPictureName(ext))
                    DescribePicture(found);
                else
                    Describe(found);
                ++sum.checked;
            } catch (const std::exception& e) {
                ++sum.unreadable;
                out << "unreadable (" << LevelName(entry.level) << "): " << cf.path << ": " << e.what()
                    << "\n";
            }
        }
    }
    out << sum.missing << " missing, " << sum.unreadable << " unreadable, " << sum.checked << " checked\n";
    return sum;
}

void ContentChecker::List(const std::string& dataDir, std::ostream& out) {
    DataLayout layout = ScanDataDir(dataDir);
    std::set<std::string> seen;
    for (const ManifestEntry& entry : ContentManifest()) {
        if (entry.kind == ContentKind::Folder) continue;
        for (const ContentFile& cf : ExpandEntry(entry, layout)) {
            std::string full = PathResolver::Join(dataDir, cf.path);
            std::string found = entry.kind == ContentKind::Sound && Extension(cf.path).empty()
                                    ? FindSound(full)
                                    : PathResolver::Resolve(full);
            if (found.empty() || !PathResolver::IsFile(found) || !seen.insert(found).second) continue;
            out << LevelName(entry.level) << '\t' << KindName(entry.kind) << '\t' << found << '\n';
        }
    }
}

} // namespace parlora
