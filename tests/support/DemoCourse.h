#pragma once
// The course in this process on the headless platform, on the generated demo content (made once
// by the demo_content test fixture): a private course folder whose data and Update folders link to
// the demo, with its own configuration and stream flags; input, virtual time and the framebuffer.
#include "activities/ActivityScreens.h"
#include "display/DIBControl.h"
#include "front/FrontScreens.h"
#include "platform/headless/HeadlessPlatform.h"
#include "shell/FormMain.h"
#include "shell/ScreenFactory.h"
#include "tests/support/TestFiles.h"
#include "users/UserScreens.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace parlora::test {

inline std::string DemoHome() {
    return PARLORA_BINARY_DIR "/demo/parlora";
}

struct DemoCourse {
    TempDir tmp;
    HeadlessPlatform platform;
    std::unique_ptr<TForm_Main> main;

    std::string home() const { return tmp / "course"; }

    // Lays out the course folder; `files` are extra files relative to it (config.txt, stream.ini).
    void Prepare(const std::vector<std::pair<std::string, std::string>>& files = {}) {
        UsePrivateFolders(tmp.path());
        MakeDirs(home());
        // A real data folder of links, so that "data\.." is this course and not the demo's.
        MakeDirs(home() + "/data");
        for (const auto& entry : std::filesystem::directory_iterator(DemoHome() + "/data"))
            std::filesystem::create_symlink(entry.path(),
                                            home() + "/data/" + entry.path().filename().string());
        std::filesystem::create_directory_symlink(DemoHome() + "/Update", home() + "/Update");
        for (const char* doc : {"Licence.rtf", "PCReadMe.rtf"})
            std::filesystem::create_symlink(DemoHome() + "/" + doc, home() + "/" + doc);
        for (const auto& [name, text] : files)
            WriteFile(home() + "/" + name, text);
    }

    // Starts the course as far as its first screen (code 1 unless told), after Prepare().
    void Start(std::vector<std::string> args = {}, int firstScreen = 1) {
        RegisterFrontScreens(TScreenFactory::Instance());
        RegisterUserScreens(TScreenFactory::Instance());
        RegisterActivityScreens(TScreenFactory::Instance());
        main = std::make_unique<TForm_Main>(platform, args);
        main->folders().ProgramDir = home();
        ASSERT_TRUE(main->InitialiseCourse());
        platform.display().openWindow("test", WindowMode::MaximisedCentred);
        Request(firstScreen);
    }

    // The usual start of an activity test: target 3, source 1, no welcome screen, a student "Kim"
    // loaded (the actors come with the student), then the screen of `code`.
    void StartWithStudent(int code, const std::string& extraConfig = "") {
        Prepare({{"sconfig.txt", "[Defaults]\r\nNewUser=0\r\n" + extraConfig}});
        Start({"target=3", "source=1"});
        ASSERT_TRUE(main->records()->AddStudent("Kim"));
        main->records()->SetCurrentStudent("Kim");
        main->LoadStudent();
        Request(code);
    }
    void ClickOn(const TCustomDIBControl& e) {
        Rect r = e.BoundsRect();
        Click(r.x + r.w / 2, r.y + r.h / 2);
    }

    void Request(int code, int kind = 0) {
        main->RequestScreen(code, kind);
        Idle();
    }
    void Idle() { main->dispatcher().runUntilIdle(); }
    void Wait(uint64_t ms) {
        main->dispatcher().advance(platform.fakeClock(), ms);
        Idle();
    }
    void Mouse(InputEvent::Kind kind, int x, int y, int clicks = 1) {
        InputEvent e;
        e.kind = kind;
        e.x = x;
        e.y = y;
        e.clicks = clicks;
        main->dispatcher().queueInput(e);
    }
    void Move(int x, int y) {
        Mouse(InputEvent::Kind::MouseMove, x, y);
        Idle();
    }
    void Click(int x, int y) {
        Mouse(InputEvent::Kind::MouseMove, x, y);
        Mouse(InputEvent::Kind::MouseDown, x, y);
        Mouse(InputEvent::Kind::MouseUp, x, y);
        Idle();
    }
    void DblClick(int x, int y) {
        Click(x, y);
        Mouse(InputEvent::Kind::MouseDown, x, y, 2);
        Mouse(InputEvent::Kind::MouseUp, x, y, 2);
        Idle();
    }
    void Type(const std::string& text) {
        InputEvent e;
        e.kind = InputEvent::Kind::Text;
        e.text = text;
        main->dispatcher().queueInput(e);
        Idle();
    }
    // A key pressed and released, waiting in the queue (for a dialog that a queued click opens).
    void QueueKey(const std::string& name) {
        InputEvent e;
        e.kind = InputEvent::Kind::KeyDown;
        e.key = name;
        main->dispatcher().queueInput(e);
        e.kind = InputEvent::Kind::KeyUp;
        main->dispatcher().queueInput(e);
    }
    void Key(const std::string& name) {
        QueueKey(name);
        Idle();
    }
    std::string Screen() const { return main->currentScreenClass(); }
    // What the window shows now.
    const Surface& Shot() {
        main->dispatcher().invalidate();
        Idle();
        return platform.headlessDisplay().framebuffer();
    }
    template <class T> T* ScreenAs() { return dynamic_cast<T*>(main->currentScreen()); }
};

} // namespace parlora::test
