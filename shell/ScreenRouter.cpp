// The router: every screen change goes through a posted request handled here.
#include "core/PathResolver.h"
#include "core/StringUtil.h"
#include "display/Transition.h"
#include "shell/FormMain.h"
#include "shell/ScreenFactory.h"

namespace parlora {

TRouteContext TForm_Main::RouteContext() {
    TRouteContext c;
    c.firstWordsFilter = catalogue_ && catalogue_->firstWordsFilterActive();
    c.targetNumber = catalogue_ ? catalogue_->targetNumber() : -1;
    c.iPodFolder = PathResolver::IsDirectory(folders_.InterfaceDir + "\\iPod");
    c.newUserScreen = settings_.NewUser && records_ && records_->ReadStudentInt("Sessions", 0) == 1;
    c.quizCategory = quizCategory_;
    c.hardQuizStart = hardQuizStart_;
    c.hardQuizSwitch = hardQuizSwitch_;
    return c;
}

std::unique_ptr<TScreen> TForm_Main::CreateScreen(const std::string& className, const TScreenParams& params) {
    return TScreenFactory::Instance().Create(*this, className, params);
}

void TForm_Main::HandleScreenRequest(int code, int kind) {
    code = QuizModeCode(code, options_.quiz);
    if (code == 0) {
        Close();
        return;
    }
    if (kind > 6) kind = 0;
    platform_.display().setCursor(CursorKind::Hourglass);
    struct CursorBack {
        IDisplay& display;
        ~CursorBack() { display.setCursor(CursorKind::Arrow); }
    } cursorBack{platform_.display()};

    std::string className;
    TScreenParams params;
    int report = 0;
    if (code == 2) {
        report = 0;
        className = NameChoiceClass();
    } else {
        std::optional<TScreenRoute> route = RouteForCode(code, RouteContext());
        if (!route) {
            // The old screen stays current and working.
            ShowAppMessage(Format("Unknown state change %d", code), MsgKind::Error, -1, {MsgButton::OK});
            return;
        }
        if (code == 4 && records_) {
            records_->LoadStudentList();
            records_->SortStudentsByScore();
        }
        report = route->report;
        className = route->className;
        params = route->params;
    }
    ReportActivity(report);
    // The screen that goes is let go before the next one is built: its pictures wait packed in
    // the cache instead of sitting beside the new screen's, which halves the memory a change needs.
    LeaveScreen(kind);
    std::unique_ptr<TScreen> next;
    try {
        next = CreateScreen(className, params);
    } catch (...) {
        // The learner stays where they were: the screen that went opens again, and the failure is
        // reported as before.
        if (!shownClass_.empty()) {
            try {
                ShowScreen(CreateScreen(shownClass_, shownParams_), 0);
                if (screen_) screen_->Start();
            } catch (const std::exception&) {
            }
        }
        throw;
    }
    ShowScreen(std::move(next), kind);
    shownClass_ = className;
    shownParams_ = params;
    // Clicks and keys made during the transition must not reach the new screen.
    dispatcher_.discardInput();
    if (screen_) screen_->Start();
}

std::string TForm_Main::NameChoiceClass() {
    if (options_.network) {
        bool newUser =
            settings_.NewUser && !options_.quiz && records_ && records_->ReadStudentInt("Sessions", 0) == 1;
        return newUser ? "TForm_NewUser" : "TForm_Menu";
    }
    records_->LoadStudentList();
    records_->SortStudentsByScore();
    if (settings_.recordsMode != RecordsMode::Off)
        return records_->students().empty() ? "TForm_TypeName" : "TForm_ChooseName";
    if (records_->students().empty()) records_->AddStudent("Student");
    records_->SetCurrentStudent("Student");
    LoadStudent();
    return "TForm_Menu";
}

void TForm_Main::LeaveScreen(int kind) {
    if (!screen_) return;
    // A transition starts from the old screen as it looks now: what the learner just clicked shows
    // its pressed look.
    if (platform_.display().windowOpen() && !settings_.Fast && TTransition::DurationMs(kind) > 0)
        screen_->Paint(frame_);
    screen_.reset();
}

void TForm_Main::ShowScreen(std::unique_ptr<TScreen> screen, int kind) {
    std::unique_ptr<TScreen> old = std::move(screen_);
    screen_ = std::move(screen);
    // The classroom manager hears the whole change, however many steps draw it, as one area.
    if (options_.network) {
        network_->BeginTransition();
        transitionOpen_ = true;
    }
    if (platform_.display().windowOpen() && screen_) {
        if (settings_.Fast || TTransition::DurationMs(kind) <= 0) {
            // A cut needs no second frame: the new screen is painted where the old one was.
            frame_.fill(0xFF000000u);
            screen_->Paint(frame_);
            platform_.display().present(frame_, {});
        } else {
            // The old screen as it looks now: what the learner just clicked shows its pressed look.
            if (old) old->Paint(frame_);
            nextFrame_.resize(frame_.width(), frame_.height());
            screen_->Paint(nextFrame_);
            TTransition::Run(
                kind, false, frame_, nextFrame_, platform_.clock(),
                [this](const Surface& f) { platform_.display().present(f, {}); },
                [this](uint64_t ms) { platform_.sleepMs(ms); });
            std::swap(frame_, nextFrame_);
        }
    }
    fullPaint_ = true;
    old.reset();
    dispatcher_.invalidate();
}

void TForm_Main::ReportActivity(int code) {
    if (!options_.network) return;
    if (code != 0) {
        currentActivity_ = code;
        if (records_) records_->SetActivityScore(-1);
        network_->SendStartActivity(code);
    } else if (currentActivity_ != 0) {
        network_->SendEndActivity(currentActivity_, records_ ? records_->ActivityScore() : -1);
        currentActivity_ = 0;
        if (options_.quiz && records_) records_->SetQuizScore(network_->GetQuizScore());
        int score = records_ ? records_->NetworkScore() : 0;
        network_->SendScore(score, TRecordsStore::AwardLevel(score));
    }
}

void TForm_Main::StartActivityFromNetwork(int activityCode, int value) {
    if (currentScreenClass() != "TForm_Menu") return;
    int category = -1;
    int code = ScreenForNetworkActivity(activityCode, category);
    if (code == 0) return;
    networkStartValue_ = value;
    if (category >= 0) quizCategory_ = category;
    RequestScreen(code, 1);
}

void TForm_Main::SetHardQuizSizes(int startCount, int switchCount) {
    // The quiz has eleven card places: sizes outside them would index cards that do not exist.
    hardQuizStart_ = std::clamp(startCount, 1, 11);
    hardQuizSwitch_ = std::clamp(switchCount, 1, 11);
}

void TForm_Main::ForwardQuizStop() {
    TScreen* s = screen_.get();
    if (s) dispatcher_.post(s->guard(), [s] { s->QuizStop(); });
}

void TForm_Main::ForwardQuizScore(int score) {
    network_->SendScore(score, TRecordsStore::AwardLevel(score));
    TScreen* s = screen_.get();
    if (s) dispatcher_.post(s->guard(), [s, score] { s->QuizScore(score); });
}

void TForm_Main::SetQuizCategoryAndRequest(int category, int screenCode, int kind) {
    quizCategory_ = category;
    RequestScreen(screenCode, kind);
}

} // namespace parlora
