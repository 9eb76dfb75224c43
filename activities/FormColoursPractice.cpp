#include "activities/FormColoursPractice.h"

#include "core/StringUtil.h"
#include "display/DIBButtonStrip.h"
#include "shell/FormMain.h"

namespace parlora {
namespace {

// Two rows of six paint pots across the top.
constexpr int kButtonW = 95, kButtonH = 93, kPitch = 105, kFirstX = 202, kPerRow = 6;
constexpr int kRowY[2] = {58, 158};

const TItemLayout& Layout() {
    static const TItemLayout layout{"DIBI_Pic",          {412, 258, 200, 150}, {362, 414, 300, 24},
                                    {362, 446, 300, 24}, {331, 472, 361, 49},  {362, 484, 300, 24}};
    return layout;
}

} // namespace

TForm_ColoursPractice::TForm_ColoursPractice(TForm_Main& main)
    : TForm_ItemPractice(main, "TForm_ColoursPractice", {2, "CO", "CO", 12, 25, 0}) {
    std::vector<ImageItemSpec> items{{"Background", "Interface\\Colours\\Practice\\ColPracBG.png"}};
    for (ImageItemSpec& item : ItemImages())
        items.push_back(std::move(item));
    std::vector<ElementSpec> elements;
    for (int n = 1; n <= kColours; ++n) {
        items.push_back({Format("Button%d", n), Format("Interface\\Colours\\Hard\\ColButs\\CButn%d.png", n)});
        int row = (n - 1) / kPerRow, column = (n - 1) % kPerRow;
        elements.push_back({Format("DIBButton%d", n),
                            ElementKind::ButtonStrip,
                            {kFirstX + column * kPitch, kRowY[row], kButtonW, kButtonH},
                            Format("Button%d", n),
                            n});
    }
    for (ElementSpec& e : ItemElements(Layout()))
        elements.push_back(std::move(e));
    Build(items, elements);
    FinishBuild(Layout());
    for (int n = 1; n <= kColours; ++n)
        FindElement<TDIBButtonStrip>(container_, "DIBButton%d", n).OnClick =
            [this](TCustomDIBControl& sender) { ChooseItem(sender.Tag); };
}

std::string TForm_ColoursPractice::PicturePath(int n) const {
    return Format("%s\\Colours\\Images\\CO%d.png", main_.folders().InterfaceDir.c_str(), n);
}

void TForm_ColoursPractice::SequenceStep() {
    PresentItem(current_ % kColours + 1);
}

} // namespace parlora
