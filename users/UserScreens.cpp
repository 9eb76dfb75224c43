#include "users/UserScreens.h"

#include "shell/ScreenFactory.h"
#include "users/FormActor.h"
#include "users/FormAward.h"
#include "users/FormChooseName.h"
#include "users/FormNewUser.h"
#include "users/FormRecords.h"
#include "users/FormTypeName.h"

namespace parlora {

void RegisterUserScreens(TScreenFactory& factory) {
    factory.Register("TForm_ChooseName", [](TForm_Main& m, const TScreenParams& p) {
        return std::unique_ptr<TScreen>(new TForm_ChooseName(m, p));
    });
    factory.Register("TForm_TypeName", [](TForm_Main& m, const TScreenParams& p) {
        return std::unique_ptr<TScreen>(new TForm_TypeName(m, p));
    });
    factory.Register("TForm_NewUser", [](TForm_Main& m, const TScreenParams& p) {
        return std::unique_ptr<TScreen>(new TForm_NewUser(m, p));
    });
    factory.Register("TForm_Actor", [](TForm_Main& m, const TScreenParams& p) {
        return std::unique_ptr<TScreen>(new TForm_Actor(m, p));
    });
    factory.Register("TForm_Records", [](TForm_Main& m, const TScreenParams& p) {
        return std::unique_ptr<TScreen>(new TForm_Records(m, p));
    });
    factory.Register("TForm_Award", [](TForm_Main& m, const TScreenParams& p) {
        return std::unique_ptr<TScreen>(new TForm_Award(m, p));
    });
}

} // namespace parlora
