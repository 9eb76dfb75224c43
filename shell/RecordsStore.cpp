#include "shell/RecordsStore.h"

#include "core/Errors.h"
#include "core/ProfileFile.h"
#include "core/StringUtil.h"
#include "core/TextCodec.h"
#include "platform/Clock.h"
#include "shell/CommaText.h"
#include "shell/RemoteProfile.h"
#include "shell/TextUtils.h"

#include <algorithm>

namespace parlora {

namespace {

// Decodes valid UTF-8 (checked by the caller) into code points.
std::u32string CodePoints(std::string_view s) {
    std::u32string out;
    for (size_t i = 0; i < s.size();) {
        auto b = static_cast<unsigned char>(s[i]);
        int extra = b < 0x80 ? 0 : b < 0xE0 ? 1 : b < 0xF0 ? 2 : 3;
        char32_t c = extra == 0 ? b : extra == 1 ? (b & 0x1F) : extra == 2 ? (b & 0x0F) : (b & 0x07);
        for (int k = 1; k <= extra && i + size_t(k) < s.size(); ++k)
            c = (c << 6) | (static_cast<unsigned char>(s[i + size_t(k)]) & 0x3F);
        out.push_back(c);
        i += size_t(extra) + 1;
    }
    return out;
}

// Lower case for the alphabets students' names are written in most often: Latin, Greek, Cyrillic.
char32_t FoldCase(char32_t c) {
    if (c >= 'A' && c <= 'Z') return c + 32;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return c | 1;
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1) ? c + 1 : c;
    if (c == 0x178) return 0xFF;
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 32;
    if (c >= 0x410 && c <= 0x42F) return c + 32;
    if (c >= 0x400 && c <= 0x40F) return c + 80;
    return c;
}

} // namespace

TRecordsStore::TRecordsStore(const CourseFolders& folders, const StartOptions& options, const IClock& clock)
    : folders_(folders), options_(options), clock_(clock) {
    for (auto& slot : scores_)
        slot.fill(-1);
}

TRecordsStore::Backend TRecordsStore::backend() const {
    if (options_.network && remote_) return Backend::Network;
    if (!folders_.RecordsFile.empty()) return Backend::File;
    return Backend::Off;
}

std::string TRecordsStore::ReadRecordValue(const std::string& section, const std::string& key,
                                           const std::string& fallback) {
    switch (backend()) {
    case Backend::Network:
        return remote_->GetRemoteProfileString(section, key, fallback);
    case Backend::File:
        return file_.Current(folders_.RecordsFile).get(section, key).value_or(fallback);
    case Backend::Off:
        break;
    }
    return fallback;
}

int TRecordsStore::ReadRecordInt(const std::string& section, const std::string& key, int fallback) {
    return ParseIntOr(ReadRecordValue(section, key, std::to_string(fallback)), fallback);
}

void TRecordsStore::WriteRecordValue(const std::string& section, const std::string& key,
                                     const std::string& value) {
    switch (backend()) {
    case Backend::Network:
        remote_->WriteRemoteProfileString(section, key, value);
        break;
    case Backend::File:
        if (key.empty() && value.empty()) {
            file_.Edit(folders_.RecordsFile, [&](ProfileText& text) { text.eraseSection(section); });
        } else {
            if (section.empty()) throw ProfileError("No section specified for WriteProfile");
            file_.Edit(folders_.RecordsFile, [&](ProfileText& text) { text.set(section, key, value); });
        }
        break;
    case Backend::Off:
        break;
    }
}

void TRecordsStore::WriteRecordInt(const std::string& section, const std::string& key, int value) {
    WriteRecordValue(section, key, std::to_string(value));
}

std::string TRecordsStore::ReadStudentValue(const std::string& key, const std::string& fallback) {
    if (current_.empty()) return fallback;
    return ReadRecordValue(StudentSection(), key, fallback);
}

int TRecordsStore::ReadStudentInt(const std::string& key, int fallback) {
    return ParseIntOr(ReadStudentValue(key, std::to_string(fallback)), fallback);
}

void TRecordsStore::WriteStudentValue(const std::string& key, const std::string& value) {
    if (current_.empty() || key.empty()) return;
    WriteRecordValue(StudentSection(), key, value);
}

void TRecordsStore::WriteStudentInt(const std::string& key, int value) {
    WriteStudentValue(key, std::to_string(value));
}

void TRecordsStore::EraseStudentSection() {
    if (current_.empty()) return;
    WriteRecordValue(StudentSection(), "", "");
}

std::vector<std::string> TRecordsStore::StudentNames() const {
    std::vector<std::string> names;
    for (const auto& s : students_)
        names.push_back(s.name);
    return names;
}

void TRecordsStore::LoadStudentList() {
    students_.clear();
    for (auto& raw : DecodeCommaText(ReadRecordValue("Defaults", "Students", ""))) {
        std::string name = RecordTextToUtf8(raw);
        students_.push_back({std::move(name), std::move(raw), 0});
    }
}

std::string TRecordsStore::StudentListValue(const std::vector<TStudentEntry>& students) {
    std::vector<std::string> raws;
    for (const auto& s : students)
        raws.push_back(s.raw);
    return "\"" + EncodeCommaText(raws) + "\"";
}

void TRecordsStore::SaveStudentList() {
    WriteRecordValue("Defaults", "Students", StudentListValue(students_));
}

