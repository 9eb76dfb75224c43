#include "activities/FormNumbersPractice.h"

#include "core/StringUtil.h"
#include "display/DIBButtonStrip.h"
#include "shell/FormMain.h"

namespace parlora {
namespace {

// 0 to 10 in the upper row, 11 to 20 below.
constexpr int kButtonSize = 60, kPitch = 70, kUpperCount = 11;
constexpr int kRowX[2] = {132, 167}, kRowY[2] = {60, 130};

const TItemLayout& Layout() {
    static const TItemLayout layout{"DIBI_Pic",          {412, 204, 200, 150}, {362, 362, 300, 24},
                                    {362, 394, 300, 24}, {331, 420, 361, 49},  {362, 432, 300, 24}};
    return layout;
}

} // namespace

TForm_NumbersPractice::TForm_NumbersPractice(TForm_Main& main)
    : TForm_ItemPractice(main, "TForm_NumbersPractice", {5, "NU", "SC", 15, 40, -1}) {
    std::vector<ImageItemSpec> items{{"Background", "Interface\\Numbers\\Practice\\NumPracBG.png"}};
    for (ImageItemSpec& item : ItemImages())
        items.push_back(std::move(item));
    std::vector<ElementSpec> elements;
    for (int t = 1; t <= kButtons; ++t) {
        int number = t - 1, row = number < kUpperCount ? 0 : 1;
        int column = row == 0 ? number : number - kUpperCount;
        items.push_back(
            {Format("Button%d", t), Format("Interface\\Numbers\\Practice\\NumButs\\%d.png", number)});
        elements.push_back({Format("DIBButton%d", t),
                            ElementKind::ButtonStrip,
                            {kRowX[row] + column * kPitch, kRowY[row], kButtonSize, kButtonSize},
                            Format("Button%d", t),
                            t});
    }
    for (ElementSpec& e : ItemElements(Layout()))
        elements.push_back(std::move(e));
    Build(items, elements);
    FinishBuild(Layout());
    for (int t = 1; t <= kButtons; ++t)
        FindElement<TDIBButtonStrip>(container_, "DIBButton%d", t).OnClick =
            [this](TCustomDIBControl& sender) { ChooseItem(sender.Tag - 1); };
}

std::string TForm_NumbersPractice::PicturePath(int n) const {
    return Format("%s\\Numbers\\Images\\%d.png", main_.folders().InterfaceDir.c_str(), n);
}

void TForm_NumbersPractice::SequenceStep() {
    PresentItem((current_ + 1) % kButtons);
}

void TForm_NumbersPractice::PictureClicked() {
    SetSequence(false);
    if (chosen()) SayWord("NU", current_, kOtherSpeaker);
}

void TForm_NumbersPractice::TextClicked() {
    SetSequence(false);
    if (chosen()) SayWord("SC", current_, kOtherSpeaker);
}

void TForm_NumbersPractice::SpeakerClicked(int speaker) {
    // Zero is a number too, so the remembered word (which must be above 0) cannot serve.
    if (!chosen()) return;
    SetSequence(false);
    SayWord("SC", current_, speaker);
}

} // namespace parlora
