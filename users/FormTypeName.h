#pragma once
// The typing of a new student's name: mode 1 for the course's first student (the box starts with
// the account's name), mode 4 for a further one asked for from the records screens.
#include "users/FormChooseName.h"

namespace parlora {

class TForm_TypeName : public TNameScreen {
  public:
    TForm_TypeName(TForm_Main& main, const TScreenParams& params);

    int mode() const { return mode_; }
    void SetMode(int mode);

    void EditChange();
    void OKClick();
    void DIBBS_ExitClick();
    void DIBBS_HelpClick();

  private:
    void UpdateOK();
    int mode_ = 1;
};

} // namespace parlora
