#include "display/DIBAnimList.h"

#include "core/Errors.h"
#include "display/DIBImage.h"
#include "display/DIBImageStrip.h"

#include <algorithm>

namespace parlora {

TDIBAnim::TDIBAnim(TCustomDIBControl& element, int32_t duration, bool loop, uint32_t now)
    : element_(element), duration_(std::max<int32_t>(0, duration)), startTick_(now),
      loop_(loop && duration > 0) {} // a loop of no length would spin for ever

int32_t TDIBAnim::Lerp(int32_t from, int32_t to, int32_t elapsed) const {
    if (duration_ <= 0) return to;
    // 64-bit so long runs over wide ranges cannot overflow.
    return int32_t(from + int64_t(to - from) * elapsed / duration_);
}

bool TDIBAnim::Step(uint32_t now) {
    uint32_t e = now - startTick_;
    if (e < uint32_t(duration_)) {
        elapsed_ = int32_t(e);
        Apply(elapsed_);
        return false;
    }
    if (!loop_) {
        Finish();
        return true;
    }
    // A stall longer than a run keeps the phase instead of running past the last frame.
    uint32_t runs = e / uint32_t(duration_);
    startTick_ += runs * uint32_t(duration_);
    elapsed_ = int32_t(e % uint32_t(duration_));
    Apply(elapsed_);
    return false;
}

// ---- sprite / scaled ----

TDIBSpriteAnim::TDIBSpriteAnim(TCustomDIBControl& e, int32_t duration, uint32_t now, int x, int y)
    : TDIBAnim(e, duration, false, now), startX_(e.Left()), startY_(e.Top()), endX_(x), endY_(y) {}

void TDIBSpriteAnim::Apply(int32_t t) {
    element_.SetBounds(Lerp(startX_, endX_, t), Lerp(startY_, endY_, t), element_.Width(), element_.Height());
}

void TDIBSpriteAnim::Finish() {
    element_.SetBounds(endX_, endY_, element_.Width(), element_.Height());
}

TDIBScaledAnim::TDIBScaledAnim(TCustomDIBControl& e, int32_t duration, uint32_t now, int x, int y, int w,
                               int h)
    : TDIBSpriteAnim(e, duration, now, x, y), startW_(e.Width()), startH_(e.Height()), endW_(w), endH_(h) {}

void TDIBScaledAnim::Apply(int32_t t) {
    element_.SetBounds(Lerp(startX_, endX_, t), Lerp(startY_, endY_, t), Lerp(startW_, endW_, t),
                       Lerp(startH_, endH_, t));
}

void TDIBScaledAnim::Finish() {
    element_.SetBounds(endX_, endY_, endW_, endH_);
}

// ---- slide ----

TDIBSlideAnim::TDIBSlideAnim(TDIBImage& e, int32_t duration, uint32_t now, int offsetX, int offsetY)
    : TDIBAnim(e, duration, false, now), image_(e), startX_(e.OffsetX()), startY_(e.OffsetY()),
      endX_(offsetX), endY_(offsetY), lastX_(startX_), lastY_(startY_) {}

void TDIBSlideAnim::Set(int x, int y) {
    if (x != lastX_) image_.SetOffsetX(lastX_ = x);
    if (y != lastY_) image_.SetOffsetY(lastY_ = y);
}

void TDIBSlideAnim::Apply(int32_t t) {
    Set(Lerp(startX_, endX_, t), Lerp(startY_, endY_, t));
}

void TDIBSlideAnim::Finish() {
    image_.SetOffsetX(lastX_ = endX_);
    image_.SetOffsetY(lastY_ = endY_);
}

// ---- strip ----

TDIBStripAnim::TDIBStripAnim(TDIBImageStrip& e, int32_t duration, uint32_t now, int first, int last,
                             bool loop)
    : TDIBAnim(e, duration, loop, now), strip_(e), start_(first), end_(loop_ ? last + 1 : last),
      last_(first) {
    strip_.SetFrameIndex(first);
}

void TDIBStripAnim::Show(int frame) {
    if (frame == last_) return;
    last_ = frame;
    strip_.SetFrameIndex(frame);
}

void TDIBStripAnim::Apply(int32_t t) {
    Show(Lerp(start_, end_, t));
}

void TDIBStripAnim::Finish() {
    last_ = end_;
    strip_.SetFrameIndex(end_);
}

TDIBIndexedStripAnim::TDIBIndexedStripAnim(TDIBImageStrip& e, int32_t duration, uint32_t now,
                                           std::vector<int> frames, bool loop)
    : TDIBAnim(e, duration, loop, now), strip_(e), frames_(std::move(frames)),
      end_(loop_ ? int(frames_.size()) : int(frames_.size()) - 1), last_(0) {
    strip_.SetFrameIndex(frames_.front());
}

void TDIBIndexedStripAnim::Show(int position) {
    if (position == last_) return;
    last_ = position;
    // A looping run's last share maps to the last entry: position never reaches count while running.
    strip_.SetFrameIndex(frames_[size_t(std::clamp(position, 0, int(frames_.size()) - 1))]);
}

void TDIBIndexedStripAnim::Apply(int32_t t) {
    Show(Lerp(0, end_, t));
}

void TDIBIndexedStripAnim::Finish() {
    last_ = int(frames_.size()) - 1;
    strip_.SetFrameIndex(frames_.back());
}

// ---- callback ----

TDIBCallbackAnim::TDIBCallbackAnim(TCustomDIBControl& e, int32_t duration, uint32_t now, int from, int to,
                                   Callback cb, bool loop)
    : TDIBAnim(e, duration, loop, now), start_(from), end_(to), last_(from), callback_(std::move(cb)) {}

void TDIBCallbackAnim::Start() {
    Call(start_);
}

void TDIBCallbackAnim::Call(int v) {
    last_ = v;
    if (callback_) callback_(v);
}

void TDIBCallbackAnim::Apply(int32_t t) {
    int v = Lerp(start_, end_, t);
    if (v != last_) Call(v);
}

void TDIBCallbackAnim::Finish() {
    Call(end_);
}

// ---- list ----

TDIBAnimList::TDIBAnimList(Dispatcher& dispatcher) : dispatcher_(dispatcher) {}

TDIBAnimList::~TDIBAnimList() {
    if (timer_) dispatcher_.killTimer(timer_);
    lifetime_.reset();
}

void TDIBAnimList::SetInterval(uint32_t ms) {
    interval_ = std::max<uint32_t>(1, ms);
    if (timer_) {
        dispatcher_.killTimer(timer_);
        timer_ = 0;
        UpdateTimer();
    }
}

void TDIBAnimList::UpdateTimer() {
    if (anims_.empty()) {
        if (timer_) dispatcher_.killTimer(timer_);
        timer_ = 0;
    } else if (!timer_) {
        timer_ = dispatcher_.setTimer(
            interval_, true, [this] { Tick(); }, lifetime_.guard());
    }
}

bool TDIBAnimList::Animating(const TCustomDIBControl& element) const {
    return std::any_of(anims_.begin(), anims_.end(),
                       [&](const Slot& s) { return &s.anim->Element() == &element; });
}

void TDIBAnimList::StopAnims(TCustomDIBControl* element) {
    // Newest first; a handler may add or stop animations, so look each one up again by id.
    std::vector<uint64_t> ids;
    for (auto it = anims_.rbegin(); it != anims_.rend(); ++it)
        if (!element || &it->anim->Element() == element) ids.push_back(it->id);
    for (uint64_t id : ids) {
        auto it = std::find_if(anims_.begin(), anims_.end(), [&](const Slot& s) { return s.id == id; });
        if (it == anims_.end()) continue;
        std::unique_ptr<TDIBAnim> anim = std::move(it->anim);
        anims_.erase(it);
        if (AnimNotify) AnimNotify(anim->Element(), false);
    }
    UpdateTimer();
}

void TDIBAnimList::Tick() {
    uint32_t now = Now();
    std::vector<uint64_t> ids;
    for (auto it = anims_.rbegin(); it != anims_.rend(); ++it)
        ids.push_back(it->id);
    for (uint64_t id : ids) {
        auto it = std::find_if(anims_.begin(), anims_.end(), [&](const Slot& s) { return s.id == id; });
        if (it == anims_.end()) continue;
        if (!it->anim->Step(now)) continue;
        std::unique_ptr<TDIBAnim> anim = std::move(it->anim);
        anims_.erase(it);
        UpdateTimer();
        if (AnimNotify) AnimNotify(anim->Element(), true);
    }
}

void TDIBAnimList::Append(std::unique_ptr<TDIBAnim> anim) {
    anims_.push_back({nextId_++, std::move(anim)});
    UpdateTimer();
}

void TDIBAnimList::AddSpriteAnim(int32_t duration, TCustomDIBControl& element, int x, int y) {
    StopAnims(&element);
    Append(std::make_unique<TDIBSpriteAnim>(element, duration, Now(), x, y));
}

void TDIBAnimList::AddScaledAnim(int32_t duration, TCustomDIBControl& element, int x, int y, int w, int h) {
    StopAnims(&element);
    Append(std::make_unique<TDIBScaledAnim>(element, duration, Now(), x, y, w, h));
}

void TDIBAnimList::AddAnimToImage(int32_t duration, TCustomDIBControl& element,
                                  const TCustomDIBControl& target, bool scale) {
    if (scale)
        return AddScaledAnim(duration, element, target.Left(), target.Top(), target.Width(), target.Height());
    AddSpriteAnim(duration, element, target.Left() + target.Width() / 2 - element.Width() / 2,
                  target.Top() + target.Height() / 2 - element.Height() / 2);
}

void TDIBAnimList::AddSlideAnim(int32_t duration, TDIBImage& image, int offsetX, int offsetY) {
    StopAnims(&image);
    Append(std::make_unique<TDIBSlideAnim>(image, duration, Now(), offsetX, offsetY));
}

void TDIBAnimList::AddStripAnim(int32_t duration, TDIBImageStrip& strip, int first, int last, bool loop) {
    StopAnims(&strip);
    Append(std::make_unique<TDIBStripAnim>(strip, duration, Now(), first, last, loop));
}

void TDIBAnimList::AddIndexedStripAnim(int32_t duration, TDIBImageStrip& strip,
                                       const std::vector<int>& frames, bool loop) {
    StopAnims(&strip);
    if (frames.size() < 2) throw DIBException("Invalid strip animation indices");
    Append(std::make_unique<TDIBIndexedStripAnim>(strip, duration, Now(), frames, loop));
}

void TDIBAnimList::AddCallbackAnim(int32_t duration, TCustomDIBControl& element, int from, int to,
                                   TDIBCallbackAnim::Callback callback, bool loop) {
    StopAnims(&element);
    auto anim =
        std::make_unique<TDIBCallbackAnim>(element, duration, Now(), from, to, std::move(callback), loop);
    TDIBCallbackAnim* raw = anim.get();
    Append(std::move(anim));
    raw->Start();
}

} // namespace parlora
