#pragma once
// Animations of elements on one periodic timer, timed by the tick count so late ticks skip frames.
#include "display/DIBControl.h"
#include "platform/Dispatcher.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace parlora {

class TDIBImage;
class TDIBImageStrip;

class TDIBAnim {
  public:
    TDIBAnim(TCustomDIBControl& element, int32_t duration, bool loop, uint32_t now);
    virtual ~TDIBAnim() = default;
    TCustomDIBControl& Element() const { return element_; }
    // One tick at tick count `now`; true when the animation has finished (its end values are set).
    bool Step(uint32_t now);

  protected:
    // Shows the state `elapsed` ms into a run (0 <= elapsed < duration).
    virtual void Apply(int32_t elapsed) = 0;
    virtual void Finish() = 0;
    int32_t Lerp(int32_t from, int32_t to, int32_t elapsed) const;

    TCustomDIBControl& element_;
    int32_t duration_;
    int32_t elapsed_ = 0;
    uint32_t startTick_;
    bool loop_;
};

class TDIBSpriteAnim : public TDIBAnim {
  public:
    TDIBSpriteAnim(TCustomDIBControl& e, int32_t duration, uint32_t now, int x, int y);

  protected:
    void Apply(int32_t elapsed) override;
    void Finish() override;
    int startX_, startY_, endX_, endY_;
};

class TDIBScaledAnim : public TDIBSpriteAnim {
  public:
    TDIBScaledAnim(TCustomDIBControl& e, int32_t duration, uint32_t now, int x, int y, int w, int h);

  protected:
    void Apply(int32_t elapsed) override;
    void Finish() override;
    int startW_, startH_, endW_, endH_;
};

class TDIBSlideAnim : public TDIBAnim {
  public:
    TDIBSlideAnim(TDIBImage& e, int32_t duration, uint32_t now, int offsetX, int offsetY);

  protected:
    void Apply(int32_t elapsed) override;
    void Finish() override;
    void Set(int x, int y);
    TDIBImage& image_;
    int startX_, startY_, endX_, endY_, lastX_, lastY_;
};

class TDIBStripAnim : public TDIBAnim {
  public:
    TDIBStripAnim(TDIBImageStrip& e, int32_t duration, uint32_t now, int first, int last, bool loop);

  protected:
    void Apply(int32_t elapsed) override;
    void Finish() override;
    void Show(int frame);
    TDIBImageStrip& strip_;
    int start_, end_, last_;
};

class TDIBIndexedStripAnim : public TDIBAnim {
  public:
    TDIBIndexedStripAnim(TDIBImageStrip& e, int32_t duration, uint32_t now, std::vector<int> frames,
                         bool loop);

  protected:
    void Apply(int32_t elapsed) override;
    void Finish() override;
    void Show(int position);
    TDIBImageStrip& strip_;
    std::vector<int> frames_;
    int end_, last_;
};

class TDIBCallbackAnim : public TDIBAnim {
  public:
    using Callback = std::function<void(int)>;
    TDIBCallbackAnim(TCustomDIBControl& e, int32_t duration, uint32_t now, int from, int to, Callback cb,
                     bool loop);
    // Called once the animation is in its list: the start value goes out straight away.
    void Start();

  protected:
    void Apply(int32_t elapsed) override;
    void Finish() override;
    void Call(int v);
    int start_, end_, last_;
    Callback callback_;
};

class TDIBAnimList {
  public:
    using AnimEvent = std::function<void(TCustomDIBControl& sender, bool finished)>;

    explicit TDIBAnimList(Dispatcher& dispatcher);
    ~TDIBAnimList(); // stops the timer and frees the animations without notices

    uint32_t Interval() const { return interval_; }
    void SetInterval(uint32_t ms);
    AnimEvent AnimNotify;

    void StopAnims(TCustomDIBControl* element = nullptr);
    void AddSpriteAnim(int32_t duration, TCustomDIBControl& element, int x, int y);
    void AddScaledAnim(int32_t duration, TCustomDIBControl& element, int x, int y, int w, int h);
    void AddAnimToImage(int32_t duration, TCustomDIBControl& element, const TCustomDIBControl& target,
                        bool scale);
    void AddSlideAnim(int32_t duration, TDIBImage& image, int offsetX, int offsetY);
    void AddStripAnim(int32_t duration, TDIBImageStrip& strip, int first, int last, bool loop);
    void AddIndexedStripAnim(int32_t duration, TDIBImageStrip& strip, const std::vector<int>& frames,
                             bool loop);
    void AddCallbackAnim(int32_t duration, TCustomDIBControl& element, int from, int to,
                         TDIBCallbackAnim::Callback callback, bool loop);

    int Count() const { return int(anims_.size()); }
    bool Animating(const TCustomDIBControl& element) const;
    bool TimerActive() const { return timer_ != 0; }
    // One timer tick (the timer calls it; tests may too).
    void Tick();

  private:
    struct Slot {
        uint64_t id;
        std::unique_ptr<TDIBAnim> anim;
    };
    uint32_t Now() const { return uint32_t(dispatcher_.clock().nowMs()); }
    void Append(std::unique_ptr<TDIBAnim> anim);
    void UpdateTimer();

    Dispatcher& dispatcher_;
    Lifetime lifetime_;
    uint32_t interval_ = 20;
    TimerId timer_ = 0;
    std::vector<Slot> anims_; // oldest first
    uint64_t nextId_ = 1;
};

} // namespace parlora