void TRecordsStore::SortStudentsByScore() {
    if (students_.empty()) return;
    if (backend() == Backend::File) {
        // One look at the file for the whole list.
        const RecordsIndex& index = file_.Current(folders_.RecordsFile);
        for (auto& s : students_)
            s.tag = ParseIntOr(index.get("Student " + s.raw, "Score").value_or("0"), 0);
    } else {
        for (auto& s : students_)
            s.tag = ReadRecordInt("Student " + s.raw, "Score", 0);
    }
    auto higherFirst = [](const TStudentEntry& a, const TStudentEntry& b) { return a.tag > b.tag; };
    if (std::is_sorted(students_.begin(), students_.end(), higherFirst)) return;
    std::stable_sort(students_.begin(), students_.end(), higherFirst);
    SaveStudentList();
}

bool TRecordsStore::SameStudentName(const std::string& a, const std::string& b) {
    if (!IsValidUtf8(a) || !IsValidUtf8(b)) return IEquals(a, b);
    std::u32string ca = CodePoints(a), cb = CodePoints(b);
    if (ca.size() != cb.size()) return false;
    for (size_t i = 0; i < ca.size(); ++i)
        if (FoldCase(ca[i]) != FoldCase(cb[i])) return false;
    return true;
}

bool TRecordsStore::IsAcceptableStudentName(const std::string& name) {
    // The name becomes part of a section header: "]" would end it early, a leading ";" would turn the
    // name list entry into a comment, control characters could split lines, and blanks at the ends
    // are trimmed from headers so " Anna" would open Anna's section.
    if (name.empty() || Trim(name) != name) return false;
    if (name.front() == ';' || name.find(']') != std::string::npos) return false;
    for (char c : name)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
    return IsValidUtf8(name);
}

bool TRecordsStore::AddStudent(const std::string& name) {
    if (!IsAcceptableStudentName(name)) return false;
    for (const auto& s : students_)
        if (SameStudentName(s.name, name)) return false;
    students_.push_back({name, name, 0});
    SaveStudentList();
    return true;
}

bool TRecordsStore::DeleteCurrentStudent() {
    auto it = std::find_if(students_.begin(), students_.end(),
                           [&](const TStudentEntry& s) { return SameStudentName(s.name, current_); });
    if (current_.empty() || it == students_.end()) return false;
    students_.erase(it);
    SaveStudentList();
    SetCurrentStudent("");
    return true;
}

bool TRecordsStore::DeleteCurrentStudentAndRecords() {
    if (current_.empty()) return false;
    if (backend() != Backend::File) {
        EraseStudentSection();
        return DeleteCurrentStudent();
    }
    std::vector<TStudentEntry> rest = students_;
    auto it = std::find_if(rest.begin(), rest.end(),
                           [&](const TStudentEntry& s) { return SameStudentName(s.name, current_); });
    bool listed = it != rest.end();
    if (listed) rest.erase(it);
    const std::string section = StudentSection();
    file_.Edit(folders_.RecordsFile, [&](ProfileText& text) {
        text.eraseSection(section);
        if (listed) text.set("Defaults", "Students", StudentListValue(rest));
    });
    // Memory follows only once the file has the change.
    if (!listed) return false;
    students_ = std::move(rest);
    SetCurrentStudent("");
    return true;
}

void TRecordsStore::SetCurrentStudent(const std::string& name) {
    current_ = name;
    currentRaw_ = name;
    for (const auto& s : students_)
        if (s.name == name) {
            currentRaw_ = s.raw;
            return;
        }
    for (const auto& s : students_)
        if (SameStudentName(s.name, name)) {
            currentRaw_ = s.raw;
            return;
        }
}

void TRecordsStore::LoadStudent(const std::function<void()>& between) {
    for (int g = 0; g < kActivities; ++g) {
        // Quiz mode starts every student from nothing: the network manager keeps the quiz results.
        std::string text = options_.quiz ? std::string() : ReadStudentValue(GameKey(g), "");
        for (int slot = 0; slot < kSlots; ++slot)
            scores_[size_t(slot)][size_t(g)] = TakeInt(text, ",", -1);
    }
    total_ = ComputeTotal(scores_);
    WriteStudentInt("Score", total_);
    if (between) between();
    WriteStudentValue("LastUsed", clock_.shortDate());
    WriteStudentInt("Sessions", ReadStudentInt("Sessions", 0) + 1);
}

int TRecordsStore::GetScore(int slot, int activity) const {
    if (slot < 0 || slot >= kSlots || activity < 0 || activity >= kActivities) return -1;
    return scores_[size_t(slot)][size_t(activity)];
}

void TRecordsStore::WriteScores(int activity) {
    std::string text;
    for (int slot = 0; slot < kSlots; ++slot) {
        if (slot > 0) text += ',';
        text += std::to_string(scores_[size_t(slot)][size_t(activity)]);
    }
    WriteStudentValue(GameKey(activity), text);
}

void TRecordsStore::StoreScore(int slot, int activity, int score) {
    activityScore_ = score;
    if (slot < 0 || slot >= kSlots || activity < 0 || activity >= kActivities) return;
    int& stored = scores_[size_t(slot)][size_t(activity)];
    if (stored == score) return;
    // The latest result replaces the stored one, even a lower one.
    stored = score;
    WriteScores(activity);
    total_ = ComputeTotal(scores_);
    WriteStudentInt("Score", total_);
}

int TRecordsStore::ComputeTotal(const ScoreTable& scores) {
    long long total = 0;
    for (const auto& slot : scores)
        for (int g : {2, 3, 5, 6})
            if (slot[size_t(g)] > 0) total += slot[size_t(g)];
    // Scores from a damaged file must not wrap the total round to a negative number.
    return static_cast<int>(std::min<long long>(total, 0x7FFFFFFF));
}

int TRecordsStore::AwardLevel(int total) {
    if (total >= 1500) return 3;
    if (total >= 1200) return 2;
    if (total >= 900) return 1;
    return 0;
}

int TRecordsStore::NetworkScore() const {
    return options_.quiz ? quizScore_ : total_;
}

} // namespace parlora
