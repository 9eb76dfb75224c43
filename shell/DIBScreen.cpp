#include "shell/DIBScreen.h"

#include "core/PathResolver.h"
#include "core/StringUtil.h"
#include "display/DIBFocusOrder.h"
#include "display/DIBListBox.h"
#include "display/Transition.h"
#include "media/KaMCIMedia.h"
#include "media/KaRamWav.h"
#include "shell/FormMain.h"

#include <algorithm>
#include <cstring>

namespace parlora {

TDIBScreen::TDIBScreen(TForm_Main& main, std::string className)
    : main_(main), className_(std::move(className)) {
    container_.OnInvalidate = [this] { main_.dispatcher().invalidate(); };
}

TDIBScreen::~TDIBScreen() {
    // Players post their ends to this screen; silence them before the elements go.
    if (media_) media_->CloseMedia();
    if (wave_) wave_->Stop();
}

void TDIBScreen::Paint(Surface& frame) {
    container_.takeDirty();
    const Surface& s = container_.surface();
    int w = std::min(frame.width(), s.width()), h = std::min(frame.height(), s.height());
    for (int y = 0; y < h; ++y)
        std::memcpy(frame.row(y), s.row(y), size_t(w) * sizeof(uint32_t));
}

std::vector<Rect> TDIBScreen::PaintChanged(Surface& frame) {
    std::vector<Rect> dirty = container_.takeDirty();
    const Surface& s = container_.surface();
    for (const Rect& r : dirty) {
        Rect c = r.intersect(frame.bounds()).intersect(s.bounds());
        for (int y = c.y; y < c.bottom(); ++y)
            std::memcpy(frame.row(y) + c.x, s.row(y) + c.x, size_t(c.w) * sizeof(uint32_t));
    }
    return dirty;
}

void TDIBScreen::HandleInput(const InputEvent& e) {
    if (e.kind == InputEvent::Kind::KeyDown && HandleNavigationKey(e)) return;
    container_.handleInput(e);
}

bool TDIBScreen::HandleNavigationKey(const InputEvent& e) {
    const std::string& key = e.key;
    TDIBContainer& c = container_;
    // Key presses take the path of the mouse, through the screen's own input handling.
    auto route = [this](const InputEvent& mouse) { HandleInput(mouse); };
    if (key == "Escape") return c.Press(QuitControl(), route);
    if (key == "F1") return c.Press(HelpControl(), route);
    TCustomDIBControl* focused = c.FocusRingShown() ? c.Focused() : nullptr;
    if (focused && TDIBFocusOrder::CanFocus(c, *focused)) {
        FocusMove move;
        if ((key == "Return" || key == "Space") && PressFocused(*focused)) return true;
        if (TDIBFocusOrder::ArrowKey(key, move) && MoveWithin(*focused, move)) return true;
    }
    return TDIBFocusOrder::NavigateOrPress(c, key, route);
}

bool TDIBScreen::MoveWithin(TCustomDIBControl& focused, FocusMove move) {
    auto* list = dynamic_cast<TDIBListBox*>(&focused);
    if (!list || (move != FocusMove::Up && move != FocusMove::Down)) return false;
    int index = list->ItemIndex() < 0 ? 0 : list->ItemIndex() + (move == FocusMove::Up ? -1 : 1);
    if (index < 0 || index >= list->Count()) return false;
    list->SetItemIndex(index);
    return true;
}

bool TDIBScreen::PressFocused(TCustomDIBControl&) {
    return false;
}

namespace {

// The part of an element's name after its kind ("DIBBS_Exit" -> "Exit").
std::string Role(const std::string& name) {
    size_t bar = name.find('_');
    return bar == std::string::npos ? name : name.substr(bar + 1);
}

TCustomDIBControl* FindPressable(const TDIBContainer& c, std::initializer_list<const char*> roles) {
    for (const char* role : roles)
        for (auto it = c.Elements().rbegin(); it != c.Elements().rend(); ++it)
            if (IEquals(Role((*it)->Name), role) && TDIBFocusOrder::CanFocus(c, **it)) return *it;
    return nullptr;
}

} // namespace

TCustomDIBControl* TDIBScreen::QuitControl() const {
    return FindPressable(container_, {"BoxExit", "Quit", "Exit"});
}

TCustomDIBControl* TDIBScreen::HelpControl() const {
    return FindPressable(container_, {"Help"});
}

void TDIBScreen::Build(const std::vector<ImageItemSpec>& items, const std::vector<ElementSpec>& elements,
                       const std::string& background) {
    for (const ImageItemSpec& item : items)
        images_.Add(item.name, item.path, item.autoLoad, item.transparent);
    images_.LoadAutoImages(main_.folders().DataDir);
    if (!background.empty()) {
        container_.SetDIBImageList(&images_);
        container_.IndexImage.SetDIBIndex(images_.IndexOf(background));
    }
    ScreenLayout::Build(container_, &images_, elements);
}

void TDIBScreen::LoadPicture(const std::string& itemName, const std::string& fullPath) {
    int index = images_.IndexOf(itemName);
    if (index < 0) index = (images_.Add(itemName), images_.Count() - 1);
    images_.LoadImageFile(index, fullPath);
}

void TDIBScreen::BlendWithin(const std::function<void()>& change) {
    IPlatform& platform = main_.platform();
    bool fast = main_.settings().Fast;
    if (!platform.display().windowOpen() || platform.headless()) {
        change();
        if (platform.display().windowOpen() && !fast) platform.sleepMs(kBlendMs);
        main_.RepaintAll();
        return;
    }
    container_.takeDirty();
    Surface from = container_.surface();
    change();
    container_.takeDirty();
    TTransition::Run(
        TTransition::Blend, fast, from, container_.surface(), platform.clock(),
        [&platform](const Surface& frame) { platform.display().present(frame, {}); },
        [&platform](uint64_t ms) { platform.sleepMs(uint32_t(ms)); });
    main_.dispatcher().discardInput();
    main_.RepaintAll();
}

TKaRamWav& TDIBScreen::wave() {
    if (!wave_) {
        wave_ = std::make_unique<TKaRamWav>(main_.platform().audioOut(), main_.dispatcher());
        wave_->OnPlayHook = main_.SoundHook();
    }
    return *wave_;
}

TKaMCIMedia& TDIBScreen::media() {
    if (!media_) media_ = std::make_unique<TKaMCIMedia>(main_.platform().audioOut(), main_.dispatcher());
    return *media_;
}

void TDIBScreen::PlayEffect(const std::string& fullPath) {
    try {
        wave().LoadSoundIfNew(PathResolver::Resolve(fullPath));
        wave().Play();
    } catch (const std::exception& e) {
        main_.DebugLog(std::string("Sound failed: ") + e.what());
    }
}

void TDIBScreen::PlayHelpSound(const std::string& base) {
    try {
        std::string aif = PathResolver::Resolve(base + ".aif");
        std::string mp3 = PathResolver::Resolve(base + ".mp3");
        if (PathResolver::IsFile(aif) && !main_.settings().MediaSound) {
            wave().LoadSoundIfNew(aif);
            wave().Play();
            return;
        }
        std::string file = PathResolver::IsFile(aif) ? aif : PathResolver::IsFile(mp3) ? mp3 : std::string();
        if (file.empty()) return;
        media().CloseMedia();
        media().SetMediaFilename(file);
        media().OpenMedia();
        media().PlayMedia();
    } catch (const std::exception& e) {
        main_.DebugLog(std::string("Help sound failed: ") + e.what());
    }
}

} // namespace parlora
