#pragma once

namespace kelvora {

// The popup's path, in twips: up from below the screen's bottom-right corner, a rest, and back down.
class AlertMotion {
public:
    enum class Phase { SlidingIn, Resting, SlidingOut, Finished };

    static constexpr int kWidthTwips = 2775;
    static constexpr int kHeightTwips = 2175;
    static constexpr int kStepTwips = 30;
    static constexpr int kSlideIntervalMs = 1;
    static constexpr int kRestMs = 5000;

    // Screen size of the whole primary screen, taskbar included, and the popup's size as shown: at a scale where
    // the popup is no whole number of pixels, its window is a pixel wider or taller than the nominal size.
    AlertMotion(int screenWidthTwips, int screenHeightTwips, int widthTwips = kWidthTwips,
                int heightTwips = kHeightTwips);

    int left() const { return PopupLeft_; }
    int top() const { return top_; }
    Phase phase() const { return phase_; }
    // How long until the next tick: the interval of the timer that runs in this phase; 0 once finished.
    int intervalMs() const;
    // One tick of the running timer.
    void tick();

private:
    int PopupLeft_;
    int HiddenTop_;
    int height_;
    int top_;
    Phase phase_ = Phase::SlidingIn;
};

} // namespace kelvora
