#pragma once
// The easy game of the body: four jars are shown and their parts said by two talking jaws; a right
// answer adds the part to the monster. After ten questions a spark and a film bring it alive.
#include "activities/FormEasyGame.h"

#include <array>
#include <memory>

namespace parlora {

class TDIBImage;
class TDIBImageStrip;
class TKaCuedMCIMedia;

class TForm_BodyEasy : public TForm_EasyGame {
  public:
    static constexpr Rect kMaleArea{70, 417, 286, 304}, kFemaleArea{671, 427, 286, 341};

    explicit TForm_BodyEasy(TForm_Main& main);
    ~TForm_BodyEasy() override;

    int ItemAtTag(int tag) const override;
    int JarOfItem(int item) const;

    // The jaws speak in place of the actors.
    void SayWord(const std::string& topic, int number, int code) override;
    void SayYes(int code) override;
    void SayNo(int code) override;
    void PlayEnded() override;
    void HandleInput(const InputEvent& e) override;

    TKaCuedMCIMedia& film() { return *film_; }

  protected:
    TCustomDIBControl& AnswerElement(int tag) override;
    void ShowStartSpeakers() override {}

  private:
    void DefineStates();
    void ShowItem() override;
    void Shuffle() override;
    void RestoreJars();
    void Speak(int speaker);
    void PlayFilm();
    void CloseFilm();

    std::array<TDIBImage*, 5> jars_{};
    std::array<Rect, 5> jarStart_{};
    std::array<TDIBImage*, 11> parts_{};
    std::array<int, 5> shown_{}; // item per jar
    TDIBImage* trunk_ = nullptr;
    std::array<TDIBImageStrip*, 2> jaws_{};
    TDIBImageStrip* spark_ = nullptr;
    class TFilmView* filmView_ = nullptr;
    std::unique_ptr<TKaCuedMCIMedia> film_;
};

} // namespace parlora
