#include "replay/replay_viewer.h"

#include "screens/print_at.h"
#include "typing/key_codes.h"

namespace kb {

namespace {

constexpr uint32_t kFrameMs = 67;  // the game's frame interval
// More frames than this behind (the window was held, the machine busy) are not caught up.
constexpr long kMostBehind = 8;
constexpr uint32_t kIdleWait = 250;  // paused or at the end: nothing is due
constexpr int kStatusPoints = 9;
constexpr int kMarginPx = 4;

}  // namespace

void ReplayViewer::KeyDown(int keyCode) {
    switch (keyCode) {
        case kVkEscape:
            closed_ = true;
            break;
        case kVkSpace:
            paused_ = !paused_;
            Rebase();
            break;
        case kVk1:
        case kVkNumpad1:
            speed_ = 1;
            Rebase();
            break;
        case kVk2:
        case kVkNumpad0 + 2:
            speed_ = 2;
            Rebase();
            break;
        case kVk0 + 4:
        case kVkNumpad0 + 4:
            speed_ = 4;
            Rebase();
            break;
        case kVkRight:
            if (paused_) p_.NextFrame();
            break;
        case kVkEnd:
            if (p_.game().s.SceneNo == kSceneOver)
                p_.SkipToEnd();
            else
                p_.SkipToDecision();
            Rebase();
            break;
        default:
            break;
    }
}

uint32_t ReplayViewer::Tick(uint32_t now) {
    if (paused_ || closed_ || p_.AtEnd()) return kIdleWait;
    if (!based_) {
        based_ = true;
        origin_ = now;
        originFrame_ = p_.FramesRun();
    }
    long due = originFrame_ + static_cast<long>((now - origin_) * speed_ / kFrameMs);
    if (due - p_.FramesRun() > kMostBehind) {
        origin_ = now;
        due = originFrame_ = p_.FramesRun();
    }
    while (p_.FramesRun() < due && p_.NextFrame()) {
    }
    // The next frame is due when its share of the interval has passed.
    const long next = p_.FramesRun() - originFrame_ + 1;
    const uint32_t at = origin_ + static_cast<uint32_t>((next * kFrameMs + speed_ - 1) / speed_);
    return at > now ? at - now : 0;
}

std::u16string ReplayViewer::Status() const {
    if (p_.AtEnd()) return u"REPLAY  END  Esc";
    if (paused_) return u"REPLAY  ||  Space  1 2 4  End  Esc";
    return u"REPLAY  ▶ " + std::u16string(1, static_cast<char16_t>(u'0' + speed_)) + u"x";
}

void ComposeWithStatus(const Surface& display, std::u16string_view status, Surface& out) {
    if (out.W() != display.W() || out.H() != display.H()) out.Resize(display.W(), display.H());
    out.Blit(RasterOp::kCopy, 0, 0, display.W(), display.H(), display, 0, 0);
    out.FontSize = kStatusPoints;
    out.FontBold = false;
    const double x = RightAligned(out, kTwipsPerPixel, kMarginPx, status);
    const double y = kTwipsPerPixel * 2.0;
    // A shadow keeps the words readable on the light and the dark parts of the picture.
    out.ForeColor = Rgb(0, 0, 0);
    PrintAt(out, x + kTwipsPerPixel, y + kTwipsPerPixel, status);
    out.ForeColor = Rgb(255, 255, 255);
    PrintAt(out, x, y, status);
}

}  // namespace kb
