#include "network/ClassroomOutbox.h"

#include "core/ProfileFile.h"
#include "core/StringUtil.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

namespace parlora {

namespace {

std::string Escape(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::optional<std::string> Unescape(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\') {
            out += s[i];
            continue;
        }
        if (++i == s.size()) return std::nullopt;
        switch (s[i]) {
        case '\\':
            out += '\\';
            break;
        case 't':
            out += '\t';
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        default:
            return std::nullopt;
        }
    }
    return out;
}

std::optional<int> Number(const std::string& s) {
    std::optional<long long> v = ParseInt(s);
    if (!v || *v < INT_MIN || *v > INT_MAX) return std::nullopt;
    return int(*v);
}

bool IsErase(const TClassroomOutbox::Entry& e) {
    return e.kind == TClassroomOutbox::Kind::Write && e.key.empty() && e.value.empty();
}

// The entry a line holds, if it is whole.
std::optional<TClassroomOutbox::Entry> Parse(const std::string& line) {
    std::vector<std::string> fields = Split(line, '\t');
    TClassroomOutbox::Entry e;
    if (fields[0] == "W" && fields.size() == 4) {
        std::optional<std::string> section = Unescape(fields[1]), key = Unescape(fields[2]),
                                   value = Unescape(fields[3]);
        if (!section || !key || !value) return std::nullopt;
        e.kind = TClassroomOutbox::Kind::Write;
        e.section = *section;
        e.key = *key;
        e.value = *value;
        return e;
    }
    if ((fields[0] == "E" || fields[0] == "S") && fields.size() == 3) {
        std::optional<int> first = Number(fields[1]), second = Number(fields[2]);
        if (!first || !second) return std::nullopt;
        e.kind = fields[0] == "E" ? TClassroomOutbox::Kind::End : TClassroomOutbox::Kind::Score;
        e.first = *first;
        e.second = *second;
        return e;
    }
    return std::nullopt;
}

} // namespace

TClassroomOutbox::TClassroomOutbox(std::string path, LogLine log, size_t maxEntries, size_t maxBytes)
    : path_(std::move(path)), log_(std::move(log)), maxEntries_(maxEntries), maxBytes_(maxBytes) {}

std::string TClassroomOutbox::Line(const Entry& e) {
    switch (e.kind) {
    case Kind::Write:
        return "W\t" + Escape(e.section) + "\t" + Escape(e.key) + "\t" + Escape(e.value) + "\n";
    case Kind::End:
        return "E\t" + std::to_string(e.first) + "\t" + std::to_string(e.second) + "\n";
    case Kind::Score:
        return "S\t" + std::to_string(e.first) + "\t" + std::to_string(e.second) + "\n";
    }
    return {};
}

std::string TClassroomOutbox::Describe(const Entry& e) {
    switch (e.kind) {
    case Kind::Write:
        if (IsErase(e)) return "erasing of [" + EscapeControls(e.section, 200) + "]";
        return "record [" + EscapeControls(e.section, 200) + "] " + EscapeControls(e.key, 200) + " = " +
               EscapeControls(e.value, 200);
    case Kind::End:
        return Format("end of activity %d (score %d)", e.first, e.second);
    case Kind::Score:
        return Format("score %d (award level %d)", e.first, e.second);
    }
    return {};
}

void TClassroomOutbox::Load() {
    entries_.clear();
    bytes_ = 0;
    pupil_ = 0;
    if (path_.empty()) return;
    std::ifstream in(path_, std::ios::binary);
    if (!in) return;
    int number = 0;
    bool full = false;
    for (std::string line; std::getline(in, line);) {
        ++number;
        if (line.empty()) continue;
        if (number == 1 && line.rfind("P\t", 0) == 0) {
            std::optional<int> pupil = Number(line.substr(2));
            if (pupil) {
                pupil_ = *pupil;
                continue;
            }
        }
        std::optional<Entry> e = Parse(line);
        if (!e) {
            if (log_)
                log_(Format("Classroom outbox %s: line %d skipped, it is damaged: ", path_.c_str(), number) +
                     EscapeControls(line, 80));
            continue;
        }
        size_t size = Line(*e).size();
        if (entries_.size() + 1 > maxEntries_ || bytes_ + size > maxBytes_) {
            full = true;
            break;
        }
        entries_.push_back(std::move(*e));
        bytes_ += size;
    }
    if (full && log_)
        log_(Format("Classroom outbox %s: only its first %zu entries are read, the box is full",
                    path_.c_str(), entries_.size()));
}

bool TClassroomOutbox::Add(Entry entry) {
    // The older write that this one makes pointless, if any.
    auto superseded = [&](const Entry& older) {
        return older.kind == Kind::Write && entry.kind == Kind::Write &&
               IEquals(older.section, entry.section) && (IsErase(entry) || IEquals(older.key, entry.key));
    };
    size_t dropCount = 0, dropBytes = 0;
    for (const Entry& e : entries_)
        if (superseded(e)) {
            ++dropCount;
            dropBytes += Line(e).size();
        }
    size_t size = Line(entry).size();
    if (entries_.size() - dropCount + 1 > maxEntries_ || bytes_ - dropBytes + size > maxBytes_) {
        if (!fullLogged_ && log_)
            log_("Classroom outbox full (" + std::to_string(entries_.size()) +
                 " entries): not kept: " + Describe(entry));
        fullLogged_ = true;
        return false;
    }
    fullLogged_ = false;
    if (dropCount > 0) {
        std::deque<Entry> kept;
        for (Entry& e : entries_)
            if (!superseded(e)) kept.push_back(std::move(e));
        entries_ = std::move(kept);
    }
    entries_.push_back(std::move(entry));
    bytes_ = bytes_ - dropBytes + size;
    Save();
    return true;
}

void TClassroomOutbox::DropFront() {
    if (entries_.empty()) return;
    bytes_ -= Line(entries_.front()).size();
    entries_.pop_front();
    Save();
}

void TClassroomOutbox::Clear() {
    entries_.clear();
    bytes_ = 0;
    Save();
}

void TClassroomOutbox::SetPupil(int pupil) {
    if (pupil == pupil_) return;
    pupil_ = pupil;
    if (!entries_.empty()) Save();
}

std::optional<std::string> TClassroomOutbox::Written(const std::string& section,
                                                     const std::string& key) const {
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
        if (it->kind != Kind::Write || !IEquals(it->section, section)) continue;
        if (IsErase(*it)) return std::string();
        if (IEquals(it->key, key)) return it->value;
    }
    return std::nullopt;
}

bool TClassroomOutbox::Save() {
    if (path_.empty()) return true;
    bool ok;
    if (entries_.empty()) {
        // Nothing waits: no file.
        ok = std::remove(path_.c_str()) == 0 || errno == ENOENT;
    } else {
        std::string text = "P\t" + std::to_string(pupil_) + "\n";
        text.reserve(bytes_ + text.size());
        for (const Entry& e : entries_)
            text += Line(e);
        ok = WriteFileAtomically(path_, text);
    }
    int error = errno;
    if (!ok && !saveFailed_ && log_)
        log_("Classroom outbox " + path_ + " cannot be written (" + std::strerror(error) +
             "): what waits is kept in memory only");
    saveFailed_ = !ok;
    return ok;
}

} // namespace parlora
