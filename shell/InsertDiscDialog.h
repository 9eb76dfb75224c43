#pragma once
// Waits for the course disc: rescans the disc drives every second; Browse lets the learner type
// the folder that holds the content (a file inside it works too).
#include "platform/Dispatcher.h"
#include "shell/ModalDialog.h"

#include <functional>
#include <string>

namespace parlora {

class TForm_InsertCD : public TModalDialog {
  public:
    using Scan = std::function<std::string()>;
    using Check = std::function<bool(const std::string&)>;

    TForm_InsertCD(Dispatcher& dispatcher, std::string prompt, Scan scan, Check check);
    ~TForm_InsertCD() override;

    void Paint(Surface& frame) override;
    void HandleInput(const InputEvent& e) override;
    const std::string& result() const { return result_; }
    bool browsing() const { return browsing_; }

  private:
    void TryScan();
    void BitBtn_OKClick();
    void BitBtn_CancelClick();
    void BitBtn_BrowseClick();
    void AcceptTypedPath();
    void LayoutButtons();

    Dispatcher& dispatcher_;
    std::string prompt_;
    Scan scan_;
    Check check_;
    TimerId Timer1 = 0;
    Rect box_;
    std::string result_;
    bool browsing_ = false;
    std::string typed_;
    std::string browseNote_;
};

} // namespace parlora
