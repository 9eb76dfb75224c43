#pragma once
// Student records: per target language a list of students, and per student scores, total, use count,
// last use, actors and item weights. They live in the local records file ("Parlora<n>.ini"), with
// the classroom network manager in network mode, or nowhere when records are off.
//
// Records files written on Windows hold names in Windows-1252 bytes. Each student keeps the name as
// the file spells it (`raw`) for every section lookup, and its UTF-8 form for display, so such a file
// is read correctly and every line we do not change stays byte for byte as it was.
#include "shell/CourseState.h"
#include "shell/RecordsIndex.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace parlora {

class IClock;
class IRemoteProfile;

struct TStudentEntry {
    std::string name; // UTF-8, for display and comparison
    std::string raw;  // the bytes as found in "Students": the section is "Student " + raw
    int tag = 0;      // the total while sorting
};

class TRecordsStore {
  public:
    static constexpr int kSlots = 10;     // topics 0..8 and 9, the memory quiz of all topics
    static constexpr int kActivities = 7; // practice, speaking, easy, hard, worksheet, easy quiz, hard quiz
    using ScoreTable = std::array<std::array<int, kActivities>, kSlots>;

    enum class Backend { Network, File, Off };

    // RecordsFile is read from `folders` on every call, so a change of target switches files.
    TRecordsStore(const CourseFolders& folders, const StartOptions& options, const IClock& clock);

    // Network mode uses `remote` once it is set.
    void SetRemote(IRemoteProfile* remote) { remote_ = remote; }
    Backend backend() const;

    // Any section. Integers give the default when the value is not a number. Writing an empty value
    // removes the key; an empty key with an empty value removes the section.
    std::string ReadRecordValue(const std::string& section, const std::string& key,
                                const std::string& fallback);
    int ReadRecordInt(const std::string& section, const std::string& key, int fallback);
    void WriteRecordValue(const std::string& section, const std::string& key, const std::string& value);
    void WriteRecordInt(const std::string& section, const std::string& key, int value);

    // The current student's section. With no current student reads give the default and writes are
    // dropped: "Student " alone would name no one.
    std::string ReadStudentValue(const std::string& key, const std::string& fallback);
    int ReadStudentInt(const std::string& key, int fallback);
    void WriteStudentValue(const std::string& key, const std::string& value);
    void WriteStudentInt(const std::string& key, int value);
    // Removes the current student's whole section (the records screen, before DeleteCurrentStudent).
    void EraseStudentSection();

    // Students.
    const std::vector<TStudentEntry>& students() const { return students_; }
    std::vector<std::string> StudentNames() const;
    void LoadStudentList();
    void SaveStudentList();
    void SortStudentsByScore();
    // False for a name already listed (letter case ignored) and for a name that would break the
    // records file: empty, blanks at either end, "]", a leading ";", control characters, bad UTF-8.
    bool AddStudent(const std::string& name);
    static bool IsAcceptableStudentName(const std::string& name);
    bool DeleteCurrentStudent();
    // The records screen's deletion: the current student's whole section goes and the student
    // leaves the list. With a records file both changes are one write, so a crash between them
    // cannot leave a listed student without records or the other way round. True when the
    // student was listed.
    bool DeleteCurrentStudentAndRecords();
    // Letter case ignored, beyond ASCII for the common alphabets.
    static bool SameStudentName(const std::string& a, const std::string& b);

    const std::string& CurrentStudent() const { return current_; }
    // Takes the file's own spelling of the name when the student is listed. Empty = none.
    void SetCurrentStudent(const std::string& name);
    std::string StudentSection() const { return "Student " + currentRaw_; }

    // Loads the current student's scores and total, then calls `between` (the main window loads the
    // weights of all topics and the student's actors there), then writes "LastUsed" and "Sessions".
    void LoadStudent(const std::function<void()>& between = {});

    // -1 (never done) for slots or activities out of range.
    int GetScore(int slot, int activity) const;
    void StoreScore(int slot, int activity, int score);
    const ScoreTable& scores() const { return scores_; }
    int Total() const { return total_; }
    static int ComputeTotal(const ScoreTable& scores);
    static int AwardLevel(int total);
    int NetworkScore() const;

    // The last result of an activity, read by the router when the activity ends.
    int ActivityScore() const { return activityScore_; }
    void SetActivityScore(int score) { activityScore_ = score; }
    int QuizScore() const { return quizScore_; }
    void SetQuizScore(int score) { quizScore_ = score; }

  private:
    static std::string StudentListValue(const std::vector<TStudentEntry>& students);
    static std::string GameKey(int activity) { return "Game" + std::to_string(activity); }
    void WriteScores(int activity);

    const CourseFolders& folders_;
    const StartOptions& options_;
    const IClock& clock_;
    IRemoteProfile* remote_ = nullptr;

    // The records file parsed once: reads and the sort answer from it, writes keep it in step.
    RecordsFileCache file_;
    std::vector<TStudentEntry> students_;
    std::string current_, currentRaw_;
    ScoreTable scores_{};
    int total_ = 0;
    int activityScore_ = 0;
    int quizScore_ = 0;
};

} // namespace parlora
