#pragma once
// Screens register their class here; a class not built yet is shown as a placeholder naming the
// class and its parameters, so the whole map of screens can be walked.
#include "shell/Screen.h"
#include "shell/ScreenRoute.h"

#include <functional>
#include <map>
#include <memory>
#include <string>

namespace parlora {

class TForm_Main;

class TScreenFactory {
  public:
    using Creator = std::function<std::unique_ptr<TScreen>(TForm_Main&, const TScreenParams&)>;

    static TScreenFactory& Instance();
    void Register(const std::string& className, Creator creator);
    bool Has(const std::string& className) const { return creators_.count(className) != 0; }
    std::unique_ptr<TScreen> Create(TForm_Main& main, const std::string& className,
                                    const TScreenParams& params) const;

  private:
    std::map<std::string, Creator> creators_;
};

} // namespace parlora
