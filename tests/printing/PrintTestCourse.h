#pragma once
// The demo course with a documents folder of its own, and the learner's clicks in the print dialog
// queued behind the click that opens it.
#include "front/FormSubMenu.h"
#include "printing/PrintDialog.h"
#include "tests/support/DemoCourse.h"

#include <cstdio>
#include <filesystem>
#include <string>

namespace parlora::test {

// The output of a shell command.
inline std::string Capture(const std::string& command) {
    std::string out;
    if (FILE* p = ::popen(command.c_str(), "r")) {
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
            out.append(buf, n);
        ::pclose(p);
    }
    return out;
}

// Pages of a PDF as pdfinfo reads it; -1 when it is not a valid PDF.
inline int PdfPages(const std::string& path) {
    std::string info = Capture("pdfinfo '" + path + "' 2>/dev/null");
    size_t at = info.find("Pages:");
    if (at == std::string::npos) return -1;
    return std::atoi(info.c_str() + at + 6);
}

struct PrintCourse : DemoCourse {
    std::string oldHome;

    PrintCourse() {
        if (const char* h = std::getenv("HOME")) oldHome = h;
    }
    ~PrintCourse() {
        if (!oldHome.empty()) ::setenv("HOME", oldHome.c_str(), 1);
    }
    // The date a saved PDF's name carries.
    std::string Today() {
        LocalTime t = platform.clock().localTime();
        char buf[16];
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", t.year, t.month, t.day);
        return buf;
    }
    std::string documents() const { return tmp / "home/Documents"; }

    // A student "Kim" on target 3 with source 1 and the screen of `code`; the documents folder is
    // the private home's "Documents", named in the desktop's user-dirs file.
    void Open(int code, const std::string& extraConfig = "",
              std::vector<std::string> args = {"target=3", "source=1"}) {
        // A test may have laid out the course folder itself, to change some of its content.
        if (!std::filesystem::exists(home() + "/data"))
            Prepare({{"sconfig.txt", "[Defaults]\r\nNewUser=0\r\n" + extraConfig}});
        MakeDirs(documents());
        ::setenv("HOME", (tmp / "home").c_str(), 1);
        WriteFile(tmp / "config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Documents\"\n");
        Start(args);
        ASSERT_TRUE(main->records()->AddStudent("Kim"));
        main->records()->SaveStudentList();
        main->records()->SetCurrentStudent("Kim");
        main->LoadStudent();
        Request(code);
    }

    void QueueClick(const Rect& r) {
        int x = r.x + r.w / 2, y = r.y + r.h / 2;
        Mouse(InputEvent::Kind::MouseMove, x, y);
        Mouse(InputEvent::Kind::MouseDown, x, y);
        Mouse(InputEvent::Kind::MouseUp, x, y);
    }
    // The choices in the dialog: a row (-1 for "Save as PDF", the last one), OK or Cancel.
    void QueueDialog(int row, bool ok = true, int rows = 0) {
        if (row >= 0) QueueClick(TPrintDialog::RowRect(row));
        if (row < 0) QueueClick(TPrintDialog::RowRect(rows - 1));
        QueueClick(ok ? TPrintDialog::OkRect() : TPrintDialog::CancelRect());
    }
    TForm_SubMenu& menu() {
        auto* m = ScreenAs<TForm_SubMenu>();
        if (!m) throw std::runtime_error("not a topic menu: " + Screen());
        return *m;
    }
    // Clicks the topic menu's print button with the dialog's answers already queued by `answer`.
    template <class Answer> void PrintWorksheet(Answer answer) {
        QueueClick(menu().Element<TCustomDIBControl>("DIBBS_Print").BoundsRect());
        answer();
        Idle();
    }
    std::vector<std::string> SavedPdfs() const {
        std::vector<std::string> out;
        for (const auto& e : std::filesystem::directory_iterator(documents()))
            out.push_back(e.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }
};

} // namespace parlora::test
