#pragma once
// Dialogs are drawn inside our own window, over the current screen, and run a nested loop.
#include "core/Surface.h"
#include "platform/Input.h"

#include <functional>
#include <string>
#include <vector>

namespace parlora {

enum class MsgKind { Warning, Error, Information, Confirmation };
enum class MsgButton { None, Yes, No, OK, Cancel, Abort, Retry, Ignore, All, NoToAll, YesToAll, Help };

std::string ButtonCaption(MsgButton b);
// Parses a script's button name ("OK", "ignore", "No to all"); None when unknown.
MsgButton ButtonFromName(const std::string& name);

class TModalDialog {
  public:
    virtual ~TModalDialog() = default;
    virtual void Paint(Surface& frame) = 0;
    virtual void HandleInput(const InputEvent& e);
    bool finished() const { return finished_; }

  protected:
    struct Button {
        Rect rect;
        std::string caption;
        std::function<void()> action;
        bool pressed = false;
    };
    void PaintFrame(Surface& frame, const Rect& box, const std::string& caption) const;
    void PaintButtons(Surface& frame) const;
    void Finish() { finished_ = true; }
    // A dialog kept for the run is shown again.
    void Restart() {
        finished_ = false;
        focus_ = -1;
    }

    std::vector<Button> buttons_;
    // The button the keyboard's ring shows (Tab, Shift+Tab, Left, Right), -1 when none.
    int focus_ = -1;

  private:
    bool finished_ = false;
};

class TMessageDialog : public TModalDialog {
  public:
    TMessageDialog(std::string text, MsgKind kind, std::vector<MsgButton> buttons,
                   std::function<void()> onHelp);
    void Paint(Surface& frame) override;
    MsgButton result() const { return result_; }

  private:
    std::string text_;
    MsgKind kind_;
    Rect box_;
    MsgButton result_ = MsgButton::None;
};

} // namespace parlora
