// A worksheet made ready to send: the template created, every page drawn with its pictures and
// the PDF finished, for the longest worksheets, on the demo content (make it first:
// `parlora-content demo --if-changed <build>/demo`). Budget: under 300 ms.
#include "platform/headless/HeadlessPlatform.h"
#include "printing/FormPrint.h"
#include "printing/PrintCanvas.h"
#include "printing/PrintService.h"
#include "shell/FormMain.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

namespace {

using namespace parlora;
namespace fs = std::filesystem;

const char* const kDemo = PARLORA_BINARY_DIR "/demo/parlora";

struct Course {
    std::string root;
    HeadlessPlatform platform;
    std::unique_ptr<TForm_Main> main;
    std::string error;

    Course() {
        if (!fs::exists(std::string(kDemo) + "/data")) {
            error = "no demo content: run parlora-content demo first";
            return;
        }
        char pattern[] = "/tmp/parlora-bench-XXXXXX";
        root = mkdtemp(pattern);
        std::string home = root + "/course";
        fs::create_directories(home + "/data");
        for (const auto& e : fs::directory_iterator(std::string(kDemo) + "/data"))
            fs::create_symlink(e.path(), home + "/data/" + e.path().filename().string());
        fs::create_directory_symlink(std::string(kDemo) + "/Update", home + "/Update");
        std::ofstream(home + "/config.txt") << "[Defaults]\r\nNewUser=0\r\n";
        fs::create_directories(root + "/run");
        fs::permissions(root + "/run", fs::perms::owner_all);
        setenv("XDG_DATA_HOME", (root + "/data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", (root + "/run").c_str(), 1);
        main = std::make_unique<TForm_Main>(platform, std::vector<std::string>{"target=3", "source=1"});
        main->folders().ProgramDir = home;
        if (!main->InitialiseCourse()) error = "the course did not start";
    }
    ~Course() {
        main.reset();
        std::error_code ec;
        if (!root.empty()) fs::remove_all(root, ec);
    }
};

void BM_WorksheetReadyToSend(benchmark::State& state) {
    Course course;
    if (!course.error.empty()) return state.SkipWithError(course.error.c_str());
    int topic = int(state.range(0));
    std::string pdf = course.root + "/sheet.pdf";
    for (auto _ : state) {
        std::unique_ptr<TForm_Print> sheet = MakeWorksheet(*course.main, topic);
        TPrintCanvas canvas(TPrintService::kDefaultWidthPt, TPrintService::kDefaultHeightPt);
        canvas.BeginDoc(pdf, TForm_Print::kJobTitle);
        sheet->Fit(canvas);
        sheet->PrintCells(canvas, 1, sheet->Cells(), sheet->row().firstPage);
        canvas.EndDoc();
    }
    state.SetLabel(MakeWorksheet(*course.main, topic)->row().className);
}
// First words (44 cells) and shopping (49): the longest worksheets, five pages each.
BENCHMARK(BM_WorksheetReadyToSend)->Arg(0)->Arg(7)->Unit(benchmark::kMillisecond);

} // namespace
