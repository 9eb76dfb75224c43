#pragma once
// A full-window screen of display elements: its container, its image list ("DIBVIL_General"),
// its wave player, and the services of the main window that every screen uses.
#include "display/DIBContainer.h"
#include "display/DIBFocusOrder.h"
#include "display/DIBImageList.h"
#include "display/ScreenLayout.h"
#include "shell/Screen.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace parlora {

class TForm_Main;
class TKaRamWav;
class TKaMCIMedia;

// One item of a screen's image list: DisplayName, path relative to DataDir (backslashes), and
// whether it is loaded when the screen opens and drawn with its colour key.
struct ImageItemSpec {
    std::string name;
    std::string path;
    bool autoLoad = true;
    bool transparent = false;
};

class TDIBScreen : public TScreen {
  public:
    TDIBScreen(TForm_Main& main, std::string className);
    ~TDIBScreen() override;

    std::string ClassName() const override { return className_; }
    void Paint(Surface& frame) override;
    std::vector<Rect> PaintChanged(Surface& frame) override;
    void HandleInput(const InputEvent& e) override;

    TDIBImageContainer& container() { return container_; }
    TDIBVolatileImageList& images() { return images_; }
    // The element called `name`, or DIBException "Can't find " + name.
    template <class T> T& Element(const std::string& name) const {
        T* found = dynamic_cast<T*>(container_.FindComponent(name));
        if (!found) throw DIBException("Can't find " + name);
        return *found;
    }

  protected:
    // Adds the items, loads the auto-loaded ones from DataDir (a missing one warns once and stays
    // empty), then creates the elements in table order with the container's background set to
    // `background` when not empty.
    void Build(const std::vector<ImageItemSpec>& items, const std::vector<ElementSpec>& elements,
               const std::string& background = "Background");
    // Loads a picture by full path into the named item (creating the item if needed); raises
    // "Import of %s failed. %s" as the image list does.
    void LoadPicture(const std::string& itemName, const std::string& fullPath);

    // Makes `change` and blends the screen's old look into the new one in 500 ms; clicks made
    // meanwhile belong to neither look. Headless runs let the time pass without drawing frames.
    void BlendWithin(const std::function<void()>& change);
    static constexpr int kBlendMs = 500;

    // The keyboard: Tab and Shift+Tab move the focus in reading order, the arrows to a neighbour
    // (Up and Down move a focused list's selection), Return and Space press what the ring shows,
    // Escape presses the way out and F1 the help. True when the key was used.
    bool HandleNavigationKey(const InputEvent& e);
    // What Escape and F1 press: the visible, enabled button named "..._BoxExit" (a box over the
    // screen closes first), "..._Quit" or "..._Exit", and "..._Help"; null when there is none.
    virtual TCustomDIBControl* QuitControl() const;
    virtual TCustomDIBControl* HelpControl() const;
    // A focused element with entries of its own: the arrow moves among them (a list box's
    // selection by default) and true is returned; false lets the focus move on.
    virtual bool MoveWithin(TCustomDIBControl& focused, FocusMove move);
    // Return or Space on a focused element that a click at its middle would not serve (a list
    // drawn by the screen): true when the screen has pressed it its own way.
    virtual bool PressFocused(TCustomDIBControl& focused);

    // The screen's own wave player and media player, made on first use.
    TKaRamWav& wave();
    TKaMCIMedia& media();
    // Plays a WAV or AIFF file now; failures are ignored (clicks and samples are not worth a dialog).
    void PlayEffect(const std::string& fullPath);
    // Plays base + ".aif" (through the media player when MediaSound is on), else base + ".mp3";
    // a missing file or a failure is ignored.
    void PlayHelpSound(const std::string& base);

    TForm_Main& main_;
    TDIBImageContainer container_;
    TDIBVolatileImageList images_;

  private:
    std::string className_;
    std::unique_ptr<TKaRamWav> wave_;
    std::unique_ptr<TKaMCIMedia> media_;
};

} // namespace parlora
